// A view of the chart log (the window's chart) keeps channel settings of its
// own for its scales and read-out. They must carry the same ranges as the
// log's, or the stored digits would read back as other values.
#pragma once

#include <vector>

#include "dashboard/logging/chart_log.h"
#include "widgets/model/trend_recorder.h"

namespace kvr {

// Gives the view's channels 1..8 the log chart's design ranges and units.
void designViewChannels(TrendRecorder& view);

// Applies the log's range requests to the view in the order they were made,
// then forgets them. The setters ignore some bounds depending on the current
// ones, so only the same requests in the same order end up the same.
void replayRangeRequests(TrendRecorder& view, std::vector<ChannelRangeRequest>& requests);

}  // namespace kvr
