// Paints a laid-out values report with QPainter. All positions come from the layout; this file
// only chooses the font and pen and draws.
#pragma once

#include <QFont>

#include "dashboard/values/report_layout.h"

class QPainter;
class QPaintDevice;

namespace kvr {

// Point size the report is set in when the installed font lets every line keep its room.
constexpr double kReportFontPointSize = 6.0;
// Never smaller than this, even if a wide substitute font would need it.
constexpr double kReportSmallestFontPointSize = 4.0;

// A sans-serif font at kReportFontPointSize, stepped down by half points only as far as needed for
// every line to fit its room and line step on `device`.
QFont valuesReportFont(const QPaintDevice& device, const ReportLayout& layout);

// Draws texts and rules on a painter already begun on the page whose size the layout was made for.
void paintValuesReport(QPainter& painter, const ReportLayout& layout);

}  // namespace kvr
