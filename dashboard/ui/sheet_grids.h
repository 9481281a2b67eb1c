// The parameter sheets on the Fuel, Ignition, Options and Air Temp tabs:
// read-only string grids under their caption panels, laid out as the sheet
// layout says and filled from the core's sheet texts.
#pragma once

#include <QString>
#include <map>
#include <vector>

#include "dashboard/values/sheet_grid.h"
#include "dashboard/values/sheet_layout.h"

class QLabel;
class QTableWidget;
class QWidget;

class SheetGrids {
public:
    // Builds every grid and panel on its tab page (Fuel, Ignition, Options, Air Temp).
    void build(QWidget* fuel, QWidget* ignition, QWidget* options, QWidget* airTemp);
    // Shows the texts; `filled` also sets the column widths a fill sets.
    void apply(const kvr::SheetSet& sheets, bool filled);
    void setPanelCaption(int gridNumber, const QString& caption);
    QTableWidget* grid(int number) const { return grids_.at(number); }
    QLabel* panel(int gridNumber) const { return panels_.at(gridNumber); }

    // The grids' font at design size, and the smallest it is made to fit texts.
    static constexpr int kSheetFontPixels = 11;
    static constexpr int kSheetMinFontPixels = 8;
    static constexpr int kPanelFontPixels = 10;
    // Pixels a cell needs beside its text's advance.
    static int cellTextPadding(const QTableWidget* g);
    // The width inside a grid that its columns can use.
    static int textRoom(const QTableWidget* g);

private:
    // Widens short columns (and, when that is not enough, shrinks the font)
    // so every cell shows its whole text.
    void fitTexts(QTableWidget* g, const std::vector<int>& designWidths);
    static void fitCaption(QLabel* panel);
    void keepInsidePage(QWidget* page);

    std::map<int, int> panelWidths_;  // design widths of the caption panels

    std::map<int, std::vector<int>> designWidths_;
    std::map<int, QTableWidget*> grids_;
    std::map<int, QLabel*> panels_;  // by the first grid under the panel
};
