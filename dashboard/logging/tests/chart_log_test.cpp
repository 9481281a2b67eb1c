// The chart log: what decides recording (the switch, its thresholds, fresh
// data), the 100 ms sampler, the gaps, the journal beside the store, and an
// opened log that is for viewing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>

#include "dashboard/link/ecu_lines.h"
#include "dashboard/logging/chart_log.h"
#include "dashboard/logging/sample_journal.h"
#include "dashboard/logging/trend_file.h"

namespace kvr {
namespace {

LiveRecord record(int throttle, int64_t atMs) {
    LiveFields f;
    f.throttle = throttle;
    std::string line = sealLiveRecord(liveRecordBody(f));
    correctIgnition(line);
    LiveRecord r = decodeLiveRecord(line, {});
    r.arrivalMs = atMs;
    return r;
}

LinkChange change(LinkState from, LinkState to, int64_t atMs) { return LinkChange{from, to, atMs, 0}; }

class ChartLogTest : public ::testing::Test {
protected:
    ChartLogTest() : log([this] { return days; }) {
        log.onRecordingChanged = [this](bool on) { switches.push_back(on); };
    }
    void live(int64_t atMs) { log.onLinkChange(change(LinkState::Waiting, LinkState::Live, atMs)); }
    void stale(int64_t atMs) { log.onLinkChange(change(LinkState::Live, LinkState::Silent, atMs)); }
    void back(int64_t atMs) { log.onLinkChange(change(LinkState::Silent, LinkState::Live, atMs)); }
    void samples(int n) {
        for (int i = 0; i < n; ++i) {
            days += 0.1 / 86400;
            log.takeSample();
        }
    }
    int separators() const {
        int n = 0;
        for (const TrendRecord& r : log.store().records()) n += r.isSeparator();
        return n;
    }

    double days = 46000.5;
    ChartLog log;
    std::vector<bool> switches;
};

TEST_F(ChartLogTest, RecordsOnlyWhileTheRulesSaySoAndTheDataIsFresh) {
    log.setLoggingSwitch(kLogThrottleAbove);
    live(0);
    log.onRecord(record(10, 0));
    EXPECT_FALSE(log.recording()) << "throttle 10 is not above 20";
    samples(3);
    EXPECT_EQ(log.store().count(), 0);

    log.onRecord(record(30, 40));
    EXPECT_TRUE(log.recording());
    EXPECT_EQ(log.note(), "Logging...");
    samples(3);
    EXPECT_EQ(log.store().count(), 3);

    stale(1100);
    EXPECT_FALSE(log.recording()) << "stale data is not recorded, whatever the rules";
    EXPECT_TRUE(log.rules.on);
    samples(3);
    EXPECT_EQ(log.store().count(), 3);
    EXPECT_EQ(switches, (std::vector<bool>{true, false}));
}

TEST_F(ChartLogTest, AGapIsMarkedAfterItsLastRecordInTheStoreAndTheJournalAlike) {
    char templ[] = "/tmp/kvr-chartlog-XXXXXX";
    ASSERT_NE(::mkdtemp(templ), nullptr);
    const std::string file = std::string(templ) + "/run.KVL";
    auto journal = std::make_shared<SampleJournal>();
    std::string error;
    ASSERT_TRUE(journal->open(file, error)) << error;
    log.attachJournal(journal);

    log.setLoggingSwitch(kLogGo);
    live(0);
    log.onRecord(record(30, 0));
    samples(4);
    const TrendRecord lastBefore = log.store().back();
    stale(1000);
    back(4000);
    samples(2);
    ASSERT_EQ(log.store().count(), 4 + 5 + 2);
    EXPECT_EQ(separators(), 5);
    for (int i = 4; i < 9; ++i) {
        EXPECT_TRUE(log.store().at(i).isSeparator()) << i;
        EXPECT_EQ(log.store().at(i).digits, lastBefore.digits) << "the lines run on flat across the break";
    }
    EXPECT_FALSE(log.store().at(3).isSeparator()) << "the last record before the gap stays before it";

    log.closeJournal(false);
    TrendStore written;
    ASSERT_EQ(appendTrendFile(file, written), 0);
    ASSERT_EQ(written.count(), log.store().count());
    for (int i = 0; i < written.count(); ++i) {
        EXPECT_EQ(written.at(i).time, log.store().at(i).time) << i;
        EXPECT_EQ(written.at(i).digits, log.store().at(i).digits) << i;
    }
    std::system(("rm -rf '" + std::string(templ) + "'").c_str());
}

TEST_F(ChartLogTest, KeepsEveryRecordOfALongSession) {
    log.setLoggingSwitch(kLogGo);
    live(0);
    log.onRecord(record(30, 0));
    samples(300000 + 2000);  // past what the chart once trimmed to, some 8.3 hours
    EXPECT_EQ(log.store().count(), 302000);
    EXPECT_EQ(log.unsavedRecords(), 302000);
    EXPECT_DOUBLE_EQ(log.store().at(0).time, 46000.5 + 0.1 / 86400) << "the start is still there";
}

TEST_F(ChartLogTest, SamplesKeepTheirRhythmAndStartOneIntervalAfterRecordingDoes) {
    log.setLoggingSwitch(kLogGo);
    live(1000);
    log.onRecord(record(30, 1000));
    EXPECT_FALSE(log.sampleIfDue(1099));
    EXPECT_TRUE(log.sampleIfDue(1100));
    EXPECT_FALSE(log.sampleIfDue(1150));
    EXPECT_TRUE(log.sampleIfDue(1230)) << "late, but due";
    EXPECT_TRUE(log.sampleIfDue(1300)) << "the rhythm holds: 1300 was due";
    EXPECT_TRUE(log.sampleIfDue(5000)) << "far behind";
    EXPECT_FALSE(log.sampleIfDue(5050)) << "a new rhythm from where it caught up";
    EXPECT_TRUE(log.sampleIfDue(5100));
    EXPECT_EQ(log.store().count(), 5);
}

TEST_F(ChartLogTest, AnOpenedLogIsForViewingUntilLoggingIsSwitchedOnAgain) {
    char templ[] = "/tmp/kvr-chartlog-XXXXXX";
    ASSERT_NE(::mkdtemp(templ), nullptr);
    const std::string file = std::string(templ) + "/old.KVL";
    {
        ChartLog other([] { return 45000.5; });
        other.setLoggingSwitch(kLogGo);
        other.onLinkChange(change(LinkState::Waiting, LinkState::Live, 0));
        other.onRecord(record(30, 0));
        for (int i = 0; i < 7; ++i) other.takeSample();
        ASSERT_EQ(other.saveTo(file), 0);
    }
    log.setLoggingSwitch(kLogGo);
    live(0);
    log.onRecord(record(30, 0));
    samples(3);

    ASSERT_EQ(log.open(file), 0);
    EXPECT_EQ(log.store().count(), 7);
    EXPECT_FALSE(log.recording());
    EXPECT_EQ(log.rules.loggingSwitch, kLogStop) << "the switch shows that nothing is recorded";
    log.onRecord(record(30, 100));
    samples(3);
    EXPECT_EQ(log.store().count(), 7) << "live records are not appended to an opened log";

    log.setLoggingSwitch(kLogGo);
    EXPECT_EQ(log.store().count(), 0) << "switching logging on starts a new log";
    log.onRecord(record(30, 200));
    samples(2);
    EXPECT_EQ(log.store().count(), 2);
    EXPECT_EQ(separators(), 0);
    std::system(("rm -rf '" + std::string(templ) + "'").c_str());
}

}  // namespace
}  // namespace kvr
