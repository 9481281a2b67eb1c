// Where the printed values report puts things: every position derives from the printable page
// width W and height H in the printer's own device units, so the page looks the same on any
// printer resolution and paper size.
#pragma once

#include <array>

namespace kvr {

struct ReportPage {
    int width = 0;   // W
    int height = 0;  // H
};

// share / 1000 of size, rounded to the nearest integer with ties to even. Shares are whole
// thousandths so the rounding is exact: a tie stays a tie instead of landing a hair either side.
int roundedShare(int thousandths, int size);

constexpr int kReportColumnCount = 8;

struct ReportGeometry {
    int lineStep = 0;     // d: H div 80
    int left = 0;         // x0
    int tableTop = 0;     // y0, from the width so the header band keeps its shape on any paper
    int columnStep = 0;   // c: W div 10
    int airStep = 0;      // a: before the air-temperature column
    int optionsStep = 0;  // o: before the options column
    int firstLine = 0;    // y1: the first data line, just under the heading rule
    int titleTop = 0;     // the title line, above the table area
    // x of each column's text, index 0 = column 1. Columns 5 and 6 (ignition) keep their x for
    // the fuel-only model although nothing is printed there.
    std::array<int, kReportColumnCount> columnX{};
};

ReportGeometry reportGeometry(const ReportPage& page, bool fuelOnly);

}  // namespace kvr
