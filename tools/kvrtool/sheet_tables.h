// The parameter sheets as a tuner reads them: each panel of the window under its caption, a table
// split over two grids joined into one, and each row as two texts.
#pragma once

#include <string>
#include <vector>

#include "dashboard/values/fill_effects.h"
#include "dashboard/values/sheet_grid.h"
#include "dashboard/values/sheet_layout.h"

namespace kvrtool {

struct SheetRow {
    std::string first;   // a table's bin (RPM, pressure, temperature), or a setting's caption
    std::string second;  // the number in that bin, or the setting's value
};

struct SheetTable {
    std::string name;  // the panel caption the window shows above the grids
    kvr::SheetTab tab;
    bool binned;  // rows are bins of one of the ECU's tables; otherwise settings
    std::vector<SheetRow> rows;
};

// Every panel that shows something, tab by tab (Fuel, Ignition, Options, Air Temp), each tab's in
// grid order. Texts are UTF-8 without the padding spaces the grids use; rows with no text are left
// out. `effects` gives the captions the decode changed (the load fuel table's, by sensor).
std::vector<SheetTable> sheetTables(const kvr::SheetSet& sheets, const kvr::FillEffects& effects);

}  // namespace kvrtool
