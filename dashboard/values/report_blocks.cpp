#include "dashboard/values/report_blocks.h"

namespace kvr {

void ReportWriter::text(int x, int y, std::string text) { layout_.texts.push_back({x, y, std::move(text)}); }

void ReportWriter::gridRow(int x, int top, int index, int grid, int row, const char* gap, const char* tail) {
    text(x, top + index * lineStep(), cell(grid, 0, row) + gap + cell(grid, 1, row) + tail);
}

void ReportWriter::gridRows(int x, int top, int index, int grid, int first, int last) {
    for (int row = first; row <= last; ++row)
        gridRow(x, top, index + row - first, grid, row);
}

void addEngineSettingsBlock(ReportWriter& out, int x, int lastTempLineY) {
    const int top = lastTempLineY;
    const int d = out.lineStep();
    out.text(x, top + 4 * d, "START CYCLES     " + out.cell(12, 0, 0));
    out.gridRows(x, top, 6, 5, 0, 2);  // accelerator pump
    // Closed loop bottom row first, so "CLOSED LOOP" ON/OFF heads its limits.
    for (int i = 0; i < 5; ++i)
        out.gridRow(x, top, 11 + i, 14, 4 - i);
    out.text(x, top + 18 * d, "FUELCUT/");
    out.gridRows(x, top, 19, 15, 0, 2);  // fuel cutoffs
    out.gridRows(x, top, 23, 25, 0, 1);  // idle throttle location and fuel
    out.text(x, top + 26 * d, "LEAN WITH PIN13/IGN ADV SWITCH");
    out.gridRow(x, top, 27, 24, 0);
}

void addOptionsBlock(ReportWriter& out, int x, int firstLineY, const ValuesInfo& info) {
    const int top = firstLineY;
    const int d = out.lineStep();
    out.gridRows(x, top, 0, 16, 0, 8);  // options

    // The fuel-only model has no ignition settings except crank retard ("FUEL ONLY"), which then
    // moves up to sit right under the options.
    int line = 9;
    if (!info.FuelOnly) {
        out.text(x, top + 12 * d, "IGNITION RELATED:");
        out.gridRows(x, top, 13, 13, 0, 3);
        line = 17;
    }
    out.gridRow(x, top, line, 13, 4);  // crank retard
    if (info.SwVersion >= 3000) {
        out.gridRows(x, top, line + 1, 13, 5, 7);  // LOP settings
        line += 3 + 3;
    } else {
        line += 2;
    }

    out.text(x, top + line * d, "SETUP MODE:");
    out.gridRows(x, top, line + 1, 19, 0, 24);
    line += 25 + 3;
    out.text(x, top + line * d, "SYSTEM:");
    out.gridRows(x, top, line + 1, 20, 0, 6);
    line += 7 + 2;
    // Engines of 8 or more cylinders (and an unreadable count, 999) have no trim rows to show.
    if (info.SwMajor >= 26 && info.CylinderCount < 8) {
        out.text(x, top + line * d, "FUEL TRIM");
        out.gridRows(x, top, line + 1, 21, 0, 3);
    }
}

}  // namespace kvr
