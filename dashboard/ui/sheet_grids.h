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

private:
    std::map<int, QTableWidget*> grids_;
    std::map<int, QLabel*> panels_;  // by the first grid under the panel
};
