// Timed waits on pseudo-terminals: a byte, a number of bytes, a quiet line;
// the tick and sleeping.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "pty_pair.h"
#include "tolk.h"

namespace {

constexpr int kPort = 9;  // COM10

using Clock = std::chrono::steady_clock;

long long msSince(Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

class Waits : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SioReset(kPort, 8192, 8192), 1);
        ASSERT_EQ(SioBaud(kPort, 57600), 1);
    }
    void TearDown() override { SioDone(kPort); }
    void sendLater(const std::string& text, int ms) {
        far = std::thread([this, text, ms] {
            ::usleep(static_cast<useconds_t>(ms) * 1000);
            pty.send(text);
        });
    }
    ~Waits() override {
        if (far.joinable()) far.join();
    }
    PtyPair pty{kPort};
    std::thread far;
};

TEST_F(Waits, WaitForOneByte) {
    auto t0 = Clock::now();
    EXPECT_EQ(SioWaitFor(kPort, 0), SIO_E_TIMEOUT);
    EXPECT_LT(msSince(t0), 50);
    pty.send("a");
    ASSERT_EQ(waitForInput(SioRxQue, kPort, 1), 1);
    EXPECT_EQ(SioWaitFor(kPort, 0), 'a') << "a waiting byte comes at once";

    t0 = Clock::now();
    EXPECT_EQ(SioWaitFor(kPort, 120), SIO_E_TIMEOUT);
    EXPECT_GE(msSince(t0), 115);
    sendLater("b", 60);
    EXPECT_EQ(SioWaitFor(kPort, 2000), 'b');
    EXPECT_EQ(SioWaitFor(kPort + 1, 0), SIO_E_NOT_OPEN);
}

TEST_F(Waits, WaitForANumberOfBytesLeavesThemQueued) {
    EXPECT_EQ(SioRxWait(kPort, 0, 1000), 0) << "an idle line: 0 at once";
    sendLater("12345", 50);
    EXPECT_EQ(SioRxWait(kPort, 5, 2000), 5);
    EXPECT_EQ(SioGetc(kPort), '1');
    EXPECT_EQ(SioRxWait(kPort, 0, 0), 4);
    auto t0 = Clock::now();
    EXPECT_EQ(SioRxWait(kPort, 10, 100), SIO_E_TIMEOUT);
    EXPECT_GE(msSince(t0), 95);
    EXPECT_EQ(SioRxQue(kPort), 4) << "nothing was consumed";
}

TEST_F(Waits, QuietLine) {
    EXPECT_EQ(SioQuiet(kPort, 50, 0), SIO_E_TIMEOUT);
    auto t0 = Clock::now();
    EXPECT_EQ(SioQuiet(kPort, 0, 1000), 0);
    EXPECT_LT(msSince(t0), 50);
    t0 = Clock::now();
    EXPECT_EQ(SioQuiet(kPort, 80, 1000), 0);
    EXPECT_GE(msSince(t0), 75);

    // Chatter keeps the line from going quiet and is thrown away.
    std::atomic<bool> stop{false};
    std::thread chatter([&] {
        while (!stop) {
            pty.send("c");
            ::usleep(10000);
        }
    });
    EXPECT_EQ(SioQuiet(kPort, 100, 300), SIO_E_TIMEOUT);
    stop = true;
    chatter.join();
    EXPECT_EQ(SioQuiet(kPort, 30, 2000), 0);
    EXPECT_EQ(SioRxQue(kPort), 0);
}

TEST(Timing, TickMarkAndSleep) {
    const unsigned before = SioTimer();
    auto t0 = Clock::now();
    EXPECT_EQ(SioSleep(30), 1);
    EXPECT_GE(msSince(t0), 29);
    const unsigned after = SioTimer();
    EXPECT_GE(after - before, 29u);
    EXPECT_LT(after - before, 1000u);
    EXPECT_LE(SioTimeMark(0xFF), 0xFFu);
    EXPECT_LT(SioTimer() - SioTimeMark(0), 5u);
}

TEST(HangUp, WaitsEndWhenTheLineGoesAway) {
    PtyPair pty(kPort);
    pty.closeSlave();
    ASSERT_EQ(SioReset(kPort, 8192, 8192), 1);
    pty.closeMaster();
    auto t0 = Clock::now();
    EXPECT_EQ(SioWaitFor(kPort, 2000), SIO_E_IO);
    EXPECT_EQ(SioQuiet(kPort, 100, 2000), SIO_E_IO);
    EXPECT_LT(msSince(t0), 500);
    SioDone(kPort);
}

}  // namespace
