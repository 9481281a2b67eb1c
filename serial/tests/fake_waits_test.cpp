// Timed waits against the fake OS layer, whose clock moves only when the
// library waits or sleeps: pacing by the line rate and the tick's wrap.
#include <gtest/gtest.h>

#include "fake_os.h"
#include "port_table.h"
#include "tolk.h"

namespace {

constexpr int kPort = 13;

class Paced : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(SioReset(kPort, 8192, 8192), 1); }
    void TearDown() override { SioDone(kPort); }
    FakeOs fake;
    FakeDevice& dev = fake.device();
};

TEST_F(Paced, RxWaitSleepsForTheMissingBytes) {
    ASSERT_EQ(SioBaud(kPort, 57600), 1);
    dev.sleeps.clear();
    EXPECT_EQ(SioRxWait(kPort, 100, 50), SIO_E_TIMEOUT);
    ASSERT_FALSE(dev.sleeps.empty());
    EXPECT_EQ(dev.sleeps[0], 17u) << "100 x 1000 / 5760";

    ASSERT_EQ(SioBaud(kPort, 1200), 1);
    dev.sleeps.clear();
    EXPECT_EQ(SioRxWait(kPort, 100, 600), SIO_E_TIMEOUT);
    EXPECT_EQ(dev.sleeps[0], 250u) << "at most 250 ms per poll";

    ASSERT_EQ(SioBaud(kPort, 115200), 1);
    dev.input = {1, 2, 3};
    dev.sleeps.clear();
    EXPECT_EQ(SioRxWait(kPort, 4, 100), SIO_E_TIMEOUT);
    EXPECT_EQ(dev.sleeps[0], 1u) << "at least 1 ms";
    EXPECT_EQ(SioRxWait(kPort, 3, 0), 3);
}

TEST_F(Paced, WaitForPollsOncePerCharacterTime) {
    const std::pair<unsigned, uint32_t> cases[] = {{0, 90}, {1, 33}, {2, 8}, {3, 4}, {4, 2}, {5, 1}, {9, 1}};
    for (auto [code, pause] : cases) {
        SCOPED_TRACE(code);
        ASSERT_EQ(SioBaud(kPort, code), 1);
        dev.sleeps.clear();
        EXPECT_EQ(SioWaitFor(kPort, 100), SIO_E_TIMEOUT);
        ASSERT_FALSE(dev.sleeps.empty());
        EXPECT_EQ(dev.sleeps[0], pause);
    }
    dev.sleeps.clear();
    EXPECT_EQ(SioWaitFor(kPort, 0), SIO_E_TIMEOUT);
    EXPECT_TRUE(dev.sleeps.empty()) << "exactly one read attempt";
    tolk::gLineSettings[kPort].BaudRate = 0;
    EXPECT_EQ(SioWaitFor(kPort, 100), SIO_E_NO_RATE);
    EXPECT_EQ(SioRxWait(kPort, 1, 10), SIO_E_TIMEOUT) << "a zero rate does not divide by zero";
}

TEST_F(Paced, WaitsLastTheirTimeAcrossTheTicksWrap) {
    ASSERT_EQ(SioBaud(kPort, 57600), 1);
    dev.tick = 0xFFFFFF00u;  // 256 ms before the wrap
    EXPECT_EQ(SioWaitFor(kPort, 1000), SIO_E_TIMEOUT);
    EXPECT_GE(dev.tick - 0xFFFFFF00u, 1000u) << "it did not give up at the wrap";
    EXPECT_LT(dev.tick - 0xFFFFFF00u, 1100u) << "nor wait for ever";

    dev.tick = 0xFFFFFF00u;
    EXPECT_EQ(SioRxWait(kPort, 5, 1000), SIO_E_TIMEOUT);
    EXPECT_GE(dev.tick - 0xFFFFFF00u, 1000u);

    dev.tick = 0xFFFFFF00u;
    EXPECT_EQ(SioQuiet(kPort, 600, 5000), 0);
    EXPECT_GE(dev.tick - 0xFFFFFF00u, 600u);

    dev.tick = 0xFFFFFF00u;
    EXPECT_EQ(SioEventWait(kPort, SIO_EV_RXCHAR, 700), 2);
    EXPECT_GE(dev.tick - 0xFFFFFF00u, 700u);
    EXPECT_EQ(SioTimer(), dev.tick);
    EXPECT_EQ(SioTimeMark(0xFF), dev.tick & 0xFF);
}

TEST_F(Paced, QuietDiscardsWhatArrives) {
    int waits = 0;
    dev.onWait = [&](FakeDevice& d) {
        if (++waits < 5) d.input.push_back('n');
    };
    EXPECT_EQ(SioQuiet(kPort, 30, 1000), 0);
    EXPECT_TRUE(dev.input.empty());
    EXPECT_EQ(SioGetc(kPort), SIO_E_NO_DATA);
    dev.onWait = [](FakeDevice& d) { d.input.push_back('n'); };
    EXPECT_EQ(SioQuiet(kPort, 30, 200), SIO_E_TIMEOUT);
}

}  // namespace
