// Comm events on pseudo-terminals: received bytes, the event character, an
// empty output queue, time limits, release from another thread, and the
// message thread's one notification per arming.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "pty_pair.h"
#include "tolk.h"

namespace {

constexpr int kPort = 8;  // COM9

using Clock = std::chrono::steady_clock;

long long msSince(Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

class Events : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(SioReset(kPort, 8192, 8192), 1); }
    void TearDown() override { SioDone(kPort); }
    PtyPair pty{kPort};
};

TEST_F(Events, ReceivedBytesAndTimeLimits) {
    auto t0 = Clock::now();
    EXPECT_EQ(SioEventWait(kPort, SIO_EV_RXCHAR, 0), 2) << "nothing arrived: at once";
    EXPECT_LT(msSince(t0), 100);
    t0 = Clock::now();
    EXPECT_EQ(SioEventWait(kPort, SIO_EV_RXCHAR, 150), 2);
    EXPECT_GE(msSince(t0), 140);

    std::thread far([&] {
        ::usleep(100000);
        pty.send("k");
    });
    t0 = Clock::now();
    EXPECT_EQ(SioEvent(kPort, SIO_EV_RXCHAR), 3);
    EXPECT_GE(msSince(t0), 50) << "it waited for the byte";
    far.join();
    // The byte is still there to read, and while it waits the event holds.
    EXPECT_EQ(SioEventWait(kPort, SIO_EV_RXCHAR, 0), 3);
    EXPECT_EQ(SioGetc(kPort), 'k');
    EXPECT_EQ(SioEventWait(kPort, SIO_EV_RXCHAR, 0), 2);
}

TEST_F(Events, BytesAlreadyReadAheadCountAsReceived) {
    pty.send("abc");
    ASSERT_EQ(waitForInput(SioRxQue, kPort, 3), 3);
    ASSERT_EQ(SioGetc(kPort), 'a');  // b and c now sit in the read-ahead
    EXPECT_EQ(SioEventWait(kPort, SIO_EV_RXCHAR, 1000), 3);
    EXPECT_EQ(SioGetc(kPort), 'b');
}

TEST_F(Events, EventCharacter) {
    EXPECT_EQ(SioEventChar(kPort, '\r', 0), 2);
    pty.send("no end yet");
    ASSERT_EQ(waitForInput(SioRxQue, kPort, 10), 10);
    EXPECT_EQ(SioEventChar(kPort, '\r', 100), 2) << "other bytes do not count";
    std::thread far([&] {
        ::usleep(50000);
        pty.send("!\r");
    });
    EXPECT_EQ(SioEventChar(kPort, '\r', 2000), 3);
    far.join();
    unsigned char buf[32];
    EXPECT_EQ(SioGets(kPort, buf, sizeof buf), 12) << "every byte is still readable";
    EXPECT_EQ(std::string(buf, buf + 12), "no end yet!\r");
    // The character stays the port's event character for plain waits.
    pty.send("\r");
    EXPECT_EQ(SioEventWait(kPort, SIO_EV_RXFLAG, 2000), 3);

    EXPECT_EQ(SioEventChar(300, '\r', 0), SIO_E_RANGE);
    EXPECT_EQ(SioEventChar(kPort + 1, '\r', 0), SIO_E_OS_ERROR) << "not open: no settings to read";
}

TEST_F(Events, OutputQueueEmptyAndBadMasks) {
    EXPECT_EQ(SioPuts(kPort, "data", 4), 4);
    EXPECT_EQ(SioEventWait(kPort, SIO_EV_TXEMPTY, 1000), 3);
    EXPECT_EQ(SioEventWait(kPort, 0, 0), SIO_E_IO);
    EXPECT_EQ(SioEventWait(kPort, 0x0200, 0), SIO_E_IO);
    // A pseudo-terminal has no modem lines: their waits run out.
    EXPECT_EQ(SioEventWait(kPort, SIO_EV_CTS | SIO_EV_DSR | SIO_EV_BREAK, 50), 2);
    EXPECT_EQ(SioEventWait(kPort + 1, SIO_EV_RXCHAR, 0), SIO_E_NOT_OPEN);
}

// Runs a waiter on another thread and releases it with `release` until it
// returns (a release that comes before the wait has begun is not kept).
template <typename Release>
int releasedFromAnotherThread(Release release) {
    std::atomic<int> result{-999};
    std::thread waiter([&] { result = SioEvent(kPort, SIO_EV_RXCHAR); });
    ::usleep(50000);
    EXPECT_EQ(result.load(), -999) << "the waiter is still waiting";
    for (int i = 0; i < 500 && result.load() == -999; ++i) {
        release();
        ::usleep(10000);
    }
    waiter.join();
    return result.load();
}

TEST_F(Events, ReleasedByCodeS) {
    EXPECT_EQ(releasedFromAnotherThread([] { SioSetInteger(kPort, 'S', 0); }), 3);
    EXPECT_EQ(SioGetc(kPort), SIO_E_NO_DATA) << "the port still works";
}

TEST_F(Events, ReleasedBySioDone) {
    std::atomic<int> closes{0};
    EXPECT_EQ(releasedFromAnotherThread([&] {
                  if (closes == 0) closes += SioDone(kPort);
              }),
              3);
    EXPECT_EQ(closes.load(), 1);
    EXPECT_EQ(SioGetc(kPort), SIO_E_NOT_OPEN);
}

TEST_F(Events, HungUpLineEndsTheWait) {
    std::thread far([&] {
        ::usleep(50000);
        pty.closeMaster();
    });
    pty.closeSlave();
    EXPECT_EQ(SioEventWait(kPort, SIO_EV_RXCHAR, 3000), SIO_E_IO);
    far.join();
}

// Collects notifications from message threads.
struct Inbox {
    std::mutex lock;
    std::vector<std::vector<long>> got;  // window, message, port
    void add(void* window, unsigned message, int port) {
        std::lock_guard<std::mutex> hold(lock);
        got.push_back(
            {static_cast<long>(reinterpret_cast<intptr_t>(window)), static_cast<long>(message), port});
    }
    size_t count() {
        std::lock_guard<std::mutex> hold(lock);
        return got.size();
    }
};

void deliver(void* window, unsigned message, int port, void* context) {
    static_cast<Inbox*>(context)->add(window, message, port);
}

class Messages : public Events {
protected:
    void SetUp() override {
        Events::SetUp();
        SioSetNotifyHandler(deliver, &inbox);
    }
    void TearDown() override {
        Events::TearDown();
        waitForThreadsToEnd();
        SioSetNotifyHandler(nullptr, nullptr);
    }
    // Waits until every message thread started has ended.
    bool waitForThreadsToEnd() {
        for (int i = 0; i < 3000; ++i) {
            if (SioInfo('M') == SioInfo('m')) return true;
            ::usleep(1000);
        }
        return false;
    }
    bool waitForMessages(size_t n) {
        for (int i = 0; i < 3000 && inbox.count() < n; ++i)
            ::usleep(1000);
        return inbox.count() >= n;
    }
    Inbox inbox;
    void* const window = reinterpret_cast<void*>(static_cast<intptr_t>(0x5150));
};

TEST_F(Messages, OneMessagePerArming) {
    const int started = SioInfo('M'), ended = SioInfo('m');
    EXPECT_EQ(SioMessage(kPort, window, 0x0400, SIO_EV_RXCHAR), 0);
    EXPECT_EQ(SioMessage(kPort, window, 0x0401, SIO_EV_RXCHAR), 1) << "already armed";
    ::usleep(50000);
    EXPECT_EQ(inbox.count(), 0u);
    pty.send("x");
    ASSERT_TRUE(waitForMessages(1));
    ASSERT_TRUE(waitForThreadsToEnd());
    EXPECT_EQ(SioInfo('M'), started + 1);
    EXPECT_EQ(SioInfo('m'), ended + 1);
    ASSERT_EQ(inbox.count(), 1u);
    EXPECT_EQ(inbox.got[0], (std::vector<long>{0x5150, 0x0400, kPort})) << "the values it was armed with";

    // Armed again: the unread byte is waiting, so it fires at once.
    EXPECT_EQ(SioMessage(kPort, window, 0x0402, SIO_EV_RXCHAR), 0);
    ASSERT_TRUE(waitForMessages(2));
    EXPECT_EQ(inbox.got[1][1], 0x0402);
    ASSERT_TRUE(waitForThreadsToEnd());
    EXPECT_EQ(SioGetc(kPort), 'x') << "the thread did not take the byte";
    ::usleep(20000);
    EXPECT_EQ(inbox.count(), 2u);
}

TEST_F(Messages, ReadsOnTheCallersThreadDoNotHideBytesFromTheThread) {
    EXPECT_EQ(SioEventChar(kPort, 0, 0), 2);
    ASSERT_EQ(SioMessage(kPort, window, 0x0400, SIO_EV_RXFLAG), 0);
    // The caller takes every byte from the driver as it comes; the thread
    // still sees the 0x00 arrive.
    pty.send(std::vector<unsigned char>{'a', 'b', 0, 'c'});
    for (int i = 0; i < 2000 && inbox.count() == 0; ++i) {
        SioRxQue(kPort);
        ::usleep(500);
    }
    EXPECT_EQ(inbox.count(), 1u);
}

TEST_F(Messages, NullWindowReleasesTheArmedThread) {
    ASSERT_EQ(SioMessage(kPort, window, 0x0400, SIO_EV_RXCHAR), 0);
    EXPECT_EQ(SioMessage(kPort, nullptr, 0x0999, SIO_EV_RXCHAR), 1);
    ASSERT_TRUE(waitForMessages(1));
    EXPECT_EQ(inbox.got[0], (std::vector<long>{0x5150, 0x0400, kPort}));
    ASSERT_TRUE(waitForThreadsToEnd());
    ::usleep(20000);
    EXPECT_EQ(inbox.count(), 1u);
}

TEST_F(Messages, ReleasedByCodeSAndBySioDone) {
    ASSERT_EQ(SioMessage(kPort, window, 0x0400, SIO_EV_CTS), 0);
    EXPECT_EQ(SioSetInteger(kPort, 'S', 0), 2);
    ASSERT_TRUE(waitForMessages(1));
    ASSERT_TRUE(waitForThreadsToEnd());

    ASSERT_EQ(SioMessage(kPort, window, 0x0401, SIO_EV_RXCHAR), 0);
    EXPECT_EQ(SioDone(kPort), 1) << "does not wait for the thread";
    ASSERT_TRUE(waitForMessages(2));
    EXPECT_EQ(inbox.got[1][1], 0x0401);
    ASSERT_TRUE(waitForThreadsToEnd());

    // Reopened: a new thread can be armed at once.
    ASSERT_EQ(SioReset(kPort, 8192, 8192), 1);
    EXPECT_EQ(SioMessage(kPort, window, 0x0402, SIO_EV_RXCHAR), 0);
    pty.send("y");
    ASSERT_TRUE(waitForMessages(3));
}

TEST_F(Messages, ManyArmingsAndClosesLeaveNoThreadBehind) {
    for (int round = 0; round < 20; ++round) {
        ASSERT_EQ(SioMessage(kPort, window, static_cast<unsigned short>(round), SIO_EV_RXCHAR), 0);
        if (round % 2) pty.send("z");
        ASSERT_EQ(SioDone(kPort), 1);
        ASSERT_GE(SioReset(kPort, 8192, 8192), 1);  // 2 when the z is still there
        SioRxClear(kPort);
    }
    ASSERT_TRUE(waitForThreadsToEnd());
    EXPECT_EQ(inbox.count(), 20u);
}

TEST(MessageArgs, ClosedPortAndNullWindow) {
    EXPECT_EQ(SioMessage(300, nullptr, 1, 1), SIO_E_RANGE);
    EXPECT_EQ(SioMessage(kPort, nullptr, 1, 1), SIO_E_NOT_OPEN);
}

}  // namespace
