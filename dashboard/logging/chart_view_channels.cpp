#include "dashboard/logging/chart_view_channels.h"

namespace kvr {

void designViewChannels(TrendRecorder& view) {
    for (int n = 1; n <= 8; ++n) designChartChannel(view.channel(n), n);
}

void replayRangeRequests(TrendRecorder& view, std::vector<ChannelRangeRequest>& requests) {
    for (const auto& r : requests) applyRangeRequest(view.channel(r.channel), r);
    requests.clear();
}

}  // namespace kvr
