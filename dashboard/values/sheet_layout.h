// Where each sheet grid sits: tab, caption panel, size, column widths and pixel box. The window
// builds its grids from this; the decode sizes its text model from it.
#pragma once

#include <string>
#include <vector>

namespace kvr {

enum class SheetTab { Fuel, Ignition, Options, AirTemp };
enum class GridColour { Window, Menu, ButtonFace };

struct SheetGridLayout {
    int number;                      // StringGrid<number>
    SheetTab tab;
    const char* panelCaption;        // nullptr: shares the panel of the grid before it
    const char* panelHint;           // nullptr: none
    int cols;
    int rows;
    int defaultColWidth;
    std::vector<int> filledColWidths;  // set when the grid is filled; empty: unchanged
    int left, top, width, height;
    bool scrollBars;
    GridColour colour;
};

// Every grid common to all sheets: no fixed rows or columns, rows 13 pixels, Arial 8 point, read only.
constexpr int kSheetRowHeight = 13;
constexpr int kSheetFontPoints = 8;

// The 25 grids in number order.
const std::vector<SheetGridLayout>& sheetGridLayouts();
const SheetGridLayout& sheetGridLayout(int number);
const char* sheetTabCaption(SheetTab tab);

}  // namespace kvr
