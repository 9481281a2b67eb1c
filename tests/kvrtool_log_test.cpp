// kvrtool log against the simulator over a pseudo-terminal, and kvrtool csv
// reading such a log (and hand-made ones) back.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <cmath>
#include <cstring>
#include <regex>

#include "support/csv_rows.h"
#include "dashboard/dashboard_core.h"
#include "dashboard/logging/log_files.h"
#include "dashboard/link/memory_serial_port.h"
#include "dashboard/values/values_image_builder.h"
#include "default_values_image.h"
#include "support/port_environment.h"
#include "support/scratch_logs.h"
#include "support/sim_process.h"
#include "tool_process.h"
#include "dashboard/logging/trend_record.h"
#include "widgets/model/trend_recorder.h"

namespace {

std::string scratchDir() { return makeScratchDir("kvr-logtool"); }

void writeRecords(const std::string& path, const std::vector<kvr::TrendRecord>& records,
                  size_t extraBytes = 0) {
    std::string bytes;
    for (const auto& r : records) {
        unsigned char b[kvr::kTrendRecordBytes];
        kvr::encodeTrendRecord(r, b);
        bytes.append(reinterpret_cast<const char*>(b), sizeof b);
    }
    bytes.append(extraBytes, '\x7f');
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string valuesLine(const std::string& kvv) {
    kvr::ValuesFile file;
    std::string error;
    EXPECT_TRUE(kvr::readValuesFile(kvv, file, error)) << error;
    return file.valuesText;
}

using Row = CsvRow;

// Names with units; the channels as stored, MAP in kPa after the MAP channel.
const char kHeader[] =
    "Time (s),Clock (local time),RPM (1/min),AFR (AFR),MAP (inHg/psi),MAP kPa (kPa),Ignition (deg),TPS (counts),"
    "IAT (deg),Knock (counts),Duty (%),Marker";
// The CSV column of chart channel 1..8.
constexpr size_t kChannelColumn[9] = {0, 2, 3, 4, 6, 7, 8, 9, 10};

TEST(KvrtoolLog, RecordsTheSimulatorEvery100msAndCsvReadsItBack) {
    SimProcess sim({"--setup-every", "0"});
    PortEnvironment env({{3, sim.device()}});
    const std::string dir = scratchDir(), name = dir + "/run";
    const ToolResult r = runTool({"log", "--port", "COM3", "--seconds", "3", "-o", name}, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_LT(r.seconds, 4.0);
    EXPECT_NE(r.err.find("values image received"), std::string::npos) << "progress on stderr:\n" << r.err;

    EXPECT_EQ(readWholeFile(name + ".KVL").size() % kvr::kTrendRecordBytes, 0u);
    const auto records = readTrendRecords(name + ".KVL");
    // Recording starts with the first live record, after the image (about a second).
    ASSERT_GE(records.size(), 12u);
    EXPECT_LE(records.size(), 31u);
    // Samples keep a 100 ms rhythm; a late one (busy machine) does not shift the rest.
    const double spanMs = (records.back().time - records.front().time) * 86400000.0;
    EXPECT_NEAR(spanMs / static_cast<double>(records.size() - 1), 100.0, 10.0);
    for (size_t i = 1; i < records.size(); ++i)
        EXPECT_LT((records[i].time - records[i - 1].time) * 86400000.0, 300.0) << "record " << i;
    EXPECT_EQ(valuesLine(name + ".KVV"), kvrsim::defaultValuesImage());

    const ToolResult csv = runTool({"csv", name + ".KVL", "--values", name + ".KVV"}, dir);
    ASSERT_EQ(csv.status, 0) << csv.err;
    const auto rows = csvRows(csv.out);
    ASSERT_EQ(rows.size(), records.size() + 1);
    EXPECT_EQ(csv.out.substr(0, csv.out.find('\n')), kHeader);
    const std::regex localTime(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3})");
    for (size_t i = 1; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].size(), 11u);
        EXPECT_NEAR(csvNumber(rows[i][0]), (records[i - 1].time - records[0].time) * 86400.0, 0.0015);
        EXPECT_TRUE(std::regex_match(rows[i][1], localTime)) << rows[i][1];
        EXPECT_GT(csvNumber(rows[i][2]), 300.0f) << "RPM of an idling engine or faster";
        EXPECT_LT(csvNumber(rows[i][2]), 9000.0f);
        EXPECT_GT(csvNumber(rows[i][3]), 10.0f) << "AFR";
        EXPECT_LT(csvNumber(rows[i][3]), 19.0f);
    }
}

TEST(KvrtoolLog, ASilentEcuNeverMakesItOutlastItsSeconds) {
    // A device nobody answers on: no image ever comes.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    PortEnvironment env({{3, ::ptsname(master)}});
    const std::string dir = scratchDir(), name = dir + "/silent";
    const ToolResult r = runTool({"log", "--port", "COM3", "--seconds", "2", "-o", name}, dir);
    ::close(master);
    EXPECT_EQ(r.status, 1);
    EXPECT_LT(r.seconds, 3.0);
    EXPECT_NE(r.err.find("no values image came from COM3"), std::string::npos) << r.err;
    EXPECT_EQ(readWholeFile(name + ".KVL"), "");
    EXPECT_EQ(readWholeFile(name + ".KVV"), "\r\n") << "an empty image line, as the dashboard saves it";

    // The image comes, but no poll is ever answered.
    SimProcess sim({"--fault", "silence", "--fault-every", "1", "--setup-every", "0"});
    PortEnvironment::set(3, sim.device());
    const ToolResult quiet = runTool({"log", "--port", "COM3", "--seconds", "2", "-o", name}, dir);
    EXPECT_EQ(quiet.status, 1);
    EXPECT_LT(quiet.seconds, 3.0);
    EXPECT_NE(quiet.err.find("no live record came from COM3"), std::string::npos) << quiet.err;
    EXPECT_EQ(valuesLine(name + ".KVV"), kvrsim::defaultValuesImage());
}

TEST(KvrtoolLog, CtrlCEndsItEarlyAndStillSaves) {
    SimProcess sim({"--setup-every", "0"});
    PortEnvironment env({{3, sim.device()}});
    const std::string dir = scratchDir(), name = dir + "/cut";
    const ToolResult r = runTool({"log", "--port", "COM3", "--seconds", "30", "-o", name}, dir, 2.5, SIGINT);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_LT(r.secondsAfterSignal, 0.5);
    EXPECT_NE(r.err.find("stopped early"), std::string::npos) << r.err;
    EXPECT_GE(readTrendRecords(name + ".KVL").size(), 3u);
    EXPECT_EQ(valuesLine(name + ".KVV"), kvrsim::defaultValuesImage());
}

TEST(KvrtoolCsv, ReadsStoredDigitsBackAsTheLogChartDoes) {
    const std::string dir = scratchDir(), kvl = dir + "/hand.KVL";
    // 2025-01-01 is day 45658; 13:05:03.250 into it.
    kvr::TrendRecord sample;
    sample.time = 45658.0 + (13 * 3600 + 5 * 60 + 3.25) / 86400.0;
    sample.digits = {3000, 592, 500, 1000, 0, 65535, 7, 1};
    kvr::TrendRecord separator;
    separator.digits = sample.digits;
    writeRecords(kvl, {sample, separator, sample}, 10);  // and a cut-off record

    // No values file: the chart's design ranges.
    ToolResult r = runTool({"csv", kvl}, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    auto rows = csvRows(r.out);
    ASSERT_EQ(rows.size(), 4u) << r.out;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), kHeader);
    EXPECT_EQ(rows[1][1], "2025-01-01T13:05:03.250");
    // The break: its Time, every value empty (no copied values to skew an
    // average), and a marker with its length.
    EXPECT_EQ(rows[2], (CsvRow{"0.000", "", "", "", "", "", "", "", "", "", "", "gap: 0.0 s"}));
    EXPECT_EQ(csvNumber(rows[1][2]), 3000.0f) << "1 rpm a digit";
    EXPECT_EQ(csvNumber(rows[1][3]), static_cast<float>(7 + 592 * 0.013));
    EXPECT_EQ(csvNumber(rows[1][4]), static_cast<float>(-30 + 500 * 0.06)) << "MP";
    EXPECT_NEAR(csvNumber(rows[1][5]), 101.325 + (-30 + 500 * 0.06) * 3.38639, 0.01) << "MAP kPa";
    // Below ValueFrom wraps to 65535 and reads back far above the top.
    EXPECT_EQ(csvNumber(rows[1][8]), static_cast<float>(-60 + 65535 * 0.31));

    // With the log's values file, as opening it leaves the chart: MAP sensor
    // code 16 gives channel 3 the range 0 .. 65.
    const std::string image = kvr::ValuesImageBuilder().setByte(7, 0x10).text();
    std::string error;
    ASSERT_TRUE(kvr::writeValuesFile(dir + "/hand.KVV", {image, {"a note"}}, error)) << error;
    kvr::MemorySerialPort noPort;
    kvr::DashboardCore loaded(noPort);
    loaded.session.valuesText = image;
    loaded.fillSheets();
    ASSERT_EQ(loaded.chartLog.channel(3).ValueTo(), 65.0f);
    for (const auto& args : {std::vector<std::string>{"csv", kvl, "--values", dir + "/hand.KVV"},
                             std::vector<std::string>{"csv", kvl}}) {
        r = runTool(args, dir);
        ASSERT_EQ(r.status, 0) << r.err;
        rows = csvRows(r.out);
        ASSERT_EQ(rows.size(), 4u);
        for (int ch = 0; ch < 8; ++ch) {
            EXPECT_EQ(csvNumber(rows[1][kChannelColumn[ch + 1]]),
                      kvr::readBackValue(loaded.chartLog.channel(ch + 1), sample.digits[ch]))
                << "channel " << ch + 1 << " with " << args.size() << " arguments";
        }
    }

    // A companion whose image line is too short to decode leaves the design ranges, as opening
    // does; the same file named with --values is refused.
    ASSERT_TRUE(kvr::writeValuesFile(dir + "/hand.KVV", {image.substr(0, 1999), {}}, error)) << error;
    r = runTool({"csv", kvl, "-o", dir + "/out.csv"}, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    rows = csvRows(readWholeFile(dir + "/out.csv"));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(csvNumber(rows[1][4]), static_cast<float>(-30 + 500 * 0.06));
    r = runTool({"csv", kvl, "--values", dir + "/hand.KVV"}, dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(dir + "/hand.KVV is not a values file: line 1 has 1999 characters"),
              std::string::npos)
        << r.err;
}

TEST(KvrtoolLog, ThePortMayBeADevicePath) {
    SimProcess sim({"--setup-every", "0"});
    PortEnvironment env;  // no COM port stands for the simulator
    const std::string dir = scratchDir();
    // The pseudo-terminal itself, and a link to it as /dev/serial/by-id holds links.
    const std::string link = dir + "/usb-KVR_ECU-if00";
    ASSERT_EQ(::symlink(sim.device().c_str(), link.c_str()), 0);
    for (const std::string& device : {sim.device(), link}) {
        const std::string name = dir + "/run" + std::to_string(device.size());
        const ToolResult r = runTool({"log", "--port", device, "--seconds", "2.5", "-o", name}, dir);
        ASSERT_EQ(r.status, 0) << device << ": " << r.err;
        EXPECT_NE(r.err.find("kvrtool log: logging " + device + " for 2.5 s"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("COM256"), std::string::npos) << "the path names the port: " << r.err;
        EXPECT_FALSE(readTrendRecords(name + ".KVL").empty()) << device;
        EXPECT_EQ(valuesLine(name + ".KVV"), kvrsim::defaultValuesImage());
    }

    const std::string absent = dir + "/no-such-adapter";
    const ToolResult r = runTool({"log", "--port", absent, "--seconds", "1", "-o", dir + "/absent"}, dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("kvrtool log: cannot open " + absent + ": No such file or directory", 0), 0u)
        << r.err;
    EXPECT_FALSE(kvr::fileExists(dir + "/absent.KVV"));
}

TEST(KvrtoolLogAndCsv, BadUsageExits2AndMissingFilesOrPortsExit1) {
    PortEnvironment env;  // COM3 has no device
    const std::string dir = scratchDir();
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"csv"},
             {"csv", "a.KVL", "b.KVL"},
             {"csv", "a.KVL", "--values"},
             {"csv", "a.KVL", "--bogus"},
             {"log", "--port", "COM3", "--seconds", "1"},
             {"log", "--port", "3", "--seconds", "1", "-o", dir + "/x"},
             {"log", "--port", "COM0", "--seconds", "1", "-o", dir + "/x"},
             {"log", "--port", "COM3", "--seconds", "0", "-o", dir + "/x"},
             {"log", "--port", "COM3", "--seconds", "1s", "-o", dir + "/x"},
         }) {
        const ToolResult r = runTool(args, dir);
        EXPECT_EQ(r.status, 2) << args.back();
        EXPECT_NE(r.err.find("usage: kvrtool " + args[0]), std::string::npos) << r.err;
    }
    ToolResult r = runTool({"csv", dir + "/missing.KVL"}, dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot read"), std::string::npos) << r.err;
    writeRecords(dir + "/one.KVL", {kvr::TrendRecord{}});
    r = runTool({"csv", dir + "/one.KVL", "--values", dir + "/missing.KVV"}, dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");

    r = runTool({"log", "--port", "COM3", "--seconds", "5", "-o", dir + "/x"}, dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot open COM3"), std::string::npos) << r.err;
    EXPECT_LT(r.seconds, 1.0);
    EXPECT_FALSE(kvr::fileExists(dir + "/x.KVL"));
}

}  // namespace
