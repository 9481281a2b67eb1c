// Internal to the report layout: the helper that turns sheet rows into report lines, and the two
// free-form blocks (engine settings under column 3, options and system in column 8).
#pragma once

#include <string>

#include "dashboard/values/report_layout.h"

namespace kvr {

class ReportWriter {
public:
    ReportWriter(ReportLayout& layout, const SheetSet& sheets) : layout_(layout), sheets_(sheets) {}

    int lineStep() const { return layout_.geometry.lineStep; }
    void text(int x, int y, std::string text);
    // Line `index` steps below `top`: the grid row's caption, `gap`, its value and `tail`.
    void gridRow(int x, int top, int index, int grid, int row, const char* gap = "     ",
                 const char* tail = "");
    // Rows first..last of a grid on consecutive lines, starting `index` steps below `top`.
    void gridRows(int x, int top, int index, int grid, int first, int last);
    const std::string& cell(int grid, int col, int row) const { return sheets_.grid(grid).cell(col, row); }

private:
    ReportLayout& layout_;
    const SheetSet& sheets_;
};

// Start cycles, accelerator pump, closed loop, fuel cutoffs, idle and pin-13 lean, counted from
// the line of the last engine-temperature bin.
void addEngineSettingsBlock(ReportWriter& out, int x, int lastTempLineY);
// Options, ignition settings, setup mode, system and fuel trim, counted from the first data line.
void addOptionsBlock(ReportWriter& out, int x, int firstLineY, const ValuesInfo& info);

}  // namespace kvr
