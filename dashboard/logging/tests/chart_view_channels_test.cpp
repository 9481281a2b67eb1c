// The chart's view of the log must carry the same channel ranges as the chart
// log itself, or the stored digits would read back as other values.
#include <gtest/gtest.h>

#include "dashboard/dashboard_core.h"
#include "dashboard/link/memory_serial_port.h"
#include "default_values_image.h"
#include "dashboard/logging/chart_view_channels.h"

namespace {

void expectSameRanges(const kvr::TrendRecorder& recorder, const kvr::DashboardCore& core) {
    for (int n = 1; n <= 8; ++n) {
        const kvr::TSignalSettings& want = core.chartLog.channel(n);
        const kvr::TChSettings& got = recorder.channel(n);
        EXPECT_EQ(got.ValueFrom(), want.ValueFrom()) << "channel " << n;
        EXPECT_EQ(got.ValueTo(), want.ValueTo()) << "channel " << n;
        EXPECT_EQ(got.DigitalFrom(), want.DigitalFrom()) << "channel " << n;
        EXPECT_EQ(got.DigitalTo(), want.DigitalTo()) << "channel " << n;
        EXPECT_EQ(got.ValueUnit(), want.ValueUnit()) << "channel " << n;
        EXPECT_EQ(got.valuePerDigit(), want.valuePerDigit()) << "channel " << n;
    }
}

TEST(ChartViewChannels, TheViewEndsWhereTheChartLogEnds) {
    kvr::MemorySerialPort port;
    kvr::DashboardCore core(port);
    kvr::TrendRecorder recorder;
    kvr::designViewChannels(recorder);
    expectSameRanges(recorder, core);

    core.session.valuesText = kvrsim::defaultValuesImage();
    core.fillSheets();
    // Requests whose effect depends on the bounds before them: a lower bound
    // equal to the current upper one is ignored, so order matters.
    core.chartLog.setChannelRange(3, 0, 65);
    core.chartLog.setChannelRange(3, 65, 125);
    core.chartLog.setChannelRange(2, 0, 1, "O2V");
    core.chartLog.setChannelRange(3, -30, 16);
    ASSERT_FALSE(core.chartLog.rangeRequests.empty());
    kvr::replayRangeRequests(recorder, core.chartLog.rangeRequests);
    EXPECT_TRUE(core.chartLog.rangeRequests.empty()) << "replayed requests are not replayed twice";
    expectSameRanges(recorder, core);
    EXPECT_EQ(recorder.channel(2).ValueUnit(), "O2V");

    // A value then lands on the same digit as in the log.
    recorder.channel(3).setValue(-12.5f);
    EXPECT_EQ(recorder.channel(3).relativeDigit(), 380) << "(-12.5 + 30) * 1000 / 46 = 380.4";
}

}  // namespace
