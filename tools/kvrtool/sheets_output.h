// The two forms of kvrtool sheets made from the sheets as tables: text for a person to read, and
// one JSON object for programs.
#pragma once

#include <string>
#include <vector>

#include "sheet_tables.h"

namespace kvrtool {

// Each tab under its name, each table under its name, a table's bins and numbers right-aligned in
// two columns, a panel's settings as captions in one column and values in the next.
std::string sheetsText(const std::vector<SheetTable>& tables);

// {"file": FILE, "tables": [{"name", "tab", "bins": [...], "values": [...]}],
//  "settings": [{"name", "tab", "items": [{"caption", "value"}]}]} on one line.
std::string sheetsJson(const std::string& file, const std::vector<SheetTable>& tables);

}  // namespace kvrtool
