// A trend recorder whose channels carry the log chart's ranges exactly as the
// dashboard's core has set them, so that its stored digits mean what the
// chart's would.
#pragma once

#include <vector>

#include "dashboard/dashboard_core.h"
#include "widgets/model/trend_recorder.h"

namespace kvrtool {

// Gives channels 1..8 the log chart's design ranges and units.
void designRecorderChannels(kvr::TrendRecorder& recorder);

// Applies the core's range requests to the recorder in the order they were
// made, then forgets them. The setters ignore some bounds depending on the
// current ones, so only the same requests in the same order end up the same.
void replayChannelRanges(kvr::TrendRecorder& recorder, std::vector<kvr::ChannelRangeRequest>& requests);

}  // namespace kvrtool
