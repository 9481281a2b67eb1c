// The parts of one line of an MSL log, as MslReader takes them apart: its
// tab-separated cells, a data row's numbers, a marker's text. Cells may carry
// spaces around their text, and a line from a file with CR LF line ends its
// CR.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dashboard/datalog/log_table.h"

namespace kvr {

// `text` without the spaces and tabs at either end or a CR at its end.
std::string_view mslTrimmed(std::string_view text);

// The cells between the tabs of `line`; one cell for a line without tabs.
std::vector<std::string_view> mslCells(std::string_view line);

// True when the first cell, without the blanks and control characters
// around it, is a number: a data row starts with its time; the units row
// does not.
bool isMslDataLine(std::string_view line);

// Fills `row` with `columns` values from a data line: kMissing for an empty
// cell, a cell that is not a number, one that is not finite, and the cells
// the line lacks; cells past `columns` are ignored. A leading '+' is taken.
// Returns how many cells after Time held text that was not a number.
int64_t parseMslRow(std::string_view line, std::size_t columns, LogRow& row);

// Raises each column's digits to the number of digits after the point in
// that column's cell of `line`.
void raiseMslDigits(std::string_view line, std::vector<int>& digits);

// The marker text from what follows "MARK ": without the number and without
// a trailing date.
std::string mslMarkerText(std::string_view rest);

}  // namespace kvr
