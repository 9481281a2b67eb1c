// Polling keeps one poll in flight: after the ECU stops answering for a
// while, the session does not pile up polls, and once it answers again the
// records come at the data interval, not back to back as fast as the line
// allows.
#include <gtest/gtest.h>

#include "dashboard/session/session.h"
#include "simulated_wire.h"

namespace kvr {
namespace {

class PollPacing : public ::testing::Test {
protected:
    PollPacing() : session(wire.port, messages) {
        session.monotonicMs = [this] { return wire.now; };
        session.start();
        session.openChosenPort();
        wire.run(session, 2000);  // the image, then polling
    }
    // Polls sent whose record has not arrived yet.
    int inFlight() const { return wire.pollsSent - wire.recordsArrived(); }
    // Records per second over the next `ms`, and the most polls in flight.
    std::pair<double, int> watch(int64_t ms) {
        const int before = wire.ecu.recordsSent();
        int most = 0;
        for (int64_t t = 0; t < ms; t += 5) {
            wire.run(session, 5);
            most = std::max(most, inFlight());
        }
        return {(wire.ecu.recordsSent() - before) * 1000.0 / static_cast<double>(ms), most};
    }

    test::SimulatedWire wire;
    MessageLog messages;
    Session session;
};

TEST_F(PollPacing, AfterAThreeSecondSilenceOnePollIsInFlight) {
    ASSERT_TRUE(session.linkLive());
    const auto [steadyRate, steadyMost] = watch(2000);
    EXPECT_LE(steadyMost, 1);
    EXPECT_GT(steadyRate, 20) << "a record a tick at the 45 ms data interval";
    EXPECT_LE(steadyRate, 1000.0 / 40 + 1);

    // A stopped ECU: its input piles up unread, nothing comes back.
    wire.stopped = true;
    const int pollsBefore = wire.pollsSent;
    wire.run(session, 3000);
    const int pollsInSilence = wire.pollsSent - pollsBefore;
    EXPECT_LE(pollsInSilence, 3000 / session.pollTimeoutMs() + 1)
        << "a poll is sent again only when the last one has waited past its timeout";
    EXPECT_GE(pollsInSilence, 3000 / session.pollTimeoutMs() - 1) << "but it is sent again";

    // It wakes, reads every poll that piled up and answers each. The session
    // answers at most one record a tick, so the surplus drains away.
    wire.stopped = false;
    wire.run(session, 1000);
    const auto [rate, most] = watch(3000);
    EXPECT_LE(most, 1) << "one poll in flight at a time once the surplus is answered";
    EXPECT_LE(rate, 1000.0 / 40 + 1) << "records at the data interval, not as fast as the line allows";
    EXPECT_GT(rate, 20);
}

TEST_F(PollPacing, ARecordAnsweredAtOnceIsPolledForAtOnce) {
    // The record's poll goes out in the tick that read it: nothing waits a tick.
    const int polls = wire.pollsSent;
    const int records = wire.ecu.recordsSent();
    wire.run(session, 400);
    EXPECT_EQ(wire.pollsSent - polls, wire.ecu.recordsSent() - records);
    EXPECT_GT(wire.ecu.recordsSent() - records, 8);
}

}  // namespace
}  // namespace kvr
