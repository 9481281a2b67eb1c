// The data log inside a whole dashboard core: the simulator's ECU on an
// in-memory port with a clock the test moves, the chart log deciding what is
// kept, real files in a scratch folder. Every good record while recording is
// one row with every field; gaps and markers are MARK lines; save, open,
// discard and export carry the rows and the markers.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "../../logging/tests/scripted_prompts.h"
#include "../../session/tests/simulated_wire.h"
#include "dashboard/dashboard_core.h"
#include "dashboard/datalog/msl_format.h"
#include "dashboard/logging/log_files.h"
#include "dashboard/logging/recovery_logs.h"
#include "widgets/model/trend_time.h"

namespace kvr {
namespace {

struct ReadLog {
    LogHeader header;
    std::vector<LogRow> rows;
    std::vector<LogMarker> markers;
    std::string note;
};

ReadLog readMsl(const std::string& path) {
    ReadLog out;
    MslReader reader;
    std::string error;
    EXPECT_TRUE(reader.open(path, error)) << error;
    LogItem item;
    while (reader.next(item)) {
        if (item.kind == LogItem::Row)
            out.rows.push_back(item.row);
        else
            out.markers.push_back(item.marker);
    }
    EXPECT_EQ(reader.error(), "");
    out.header = reader.header();
    out.note = reader.note();
    return out;
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class DataLogSession : public ::testing::Test {
protected:
    DataLogSession() : core(wire.port) {
        char pattern[] = "/tmp/kvr-datalog-XXXXXX";
        dir = ::mkdtemp(pattern);
        core.prompts = &prompts;
        core.session.monotonicMs = [this] { return wire.now; };
        // The wall clock follows the test's clock, from 2026-12-08 16:00 UTC.
        core.dataLog.unixClock = [this] { return kStartUnixMs + wire.now; };
        core.chartLog.wallClock = [this] { return localDaysFromUnixMs(kStartUnixMs + wire.now); };
        core.chartLog.recoveryDirectory = dir + "/state";
        core.session.addSink(counter);
        core.start();
        core.session.openChosenPort();
    }
    ~DataLogSession() override {
        core.session.closePort();
        core.closeRecoveryLog();
        std::string command = "rm -rf '" + dir + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
    }

    // Runs the wire, the chart's 100 ms samples and the session together.
    void run(int64_t ms) {
        for (int64_t end = wire.now + ms; wire.now < end;) {
            wire.run(core.session, 10);
            core.session.checkLink();
            core.chartLog.sampleIfDue(wire.now);
        }
    }

    static constexpr int64_t kStartUnixMs = 1796745600000 - 1000000;
    test::SimulatedWire wire;
    DashboardCore core;
    ScriptedPrompts prompts;
    std::string dir;
    // The records the chart log kept (it runs before this sink).
    int recorded = 0;
    RecordFunction counter{[this](const LiveRecord&) { recorded += core.chartLog.recording(); }};
};

TEST_F(DataLogSession, EveryRecordKeptIsOneRowWithEveryFieldAndEachGapIsMarked) {
    run(2500);
    EXPECT_EQ(core.dataLog.rows(), 0) << "Stop: nothing is kept";
    EXPECT_FALSE(core.dataLog.isOpen());
    core.setLoggingSwitch(kLogGo);
    run(2000);
    EXPECT_TRUE(core.placeMarker("pulled in 3rd"));
    run(1000);
    wire.stopped = true;  // the ECU is silent for 2.5 s
    run(2500);
    wire.stopped = false;
    run(1500);
    wire.vanish();  // the adapter is pulled for 2 s
    run(2000);
    wire.port.gone = false;
    run(2500);

    ASSERT_TRUE(core.dataLog.isOpen());
    const std::string path = core.dataLogFile();
    EXPECT_EQ(path, dataLogNameFor(core.chartLog.recoveryLogName())) << "beside the recovery journal";
    const ReadLog log = readMsl(path);
    ASSERT_GT(recorded, 100);
    EXPECT_EQ(static_cast<int64_t>(log.rows.size()), recorded) << "one row for each record kept, none other";
    EXPECT_EQ(core.dataLog.rows(), recorded);

    // The columns and units, and the start as the first row's arrival.
    ASSERT_EQ(log.header.columns.size(), static_cast<size_t>(kDataLogColumns));
    const LogHeader expected = dataLogHeader({MapForm::Gauge, 'F'}, 0, 0);
    for (int c = 0; c < kDataLogColumns; ++c) {
        EXPECT_EQ(log.header.columns[c].name, expected.columns[c].name);
        EXPECT_EQ(log.header.columns[c].unit, expected.columns[c].unit) << expected.columns[c].name;
    }
    EXPECT_EQ(log.header.startUnixMs, static_cast<int64_t>(log.rows[0].values[kColClock]));
    for (const LogRow& row : log.rows) {
        for (int c : {kColMap, kColMapKpa, kColIgnition, kColDuty, kColKnob, kColThrottle, kColBattery,
                      kColAfr, kColEngineTemp, kColAirTemp, kColPulse, kColRpm, kColOutputs, kColFuelPump})
            ASSERT_FALSE(isMissing(row.values[static_cast<size_t>(c)])) << log.header.columns[c].name;
        EXPECT_TRUE(isMissing(row.values[kColO2])) << "the simulator sends an air/fuel ratio";
        EXPECT_NEAR(row.values[kColTime] * 1000.0 + log.header.startUnixMs, row.values[kColClock], 0.5);
        EXPECT_GT(row.values[kColRpm], 300);
    }

    // The user's marker and one for each gap, with its reason and length.
    ASSERT_EQ(log.markers.size(), 3u);
    EXPECT_EQ(log.markers[0].text, "pulled in 3rd");
    EXPECT_EQ(log.markers[1].text.rfind("gap: the ECU sent no live record, ", 0), 0u) << log.markers[1].text;
    EXPECT_EQ(log.markers[2].text.rfind("gap: the device went away, ", 0), 0u) << log.markers[2].text;
    const double silence = std::stod(log.markers[1].text.substr(log.markers[1].text.rfind(", ") + 2));
    EXPECT_GT(silence, 2.4);
    EXPECT_LT(silence, 3.5);
    // Each gap's marker follows the last row before it: the next row is
    // seconds later.
    for (size_t m = 1; m < 3; ++m) {
        size_t after = 0;
        while (after < log.rows.size() && log.rows[after].values[kColTime] <= log.markers[m].seconds)
            ++after;
        ASSERT_LT(after, log.rows.size());
        EXPECT_GT(log.rows[after].values[kColTime] - log.markers[m].seconds, 1.9);
    }
    EXPECT_EQ(core.chartLog.markers().size(), 3u);
}

TEST_F(DataLogSession, SaveWritesTheRowsWithRenamedMarkersAndOpenBringsThemBack) {
    core.setLoggingSwitch(kLogGo);
    run(2500);
    ASSERT_TRUE(core.placeMarker());
    run(1000);
    ASSERT_TRUE(core.placeMarker("knock"));
    run(1000);
    core.chartLog.renameMarker(0, "pulled\there");
    EXPECT_EQ(core.chartLog.markers()[0].text, "pulled here") << "one line, no tabs";

    prompts.answers.push_back(dir + "/pull.KVL");
    ASSERT_TRUE(core.saveLog());
    const ReadLog saved = readMsl(dir + "/pull.msl");
    EXPECT_EQ(saved.rows.size(), static_cast<size_t>(core.dataLog.rows()));
    ASSERT_EQ(saved.markers.size(), 2u);
    EXPECT_EQ(saved.markers[0].text, "pulled here");
    EXPECT_EQ(saved.markers[1].text, "knock");
    EXPECT_EQ(core.dataLog.unsavedRows(), 0);
    EXPECT_TRUE(core.dataLog.isOpen()) << "recording goes on into the same data log";

    // Recording on after the save: the next save has every row.
    run(1000);
    EXPECT_GT(core.dataLog.unsavedRows(), 10);
    prompts.answers.push_back(dir + "/pull2.KVL");
    ASSERT_TRUE(core.saveLog());
    EXPECT_EQ(readMsl(dir + "/pull2.msl").rows.size(), static_cast<size_t>(core.dataLog.rows()));

    // Opened in a new dashboard: the markers on the records they were placed on.
    MemorySerialPort noPort;
    DashboardCore other(noPort);
    ScriptedPrompts otherPrompts;
    other.prompts = &otherPrompts;
    other.loadLog(dir + "/pull.KVL");
    ASSERT_EQ(other.chartLog.markers().size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        const ChartMarker& was = core.chartLog.markers()[i];
        const ChartMarker& back = other.chartLog.markers()[i];
        EXPECT_EQ(back.text, was.text);
        EXPECT_NEAR((back.time - was.time) * 86400.0, 0.0, 0.05) << "placed at its row's time";
        EXPECT_NEAR(back.record, was.record, 1);
    }
    EXPECT_EQ(other.dataLogFile(), dir + "/pull.msl");

    // Exported from the opened log, the markers and every row go along.
    for (const char* ext : {"mlg", "csv", "msl"}) {
        const std::string out = dir + "/out." + ext;
        const ExportResult r = other.exportLog(out, *exportFormatOfPath(out), {});
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.markers, 2) << ext;
        EXPECT_EQ(r.rows, static_cast<int64_t>(saved.rows.size())) << ext;
    }
    EXPECT_NE(fileText(dir + "/out.csv").find(",pulled here\n"), std::string::npos);
}

TEST_F(DataLogSession, DiscardingTheLogRemovesItsDataLogAndTheQuestionsCountItsRows) {
    core.setLoggingSwitch(kLogGo);
    run(2500);
    const std::string path = core.dataLogFile();
    ASSERT_TRUE(fileExists(path));
    prompts.choices.push_back(2);  // Cancel
    core.eraseLog();
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_NE(prompts.questions[0].find("full-rate data log rows"), std::string::npos)
        << prompts.questions[0];
    EXPECT_TRUE(fileExists(path));
    prompts.choices.push_back(1);  // Discard
    core.eraseLog();
    EXPECT_FALSE(fileExists(path));
    EXPECT_EQ(core.dataLog.unsavedRows(), 0);
}

TEST_F(DataLogSession, ARunThatEndsUnsavedLeavesItsDataLogForTheRecoveryPrompt) {
    core.setLoggingSwitch(kLogGo);
    run(2500);
    const int64_t rows = core.dataLog.rows();
    const std::string chartFile = core.chartLog.recoveryLogName();
    core.session.closePort();
    core.closeRecoveryLog();
    ASSERT_TRUE(fileExists(dataLogNameFor(chartFile)));

    const auto left = findLeftLogs(core.chartLog.recoveryDirectory);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].dataLogRows, rows);
    EXPECT_NE(leftLogQuestion(left[0]).find("full-rate data log of " + std::to_string(rows) + " rows"),
              std::string::npos);
    removeLogPair(left[0].chartFile);
    EXPECT_FALSE(fileExists(dataLogNameFor(chartFile)));
}

}  // namespace
}  // namespace kvr
