// The log chart's channel ranges and the log's companion values file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "dashboard/dashboard_core.h"
#include "dashboard/logging/cursor_readout.h"
#include "dashboard/logging/log_files.h"
#include "dashboard/link/memory_serial_port.h"

namespace kvr {
namespace {

class ChartRescale : public ::testing::Test {
protected:
    ChartRescale() : core(port) {}
    MemorySerialPort port;
    DashboardCore core;
    const TSignalSettings& map() const { return core.chartLog.channel(3); }
};

TEST_F(ChartRescale, StartsWithTheDesignedChannels) {
    EXPECT_EQ(core.chartLog.channel(1).ValueUnit(), "RPM");
    EXPECT_EQ(core.chartLog.channel(1).DigitalTo(), 10000);
    EXPECT_FLOAT_EQ(core.chartLog.channel(1).ValueTo(), 10000);
    EXPECT_FLOAT_EQ(core.chartLog.channel(6).ValueFrom(), -60);
    EXPECT_EQ(core.chartLog.channel(8).ValueUnit(), "DUTY");
    EXPECT_DOUBLE_EQ(core.chartLog.channel(1).valuePerDigit(), 1.0) << "1 rpm a digit";
}

TEST_F(ChartRescale, FollowsTheMapSensorCode) {
    core.facts.mapSensorCode = 16;
    core.rescaleChart();
    EXPECT_EQ(core.messages.lines.back(), "RESCALE LOGCHART16");
    EXPECT_FLOAT_EQ(map().ValueFrom(), 0.000001f);
    EXPECT_FLOAT_EQ(map().ValueTo(), 65);
    core.facts.mapSensorCode = 32;
    core.rescaleChart();
    EXPECT_FLOAT_EQ(map().ValueFrom(), -30);
    EXPECT_FLOAT_EQ(map().ValueTo(), 16);
    core.facts.mapSensorCode = 112;
    core.rescaleChart();
    EXPECT_FLOAT_EQ(map().ValueFrom(), -32);
    EXPECT_FLOAT_EQ(map().ValueTo(), 65);
    ASSERT_EQ(core.chartLog.rangeRequests.size(), 3u);
    EXPECT_EQ(core.chartLog.rangeRequests[2].channel, 3);
}

TEST_F(ChartRescale, Config5BitsOverrideTheSensor) {
    core.facts.mapSensorCode = 16;
    core.facts.config5Flags = 33;
    core.rescaleChart();
    const auto& memo = core.messages.lines;
    ASSERT_EQ(memo.size(), 2u);
    EXPECT_EQ(memo[1], "CONFIG5=33");
    EXPECT_FLOAT_EQ(map().ValueFrom(), 0.000001f);
    EXPECT_FLOAT_EQ(map().ValueTo(), 125);
    core.facts.config5Flags = 1;
    core.rescaleChart();
    EXPECT_FLOAT_EQ(map().ValueFrom(), -32);
    EXPECT_FLOAT_EQ(map().ValueTo(), 45);
}

class TempDir : public ::testing::Test {
protected:
    void SetUp() override {
        char templ[] = "/tmp/kvr-logs-XXXXXX";
        ASSERT_NE(::mkdtemp(templ), nullptr);
        dir = templ;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }
    std::string slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string dir;
};

TEST(CompanionNames, SavingAndOpeningRules) {
    EXPECT_EQ(companionNameForSave("/logs/run1.KVL"), "/logs/run1.KVV");
    EXPECT_EQ(companionNameForSave("/logs/run.dat"), "/logs/run.KVV");
    EXPECT_EQ(companionNameForSave(".KVL"), ".KVV");
    EXPECT_EQ(companionNameForSave("/logs.d/run"), "/logs.d/run.KVV") << "a dot in the folder is no extension";
    EXPECT_EQ(withoutExtension("/logs/run1.KVL"), "/logs/run1");
    EXPECT_EQ(companionNameByLastCharacter("/logs/run1.KVL"), "/logs/run1.KVV");
    EXPECT_EQ(companionNameByLastCharacter("/logs/run.dat"), "/logs/run.daV");
}

TEST_F(TempDir, OpeningFindsTheNameSavingGaveFirst) {
    const std::string chart = dir + "/run.dat";
    EXPECT_EQ(findCompanion(chart), "");
    std::ofstream(dir + "/run.daV") << "old\r\n";
    EXPECT_EQ(findCompanion(chart), dir + "/run.daV");
    std::ofstream(dir + "/run.KVV") << "new\r\n";
    EXPECT_EQ(findCompanion(chart), dir + "/run.KVV");
}

TEST_F(TempDir, ValuesFileRoundTripKeepsImageAndNotesExactly) {
    ValuesFile f;
    f.valuesText = ")" + std::string(2242, '7') + "\xB0";
    f.notes = {"first note", "", "third: 100\xB0" "F"};
    std::string error;
    const std::string path = dir + "/run.KVV";
    ASSERT_TRUE(writeValuesFile(path, f, error)) << error;
    EXPECT_EQ(slurp(path), f.valuesText + "\r\nfirst note\r\n\r\nthird: 100\xB0" "F\r\n");
    for (int round = 0; round < 3; ++round) {
        ValuesFile back;
        ASSERT_TRUE(readValuesFile(path, back, error)) << error;
        EXPECT_EQ(back.valuesText, f.valuesText);
        EXPECT_EQ(back.notes, f.notes) << "saving and opening again adds no lines";
        ASSERT_TRUE(writeValuesFile(path, back, error));
    }
    ValuesFile none;
    EXPECT_FALSE(readValuesFile(dir + "/missing.KVV", none, error));
    EXPECT_NE(error.find("missing.KVV"), std::string::npos);
}

TEST_F(TempDir, ReplacingWriteLeavesTheOldFileWhenItFails) {
    const std::string path = dir + "/keep.KVV";
    std::string error;
    ASSERT_TRUE(writeFileReplacing(path, "old contents", error));
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(writeFileReplacing(path, "new contents", error));
    EXPECT_EQ(slurp(path), "new contents");
    struct stat st {};
    ::stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "the replaced file keeps its permissions";

    // A target that cannot be replaced (a folder of that name): nothing is
    // lost and no temporary file is left behind.
    const std::string blocked = dir + "/blocked.KVV";
    ::mkdir(blocked.c_str(), 0755);
    std::ofstream(blocked + "/inside") << "x";
    EXPECT_FALSE(writeFileReplacing(blocked, "data", error));
    EXPECT_EQ(slurp(blocked + "/inside"), "x");
    EXPECT_FALSE(writeFileReplacing(dir + "/no-such-folder/x.KVV", "data", error));
    int entries = 0;
    for (const char* name : {"/keep.KVV", "/blocked.KVV"}) entries += fileExists(dir + name) ? 1 : 0;
    EXPECT_EQ(entries, 1);
    EXPECT_EQ(std::system(("test $(ls -A '" + dir + "' | wc -l) -eq 2").c_str()), 0) << "no temporary files left";
}

}  // namespace
}  // namespace kvr

namespace kvr {
namespace {

TEST(CursorReadout, TheLineInItsOrderAndFormats) {
    const float values[8] = {3000, 14.7f, -12.48f, -25, 12, 40, 0, 20};
    EXPECT_EQ(cursorReadout(values),
              "RPM= 3000, MAP= -12.48, AFR= 14.7, KNOCK= 0, IGN= -25, TP= 12, AIR TEMP= 40, DUTY= 20");
}

TEST(CursorReadout, SignificantDigitsAndTheScientificFallback) {
    EXPECT_EQ(fixedWithPrecision(-12.5, 4, 2), "-12.50");
    EXPECT_EQ(fixedWithPrecision(123.456, 4, 2), "123.50") << "four significant digits, then two decimals";
    EXPECT_EQ(fixedWithPrecision(99, 2, 0), "99");
    EXPECT_EQ(fixedWithPrecision(100, 2, 0), "1.0E+02");
    EXPECT_EQ(fixedWithPrecision(-100, 2, 0), "-1.0E+02");
    EXPECT_EQ(fixedWithPrecision(99.6, 2, 0), "1.0E+02") << "rounds up past two digits";
    EXPECT_EQ(fixedWithPrecision(-0.2, 2, 0), "0");
    EXPECT_EQ(fixedWithPrecision(65535, 5, 0), "65535");
}

}  // namespace
}  // namespace kvr

#include "dashboard/display/window_layout.h"

namespace kvr {
namespace {

TEST(WindowLayout, FollowsTheWindowAboveItsThresholds) {
    const ResizeLayout big = FormResize(1000, 800);
    EXPECT_EQ(big.pageControlWidth, 970);
    EXPECT_EQ(big.logChartWidth, 954);
    EXPECT_EQ(big.panel27Left, 817);
    EXPECT_EQ(big.spinEdit3Left, 912);
    EXPECT_EQ(big.memo1Width, 950);
    EXPECT_EQ(big.pageControlHeight, 665);
    EXPECT_EQ(big.logChartHeight, 533);
    EXPECT_EQ(big.label5Top, 613);
    EXPECT_EQ(big.memo1Height, 570);

    const ResizeLayout small = FormResize(600, 500);  // at the thresholds: design sizes stay
    EXPECT_FALSE(small.pageControlWidth || small.logChartWidth || small.memo1Width || small.panel27Left);
    EXPECT_FALSE(small.pageControlHeight || small.logChartHeight || small.label5Top || small.memo1Height);
    const ResizeLayout wide = FormResize(601, 300);
    EXPECT_EQ(wide.pageControlWidth, 571);
    EXPECT_FALSE(wide.pageControlHeight.has_value());
}

TEST_F(ChartRescale, SaysWhyLiveDataIsNotRecorded) {
    ChartLog& log = core.chartLog;
    EXPECT_EQ(log.notRecordingNote(), "") << "no live data: nothing to say";
    log.onLinkChange(LinkChange{LinkState::Waiting, LinkState::Live, 0, 0});
    log.onRecord(LiveRecord{});
    EXPECT_EQ(log.notRecordingNote(), "not recording (Log Chart: Stop)");
    log.setLoggingSwitch(kLogRpmAbove);
    log.onRecord(LiveRecord{});
    EXPECT_EQ(log.notRecordingNote(), "not recording until RPM > 3000 (Log Chart: RPM >)");
    log.setLoggingSwitch(kLogGo);
    log.onRecord(LiveRecord{});
    ASSERT_TRUE(log.recording());
    EXPECT_EQ(log.notRecordingNote(), "");
    log.onLinkChange(LinkChange{LinkState::Live, LinkState::Silent, 0, 0});
    EXPECT_EQ(log.notRecordingNote(), "") << "the link's own status says why";
}

}  // namespace
}  // namespace kvr
