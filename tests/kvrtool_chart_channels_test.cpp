// The recorder kvrtool log samples into must carry the same channel ranges as
// the dashboard core's log chart, or its stored digits would mean other values.
#include <gtest/gtest.h>

#include "dashboard/dashboard_core.h"
#include "dashboard/memory_serial_port.h"
#include "default_values_image.h"
#include "tools/kvrtool/chart_channels.h"

namespace {

void expectSameRanges(const kvr::TrendRecorder& recorder, const kvr::DashboardCore& core) {
    for (int n = 1; n <= 8; ++n) {
        const kvr::TSignalSettings& want = core.chartChannels[n - 1];
        const kvr::TChSettings& got = recorder.channel(n);
        EXPECT_EQ(got.ValueFrom(), want.ValueFrom()) << "channel " << n;
        EXPECT_EQ(got.ValueTo(), want.ValueTo()) << "channel " << n;
        EXPECT_EQ(got.DigitalFrom(), want.DigitalFrom()) << "channel " << n;
        EXPECT_EQ(got.DigitalTo(), want.DigitalTo()) << "channel " << n;
        EXPECT_EQ(got.ValueUnit(), want.ValueUnit()) << "channel " << n;
        EXPECT_EQ(got.valuePerDigit(), want.valuePerDigit()) << "channel " << n;
    }
}

TEST(KvrtoolChartChannels, TheRecorderEndsWhereTheCoresChartEnds) {
    kvr::MemorySerialPort port;
    kvr::DashboardCore core(port);
    kvr::TrendRecorder recorder;
    kvrtool::designRecorderChannels(recorder);
    expectSameRanges(recorder, core);

    core.ValuesText = kvrsim::defaultValuesImage();
    core.FillParameterSheets();
    // Requests whose effect depends on the bounds before them: a lower bound
    // equal to the current upper one is ignored, so order matters.
    core.setChartChannelRange(3, 0, 65);
    core.setChartChannelRange(3, 65, 125);
    core.setChartChannelRange(2, 0, 1, "O2V");
    core.setChartChannelRange(3, -30, 16);
    ASSERT_FALSE(core.out.channelRanges.empty());
    kvrtool::replayChannelRanges(recorder, core.out.channelRanges);
    EXPECT_TRUE(core.out.channelRanges.empty()) << "replayed requests are not replayed twice";
    expectSameRanges(recorder, core);
    EXPECT_EQ(recorder.channel(2).ValueUnit(), "O2V");

    // A value then lands on the same digit as on the core's chart.
    recorder.channel(3).setValue(-12.5f);
    EXPECT_EQ(recorder.channel(3).relativeDigit(), 380) << "(-12.5 + 30) * 1000 / 46 = 380.4";
}

}  // namespace
