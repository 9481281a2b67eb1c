// The line under the log chart that reads out the values at the cursor.
#pragma once

#include <array>
#include <string>

namespace kvr {

// Fixed-point with at most `precision` significant digits and `decimals`
// decimals; a number whose integer part needs more digits than `precision`
// is written in scientific notation instead.
std::string fixedWithPrecision(double value, int precision, int decimals);

// "RPM= 3000, MAP= -12.50, AFR= 14.7, ..." from the eight channel values
// (index 0 = channel 1).
std::string cursorReadout(const float (&channelValues)[8]);

// A record's time of day with milliseconds, "12:34:56.789", from its time
// stamp in days since 1899-12-30; "gap" for a separator's stamp; a stamp
// that is no date (from a damaged file) as the bare number.
std::string cursorTimeText(double days);

// The read-out line with the record's time after the values:
// "RPM= 3000, ..., DUTY= 20, TIME= 12:34:56.789".
std::string cursorReadout(const float (&channelValues)[8], double days);

// Each channel's unit (index 0 = channel 1), written after its value with
// a space; an empty unit (the air/fuel ratio) adds nothing:
// "RPM= 3000 rpm, MAP= -12.50 inHg/psi, AFR= 14.7, ...".
using ReadoutUnits = std::array<std::string, 8>;
std::string cursorReadout(const float (&channelValues)[8], const ReadoutUnits& units);
std::string cursorReadout(const float (&channelValues)[8], double days, const ReadoutUnits& units);

// "RPM: 0 to 10000 rpm": a channel's range as the chart draws it, for the
// overlaid view's read-out and legend.
std::string channelRangeText(const std::string& name, double from, double to, const std::string& unit);

// The line that compares the cursor with the reference cursor: the
// reference's time, the time from it to the cursor, and each channel's
// difference (cursor minus reference) in the read-out's order and formats,
// a rise with a "+": "REF= 12:34:50.100, dT= +6.689 s, dRPM= +250, ...".
// dT is "gap" while the cursor is on a separator, "?" for a stamp that is
// no date.
std::string referenceReadout(const float (&cursorValues)[8], double cursorDays, const float (&referenceValues)[8],
                             double referenceDays);

}  // namespace kvr
