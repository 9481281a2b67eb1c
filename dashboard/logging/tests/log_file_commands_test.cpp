// Saving and opening a log through the core, with the real chart log, dialogs
// that tests control, and real files in a temporary folder.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <deque>
#include <fstream>

#include "dashboard/dashboard_core.h"
#include "dashboard/logging/trend_file.h"
#include "dashboard/logging/log_files.h"
#include "dashboard/logging/recovery_logs.h"
#include "dashboard/logging/trend_record.h"
#include "dashboard/link/memory_serial_port.h"
#include "dashboard/user_prompts.h"
#include "scripted_prompts.h"

namespace kvr {
namespace {

// Has the chart log record ("Go", a live link, a record), then takes one
// sample at each of the given times.
void record(DashboardCore& c, std::initializer_list<double> times) {
    ChartLog& log = c.chartLog;
    if (!log.recording()) {
        log.setLoggingSwitch(kLogGo);
        log.onLinkChange(LinkChange{LinkState::Waiting, LinkState::Live, 0, 0});
        log.onRecord(LiveRecord{});
    }
    for (double t : times) {
        log.wallClock = [t] { return t; };
        log.takeSample();
    }
}

// The link went silent and came back: the chart log marks the gap.
void gap(DashboardCore& c) {
    c.chartLog.onLinkChange(LinkChange{LinkState::Live, LinkState::Silent, 0, 0});
    c.chartLog.onLinkChange(LinkChange{LinkState::Silent, LinkState::Live, 0, 0});
}


class LogFiles : public ::testing::Test {
protected:
    LogFiles() : core(port) {
        char templ[] = "/tmp/kvr-logcmd-XXXXXX";
        dir = ::mkdtemp(templ);
        core.prompts = &prompts;
        core.decodeValues = [this] { ++decodes; };
        port.resetResults[0] = 1;
        port.reset(0, 8192, 8192);
    }
    ~LogFiles() override { std::system(("rm -rf '" + dir + "'").c_str()); }
    std::string slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string image() const { return ")" + std::string(2242, 'A'); }
    int records() const { return core.chartLog.store().count(); }

    MemorySerialPort port;
    DashboardCore core;
    ScriptedPrompts prompts;
    int decodes = 0;
    std::string dir;
};

TEST_F(LogFiles, TheTitleFollowsTheSavedNameAndEveryQuestionGivesOneDuration) {
    const double t0 = 46364.5;  // 2026-12-08 12:00
    record(core, {t0, t0 + 1 / 86400.0});
    core.in.title = "KVR2026_12_08";
    prompts.answers.push_back(dir + "/pull one.KVL");
    ASSERT_TRUE(core.saveLog());
    ASSERT_TRUE(core.out.proposedTitle.has_value());
    EXPECT_EQ(*core.out.proposedTitle, dir + "/pull one") << "the next save proposes the name saved under";

    // 729 samples over 91 s (a pause in the middle): the unsaved question and
    // the recovery prompt give the same length, from the samples' times.
    std::vector<double> times;
    for (int i = 0; i < 729; ++i) times.push_back(t0 + 10 / 86400.0 + (i < 400 ? i * 0.1 : 40.0 + (i - 400) * 0.155) / 86400.0);
    for (double t : times) record(core, {t});
    prompts.choices.push_back(2);  // Cancel
    core.eraseLog();
    ASSERT_EQ(prompts.questions.size(), 1u);
    const std::string length = logDurationText((times.back() - times.front()) * 86400.0);
    EXPECT_EQ(length, "1 min 31 s");
    EXPECT_NE(prompts.questions[0].find("729 records (" + length + ")"), std::string::npos) << prompts.questions[0];
    LeftLog left;
    left.chartFile = dir + "/log.KVL";
    left.records = 729;
    left.firstTime = times.front();
    left.lastTime = times.back();
    EXPECT_NE(leftLogQuestion(left).find(", " + length + " (729 records)"), std::string::npos) << leftLogQuestion(left);
    EXPECT_EQ(logDurationText(45), "45 s");
    EXPECT_EQ(logDurationText(7500), "2 h 05 min");
}

TEST_F(LogFiles, SaveWritesBothFilesAndReportsTheNames) {
    core.in.title = "dyno pull";
    core.session.valuesText = image();
    core.in.notes = {"jetting 42", "cold day"};
    record(core, {46000.5, 46000.6});
    port.feed("stale");
    prompts.answers = {dir + "/run1.KVL"};
    core.saveLog();
    EXPECT_EQ(prompts.proposed[0], "dyno pull.KVL [KVL]");
    TrendStore saved;
    ASSERT_EQ(appendTrendFile(dir + "/run1.KVL", saved), 0);
    ASSERT_EQ(saved.count(), 2);
    EXPECT_DOUBLE_EQ(saved.at(1).time, 46000.6);
    EXPECT_EQ(slurp(dir + "/run1.KVV"), image() + "\r\njetting 42\r\ncold day\r\n");
    EXPECT_EQ(core.out.savedFileText, "Saved file:" + dir + "/run1.KVL");
    EXPECT_EQ(core.valuesFileName, dir + "/run1");
    EXPECT_EQ(core.messages.lines, (std::vector<std::string>{"dyno pull", "Saved file:" + dir + "/run1"}));
    EXPECT_TRUE(port.input.empty()) << "closing the dialog empties COM1's queue";
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(LogFiles, SaveCancelledWritesNothing) {
    prompts.answers = {std::nullopt};
    core.saveLog();
    EXPECT_EQ(prompts.proposed[0], ".KVL [KVL]") << "an empty title proposes .KVL";
    EXPECT_FALSE(core.out.savedFileText.has_value());
    EXPECT_EQ(std::system(("test -z \"$(ls -A '" + dir + "')\"").c_str()), 0);
}

TEST_F(LogFiles, FailedChartSaveClaimsNothingAndKeepsTheOldPair) {
    std::ofstream(dir + "/run1.KVV") << "old companion\r\n";
    record(core, {46000.5});
    ASSERT_EQ(::mkdir((dir + "/run1.KVL").c_str(), 0700), 0);  // the chart file cannot be written there
    prompts.answers = {dir + "/run1.KVL"};
    core.saveLog();
    EXPECT_EQ(prompts.boxes, std::vector<std::string>{"Problem saving file."});
    EXPECT_FALSE(core.out.savedFileText.has_value());
    for (const auto& line : core.messages.lines) EXPECT_EQ(line.find("Saved file:"), std::string::npos) << line;
    EXPECT_EQ(slurp(dir + "/run1.KVV"), "old companion\r\n");
}

TEST_F(LogFiles, OpenRestoresChartImageAndNotes) {
    std::ofstream(dir + "/run1.KVL") << "RECORDS: 24 bytes long..";
    std::ofstream(dir + "/run1.KVV", std::ios::binary) << image() << "\r\nnote one\r\nnote two\r\nnote three\r\n";
    prompts.answers = {dir + "/run1.KVL"};
    core.session.valuesSource = "ecu";
    core.openLog();
    EXPECT_EQ(prompts.proposed[0], "*.KVL");
    EXPECT_EQ(core.session.valuesSource, "pcdisk");
    EXPECT_EQ(records(), 1) << "one record of 24 bytes";
    EXPECT_TRUE(core.chartLog.showingOpenedLog());
    EXPECT_EQ(core.session.valuesText, image());
    ASSERT_TRUE(core.out.notes.has_value());
    EXPECT_EQ(*core.out.notes, (std::vector<std::string>{"note one", "note two", "note three"}));
    EXPECT_EQ(decodes, 1);
    EXPECT_EQ(core.valuesFileName, dir + "/run1.KVV");
    EXPECT_EQ(core.messages.lines.back(), "Loaded file:" + dir + "/run1.KVL");
}

TEST_F(LogFiles, ALogSavedUnderAnotherExtensionOpensWithItsCompanion) {
    core.session.valuesText = image();
    record(core, {46000.5});
    prompts.answers = {dir + "/run.dat", dir + "/run.dat"};
    core.saveLog();
    EXPECT_TRUE(fileExists(dir + "/run.KVV"));
    core.openLog();
    EXPECT_TRUE(prompts.boxes.empty()) << "the companion saving wrote is found";
    EXPECT_EQ(core.valuesFileName, dir + "/run.KVV");
    EXPECT_EQ(decodes, 1);
}

TEST_F(LogFiles, OpenWithoutCompanionKeepsTheChart) {
    std::ofstream(dir + "/lone.KVL") << std::string(2 * kTrendRecordBytes, '\x40');
    core.session.valuesText = "held";
    prompts.answers = {dir + "/lone.KVL"};
    core.openLog();
    EXPECT_EQ(prompts.boxes, std::vector<std::string>{"No corresponding KVR values file found"});
    EXPECT_EQ(records(), 2);
    EXPECT_EQ(core.session.valuesText, "held");
    EXPECT_EQ(core.valuesFileName, dir + "/lone.KVV");
}

TEST_F(LogFiles, OpenCancelledKeepsTheChart) {
    record(core, {46000.5, 46000.6});
    core.chartLog.setUnsavedRecords(0);  // saved: no question
    prompts.answers = {std::nullopt};
    core.openLog();
    EXPECT_EQ(records(), 2) << "nothing was opened, so nothing is replaced";
    EXPECT_EQ(core.session.valuesSource, "pcdisk");
}

TEST_F(LogFiles, ShortImageLineReplacesTheImageButNotNotesOrSheets) {
    std::ofstream(dir + "/short.KVL") << "";
    std::ofstream(dir + "/short.KVV") << ")ABC\r\nnote\r\n";
    prompts.answers = {dir + "/short.KVL"};
    core.openLog();
    EXPECT_EQ(core.session.valuesText, ")ABC");
    EXPECT_FALSE(core.out.notes.has_value());
    EXPECT_EQ(decodes, 0);
}

TEST_F(LogFiles, MissingChartFileIsReportedAndTheCompanionStillRead) {
    std::ofstream(dir + "/gone.KVV") << image() << "\r\n";
    prompts.answers = {dir + "/gone.KVL"};
    core.openLog();
    EXPECT_EQ(prompts.boxes, std::vector<std::string>{"Problem loading file."});
    EXPECT_EQ(core.session.valuesText, image());
}

// --- Keeping the log: the question before dropping it, the recovery copy ---

std::vector<std::string> logsIn(const std::string& dir) {
    std::vector<std::string> names;
    for (const LeftLog& l : findLeftLogs(dir)) names.push_back(l.chartFile);
    return names;
}

TEST_F(LogFiles, UnsavedRecordsAreAskedForBeforeEraseOrOpenAndCancelKeepsThem) {
    record(core, {46000.5, 46000.6});

    prompts.choices = {2};  // Cancel
    core.eraseLog();
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_NE(prompts.questions[0].find("2 records"), std::string::npos) << prompts.questions[0];
    EXPECT_EQ(records(), 2) << "cancel keeps the chart";
    EXPECT_EQ(core.chartLog.unsavedRecords(), 2);

    prompts.choices = {-1};  // the box closed without a choice counts as cancel
    core.openLog();
    EXPECT_EQ(records(), 2);

    prompts.choices = {1};  // Discard
    core.eraseLog();
    EXPECT_EQ(records(), 0);
    EXPECT_EQ(core.chartLog.note(), "Log Chart Cleared");
    EXPECT_EQ(core.chartLog.unsavedRecords(), 0);

    // Nothing unsaved: no question.
    core.eraseLog();
    EXPECT_EQ(prompts.questions.size(), 3u);
}

TEST_F(LogFiles, SaveInTheQuestionSavesFirstAndAFailedSaveStopsTheAction) {
    record(core, {46000.5});
    ASSERT_EQ(::mkdir((dir + "/a.KVL").c_str(), 0700), 0);  // the save fails
    prompts.choices = {0};  // Save
    prompts.answers = {dir + "/a.KVL"};
    EXPECT_FALSE(core.confirmLogMayBeDropped("Exiting closes"));
    EXPECT_EQ(core.chartLog.unsavedRecords(), 1) << "a save that failed keeps the records unsaved";

    ::rmdir((dir + "/a.KVL").c_str());
    prompts.choices = {0};
    prompts.answers = {dir + "/a.KVL"};
    EXPECT_TRUE(core.confirmLogMayBeDropped("Exiting closes"));
    EXPECT_EQ(slurp(dir + "/a.KVL").size(), kTrendRecordBytes);
    EXPECT_EQ(core.chartLog.unsavedRecords(), 0);
}

TEST_F(LogFiles, RecordsGoToARecoveryLogThatACrashedRunLeavesForTheNextStart) {
    const std::string state = dir + "/state/kvrdash";
    {
        MemorySerialPort crashedPort;
        DashboardCore crashed(crashedPort);
        crashed.chartLog.recoveryDirectory = state;
        crashed.session.valuesText = image();
        record(crashed, {46000.5, 46000.5 + 1.0 / 864000});
        gap(crashed);
        record(crashed, {46000.6});
        EXPECT_TRUE(logsIn(state).empty()) << "a journal being written is not offered";
        // The run ends without saving or closing: as after a crash.
    }
    const auto left = findLeftLogs(state);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].records, 8) << "two samples, five separators, one sample";
    EXPECT_DOUBLE_EQ(left[0].firstTime, 46000.5);
    EXPECT_DOUBLE_EQ(left[0].lastTime, 46000.6);
    ValuesFile values;
    std::string error;
    ASSERT_TRUE(readValuesFile(left[0].chartFile.substr(0, left[0].chartFile.size() - 4) + ".KVV", values, error));
    EXPECT_EQ(values.valuesText, image());

    // "Later" keeps it; "Open" loads it as a log that is not yet saved.
    core.chartLog.recoveryDirectory = state;
    prompts.choices = {2};
    core.offerRecoveredLogs();
    EXPECT_EQ(logsIn(state).size(), 1u);
    prompts.choices = {0};
    core.offerRecoveredLogs();
    EXPECT_EQ(records(), 8);
    EXPECT_EQ(core.session.valuesText, image());
    EXPECT_EQ(core.chartLog.unsavedRecords(), 8);

    // Saving it under a real name removes the recovery pair.
    prompts.answers = {dir + "/rescued.KVL"};
    core.saveLog();
    EXPECT_TRUE(fileExists(dir + "/rescued.KVL"));
    EXPECT_TRUE(logsIn(state).empty());
    EXPECT_FALSE(fileExists(left[0].chartFile));
}

TEST_F(LogFiles, ANormalEndWithNothingUnsavedLeavesNoRecoveryLog) {
    const std::string state = dir + "/state";
    core.chartLog.recoveryDirectory = state;
    record(core, {46000.5});
    prompts.choices = {1};  // Discard
    ASSERT_TRUE(core.confirmLogMayBeDropped("Exiting closes"));
    core.closeRecoveryLog();
    EXPECT_TRUE(logsIn(state).empty());

    record(core, {46000.7});
    prompts.answers = {dir + "/kept.KVL"};
    core.saveLog();
    core.closeRecoveryLog();
    EXPECT_TRUE(logsIn(state).empty());
}

TEST_F(LogFiles, AJournalAppearsLockedAndAValuesFileWithoutItsRecordsIsCleared) {
    const std::string state = dir + "/state";
    core.chartLog.recoveryDirectory = state;
    core.session.valuesText = image();
    record(core, {46000.5});
    std::vector<std::string> names;
    if (DIR* d = ::opendir(state.c_str())) {
        while (const dirent* e = ::readdir(d))
            if (e->d_name[0] != '.') names.push_back(e->d_name);
        ::closedir(d);
    }
    ASSERT_EQ(names.size(), 2u) << "the records and values files, nothing made on the way";
    EXPECT_TRUE(logsIn(state).empty()) << "locked while written";

    // Values files of logs whose records were removed belong to nothing.
    std::ofstream(state + "/log-20260101-000000-1.KVV") << "orphan";
    std::ofstream(state + "/log-20260101-000000-2.KVV") << "kept";
    std::ofstream(state + "/log-20260101-000000-2.KVL") << std::string(kTrendRecordBytes, '\0');
    EXPECT_EQ(logsIn(state).size(), 1u);
    EXPECT_FALSE(fileExists(state + "/log-20260101-000000-1.KVV"));
    EXPECT_TRUE(fileExists(state + "/log-20260101-000000-2.KVV"));
}

TEST_F(LogFiles, AnUnwritableStateFolderIsSaidOnceAndRecordingGoesOn) {
    std::ofstream(dir + "/file") << "x";
    core.chartLog.recoveryDirectory = dir + "/file/kvrdash";
    record(core, {46000.5, 46000.6});
    int said = 0;
    for (const auto& line : core.messages.lines) said += line.find("No recovery copy") != std::string::npos;
    EXPECT_EQ(said, 1);
    EXPECT_EQ(core.chartLog.unsavedRecords(), 2);
}

}  // namespace
}  // namespace kvr

namespace kvr {
namespace {

TEST_F(LogFiles, RecordingAgainOverAnUnsavedOpenedLogAsksFirst) {
    record(core, {46000.5, 46000.6, 46000.7});
    prompts.answers = {dir + "/run.KVL"};
    core.saveLog();
    prompts.answers = {dir + "/run.KVL"};
    core.openLog();
    ASSERT_TRUE(core.chartLog.showingOpenedLog());
    core.chartLog.setUnsavedRecords(3);  // as a recovered log that was opened
    prompts.choices = {2};               // Cancel
    EXPECT_FALSE(core.setLoggingSwitch(kLogGo));
    EXPECT_EQ(core.chartLog.rules.loggingSwitch, kLogStop);
    EXPECT_EQ(records(), 3) << "the shown log stays";
    prompts.choices = {1};  // Discard
    EXPECT_TRUE(core.setLoggingSwitch(kLogGo));
    EXPECT_EQ(records(), 0) << "a new log starts";
    EXPECT_EQ(prompts.questions.size(), 2u);
}

}  // namespace
}  // namespace kvr
