// kvrtool log's data log and kvrtool export / stats, end to end: a real run
// against the simulator, markers from standard input and SIGUSR1, and every
// export read back from the file it wrote.
#include <gtest/gtest.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <fstream>
#include <sstream>
#include <thread>

#include "dashboard/datalog/data_log_columns.h"
#include "dashboard/datalog/tests/mlg_layout_reader.h"
#include "dashboard/logging/log_files.h"
#include "dashboard/logging/trend_record.h"
#include "support/csv_rows.h"
#include "support/data_log_read.h"
#include "support/port_environment.h"
#include "support/scratch_logs.h"
#include "support/sim_process.h"
#include "tool_process.h"

namespace {

void sleepSeconds(double s) { std::this_thread::sleep_for(std::chrono::duration<double>(s)); }

// Files in `dir` other than the ones a test put there: what a refused export
// may have left behind.
std::vector<std::string> filesIn(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (const dirent* e = ::readdir(d))
            if (e->d_name[0] != '.') names.push_back(e->d_name);
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// One logged run shared by the tests: 5 s at full rate, with markers from
// standard input (a FIFO the test writes to) and one from SIGUSR1.
class LoggedRun : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new std::string(makeScratchDir("kvr-export"));
        name = new std::string(*dir + "/run");
        SimProcess sim({"--setup-every", "0"});
        PortEnvironment env({{3, sim.device()}});
        const std::string fifo = *dir + "/marks";
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        const pid_t pid = startProgram(KVRTOOL_PATH,
                                       {"log", "--port", "COM3", "--seconds", "5", "-o", *name, "--interval", "0",
                                        "--marks-from-stdin"},
                                       *dir + "/log.out", *dir + "/log.err", fifo);
        const int marks = ::open(fifo.c_str(), O_WRONLY);
        ASSERT_GE(marks, 0);
        sleepSeconds(2.5);
        const std::string first = "pulled in 3rd, \"hard\"\n";
        ASSERT_EQ(::write(marks, first.data(), first.size()), static_cast<ssize_t>(first.size()));
        sleepSeconds(0.7);
        ::kill(pid, SIGUSR1);
        sleepSeconds(0.7);
        ASSERT_EQ(::write(marks, "knock\n", 6), 6);
        ::close(marks);
        status = waitForProgram(pid);
        err = new std::string(readWholeFile(*dir + "/log.err"));
    }
    static void TearDownTestSuite() {
        delete dir;
        delete name;
        delete err;
    }

    static ToolResult tool(const std::vector<std::string>& args) { return runTool(args, *dir); }

    static std::string* dir;
    static std::string* name;
    static std::string* err;
    static int status;
};
std::string* LoggedRun::dir = nullptr;
std::string* LoggedRun::name = nullptr;
std::string* LoggedRun::err = nullptr;
int LoggedRun::status = -1;

TEST_F(LoggedRun, TheDataLogHasEveryFieldWithItsUnitAndTheMarkers) {
    ASSERT_EQ(status, 0) << *err;
    const DataLogContents log = readDataLog(*name + ".msl");
    ASSERT_TRUE(log.opened) << log.error;
    EXPECT_EQ(log.note, "");
    const kvr::LogHeader expected = kvr::dataLogHeader({kvr::MapForm::Gauge, 'F'}, 0, 0);
    ASSERT_EQ(log.header.columns.size(), expected.columns.size());
    for (size_t c = 0; c < expected.columns.size(); ++c) {
        EXPECT_EQ(log.header.columns[c].name, expected.columns[c].name);
        EXPECT_EQ(log.header.columns[c].unit, expected.columns[c].unit);
    }
    bool version = false;
    for (const auto& line : log.header.info) version |= line.find("ECU software version: ") == 0;
    EXPECT_TRUE(version) << "the values file's software version is in the header";
    EXPECT_NE(log.header.startUnixMs, 0);
    // About 3.5 s of full-rate records (the image takes the first second or so).
    EXPECT_GT(log.rows.size(), 150u);
    for (const auto& row : log.rows) {
        for (int c : {kvr::kColTime, kvr::kColClock, kvr::kColMap, kvr::kColMapKpa, kvr::kColIgnition,
                      kvr::kColThrottle, kvr::kColBattery, kvr::kColAfr, kvr::kColEngineTemp, kvr::kColAirTemp,
                      kvr::kColPulse, kvr::kColRpm, kvr::kColKnock, kvr::kColCheckEngine, kvr::kColOutputs})
            ASSERT_FALSE(kvr::isMissing(row.values[static_cast<size_t>(c)])) << expected.columns[c].name;
        // The simulator's gauge sensor: vacuum below 0 in inHg.
        const double map = row.values[kvr::kColMap];
        if (map < 0) {
            EXPECT_NEAR(row.values[kvr::kColMapKpa], 101.325 + map * 3.38639, 0.06);
        }
    }
    ASSERT_EQ(log.markers.size(), 3u) << *err;
    EXPECT_EQ(log.markers[0].text, "pulled in 3rd, \"hard\"");
    EXPECT_EQ(log.markers[1].text, "Mark 2");
    EXPECT_EQ(log.markers[2].text, "knock");
    EXPECT_LT(log.markers[0].seconds, log.markers[1].seconds);
    EXPECT_NEAR(log.markers[1].seconds - log.markers[0].seconds, 0.7, 0.3);
    EXPECT_NE(err->find("marker 2 at "), std::string::npos) << *err;
}

TEST_F(LoggedRun, ExportsToEachFormatKeepTheRowsAndMarkers) {
    const DataLogContents source = readDataLog(*name + ".msl");
    ASSERT_TRUE(source.opened);

    // MSL to MSL: the same table.
    ToolResult r = tool({"export", *name + ".msl", "-o", *dir + "/copy.msl"});
    ASSERT_EQ(r.status, 0) << r.err;
    const DataLogContents copy = readDataLog(*dir + "/copy.msl");
    ASSERT_EQ(copy.rows.size(), source.rows.size());
    ASSERT_EQ(copy.markers.size(), source.markers.size());
    for (size_t i = 0; i < copy.markers.size(); ++i) EXPECT_EQ(copy.markers[i].text, source.markers[i].text);
    for (size_t i = 0; i < copy.rows.size(); i += 17)
        for (size_t c = 0; c < copy.rows[i].values.size(); ++c) {
            const double a = source.rows[i].values[c], b = copy.rows[i].values[c];
            EXPECT_TRUE((std::isnan(a) && std::isnan(b)) || a == b) << "row " << i << " column " << c;
        }

    // CSV: names with units, a Marker column with the marker on its row.
    r = tool({"export", *name + ".msl", "-o", *dir + "/copy.csv"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string csv = readWholeFile(*dir + "/copy.csv");
    const std::string header = csv.substr(0, csv.find('\n'));
    EXPECT_EQ(header.rfind("Time (s),Clock (local time),MAP (inHg/psi),MAP kPa (kPa),", 0), 0u) << header;
    EXPECT_NE(header.find(",RPM (1/min),"), std::string::npos) << header;
    EXPECT_EQ(header.substr(header.size() - 7), ",Marker");
    EXPECT_NE(csv.find(",\"pulled in 3rd, \"\"hard\"\"\"\n"), std::string::npos);
    EXPECT_NE(csv.find(",knock\n"), std::string::npos);
    EXPECT_EQ(static_cast<size_t>(std::count(csv.begin(), csv.end(), '\n')), source.rows.size() + 1);

    // MLG: binary, with the format named by --format whatever the extension.
    r = tool({"export", *name + ".msl", "-o", *dir + "/copy.bin", "--format", "mlg"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readWholeFile(*dir + "/copy.bin").substr(0, 6), std::string("MLVLG\0", 6));
    EXPECT_NE(r.err.find(std::to_string(source.rows.size()) + " rows and 3 markers"), std::string::npos) << r.err;
}

// The MLG export read back by a reader of the public layout (not the
// writer's code): every value, time and marker of the data log, each within
// its field's scale.
TEST_F(LoggedRun, TheMlgExportReadsBackAsItsSource) {
    const DataLogContents source = readDataLog(*name + ".msl");
    ASSERT_TRUE(source.opened);
    const ToolResult r = tool({"export", *name + ".msl", "-o", *dir + "/back.mlg"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string text = readWholeFile(*dir + "/back.mlg");
    const std::vector<unsigned char> bytes(text.begin(), text.end());
    mlg_layout::MlgFile mlg;
    ASSERT_NO_FATAL_FAILURE(mlg_layout::parseMlg(bytes, mlg));

    EXPECT_EQ(mlg.magic, std::string("MLVLG\0", 6));
    EXPECT_EQ(mlg.version, 1u);
    EXPECT_EQ(static_cast<int64_t>(mlg.startSeconds), source.header.startUnixMs / 1000);
    ASSERT_EQ(mlg.fields.size(), source.header.columns.size());
    for (size_t c = 0; c < mlg.fields.size(); ++c) {
        EXPECT_EQ(mlg.fields[c].name, source.header.columns[c].name);
        EXPECT_EQ(mlg.fields[c].units, source.header.columns[c].unit);
    }
    EXPECT_EQ(mlg.fields[0].name, "Time");

    size_t row = 0;
    std::vector<std::string> markers;
    std::vector<unsigned> markerStamps;
    for (const auto& block : mlg.blocks) {
        if (block.kind == 1) {
            markers.push_back(std::string(reinterpret_cast<const char*>(block.message.data())));
            markerStamps.push_back(block.stamp);
            continue;
        }
        ASSERT_LT(row, source.rows.size());
        EXPECT_EQ(block.checksum, block.valueSum);
        const std::vector<double>& want = source.rows[row].values;
        // The block's time stamp counts 10 us, wrapping at 65536.
        EXPECT_EQ(block.stamp, static_cast<unsigned>(std::llround(want[0] * 100000.0) % 65536)) << "row " << row;
        for (size_t c = 0; c < want.size(); ++c) {
            const auto& field = mlg.fields[c];
            const double got = block.shown[c];
            if (std::isnan(want[c])) {
                EXPECT_TRUE(field.type == 7 ? std::isnan(got) : got == 0) << field.name << " row " << row;
                continue;
            }
            // F32 keeps a float; the integer fields round to their scale.
            const double tolerance =
                field.type == 7 ? std::abs(want[c]) * 1e-6 : std::abs(static_cast<double>(field.scale)) / 2 + 1e-9;
            EXPECT_NEAR(got, want[c], tolerance) << field.name << " row " << row;
        }
        ++row;
    }
    EXPECT_EQ(row, source.rows.size());
    ASSERT_EQ(markers.size(), source.markers.size());
    for (size_t m = 0; m < markers.size(); ++m) {
        EXPECT_EQ(markers[m], source.markers[m].text);
        EXPECT_EQ(markerStamps[m], static_cast<unsigned>(std::llround(source.markers[m].seconds * 100000.0) % 65536));
    }
}

TEST_F(LoggedRun, FromAndToCutWhereAsked) {
    const DataLogContents source = readDataLog(*name + ".msl");
    ToolResult r = tool({"export", *name + ".msl", "-o", *dir + "/cut.msl", "--from", "1.5", "--to", "2.5"});
    ASSERT_EQ(r.status, 0) << r.err;
    const DataLogContents cut = readDataLog(*dir + "/cut.msl");
    size_t inRange = 0;
    for (const auto& row : source.rows) inRange += row.values[0] >= 1.5 && row.values[0] <= 2.5;
    ASSERT_GT(inRange, 40u);
    EXPECT_EQ(cut.rows.size(), inRange);
    EXPECT_GE(cut.rows.front().values[0], 1.5);
    EXPECT_LE(cut.rows.back().values[0], 2.5);
    for (const auto& m : cut.markers) EXPECT_TRUE(m.seconds >= 1.5 && m.seconds <= 2.5);

    // The same cut by wall-clock time, in UTC with an offset and as a zone-less local time.
    const int64_t from = source.header.startUnixMs + 1500, to = source.header.startUnixMs + 2500;
    auto iso = [](int64_t ms, bool utc) {
        const std::time_t s = static_cast<std::time_t>(ms / 1000);
        std::tm t{};
        if (utc) gmtime_r(&s, &t); else localtime_r(&s, &t);
        char text[40];
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &t);
        return std::string(text) + "." + std::to_string(1000 + ms % 1000).substr(1) + (utc ? "+00:00" : "");
    };
    for (bool utc : {true, false}) {
        r = tool({"export", *name + ".msl", "-o", *dir + "/cut2.csv", "--from", iso(from, utc), "--to", iso(to, utc)});
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string csv = readWholeFile(*dir + "/cut2.csv");
        EXPECT_EQ(static_cast<size_t>(std::count(csv.begin(), csv.end(), '\n')), inRange + 1) << iso(from, utc);
    }

    // Statistics of the same range: RPM's minimum, mean and maximum.
    r = tool({"stats", *name + ".msl", "--from", "1.5", "--to", "2.5"});
    ASSERT_EQ(r.status, 0) << r.err;
    double lo = 1e9, hi = -1e9, sum = 0;
    for (const auto& row : cut.rows) {
        lo = std::min(lo, row.values[kvr::kColRpm]);
        hi = std::max(hi, row.values[kvr::kColRpm]);
        sum += row.values[kvr::kColRpm];
    }
    std::istringstream lines(r.out);
    bool found = false;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream f(line);
        std::string nameField, unit;
        long long count = 0;
        double mn = 0, mean = 0, mx = 0;
        f >> nameField >> unit >> count >> mn >> mean >> mx;
        if (nameField != "RPM" || unit != "1/min") continue;
        found = true;
        EXPECT_EQ(count, static_cast<long long>(cut.rows.size()));
        EXPECT_EQ(mn, lo);
        EXPECT_EQ(mx, hi);
        EXPECT_NEAR(mean, sum / static_cast<double>(cut.rows.size()), 0.5);
    }
    EXPECT_TRUE(found) << r.out;
}

TEST_F(LoggedRun, ALogChartFileExportsWithUnitsAndEmptySeparators) {
    // A hand-made log chart file with a break, beside the run's values file.
    const std::string kvl = *dir + "/hand.KVL";
    kvr::TrendRecord a;
    a.time = 45658.0 + 13 * 3600 / 86400.0;  // 2025-01-01 13:00
    a.digits = {3000, 592, 500, 1000, 0, 400, 7, 1};
    kvr::TrendRecord b = a;
    b.time += 0.1 / 86400.0;
    kvr::TrendRecord separator;
    separator.digits = a.digits;
    kvr::TrendRecord c = b;
    c.time += 5.0 / 86400.0;
    std::string bytes;
    for (const auto& rec : {a, b, separator, separator, separator, separator, separator, c}) {
        unsigned char raw[kvr::kTrendRecordBytes];
        kvr::encodeTrendRecord(rec, raw);
        bytes.append(reinterpret_cast<const char*>(raw), sizeof raw);
    }
    std::ofstream(kvl, std::ios::binary) << bytes;
    const ToolResult r = tool({"export", kvl, "--values", *name + ".KVV", "-o", *dir + "/hand.csv"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string csv = readWholeFile(*dir + "/hand.csv");
    std::vector<std::string> lines;
    std::istringstream in(csv);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 5u) << csv;
    EXPECT_EQ(lines[0].rfind("Time (s),Clock (local time),RPM (1/min),AFR (AFR),MAP (inHg/psi),MAP kPa (kPa),", 0),
              0u)
        << lines[0];
    EXPECT_EQ(lines[1].rfind("0.000,2025-01-01T13:00:00.000,3000,", 0), 0u) << lines[1];
    // The break: its Time, every value empty, and the gap's length as a marker.
    EXPECT_EQ(lines[3], "0.100,,,,,,,,,,,gap: 5.0 s") << lines[3];
    EXPECT_EQ(lines[4].rfind("5.100,", 0), 0u) << lines[4];
}

TEST_F(LoggedRun, BadInputIsRefusedAndNothingIsWritten) {
    const std::string out = *dir + "/refused";
    ASSERT_EQ(::mkdir(out.c_str(), 0700), 0);
    std::ofstream(out + "/garbage.msl") << "\x01\x02\x03 not a log\n";
    std::ofstream(out + "/notime.msl") << "RPM\tMAP\n1/min\tinHg\n800\t-17\n";
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* says;
    };
    const std::vector<Case> cases = {
        {{"export", out + "/missing.msl", "-o", out + "/x.mlg"}, 1, "missing.msl"},
        {{"export", out + "/garbage.msl", "-o", out + "/x.mlg"}, 1, "garbage.msl"},
        {{"export", out + "/notime.msl", "-o", out + "/x.csv"}, 1, "Time"},
        {{"export", *name + ".msl", "-o", out + "/x.txt"}, 2, "--format msl, mlg or csv"},
        {{"export", *name + ".msl", "-o", out + "/x.csv", "--format", "xls"}, 2, "--format takes"},
        {{"export", *name + ".msl"}, 2, "-o OUT is needed"},
        {{"export", *name + ".msl", "-o", out + "/x.csv", "--from", "yesterday"}, 2, "--from takes"},
        {{"export", *name + ".msl", "-o", out + "/x.csv", "--from", "3", "--to", "2"}, 1, "after --to"},
        {{"export", *name + ".msl", "-o", "-", "--format", "mlg"}, 1, "binary"},
        {{"export", *name + ".msl", "-o", *name + ".msl"}, 1, "replace the input"},
        {{"export", *name + ".msl", "-o", "/no/such/dir/x.csv"}, 1, "/no/such/dir/x.csv"},
    };
    for (const Case& c : cases) {
        const ToolResult r = tool(c.args);
        EXPECT_EQ(r.status, c.status) << c.args.back() << "\n" << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
    EXPECT_EQ(filesIn(out), (std::vector<std::string>{"garbage.msl", "notime.msl"}));
    EXPECT_TRUE(kvr::fileExists(*name + ".msl"));
}

}  // namespace
