// Byte transfer on pseudo-terminals: both directions, every byte value,
// push-back, queue counts and purges, and a line that hangs up.
#include <gtest/gtest.h>

#include <chrono>
#include <numeric>

#include "pty_pair.h"
#include "tolk.h"

namespace {

constexpr int kPort = 2;  // COM3

class Transfer : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(SioReset(kPort, 8192, 8192), 1); }
    void TearDown() override { SioDone(kPort); }
    PtyPair pty{kPort};
};

std::vector<unsigned char> allByteValues() {
    std::vector<unsigned char> v(256);
    std::iota(v.begin(), v.end(), 0);
    return v;
}

TEST_F(Transfer, EveryByteValueArrivesUnchanged) {
    // 0x11 and 0x13 (XON/XOFF), CR, LF, 0x00, 0x7F and 0xFF must all pass.
    const auto bytes = allByteValues();
    pty.send(bytes);
    ASSERT_EQ(waitForInput(SioRxQue, kPort, 256), 256);
    std::vector<unsigned char> got;
    for (int c; (c = SioGetc(kPort)) >= 0;) got.push_back(static_cast<unsigned char>(c));
    EXPECT_EQ(got, bytes);
    EXPECT_EQ(SioGetc(kPort), SIO_E_NO_DATA);
    EXPECT_EQ(SioRxQue(kPort), 0);
}

TEST_F(Transfer, EveryByteValueIsSentUnchanged) {
    const auto bytes = allByteValues();
    EXPECT_EQ(SioPuts(kPort, bytes.data(), 256), 256);
    EXPECT_EQ(SioPutc(kPort, '\r'), 1);
    EXPECT_EQ(SioPutc(kPort, 0), 1);
    auto expected = bytes;
    expected.push_back('\r');
    expected.push_back(0);
    EXPECT_EQ(pty.receive(expected.size()), expected);
    EXPECT_EQ(SioTxQue(kPort), 0);
}

TEST_F(Transfer, GetsTakesWhatIsWaitingWithoutTerminator) {
    unsigned char buf[16];
    std::fill(std::begin(buf), std::end(buf), 0xEE);
    EXPECT_EQ(SioGets(kPort, buf, 16), 0);  // nothing waiting: at once, 0
    pty.send("hello");
    ASSERT_EQ(waitForInput(SioRxQue, kPort, 5), 5);
    std::fill(std::begin(buf), std::end(buf), 0xEE);
    EXPECT_EQ(SioGets(kPort, buf, 3), 3);
    EXPECT_EQ(std::string(buf, buf + 3), "hel");
    EXPECT_EQ(buf[3], 0xEE);
    std::fill(std::begin(buf), std::end(buf), 0xEE);
    EXPECT_EQ(SioGets(kPort, buf, 16), 2);
    EXPECT_EQ(std::string(buf, buf + 2), "lo");
    EXPECT_EQ(buf[2], 0xEE) << "nothing written past the bytes read";
    EXPECT_EQ(SioGets(kPort, nullptr, 4), SIO_E_BAD_ARG);
    EXPECT_EQ(SioGets(kPort, buf, -1), SIO_E_BAD_ARG);
}

TEST_F(Transfer, PushBackComesFirstAndHoldsAnyByte) {
    pty.send("b");
    ASSERT_EQ(waitForInput(SioRxQue, kPort, 1), 1);
    EXPECT_EQ(SioUnGetc(kPort, 65), 0);
    EXPECT_EQ(SioRxQue(kPort), 1) << "the pushed-back byte is not counted";
    EXPECT_EQ(SioGetc(kPort), 65);
    EXPECT_EQ(SioGetc(kPort), 'b');

    EXPECT_EQ(SioUnGetc(kPort, 0), 0);
    EXPECT_EQ(SioGetc(kPort), 0) << "0x00 can be pushed back";
    EXPECT_EQ(SioGetc(kPort), SIO_E_NO_DATA);

    EXPECT_EQ(SioUnGetc(kPort, 'x'), 0);
    EXPECT_EQ(SioUnGetc(kPort, 'y'), 0);  // replaces
    unsigned char buf[4] = {};
    EXPECT_EQ(SioGets(kPort, buf, 4), 1);
    EXPECT_EQ(buf[0], 'y');
    EXPECT_EQ(SioGetc(kPort), SIO_E_NO_DATA);
}

TEST_F(Transfer, RxClearDropsQueueReadAheadAndPushBack) {
    pty.send(std::string(300, 'q'));
    ASSERT_EQ(waitForInput(SioRxQue, kPort, 300), 300);
    EXPECT_EQ(SioGetc(kPort), 'q');  // some bytes are now read ahead
    EXPECT_EQ(SioUnGetc(kPort, 'p'), 0);
    EXPECT_EQ(SioRxClear(kPort), 0);
    EXPECT_EQ(SioRxQue(kPort), 0);
    EXPECT_EQ(SioGetc(kPort), SIO_E_NO_DATA);
    pty.send("n");
    ASSERT_EQ(waitForInput(SioRxQue, kPort, 1), 1);
    EXPECT_EQ(SioGetc(kPort), 'n');
}

TEST_F(Transfer, TxClearAndCountsOnAQuietLine) {
    EXPECT_EQ(SioTxClear(kPort), 0);
    EXPECT_EQ(SioTxQue(kPort), 0);
    EXPECT_EQ(SioRxQue(kPort), 0);
}

TEST_F(Transfer, BadWriteArguments) {
    EXPECT_EQ(SioPuts(kPort, "abc", 0), SIO_E_BAD_ARG);
    EXPECT_EQ(SioPuts(kPort, "abc", -3), SIO_E_BAD_ARG);
    EXPECT_EQ(SioPuts(kPort, nullptr, 3), SIO_E_BAD_ARG);
    EXPECT_TRUE(pty.receive(1, 50).empty());
}

TEST_F(Transfer, LargeTransferBothWaysKeepsOrder) {
    std::vector<unsigned char> data(100000);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i * 7 + i / 256);
    std::vector<unsigned char> got;
    got.reserve(data.size());
    size_t sent = 0;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (got.size() < data.size() && std::chrono::steady_clock::now() < end) {
        if (sent < data.size()) {
            ssize_t n = ::write(pty.masterFd(), data.data() + sent, std::min<size_t>(1000, data.size() - sent));
            if (n > 0) sent += static_cast<size_t>(n);
        }
        for (int n = SioRxQue(kPort); n > 0; --n) {
            int c = SioGetc(kPort);
            ASSERT_GE(c, 0);
            got.push_back(static_cast<unsigned char>(c));
        }
    }
    EXPECT_EQ(got, data);
}

TEST(HangUp, VanishedDeviceFailsFastAndThePortReopens) {
    constexpr int port = 3;
    auto pty = std::make_unique<PtyPair>(port);
    pty->closeSlave();
    ASSERT_EQ(SioReset(port, 8192, 8192), 1);
    pty->send("ab");
    ASSERT_EQ(waitForInput(SioRxQue, port, 2), 2);
    EXPECT_EQ(SioGetc(port), 'a');
    pty->closeMaster();  // the cable is pulled

    // What had arrived is still delivered; then every call says I/O error.
    EXPECT_EQ(SioGetc(port), 'b');
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(SioGetc(port), SIO_E_IO);
        ASSERT_EQ(SioRxQue(port), SIO_E_IO);
    }
    unsigned char buf[8];
    EXPECT_EQ(SioGets(port, buf, 8), SIO_E_IO);
    EXPECT_LT(SioPutc(port, 'x'), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << "no call blocked";
    EXPECT_EQ(SioDone(port), 1);

    // The device comes back (here: a new pty under the same port name).
    pty.reset();
    pty = std::make_unique<PtyPair>(port);
    ASSERT_EQ(SioReset(port, 8192, 8192), 1);
    pty->send("c");
    ASSERT_EQ(waitForInput(SioRxQue, port, 1), 1);
    EXPECT_EQ(SioGetc(port), 'c');
    EXPECT_EQ(SioDone(port), 1);
}

TEST(HangUp, OpeningAHungUpDeviceFailsInsteadOfBlocking) {
    constexpr int port = 3;
    PtyPair pty(port);
    // Keep a slave descriptor so the device node stays, then hang the line up.
    pty.closeMaster();
    const int r = SioReset(port, 8192, 8192);
    EXPECT_TRUE(r == SIO_E_OS_ERROR || r == SIO_E_IO) << r;
    SioDone(port);
}

}  // namespace
