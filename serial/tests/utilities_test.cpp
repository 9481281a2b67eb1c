// The buffer utilities: hex view, LRC, and widening and narrowing strings.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "tolk.h"

namespace {

TEST(HexView, FormatsAndStaysInsideTheBuffer) {
    const unsigned char bytes[] = {0x01, 0xAB, 0xFF};
    char buf[16];
    std::memset(buf, 'Z', sizeof buf);
    EXPECT_EQ(SioHexView(bytes, 3, buf, 9), 8);
    EXPECT_STREQ(buf, "01 ab ff");
    EXPECT_EQ(buf[9], 'Z') << "nothing past 3 x count bytes";

    std::memset(buf, 'Z', sizeof buf);
    EXPECT_EQ(SioHexView(bytes, 3, buf, 8), SIO_E_BAD_ARG);
    EXPECT_EQ(buf[0], 'Z') << "nothing written";
    EXPECT_EQ(SioHexView(bytes, 1, buf, 3), 2);
    EXPECT_STREQ(buf, "01");
    EXPECT_EQ(SioHexView(bytes, 0, buf, 16), 0);
    EXPECT_EQ(SioHexView(bytes, -1, buf, 16), 0);
    EXPECT_EQ(SioHexView(bytes, 3, buf, 0), 0);
    // A count so large that 3 x count overflows an int is still too big.
    EXPECT_EQ(SioHexView(bytes, INT_MAX / 2, buf, 16), SIO_E_BAD_ARG);
    EXPECT_EQ(SioHexView(nullptr, 3, buf, 16), SIO_E_BAD_ARG);
    EXPECT_EQ(SioHexView(bytes, 3, nullptr, 16), SIO_E_BAD_ARG);
}

TEST(Lrc, CheckByteMakesTheSumZero) {
    const unsigned char one = 0x01, twice80[] = {0x80, 0x80};
    EXPECT_EQ(SioLRC("abc", 3), 0xDA);
    EXPECT_EQ(SioLRC(&one, 1), 0xFF);
    EXPECT_EQ(SioLRC(twice80, 2), 0);
    EXPECT_EQ(SioLRC("abc", 0), 0);
    EXPECT_EQ(SioLRC("abc", -5), 0);
    EXPECT_EQ(SioLRC(nullptr, 3), SIO_E_BAD_ARG);
}

TEST(StringWidth, WidenInPlaceWithoutTerminator) {
    unsigned char buf[8] = {'A', 'B', 0, 0x77, 0x77, 0x77, 0x77, 0x77};
    EXPECT_EQ(SioByteToShort(buf), 2);
    const unsigned char wide[] = {'A', 0, 'B', 0, 0x77};
    EXPECT_EQ(std::memcmp(buf, wide, sizeof wide), 0) << "the bytes after stay as they were";

    char empty[2] = {0, 'q'};
    EXPECT_EQ(SioByteToShort(empty), 0);
    EXPECT_EQ(empty[1], 'q');
    EXPECT_EQ(SioByteToShort(nullptr), SIO_E_BAD_ARG);
}

TEST(StringWidth, NarrowInPlace) {
    unsigned char buf[] = {'A', 0, 'B', 0, 0, 0};
    EXPECT_EQ(SioShortToByte(buf), 2);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf)), "AB");

    // High bytes are dropped; a character whose low byte is 0 ends it.
    unsigned char mixed[] = {'x', 0x30, 0x00, 0x41, 'y', 0, 0, 0};
    EXPECT_EQ(SioShortToByte(mixed), 1);
    EXPECT_EQ(mixed[0], 'x');
    EXPECT_EQ(mixed[1], 0);

    char round[16] = "serial";
    ASSERT_EQ(SioByteToShort(round), 6);
    round[12] = round[13] = 0;
    EXPECT_EQ(SioShortToByte(round), 6);
    EXPECT_STREQ(round, "serial");
    EXPECT_EQ(SioShortToByte(nullptr), SIO_E_BAD_ARG);
}

}  // namespace
