#include "chart_channels.h"

namespace kvrtool {

void designRecorderChannels(kvr::TrendRecorder& recorder) {
    for (int n = 1; n <= 8; ++n) kvr::designChartChannel(recorder.channel(n), n);
}

void replayChannelRanges(kvr::TrendRecorder& recorder, std::vector<kvr::ChannelRangeRequest>& requests) {
    for (const auto& r : requests) kvr::applyRangeRequest(recorder.channel(r.channel), r);
    requests.clear();
}

}  // namespace kvrtool
