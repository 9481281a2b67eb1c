// Live records whose checksum passes but whose fields read as numbers far
// beyond any scale, or too large for a double at all.
#include <gtest/gtest.h>

#include <cmath>

#include "dashboard/dashboard_core.h"
#include "dashboard/link/ecu_lines.h"
#include "dashboard/decode/text_numbers.h"
#include "dashboard/link/memory_serial_port.h"

namespace kvr {
namespace {

TEST(HugeFields, RealsBeyondADoubleAreNotNumbers) {
    EXPECT_FALSE(realNumber("1e999"));
    EXPECT_FALSE(realNumber("-1e999"));
    EXPECT_FALSE(realNumber(" 1e309"));
    ASSERT_TRUE(realNumber("1e308"));
    EXPECT_DOUBLE_EQ(*realNumber("1e308"), 1e308);
    ASSERT_TRUE(realNumber(" 1e10"));
    EXPECT_DOUBLE_EQ(*realNumber(" 1e10"), 1e10);
    // Underflow to zero is still a number.
    ASSERT_TRUE(realNumber("1e-999"));
    EXPECT_EQ(*realNumber("1e-999"), 0.0);
}

class HugeFieldsDecode : public ::testing::Test {
protected:
    HugeFieldsDecode() : core(port) {}
    void decode(const LiveFields& f) {
        core.session.deliverRecord(sealLiveRecord(liveRecordBody(f)));
    }
    MemorySerialPort port;
    DashboardCore core;
};

TEST_F(HugeFieldsDecode, InfiniteManifoldPressureReadsAsNotANumber) {
    LiveFields f;
    f.map = "1e999";
    decode(f);
    // As any unreadable pressure: 0, not full vacuum or a wrapped digit.
    EXPECT_EQ(core.gauges.values.map, 0.0);
    EXPECT_EQ(core.gauges.display.meter[1], 0.0f);
    EXPECT_EQ(core.gauges.values.channel[2], 0.0f);
}

TEST_F(HugeFieldsDecode, FiniteHugeFieldsArriveAsTheyRead) {
    LiveFields f;
    f.map = " 1e10";
    f.airTemp = "9e9";
    f.afr = "1e38";
    decode(f);
    EXPECT_EQ(core.gauges.values.map, 1e10);
    EXPECT_EQ(core.gauges.display.meter[1], 1e10f);
    EXPECT_EQ(core.gauges.values.channel[5], 9e9f);
    EXPECT_EQ(core.gauges.display.meter[2], 1e38f);

    // Too large for the float a meter holds: infinite, on the right side.
    f.map = "1e300";
    decode(f);
    EXPECT_TRUE(std::isinf(core.gauges.display.meter[1]) && core.gauges.display.meter[1] > 0);
}

}  // namespace
}  // namespace kvr
