// The parameter sheets as plain text grids: StringGrid1..StringGrid25, each a cols x rows block of
// cell texts. Writes outside a grid are ignored, so a rule that names a missing row changes nothing.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace kvr {

constexpr int kSheetGridCount = 25;

class SheetGrid {
public:
    SheetGrid() = default;
    SheetGrid(int cols, int rows) : cols_(cols), rows_(rows), cells_(static_cast<std::size_t>(cols * rows)) {}

    int cols() const { return cols_; }
    int rows() const { return rows_; }
    // Empty text outside the grid.
    const std::string& cell(int col, int row) const;
    void set(int col, int row, std::string text);

private:
    int cols_ = 0;
    int rows_ = 0;
    std::vector<std::string> cells_;
};

// Every sheet grid, by its number 1..25; all cells empty at first.
class SheetSet {
public:
    SheetSet();
    SheetGrid& grid(int number) { return grids_.at(number - 1); }
    const SheetGrid& grid(int number) const { return grids_.at(number - 1); }

private:
    std::array<SheetGrid, kSheetGridCount> grids_;
};

}  // namespace kvr
