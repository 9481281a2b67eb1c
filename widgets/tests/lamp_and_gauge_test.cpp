// The lamp's status-bit rules and the bar gauge's clamping and percentage.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "widgets/ab_led.h"
#include "widgets/gauge.h"

namespace {

TEST(Lamp, StatusBitOneLightsAndZeroDarkensWithStatusWordTwo) {
    TAbLED lamp(nullptr, 12, Qt::red);
    EXPECT_EQ(lamp.StatusInt(), 2);
    EXPECT_FALSE(lamp.Checked());
    QSignalSpy changes(&lamp, &TAbLED::changed);
    lamp.setStatusBit(1);
    EXPECT_TRUE(lamp.Checked());
    lamp.setStatusBit(1);
    EXPECT_TRUE(lamp.Checked());
    EXPECT_EQ(changes.count(), 1) << "setting the same bit again changes nothing";
    lamp.setStatusBit(0);
    EXPECT_FALSE(lamp.Checked());
    EXPECT_EQ(lamp.StatusInt(), 2) << "the status word is not disturbed";
    EXPECT_EQ(changes.count(), 2);
}

TEST(Lamp, CheckingInIndicatorModeSetsItsBit) {
    TAbLED lamp;
    lamp.setStatusBit(3);  // bit 3 of 2 is clear: dark
    EXPECT_FALSE(lamp.Checked());
    lamp.setChecked(true);
    EXPECT_EQ(lamp.StatusInt(), 2 | 8);
    lamp.setChecked(false);
    EXPECT_EQ(lamp.StatusInt(), 2);
    lamp.setStatusBit(40);  // out of range: ignored
    EXPECT_EQ(lamp.StatusBit(), 3);
}

TEST(Gauge, ClampsAndShowsPerCent) {
    TGauge gauge;
    gauge.setMaxValue(2048);
    gauge.setProgress(4000);
    EXPECT_EQ(gauge.Progress(), 2048);
    EXPECT_EQ(gauge.percent(), 100);
    gauge.setProgress(-5);
    EXPECT_EQ(gauge.Progress(), 0);
    gauge.setProgress(1024);
    EXPECT_EQ(gauge.percent(), 50);
    gauge.setProgress(5);
    EXPECT_EQ(gauge.percent(), 0);
}

}  // namespace
