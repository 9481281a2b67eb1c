// How the analysis names a bin or a range of engine states for a reader:
// RPM in 1/min, manifold pressure in the ECU's units (inHg of vacuum below 0
// and psi of boost above for a gauge sensor, inHg absolute otherwise).
#pragma once

#include <string>

#include "dashboard/datalog/data_log_columns.h"

namespace kvr {

// "3000 RPM"
std::string rpmLabel(double rpm);
// "-15.2 inHg", "5.0 psi", "25.0 inHg abs"
std::string mapLabel(double map, MapForm form);
// "3000 to 4500 RPM", or one label when both ends are the same.
std::string rpmRangeLabel(double low, double high);
// "-15.2 to -10.5 inHg", "-2.1 inHg to 3.6 psi"
std::string mapRangeLabel(double low, double high, MapForm form);

}  // namespace kvr
