// Each software gate of the decode, on both sides of its threshold.
#include <gtest/gtest.h>

#include "sheet_test_support.h"

namespace kvr {
namespace {

TEST(SheetGatesTest, CylinderTrimIsDecodedFromSoftware26) {
    Decode before(imageOf(2599).setByte(byte::TrimCyl4, 13));
    EXPECT_EQ(before.cell(21, 1, 3), "");
    EXPECT_FALSE(before.logged("CYL=4"));
    Decode after(imageOf(2600).setByte(byte::TrimCyl4, 13).setByte(byte::Config5, 0x17));
    EXPECT_EQ(after.cell(21, 0, 3), "CYL #4");
    EXPECT_EQ(after.cell(21, 1, 3), "+3%");
    EXPECT_TRUE(after.logged("CYL=4"));
    EXPECT_TRUE(after.logged("CFG5=22"));  // 0x17 AND 0x16
}

TEST(SheetGatesTest, TrimOffsetIsTwentyFrom2910) {
    Decode old(imageOf(2909).setByte(byte::TrimCyl4, 10).setByte(byte::TrimPresent, 1));
    EXPECT_EQ(old.cell(21, 1, 3), "0%");
    Decode newer(imageOf(2910).setByte(byte::TrimCyl4, 10).setByte(byte::TrimPresent, 1));
    EXPECT_EQ(newer.cell(21, 1, 3), "-10%");
}

TEST(SheetGatesTest, CrankRetardMovesToByte375At27) {
    Decode before(imageOf(2699).setByte(byte::CrankRetardOld, 5).setByte(byte::CrankRetard, 9));
    EXPECT_EQ(before.cell(13, 1, 4), "5");
    Decode after(imageOf(2700).setByte(byte::CrankRetardOld, 5).setByte(byte::CrankRetard, 9));
    EXPECT_EQ(after.cell(13, 1, 4), "9");
}

TEST(SheetGatesTest, Software29AddsEngineSensorBaroPin13LeanAndGaugeRows) {
    auto image = [](int version) {
        return imageOf(version)
            .setByte(byte::EngineTempSensor, 2)
            .setByte(byte::BaroFuelComp, 15)
            .setByte(byte::Pin13MapLimit, 63)
            .setByte(byte::LeanPin13Amount, 12)
            .setByte(byte::LeanPin13Enable, 1)
            .setByte(byte::GaugeButtonOld, 1)
            .setByte(byte::LeanWarning, 1)
            .setByte(byte::O2Type, 1);
    };
    Decode before(image(2899));
    EXPECT_EQ(before.cell(19, 0, 0), "TEMP SENSORS");
    EXPECT_EQ(before.cell(19, 0, 22), "");
    EXPECT_EQ(before.cell(24, 0, 0), "UPGRADE");
    EXPECT_EQ(before.cell(24, 1, 0), "FOR THIS");
    EXPECT_EQ(before.cell(16, 0, 8), "");

    Decode after(image(2900));
    EXPECT_EQ(after.cell(19, 0, 0), "AIRTEMP SENSOR");
    EXPECT_EQ(after.cell(19, 1, 22), "FORD");
    EXPECT_EQ(after.cell(19, 1, 23), "1.5% /1000FT");
    EXPECT_EQ(after.cell(19, 0, 24), "PIN13 MAP LIMIT");
    EXPECT_EQ(after.cell(24, 0, 0), "-12%");
    EXPECT_EQ(after.cell(24, 1, 0), "Disabled");
    EXPECT_EQ(after.cell(16, 0, 7), "LEAN WARNING");
    EXPECT_EQ(after.cell(16, 0, 8), "GAUGE BUTTON");
    EXPECT_EQ(after.cell(16, 1, 8), "GAUGE4");
}

TEST(SheetGatesTest, EngineTemperatureLabelsFollowByte490From29) {
    // Sensor code 0 (GM F) but engine sensor byte 2 (FORD): only 29 and later read the byte.
    Decode before(imageOf(2899).setByte(byte::SensorConfig, 0x00).setByte(byte::EngineTempSensor, 2));
    Decode after(imageOf(2900).setByte(byte::SensorConfig, 0x08).setByte(byte::EngineTempSensor, 0));
    EXPECT_EQ(before.cell(6, 0, 0), "302");
    EXPECT_EQ(after.cell(6, 0, 0), "150");  // GM Celsius
}

TEST(SheetGatesTest, O2TypeIsTheWholeByteFrom2902) {
    Decode before(imageOf(2901).setByte(byte::O2Type, 4).setByte(byte::LeanWarning, 1));
    EXPECT_EQ(before.cell(16, 1, 4), "NONE");
    ASSERT_TRUE(before.outcome.effects.o2Channel);
    EXPECT_EQ(before.outcome.effects.o2Channel->unit, "VOLTS");
    Decode after(imageOf(2902).setByte(byte::O2Type, 4).setByte(byte::LeanWarning, 1));
    EXPECT_EQ(after.cell(16, 1, 4), "WMS WIDE 0-5V");
    EXPECT_EQ(after.cell(16, 1, 7), "OFF. SEE O2TYPE!");
    ASSERT_TRUE(after.outcome.effects.o2Channel);
    EXPECT_EQ(after.outcome.effects.o2Channel->unit, "AFR");
    EXPECT_EQ(after.outcome.effects.o2Channel->range, (ValueRange{7, 20}));
}

TEST(SheetGatesTest, Software3000MovesTheGaugeButtonAndAddsLopSettings) {
    auto image = [](int version) {
        return imageOf(version)
            .setByte(byte::LopIgnitionAdvance, 0)  // as a 29.x gauge byte: GAUGE1
            .setByte(byte::LopMaxPressure, 0x45)
            .setByte(byte::LopControl, 1)
            .setByte(byte::GaugeButton, 1)
            .setByte(byte::Pin13MapLimit, 5)
            .setByte(byte::SensorConfig, 0x10);
    };
    Decode before(image(2999));
    EXPECT_EQ(before.cell(16, 1, 8), "GAUGE1");
    EXPECT_EQ(before.cell(19, 0, 24), "PIN13 MAP LIMIT");
    EXPECT_EQ(before.cell(13, 0, 5), "");
    EXPECT_EQ(before.cell(16, 1, 5), "A/C");

    Decode after(image(3000));
    EXPECT_EQ(after.cell(16, 0, 8), "GAUGE BUTTON");
    EXPECT_EQ(after.cell(16, 1, 8), "GAUGE4");
    EXPECT_EQ(after.cell(19, 0, 24), "");
    EXPECT_EQ(after.cell(13, 1, 5), "0");
    EXPECT_EQ(after.cell(13, 1, 6), " 7.24");  // N1 bin 5 (0x45 AND 0x3F)
    EXPECT_EQ(after.cell(13, 1, 7), "PIN13 INPUT");
    EXPECT_EQ(after.cell(16, 1, 5), "LOP CONTROL");
}

TEST(SheetGatesTest, RpmFuelNumbersTakeHighBytesFrom3100) {
    auto image = [](int version) {
        return imageOf(version).setByte(byte::RpmFuelLast, 0x34).setByte(byte::RpmFuelHighLast, 0x12)
            .setByte(byte::RpmFuelLast - 37, 0xFF).setByte(byte::RpmFuelHighLast - 37, 0xFF);
    };
    Decode before(image(3099));
    EXPECT_EQ(before.cell(1, 1, 0), "52");
    EXPECT_EQ(before.cell(2, 1, 18), "255");
    EXPECT_FALSE(before.logged("ext_rpm_cnt=2016, $12"));
    Decode after(image(3100));
    EXPECT_EQ(after.cell(1, 1, 0), "4660");  // 0x1234
    EXPECT_EQ(after.cell(2, 1, 18), "65535");
    EXPECT_TRUE(after.logged("ext_rpm_cnt=2016, $12"));
    EXPECT_TRUE(after.logged("ext_rpm_cnt=1942, $FF"));
}

}  // namespace
}  // namespace kvr
