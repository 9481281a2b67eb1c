// kvrtool sheets: decodes line 1 of a .KVV file as the dashboard does after loading a log, and
// prints the parameter sheets: as tables under their names (the default), as one JSON object
// (--json), or as the text-log lines of the decode and every grid cell (--grid, for scripts).
#include <cstdio>
#include <string>

#include "command_output.h"
#include "commands.h"
#include "dashboard/values/parameter_sheets.h"
#include "dashboard/values/sheet_layout.h"
#include "sheets_output.h"
#include "values_input.h"

namespace kvrtool {

namespace {

enum class SheetsForm { Tables, Json, Grid };

// The form the scripts written against the first kvrtool read: "log<TAB>line" for each text-log
// line, then "StringGridN<TAB>row<TAB>text[<TAB>text]" for every row of every grid.
std::string gridText(const std::vector<std::string>& memoLines, const kvr::SheetSet& sheets) {
    std::string text;
    for (const auto& line : memoLines)
        text += "log\t" + line + "\n";
    for (const auto& layout : kvr::sheetGridLayouts()) {
        const kvr::SheetGrid& grid = sheets.grid(layout.number);
        for (int row = 0; row < grid.rows(); ++row) {
            text += "StringGrid" + std::to_string(layout.number) + "\t" + std::to_string(row) + "\t" +
                    grid.cell(0, row);
            if (grid.cols() == 2) text += "\t" + grid.cell(1, row);
            text += "\n";
        }
    }
    return text;
}

}  // namespace

int runSheets(const Args& args) {
    std::string path;
    SheetsForm form = SheetsForm::Tables;
    for (const std::string& a : args) {
        if (a == "--grid" || a == "--json") {
            const SheetsForm chosen = a == "--grid" ? SheetsForm::Grid : SheetsForm::Json;
            if (form != SheetsForm::Tables && form != chosen)
                return usageError("sheets", "--grid and --json exclude each other");
            form = chosen;
        } else if (!a.empty() && a[0] == '-') {
            return usageError("sheets", "unknown option " + a);
        } else if (path.empty()) {
            path = a;
        } else {
            return usageError("sheets", "expects one .KVV file");
        }
    }
    if (path.empty()) return usageError("sheets", "expects one .KVV file");

    kvr::ValuesFile file;
    if (!readValuesImage("sheets", path, file)) return 1;

    // The open dialog chose the chart file; the values file is its companion.
    std::string chartFile = path;
    chartFile.back() = 'L';
    kvr::ParameterSheets sheets;
    const kvr::FillOutcome outcome =
        sheets.valuestogridcells(file.valuesText, kvr::systemFillContext("pcdisk", path, chartFile));
    if (!outcome.decoded) {
        std::fprintf(stderr, "kvrtool sheets: %s: %s\n", path.c_str(),
                     outcome.memoLines.empty() ? "not decoded" : outcome.memoLines[0].c_str());
        return 1;
    }

    std::string text;
    if (form == SheetsForm::Grid)
        text = gridText(outcome.memoLines, sheets.sheets());
    else if (form == SheetsForm::Json)
        text = sheetsJson(path, sheetTables(sheets.sheets(), outcome.effects));
    else
        text = sheetsText(sheetTables(sheets.sheets(), outcome.effects));
    return writeCommandOutput("sheets", "-", text) ? 0 : 1;
}

}  // namespace kvrtool
