// kvrtool log when the data stops: a silent ECU, a device that goes away and
// comes back through the same path, a run killed outright, and an output
// folder it cannot write. Against kvrsim on pseudo-terminals.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <memory>
#include <thread>

#include "dashboard/datalog/data_log.h"
#include "dashboard/logging/log_files.h"
#include "default_values_image.h"
#include "support/data_log_read.h"
#include "support/port_environment.h"
#include "support/scratch_logs.h"
#include "support/sim_process.h"
#include "tool_process.h"
#include "dashboard/logging/trend_record.h"

namespace {

std::string scratchDir() { return makeScratchDir("kvr-loggaps"); }

// The runs of consecutive sample records, split at separators.
std::vector<std::vector<kvr::TrendRecord>> runsOf(const std::vector<kvr::TrendRecord>& records) {
    std::vector<std::vector<kvr::TrendRecord>> runs(1);
    for (const auto& r : records) {
        if (r.isSeparator()) {
            if (!runs.back().empty()) runs.emplace_back();
        } else {
            runs.back().push_back(r);
        }
    }
    if (runs.back().empty()) runs.pop_back();
    return runs;
}

double msBetween(const kvr::TrendRecord& a, const kvr::TrendRecord& b) { return (b.time - a.time) * 86400000.0; }

void sleepSeconds(double s) { std::this_thread::sleep_for(std::chrono::duration<double>(s)); }

TEST(KvrtoolLogGaps, ASilentEcuGetsNoSamplesAndTheGapIsMarkedAndReported) {
    const std::string dir = scratchDir(), name = dir + "/quiet";
    SimProcess sim({"--setup-every", "0"});
    PortEnvironment env({{3, sim.device()}});
    std::thread silence([&] {
        sleepSeconds(3.0);
        sim.signal(SIGSTOP);
        sleepSeconds(4.0);
        sim.signal(SIGCONT);
    });
    const ToolResult r = runTool({"log", "--port", "COM3", "--seconds", "9", "-o", name}, dir);
    silence.join();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("gap in the data from"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("the ECU sent no live record"), std::string::npos) << r.err;

    const auto runs = runsOf(readTrendRecords(name + ".KVL"));
    ASSERT_EQ(runs.size(), 2u) << "one gap, marked by separators";
    // Samples stop within the freshness limit (1 s) of the last record, so
    // of the 4 s silence at least 3 s hold no sample at all.
    const double gapMs = msBetween(runs[0].back(), runs[1].front());
    EXPECT_GT(gapMs, 2900.0);
    for (const auto& run : runs)
        for (size_t i = 1; i < run.size(); ++i) EXPECT_LT(msBetween(run[i - 1], run[i]), 300.0);

    // The data log marks the same gap, with its reason and length, after the
    // last row before it.
    const DataLogContents log = readDataLog(name + ".msl");
    ASSERT_TRUE(log.opened) << log.error;
    ASSERT_EQ(log.markers.size(), 1u);
    const std::string& text = log.markers[0].text;
    EXPECT_EQ(text.rfind("gap: the ECU sent no live record, ", 0), 0u) << text;
    EXPECT_GT(std::stod(text.substr(text.rfind(", ") + 2)), 2.9) << text;
    size_t after = 0;
    while (after < log.rows.size() && log.rows[after].values[0] <= log.markers[0].seconds) ++after;
    ASSERT_LT(after, log.rows.size());
    EXPECT_GT(log.rows[after].values[0] - log.markers[0].seconds, 2.9);
}

TEST(KvrtoolLogGaps, ADeviceThatComesBackThroughItsLinkIsReopenedAndTheGapMarked) {
    const std::string dir = scratchDir(), name = dir + "/replug", link = dir + "/ecu";
    auto first = std::make_unique<SimProcess>(
        std::vector<std::string>{"--fault", "hangup", "--fault-every", "25", "--setup-every", "0", "--link", link});
    PortEnvironment env({{3, link}});
    std::unique_ptr<SimProcess> second;
    std::thread replug([&] {
        sleepSeconds(4.5);  // the first hangs up after its 25th record, about 2 s in
        second = std::make_unique<SimProcess>(std::vector<std::string>{"--setup-every", "0", "--link", link});
    });
    const ToolResult r = runTool({"log", "--port", "COM3", "--seconds", "9", "-o", name}, dir);
    replug.join();
    EXPECT_EQ(r.status, 0) << "the run ended with the link up\n" << r.err;
    EXPECT_NE(r.err.find("COM3 link lost"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("COM3 link back after"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("the device went away"), std::string::npos) << r.err;
    const auto runs = runsOf(readTrendRecords(name + ".KVL"));
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_GE(runs[1].size(), 15u) << "recording resumed by itself";
    EXPECT_FALSE(kvr::fileExists(name + ".KVL.partial"));
    EXPECT_FALSE(kvr::fileExists(name + ".msl.partial"));
    const DataLogContents log = readDataLog(name + ".msl");
    ASSERT_EQ(log.markers.size(), 1u);
    EXPECT_EQ(log.markers[0].text.rfind("gap: the device went away, ", 0), 0u) << log.markers[0].text;
}

TEST(KvrtoolLogGaps, ADeviceStillGoneAtTheEndExits1AndStillSaves) {
    // Through a link the simulator removes on hanging up: the bare /dev/pts
    // path may be handed to another test's pseudo-terminal a moment later.
    const std::string dir = scratchDir(), name = dir + "/gone", link = dir + "/ecu";
    SimProcess sim({"--fault", "hangup", "--fault-every", "20", "--setup-every", "0", "--link", link});
    PortEnvironment env({{3, link}});
    const ToolResult r = runTool({"log", "--port", "COM3", "--seconds", "5", "-o", name}, dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("the device was still gone at the end"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("still open at the end"), std::string::npos) << r.err;
    EXPECT_GT(r.seconds, 4.5) << "keeps trying until --seconds runs out";
    // The status names what stops a command-line run, not a window's button.
    EXPECT_NE(r.err.find("reopening it every second (Ctrl-C or the end of --seconds stops)"), std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("Close Com Port"), std::string::npos) << r.err;
    EXPECT_LT(r.seconds, 6.5);
    EXPECT_FALSE(readTrendRecords(name + ".KVL").empty());
}

TEST(KvrtoolLogGaps, AKilledRunLeavesItsSamplesOnDisk) {
    const std::string dir = scratchDir(), name = dir + "/killed";
    SimProcess sim({"--setup-every", "0"});
    PortEnvironment env({{3, sim.device()}});
    const ToolResult r =
        runTool({"log", "--port", "COM3", "--seconds", "30", "-o", name, "--interval", "0"}, dir, 4.0, SIGKILL);
    const int64_t killedAtUnixMs = kvr::systemUnixMs() - static_cast<int64_t>(r.secondsAfterSignal * 1000.0);
    EXPECT_EQ(r.status, -1);

    // The data log's rows up to the kill: at most the last second's are
    // missing, and a row cut by the kill is left out as cut.
    const DataLogContents log = readDataLog(name + ".msl.partial");
    ASSERT_TRUE(log.opened) << log.error;
    ASSERT_GT(log.rows.size(), 100u);
    const int clock = log.column("Clock");
    ASSERT_GE(clock, 0);
    EXPECT_GT(static_cast<int64_t>(log.rows.back().values[static_cast<size_t>(clock)]), killedAtUnixMs - 1000);
    for (const auto& row : log.rows) ASSERT_EQ(row.values.size(), log.header.columns.size());
    const auto records = readTrendRecords(name + ".KVL.partial");
    // Recording starts about 1 s in; at 10 a second about 30 samples came
    // before the kill, and at most a second's worth may be missing.
    EXPECT_GE(records.size(), 20u);
    kvr::ValuesFile values;
    std::string error;
    ASSERT_TRUE(kvr::readValuesFile(name + ".KVV", values, error)) << error;
    EXPECT_EQ(values.valuesText, kvrsim::defaultValuesImage()) << "the image is written as it arrives";

    // A new run under the same name leaves the killed run's samples alone.
    const ToolResult again = runTool({"log", "--port", "COM3", "--seconds", "2", "-o", name}, dir);
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("holds the data of an earlier run"), std::string::npos) << again.err;
    EXPECT_EQ(readTrendRecords(name + ".KVL.partial").size(), records.size());
}

TEST(KvrtoolLogGaps, AnUnwritableOutputFailsAtOnceWithoutOpeningThePort) {
    const std::string dir = scratchDir();
    SimProcess sim({"--setup-every", "0"});
    PortEnvironment env({{3, sim.device()}});
    const ToolResult r = runTool({"log", "--port", "COM3", "--seconds", "20", "-o", "/no/such/dir/x"}, dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_LT(r.seconds, 1.0);
    EXPECT_NE(r.err.find("cannot write the log: /no/such/dir/x.KVL.partial: No such file or directory"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("logging COM3"), std::string::npos) << "the port was never opened";
}

TEST(KvrtoolLogFullRate, IntervalZeroPollsAsFastAsTheEcuAnswersAndRecordsEveryRecord) {
    const std::string dir = scratchDir(), name = dir + "/fast", csv = dir + "/records.csv";
    SimProcess sim({"--setup-every", "0"});
    PortEnvironment env({{3, sim.device()}});
    const ToolResult r = runTool(
        {"log", "--port", "COM3", "--seconds", "4", "-o", name, "--interval", "0", "--records", csv}, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream rows(readWholeFile(csv));
    std::string line;
    std::getline(rows, line);
    EXPECT_EQ(line.rfind("time,rpm (1/min),map (", 0), 0u) << line;
    int count = 0;
    while (std::getline(rows, line)) {
        ++count;
        EXPECT_EQ(std::count(line.begin(), line.end(), ','), 15) << line;
        EXPECT_EQ(line[4], '-') << "an ISO date first: " << line;
    }
    // The window's tick allows 25 a second; the line allows about 85. About
    // 3 s of polling after the image: well over the tick's 75 even on a busy machine.
    EXPECT_GT(count, 110) << r.err;
    // The chart still samples every 100 ms.
    EXPECT_LT(readTrendRecords(name + ".KVL").size(), 45u);
    // The data log has a row for each record the CSV has (both take every
    // good record once the link is live).
    const DataLogContents log = readDataLog(name + ".msl");
    ASSERT_TRUE(log.opened) << log.error;
    EXPECT_NEAR(static_cast<double>(log.rows.size()), count, 1.0);
}

TEST(KvrtoolLogFullRate, BadIntervalsAreUsageErrors) {
    const std::string dir = scratchDir();
    for (const char* bad : {"-1", "10000", "abc", "45ms", ""}) {
        const ToolResult r = runTool({"log", "--port", "COM3", "--seconds", "1", "-o", dir + "/x", "--interval", bad}, dir);
        EXPECT_EQ(r.status, 2) << bad;
    }
}

}  // namespace
