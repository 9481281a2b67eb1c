#include "sheet_tables.h"

#include "dashboard/decode/text_numbers.h"

namespace kvrtool {
namespace {

// The panels whose first column is a bin of a table the ECU looks numbers up in: RPM fuel, load
// fuel, engine temperature, RPM ignition, ignition by load, start numbers and air temperature.
bool isBinnedPanel(int firstGrid) {
    for (int grid : {1, 3, 6, 7, 9, 11, 17})
        if (grid == firstGrid) return true;
    return false;
}

// Cell texts are the ECU's 8-bit characters, except the file name, which is already UTF-8.
bool isUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t length = c < 0x80           ? 1
                                   : (c >> 5) == 0x6  ? 2
                                   : (c >> 4) == 0xE  ? 3
                                   : (c >> 3) == 0x1E ? 4
                                                      : 0;
        if (length == 0 || i + length > s.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

std::string shown(const std::string& cell) {
    const std::size_t first = cell.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const std::string text = cell.substr(first, cell.find_last_not_of(' ') - first + 1);
    return isUtf8(text) ? text : kvr::latin1ToUtf8(text);
}

void addRows(const kvr::SheetGrid& grid, std::vector<SheetRow>& rows) {
    for (int row = 0; row < grid.rows(); ++row) {
        // A one-column grid holds values only (the start cycles, the file's name).
        SheetRow r = grid.cols() == 1 ? SheetRow{{}, shown(grid.cell(0, row))}
                                      : SheetRow{shown(grid.cell(0, row)), shown(grid.cell(1, row))};
        if (!r.first.empty() || !r.second.empty()) rows.push_back(std::move(r));
    }
}

}  // namespace

std::vector<SheetTable> sheetTables(const kvr::SheetSet& sheets, const kvr::FillEffects& effects) {
    std::vector<SheetTable> panels;
    for (const kvr::SheetGridLayout& layout : kvr::sheetGridLayouts()) {
        // A grid without a caption continues the panel of the grid before it.
        if (layout.panelCaption != nullptr || panels.empty()) {
            std::string name = layout.panelCaption != nullptr ? layout.panelCaption : "";
            if (layout.number == 3 && effects.loadFuelPanelCaption) name = *effects.loadFuelPanelCaption;
            panels.push_back({name, layout.tab, isBinnedPanel(layout.number), {}});
        }
        addRows(sheets.grid(layout.number), panels.back().rows);
    }
    std::vector<SheetTable> tables;
    for (kvr::SheetTab tab :
         {kvr::SheetTab::Fuel, kvr::SheetTab::Ignition, kvr::SheetTab::Options, kvr::SheetTab::AirTemp})
        for (SheetTable& panel : panels)
            if (panel.tab == tab && !panel.rows.empty()) tables.push_back(std::move(panel));
    return tables;
}

}  // namespace kvrtool
