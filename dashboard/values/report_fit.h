// How much room each report line has: the width it may take before it reaches the next rule or
// text to its right on the same line, or the right margin. The painter picks its font with this,
// and tests check measured text widths against it.
#pragma once

#include <vector>

#include "dashboard/values/report_layout.h"

namespace kvr {

// Clearance kept between a text's end and whatever follows it.
int reportTextGap(const ReportPage& page);

// Room of layout.texts[i], in device units, gap already taken off; index-aligned with texts.
std::vector<int> reportTextRooms(const ReportLayout& layout);

// Room of the title: from its start to the right margin.
int reportTitleRoom(const ReportLayout& layout);

// The tallest a text line may be: it must end before the next line starts, and a heading's second
// line before the rule under the headings.
int reportMaxLineHeight(const ReportLayout& layout);

}  // namespace kvr
