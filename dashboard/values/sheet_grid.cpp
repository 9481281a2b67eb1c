#include "dashboard/values/sheet_grid.h"

#include "dashboard/values/sheet_layout.h"

namespace kvr {

const std::string& SheetGrid::cell(int col, int row) const {
    static const std::string none;
    if (col < 0 || col >= cols_ || row < 0 || row >= rows_) return none;
    return cells_[static_cast<std::size_t>(row * cols_ + col)];
}

void SheetGrid::set(int col, int row, std::string text) {
    if (col < 0 || col >= cols_ || row < 0 || row >= rows_) return;
    cells_[static_cast<std::size_t>(row * cols_ + col)] = std::move(text);
}

SheetSet::SheetSet() {
    for (const auto& layout : sheetGridLayouts()) grids_.at(layout.number - 1) = SheetGrid(layout.cols, layout.rows);
}

}  // namespace kvr
