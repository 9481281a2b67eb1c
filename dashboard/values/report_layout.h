// The printed values report as plain data: every text with the top-left corner where it starts
// and every rule with its two ends, in the printer's device units. Painting it is a loop; deciding
// what goes where happens here, without a printer, so it can be checked line by line.
#pragma once

#include <string>
#include <vector>

#include "dashboard/values/report_geometry.h"
#include "dashboard/values/sheet_grid.h"
#include "dashboard/values/values_info.h"

namespace kvr {

struct ReportText {
    int x = 0;
    int y = 0;  // top of the line, not the baseline
    std::string text;
};

struct ReportRule {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;

    bool operator==(const ReportRule& o) const {
        return x1 == o.x1 && y1 == o.y1 && x2 == o.x2 && y2 == o.y2;
    }
};

struct ReportLayout {
    ReportPage page;
    ReportGeometry geometry;
    ReportText title;  // kept apart: a long file name may be shortened, the table lines never are
    std::vector<ReportText> texts;
    std::vector<ReportRule> rules;
};

// The one-page report of what the sheets show now. `title` is the "Title/Filename:" text (Edit4).
// Decisions about columns and headings come from `info`, the values of the last decode.
ReportLayout layoutValuesReport(const ReportPage& page, const SheetSet& sheets, const ValuesInfo& info,
                                const std::string& title);

// The two text-log lines a print adds once the printer has told the page size.
std::vector<std::string> reportPageMemoLines(const ReportPage& page);

}  // namespace kvr
