// The session hands every good live record to each registered sink once, in
// the order they arrived and in the order the sinks registered, and tells
// them every change of the link's state, over a drive with a stopped ECU and
// a device that vanishes and comes back.
#include <gtest/gtest.h>

#include <sstream>

#include "dashboard/session/session.h"
#include "simulated_wire.h"

namespace kvr {
namespace {

// Keeps what it is told; numbers come from the simulator's positions 61-64.
class CountingSink : public RecordSink {
public:
    CountingSink(std::string name, std::vector<std::string>& calls) : name_(std::move(name)), calls_(calls) {}
    void onRecord(const LiveRecord& record) override {
        numbers.push_back(std::stoi(record.line.substr(60, 4), nullptr, 16));
        calls_.push_back(name_);
    }
    void onLinkChange(const LinkChange& change) override {
        changes.push_back(change);
        calls_.push_back(name_ + " link");
    }
    std::vector<int> numbers;
    std::vector<LinkChange> changes;

private:
    std::string name_;
    std::vector<std::string>& calls_;
};

// The numbers of the whole, correctly summed live records in a byte stream,
// judged by rebuilding each line's checksum.
std::vector<int> goodRecordsIn(const std::string& stream) {
    std::vector<int> numbers;
    std::istringstream lines(stream);
    for (std::string line; std::getline(lines, line);) {
        if (line.size() == 66 && line[0] == '*' && sealLiveRecord(line.substr(0, 64)) == line)
            numbers.push_back(std::stoi(line.substr(60, 4), nullptr, 16));
    }
    return numbers;
}

TEST(SessionSinks, EveryGoodRecordOnceInOrderAndEveryLinkChange) {
    kvrsim::SimulatorSettings settings;
    settings.fault = kvrsim::Fault::BadChecksum;  // every fifth record is spoilt
    settings.numberRecords = true;
    settings.setupEvery = 1.0;
    test::SimulatedWire wire(settings);
    MessageLog messages;
    Session session(wire.port, messages);
    session.monotonicMs = [&] { return wire.now; };
    std::vector<std::string> calls;
    CountingSink first("first", calls), second("second", calls), dropped("dropped", calls);
    session.addSink(first);
    session.addSink(second);
    session.addSink(dropped);
    session.removeSink(dropped);

    session.start();
    session.openChosenPort();
    wire.run(session, 3000);
    wire.stopped = true;  // the ECU stops for 2 s: the data goes stale
    wire.run(session, 2000);
    wire.stopped = false;
    wire.run(session, 2000);
    wire.vanish();  // the adapter is pulled for 1.5 s
    wire.run(session, 1500);
    wire.port.gone = false;
    wire.run(session, 3000);
    wire.stopped = true;  // the line drains, then the port is closed
    wire.run(session, 300);
    session.closePort();

    const std::vector<int> sent = goodRecordsIn(wire.fed);
    ASSERT_GT(sent.size(), 100u);
    EXPECT_EQ(first.numbers, sent) << "every good record that reached the port, once, in order";
    EXPECT_EQ(second.numbers, sent);
    EXPECT_TRUE(dropped.numbers.empty()) << "an unregistered sink hears nothing";
    for (int n : sent) EXPECT_NE(n % 5, 0) << "a spoilt record is never handed on";

    using S = LinkState;
    const std::vector<std::pair<S, S>> expected = {
        {S::Closed, S::Waiting}, {S::Waiting, S::Live},    {S::Live, S::Silent},  {S::Silent, S::Live},
        {S::Live, S::DeviceGone}, {S::DeviceGone, S::Waiting}, {S::Waiting, S::Live}, {S::Live, S::Closed},
    };
    std::vector<std::pair<S, S>> seen;
    for (const LinkChange& c : first.changes) seen.emplace_back(c.from, c.to);
    EXPECT_EQ(seen, expected);
    ASSERT_EQ(second.changes.size(), expected.size());
    // The stale data's gap ran from the newest record to the first new one.
    const LinkChange& back = first.changes[3];
    EXPECT_GT(back.atMs - back.liveUntilMs, 2000);
    EXPECT_LT(back.atMs - back.liveUntilMs, 2600);

    // Each record and change reaches the sinks in the order they registered.
    for (size_t i = 0; i + 1 < calls.size(); i += 2) {
        ASSERT_EQ(calls[i].substr(0, 5), "first") << i;
        ASSERT_EQ(calls[i + 1], "second" + calls[i].substr(5)) << i;
    }
}

}  // namespace
}  // namespace kvr
