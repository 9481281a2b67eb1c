// The line under the log chart that reads out the values at the cursor.
#pragma once

#include <string>

namespace kvr {

// Fixed-point with at most `precision` significant digits and `decimals`
// decimals; a number whose integer part needs more digits than `precision`
// is written in scientific notation instead.
std::string fixedWithPrecision(double value, int precision, int decimals);

// "RPM= 3000, MAP= -12.50, AFR= 14.7, ..." from the eight channel values
// (index 0 = channel 1).
std::string cursorReadout(const float (&channelValues)[8]);

}  // namespace kvr
