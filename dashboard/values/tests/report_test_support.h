// Shared by the report tests: sheets whose every cell names itself, and look-ups in a layout.
#pragma once

#include <string>

#include "dashboard/values/report_layout.h"

namespace kvr {

// Cell (col, row) of StringGrid g holds "g<g>c<col>r<row>", so a line shows where it came from.
inline SheetSet selfNamingSheets() {
    SheetSet sheets;
    for (int g = 1; g <= kSheetGridCount; ++g) {
        SheetGrid& grid = sheets.grid(g);
        for (int row = 0; row < grid.rows(); ++row)
            for (int col = 0; col < grid.cols(); ++col)
                grid.set(col, row,
                         "g" + std::to_string(g) + "c" + std::to_string(col) + "r" + std::to_string(row));
    }
    return sheets;
}

// The line built from two-column grid g's row: caption, five spaces, value.
inline std::string rowLine(int g, int row) {
    const std::string r = std::to_string(row);
    return "g" + std::to_string(g) + "c0r" + r + "     g" + std::to_string(g) + "c1r" + r;
}

inline const ReportText* findText(const ReportLayout& layout, const std::string& text) {
    for (const ReportText& t : layout.texts)
        if (t.text == text) return &t;
    return nullptr;
}

inline bool hasTextAt(const ReportLayout& layout, int x, int y, const std::string& text) {
    const ReportText* t = findText(layout, text);
    return t && t->x == x && t->y == y;
}

inline int textCountAtX(const ReportLayout& layout, int x) {
    int count = 0;
    for (const ReportText& t : layout.texts)
        count += t.x == x;
    return count;
}

}  // namespace kvr
