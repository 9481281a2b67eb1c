#include <gtest/gtest.h>

#include "dashboard/values/asm_listing.h"
#include "sheet_test_support.h"

namespace kvr {
namespace {

const LocalDateTime kNow{2024, 5, 17, 14, 3, 22};

TEST(AsmListingTest, ListsEveryByteFromOrigin0800) {
    ValuesImageBuilder image;
    image.setByte(0, 0x1F).setByte(1, 0).setByte(2, 255).setByte(505, 0xA0);
    const AsmListing listing = buildAsmListing(image.text(), DateTimeSeparators{}, kNow);
    ASSERT_TRUE(listing.complete()) << listing.failure;
    ASSERT_EQ(listing.lines.size(), 508u);
    EXPECT_EQ(listing.lines[0], ";asm file generated from KVRDash 2024/05/17 14:03:22");
    EXPECT_EQ(listing.lines[1], "  ORG $0800");
    EXPECT_EQ(listing.lines[2], " FCB 31    ; $0800");
    EXPECT_EQ(listing.lines[3], " FCB 0    ; $0801");
    EXPECT_EQ(listing.lines[4], " FCB 255    ; $0802");
    EXPECT_EQ(listing.lines[2 + 0xFF], " FCB 0    ; $08FF");
    EXPECT_EQ(listing.lines[507], " FCB 160    ; $09F9");
}

TEST(AsmListingTest, FourAddressesAreAlwaysZero) {
    ValuesImageBuilder image;
    for (int k : {476, 477, 478, 497, 498, 499, 500})
        image.setByte(k, 0x5A);
    const AsmListing listing = buildAsmListing(image.text(), DateTimeSeparators{}, kNow);
    ASSERT_TRUE(listing.complete());
    EXPECT_EQ(listing.lines[2 + 476], " FCB 90    ; $09DC");
    EXPECT_EQ(listing.lines[2 + 477], " FCB 00 ; $09DD");
    EXPECT_EQ(listing.lines[2 + 478], " FCB 00 ; $09DE");
    EXPECT_EQ(listing.lines[2 + 497], " FCB 90    ; $09F1");
    EXPECT_EQ(listing.lines[2 + 498], " FCB 00 ; $09F2");
    EXPECT_EQ(listing.lines[2 + 499], " FCB 00 ; $09F3");
    EXPECT_EQ(listing.lines[2 + 500], " FCB 90    ; $09F4");
}

TEST(AsmListingTest, HeaderUsesUnderscoresOnceTheSheetsWereFilled) {
    Decode decoded(imageOf(3000));
    const AsmListing listing = buildAsmListing(imageOf(3000).text(), decoded.sheets.separators(), kNow);
    EXPECT_EQ(listing.lines.at(0), ";asm file generated from KVRDash 2024_05_17 14_03_22");
}

TEST(AsmListingTest, ShortTextIsRefusedWithoutReadingPastItsEnd) {
    const std::string full = ValuesImageBuilder().setByte(505, 7).text();
    for (const std::string& text : {std::string(), std::string(")"), full.substr(0, 1012)}) {
        const AsmListing listing = buildAsmListing(text, DateTimeSeparators{}, kNow);
        EXPECT_FALSE(listing.complete());
        EXPECT_TRUE(listing.lines.empty());
        EXPECT_NE(listing.failure.find("1013 needed"), std::string::npos) << listing.failure;
    }
    // Positions 2..1013 are all it reads.
    const AsmListing exact = buildAsmListing(full.substr(0, 1013), DateTimeSeparators{}, kNow);
    ASSERT_TRUE(exact.complete());
    EXPECT_EQ(exact.lines.back(), " FCB 7    ; $09F9");
}

TEST(AsmListingTest, BadPairStopsTheListingBeforeItsLine) {
    // Even a fixed-zero address is converted first.
    for (int k : {100, 477}) {
        const std::string text = ValuesImageBuilder().setPair(k, "G1").text();
        const AsmListing listing = buildAsmListing(text, DateTimeSeparators{}, kNow);
        EXPECT_FALSE(listing.complete());
        EXPECT_EQ(listing.lines.size(), static_cast<std::size_t>(2 + k));
        EXPECT_EQ(listing.failure,
                  "ASM export stopped: no hexadecimal pair at position " + std::to_string(2 * k + 2));
    }
}

TEST(AsmListingTest, FileTextEndsEveryLineWithCrLf) {
    EXPECT_EQ(asmFileText({"a", "", " FCB 0    ; $0800"}), "a\r\n\r\n FCB 0    ; $0800\r\n");
    EXPECT_EQ(asmFileText({}), "");
}

}  // namespace
}  // namespace kvr
