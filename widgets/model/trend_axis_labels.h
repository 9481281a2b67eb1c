// The time axis labels of the trend chart: the time of day alone while the
// view and the log lie within one day, the date in front of it once the
// view crosses midnight or the log runs over several days.
#pragma once

#include <string>

namespace kvr {

// Whether the labels carry the date: the first and last sample time in
// view (local days) fall on different days, or the log's oldest and newest
// do. Time stamps of 0 or less (no samples) count as no date.
bool axisLabelsNeedDate(double viewFirst, double viewLast, double logFirst, double logLast);

// "MM-DD HH:MM:SS" with the date, "HH:MM:SS" without.
std::string axisLabelText(double days, bool withDate);

}  // namespace kvr
