// Saving and opening a log through the core, with a chart and dialogs that
// tests control and real files in a temporary folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <fstream>

#include "dashboard/dashboard_core.h"
#include "dashboard/logging/log_chart.h"
#include "dashboard/logging/log_files.h"
#include "dashboard/memory_serial_port.h"
#include "dashboard/user_prompts.h"

namespace kvr {
namespace {

// A chart whose records are a string; it saves and loads them as a file.
class FakeChart : public LogChart {
public:
    std::string records;
    int clears = 0;
    int saveError = 0;
    void Clear() override {
        ++clears;
        records.clear();
    }
    int SaveToFile(const std::string& name) override {
        if (saveError) return saveError;
        std::ofstream(name, std::ios::binary) << records;
        return 0;
    }
    int LoadFromFile(const std::string& name) override {
        std::ifstream in(name, std::ios::binary);
        if (!in) return 2;
        records += std::string(std::istreambuf_iterator<char>(in), {});
        return 0;
    }
};

class ScriptedPrompts : public UserPrompts {
public:
    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> proposed, boxes;
    std::optional<std::string> saveFileName(const std::string& p, const std::string& ext) override {
        proposed.push_back(p + " [" + ext + "]");
        return next();
    }
    std::optional<std::string> openFileName(const std::string& p) override {
        proposed.push_back(p);
        return next();
    }
    void information(const std::string& text) override { boxes.push_back(text); }
    std::deque<int> choices;  // buttons "pressed"; none left: -1
    std::vector<std::string> questions;
    int choose(const std::string& text, const std::vector<std::string>&) override {
        questions.push_back(text);
        if (choices.empty()) return -1;
        const int c = choices.front();
        choices.pop_front();
        return c;
    }

private:
    std::optional<std::string> next() {
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
};

class LogFiles : public ::testing::Test {
protected:
    LogFiles() : core(port) {
        char templ[] = "/tmp/kvr-logcmd-XXXXXX";
        dir = ::mkdtemp(templ);
        core.chart = &chart;
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

    MemorySerialPort port;
    DashboardCore core;
    FakeChart chart;
    ScriptedPrompts prompts;
    int decodes = 0;
    std::string dir;
};

TEST_F(LogFiles, SaveWritesBothFilesAndReportsTheNames) {
    core.in.Edit4Text = "dyno pull";
    core.ValuesText = image();
    core.in.notes = {"jetting 42", "cold day"};
    chart.records = "RECORDS";
    port.feed("stale");
    prompts.answers = {dir + "/run1.KVL"};
    core.SAVE_LOGFILE();
    EXPECT_EQ(prompts.proposed[0], "dyno pull.KVL [KVL]");
    EXPECT_EQ(slurp(dir + "/run1.KVL"), "RECORDS");
    EXPECT_EQ(slurp(dir + "/run1.KVV"), image() + "\r\njetting 42\r\ncold day\r\n");
    EXPECT_EQ(core.out.Edit1Text, "Saved file:" + dir + "/run1.KVL");
    EXPECT_EQ(core.ValuesFileName, dir + "/run1");
    EXPECT_EQ(core.out.memoLines, (std::vector<std::string>{"dyno pull", "Saved file:" + dir + "/run1"}));
    EXPECT_TRUE(port.input.empty()) << "closing the dialog empties COM1's queue";
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(LogFiles, SaveCancelledWritesNothing) {
    prompts.answers = {std::nullopt};
    core.SAVE_LOGFILE();
    EXPECT_EQ(prompts.proposed[0], ".KVL [KVL]") << "an empty title proposes .KVL";
    EXPECT_FALSE(core.out.Edit1Text.has_value());
    EXPECT_EQ(std::system(("test -z \"$(ls -A '" + dir + "')\"").c_str()), 0);
}

TEST_F(LogFiles, FailedChartSaveClaimsNothingAndKeepsTheOldPair) {
    std::ofstream(dir + "/run1.KVV") << "old companion\r\n";
    chart.saveError = 28;  // no space left
    prompts.answers = {dir + "/run1.KVL"};
    core.SAVE_LOGFILE();
    EXPECT_EQ(prompts.boxes, std::vector<std::string>{"Problem saving file."});
    EXPECT_FALSE(core.out.Edit1Text.has_value());
    for (const auto& line : core.out.memoLines) EXPECT_EQ(line.find("Saved file:"), std::string::npos) << line;
    EXPECT_EQ(slurp(dir + "/run1.KVV"), "old companion\r\n");
}

TEST_F(LogFiles, OpenRestoresChartImageAndNotes) {
    std::ofstream(dir + "/run1.KVL") << "RECORDS";
    std::ofstream(dir + "/run1.KVV", std::ios::binary) << image() << "\r\nnote one\r\nnote two\r\nnote three\r\n";
    prompts.answers = {dir + "/run1.KVL"};
    core.ValuesSource = "ecu";
    core.LOAD_LOGFILE();
    EXPECT_EQ(prompts.proposed[0], "*.KVL");
    EXPECT_EQ(core.ValuesSource, "pcdisk");
    EXPECT_EQ(chart.clears, 1);
    EXPECT_EQ(chart.records, "RECORDS");
    EXPECT_EQ(core.ValuesText, image());
    ASSERT_TRUE(core.out.notes.has_value());
    EXPECT_EQ(*core.out.notes, (std::vector<std::string>{"note one", "note two", "note three"}));
    EXPECT_EQ(decodes, 1);
    EXPECT_EQ(core.ValuesFileName, dir + "/run1.KVV");
    EXPECT_EQ(core.out.memoLines.back(), "Loaded file:" + dir + "/run1.KVL");
}

TEST_F(LogFiles, ALogSavedUnderAnotherExtensionOpensWithItsCompanion) {
    core.ValuesText = image();
    chart.records = "R";
    prompts.answers = {dir + "/run.dat", dir + "/run.dat"};
    core.SAVE_LOGFILE();
    EXPECT_TRUE(fileExists(dir + "/run.KVV"));
    core.LOAD_LOGFILE();
    EXPECT_TRUE(prompts.boxes.empty()) << "the companion saving wrote is found";
    EXPECT_EQ(core.ValuesFileName, dir + "/run.KVV");
    EXPECT_EQ(decodes, 1);
}

TEST_F(LogFiles, OpenWithoutCompanionKeepsTheChart) {
    std::ofstream(dir + "/lone.KVL") << "RECORDS";
    core.ValuesText = "held";
    prompts.answers = {dir + "/lone.KVL"};
    core.LOAD_LOGFILE();
    EXPECT_EQ(prompts.boxes, std::vector<std::string>{"No corresponding KVR values file found"});
    EXPECT_EQ(chart.records, "RECORDS");
    EXPECT_EQ(core.ValuesText, "held");
    EXPECT_EQ(core.ValuesFileName, dir + "/lone.KVV");
}

TEST_F(LogFiles, OpenCancelledStillErasesTheChart) {
    chart.records = "OLD";
    prompts.answers = {std::nullopt};
    core.LOAD_LOGFILE();
    EXPECT_EQ(chart.records, "");
    EXPECT_EQ(core.ValuesSource, "pcdisk");
}

TEST_F(LogFiles, ShortImageLineReplacesTheImageButNotNotesOrSheets) {
    std::ofstream(dir + "/short.KVL") << "";
    std::ofstream(dir + "/short.KVV") << ")ABC\r\nnote\r\n";
    prompts.answers = {dir + "/short.KVL"};
    core.LOAD_LOGFILE();
    EXPECT_EQ(core.ValuesText, ")ABC");
    EXPECT_FALSE(core.out.notes.has_value());
    EXPECT_EQ(decodes, 0);
}

TEST_F(LogFiles, MissingChartFileIsReportedAndTheCompanionStillRead) {
    std::ofstream(dir + "/gone.KVV") << image() << "\r\n";
    prompts.answers = {dir + "/gone.KVL"};
    core.LOAD_LOGFILE();
    EXPECT_EQ(prompts.boxes, std::vector<std::string>{"Problem loading file."});
    EXPECT_EQ(core.ValuesText, image());
}

}  // namespace
}  // namespace kvr
