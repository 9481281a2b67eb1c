// kvrtool sheets: decodes line 1 of a .KVV file as the dashboard does after loading a log, and
// prints the text-log lines of the decode and every sheet cell.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "commands.h"
#include "dashboard/logging/log_files.h"
#include "dashboard/values/parameter_sheets.h"
#include "dashboard/values/sheet_layout.h"

namespace kvrtool {

namespace {

// The dashboard decodes a values file only when its first line can hold the image's bytes.
constexpr std::size_t kMinimumImageLength = 2000;

}  // namespace

int runSheets(const Args& args) {
    if (args.size() != 1) return usageError("sheets", "expects one .KVV file");
    const std::string& path = args[0];
    kvr::ValuesFile file;
    std::string error;
    if (!kvr::readValuesFile(path, file, error)) {
        std::fprintf(stderr, "kvrtool sheets: %s\n", error.c_str());
        return 1;
    }
    const std::string& image = file.valuesText;
    if (image.empty()) {
        std::fprintf(stderr, "kvrtool sheets: %s is empty: no values image on line 1\n", path.c_str());
        return 1;
    }
    if (image.size() < kMinimumImageLength) {
        std::fprintf(stderr, "kvrtool sheets: line 1 of %s has %zu characters, a values image needs at least %zu\n",
                     path.c_str(), image.size(), kMinimumImageLength);
        return 1;
    }

    // The open dialog chose the chart file; the values file is its companion.
    std::string chartFile = path;
    chartFile.back() = 'L';
    kvr::ParameterSheets sheets;
    const kvr::FillOutcome outcome =
        sheets.valuestogridcells(image, kvr::systemFillContext("pcdisk", path, chartFile));
    if (!outcome.decoded) {
        std::fprintf(stderr, "kvrtool sheets: %s: %s\n", path.c_str(),
                     outcome.memoLines.empty() ? "not decoded" : outcome.memoLines[0].c_str());
        return 1;
    }

    for (const auto& line : outcome.memoLines) std::printf("log\t%s\n", line.c_str());
    for (const auto& layout : kvr::sheetGridLayouts()) {
        const kvr::SheetGrid& grid = sheets.sheets().grid(layout.number);
        for (int row = 0; row < grid.rows(); ++row) {
            std::printf("StringGrid%d\t%d\t%s", layout.number, row, grid.cell(0, row).c_str());
            if (grid.cols() == 2) std::printf("\t%s", grid.cell(1, row).c_str());
            std::printf("\n");
        }
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "kvrtool sheets: cannot write to standard output: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}

}  // namespace kvrtool
