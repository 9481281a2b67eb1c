#include "widgets/model/trend_axis_labels.h"

#include "widgets/model/trend_time.h"

namespace kvr {

namespace {

bool differentDays(double a, double b) {
    if (a <= 0 || b <= 0) return false;
    return splitDays(a).day != splitDays(b).day;
}

}  // namespace

bool axisLabelsNeedDate(double viewFirst, double viewLast, double logFirst, double logLast) {
    return differentDays(viewFirst, viewLast) || differentDays(logFirst, logLast);
}

std::string axisLabelText(double days, bool withDate) {
    if (!withDate) return timeOfDayText(days);
    // "YYYY-MM-DD" without the year.
    return dateText(days).substr(5) + " " + timeOfDayText(days);
}

}  // namespace kvr
