// kvrtool sheets in its three forms: the grid rows scripts were written against, unchanged to the
// byte; the tables a tuner reads, each under its name in aligned columns; and JSON that programs
// parse, holding what the grid rows hold.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/time.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdlib>
#include <map>
#include <sstream>

#include "dashboard/logging/log_files.h"
#include "dashboard/values/sheet_layout.h"
#include "default_values_image.h"
#include "support/program_run.h"
#include "support/scratch_logs.h"

namespace {

// The simulator's image in a values file whose date the sheets show is fixed: 2026-12-09 in UTC.
struct SheetsRun {
    std::string dir = makeScratchDir("kvr-sheets");

    SheetsRun() {
        ::setenv("TZ", "UTC", 1);
        std::string error;
        const std::string file = dir + "/drive.KVV";
        if (!kvr::writeValuesFile(file, {kvrsim::defaultValuesImage(), {"a note"}}, error))
            throw std::runtime_error(error);
        const timeval noon[2] = {{1796817600, 0}, {1796817600, 0}};  // 2026-12-09 12:00 UTC
        ::utimes(file.c_str(), noon);
    }
    ProgramRun sheets(const std::vector<std::string>& options) const {
        std::vector<std::string> args{"sheets", "drive.KVV"};
        args.insert(args.end(), options.begin(), options.end());
        return runProgram(KVRTOOL_PATH, args, dir);
    }
};

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// The row lines under the heading `name` (its line of dashes skipped) up to the blank line.
std::vector<std::string> tableRows(const std::string& text, const std::string& name) {
    const std::vector<std::string> all = lines(text);
    std::vector<std::string> rows;
    for (std::size_t i = 0; i + 1 < all.size(); ++i) {
        if (all[i] != name || all[i + 1] != std::string(name.size(), '-')) continue;
        for (std::size_t k = i + 2; k < all.size() && !all[k].empty(); ++k)
            rows.push_back(all[k]);
        break;
    }
    return rows;
}

// Column `col` of the grid rows "StringGridN<TAB>row<TAB>text[<TAB>text]" of grids `grids`.
std::vector<std::string> gridColumn(const std::string& gridText, std::initializer_list<int> grids, int col) {
    std::vector<std::string> cells;
    for (int grid : grids) {
        const std::string prefix = "StringGrid" + std::to_string(grid) + "\t";
        for (const std::string& line : lines(gridText)) {
            if (line.rfind(prefix, 0) != 0) continue;
            std::vector<std::string> fields;
            std::istringstream in(line);
            for (std::string f; std::getline(in, f, '\t');)
                fields.push_back(f);
            std::string cell = fields.size() > static_cast<std::size_t>(col + 2) ? fields[col + 2] : "";
            cell.erase(0, cell.find_first_not_of(' '));
            cell.erase(cell.find_last_not_of(' ') + 1);
            cells.push_back(cell);
        }
    }
    return cells;
}

TEST(KvrtoolSheets, GridKeepsTheEarlierOutputByteForByte) {
    const SheetsRun run;
    const ProgramRun r = run.sheets({"--grid"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    // Printed by kvrtool sheets before the tables became its default, from the same file.
    EXPECT_EQ(r.out, fileBytes(KVR_TEST_DATA_DIR "/sheets-grid-default-image.txt"));
}

TEST(KvrtoolSheets, TablesStandUnderTheirNamesInAlignedColumns) {
    const SheetsRun run;
    const ProgramRun r = run.sheets({});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find("StringGrid"), std::string::npos);
    EXPECT_EQ(r.out.find("ext_rpm_cnt"), std::string::npos) << "the decode's text log is for --grid";
    for (const std::string tab : {"Fuel", "Ignition", "Options", "Air Temp"})
        EXPECT_NE(r.out.find(tab + "\n" + std::string(tab.size(), '=') + "\n"), std::string::npos) << tab;
    for (const kvr::SheetGridLayout& layout : kvr::sheetGridLayouts()) {
        if (layout.panelCaption == nullptr) continue;
        EXPECT_FALSE(tableRows(r.out, layout.panelCaption).empty()) << layout.panelCaption;
    }

    // A table split over two grids is one table; bins and numbers are right-aligned, so every
    // row is as long as the first.
    const auto rpmFuel = tableRows(r.out, "Rpm Fuel numbers");
    ASSERT_EQ(rpmFuel.size(), 38u);
    EXPECT_EQ(rpmFuel.front(), "   500   80");
    EXPECT_EQ(rpmFuel.back(), "  9750  302");
    for (const char* name : {"Manifold Pressure Fuel numbers", "Engine Temp numbers", "Rpm Ignition",
                             "Ignition Retard-Advance/Load", "Start numbers", "Air Temperature"}) {
        const auto rows = tableRows(r.out, name);
        ASSERT_FALSE(rows.empty()) << name;
        for (const std::string& row : rows)
            EXPECT_EQ(row.size(), rows.front().size()) << name << ": " << row;
    }
    EXPECT_EQ(tableRows(r.out, "Manifold Pressure Fuel numbers").size(), 64u);

    // Settings: captions in one column, each value starting where the longest caption ends.
    const auto closedLoop = tableRows(r.out, "Closed Loop");
    ASSERT_EQ(closedLoop.size(), 5u);
    EXPECT_EQ(closedLoop[0], "  CL MAP HI    4.93");
    EXPECT_EQ(closedLoop[4], "  CLOSED LOOP  ON");
    EXPECT_EQ(tableRows(r.out, "Fuel Cutoffs/")[1], "  RPM           9500");
}

TEST(KvrtoolSheets, JsonParsesAndHoldsWhatTheGridRowsHold) {
    const SheetsRun run;
    const ProgramRun r = run.sheets({"--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    ASSERT_TRUE(doc.isObject());
    const QJsonObject all = doc.object();
    EXPECT_EQ(all["file"].toString(), "drive.KVV");

    const std::string grid = run.sheets({"--grid"}).out;
    auto strings = [](const QJsonValue& v) {
        std::vector<std::string> out;
        for (const QJsonValue& s : v.toArray())
            out.push_back(s.toString().toStdString());
        return out;
    };
    std::map<std::string, QJsonObject> tables;
    for (const QJsonValue& t : all["tables"].toArray())
        tables[t["name"].toString().toStdString()] = t.toObject();
    ASSERT_EQ(tables.size(), 7u);
    EXPECT_EQ(tables["Rpm Fuel numbers"]["tab"].toString(), "Fuel");
    EXPECT_EQ(strings(tables["Rpm Fuel numbers"]["bins"]), gridColumn(grid, {1, 2}, 0));
    EXPECT_EQ(strings(tables["Rpm Fuel numbers"]["values"]), gridColumn(grid, {1, 2}, 1));
    EXPECT_EQ(strings(tables["Ignition Retard-Advance/Load"]["values"]), gridColumn(grid, {9, 10}, 1));
    EXPECT_EQ(strings(tables["Air Temperature"]["bins"]), gridColumn(grid, {17, 18}, 0));

    std::map<std::string, std::string> setup;
    for (const QJsonValue& s : all["settings"].toArray()) {
        if (s["name"].toString() != "Setup Mode") continue;
        EXPECT_EQ(s["tab"].toString(), "Options");
        for (const QJsonValue& item : s["items"].toArray())
            setup[item["caption"].toString().toStdString()] = item["value"].toString().toStdString();
    }
    const auto captions = gridColumn(grid, {19}, 0), values = gridColumn(grid, {19}, 1);
    ASSERT_EQ(captions.size(), 25u);
    for (std::size_t i = 0; i < captions.size(); ++i) {
        if (!captions[i].empty()) {
            EXPECT_EQ(setup[captions[i]], values[i]) << captions[i];
        }
    }
    EXPECT_EQ(setup["MAP SENSOR"], "2 BAR");
}

TEST(KvrtoolSheets, TheFormsExcludeEachOtherAndHelpSaysWhichIsForScripts) {
    const SheetsRun run;
    const ProgramRun both = run.sheets({"--grid", "--json"});
    EXPECT_EQ(both.status, 2);
    EXPECT_EQ(both.out, "");
    const ProgramRun help = runProgram(KVRTOOL_PATH, {"sheets", "--help"}, run.dir);
    EXPECT_NE(help.out.find("--grid keeps the form earlier versions printed by default, byte for byte"),
              std::string::npos)
        << help.out;
}

}  // namespace
