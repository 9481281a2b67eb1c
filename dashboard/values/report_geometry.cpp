#include "dashboard/values/report_geometry.h"

#include <cstdlib>

namespace kvr {

int roundedShare(int thousandths, int size) {
    const long long scaled = static_cast<long long>(thousandths) * size;
    long long quotient = scaled / 1000;
    long long remainder = scaled % 1000;
    if (remainder < 0) {  // keep the floor for negative sizes
        remainder += 1000;
        --quotient;
    }
    if (remainder > 500 || (remainder == 500 && quotient % 2 != 0)) ++quotient;
    return static_cast<int>(quotient);
}

ReportGeometry reportGeometry(const ReportPage& page, bool fuelOnly) {
    ReportGeometry g;
    g.lineStep = page.height / 80;
    g.left = roundedShare(25, page.width);
    g.tableTop = roundedShare(50, page.width);
    g.columnStep = page.width / 10;
    g.airStep = roundedShare(110, page.width);
    g.optionsStep = roundedShare(80, page.width);
    g.firstLine = g.tableTop + 2 * g.lineStep + 4;
    g.titleTop = roundedShare(20, page.height);

    for (int column = 0; column < 6; ++column)
        g.columnX[column] = g.left + column * g.columnStep;
    // The air column follows the last table printed: load ignition, or start numbers without ignition.
    g.columnX[6] = (fuelOnly ? g.columnX[3] : g.columnX[5]) + g.airStep;
    g.columnX[7] = g.columnX[6] + g.optionsStep;
    return g;
}

}  // namespace kvr
