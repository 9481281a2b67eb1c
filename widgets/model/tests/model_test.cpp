// The widgets' plain rules: picture formats, signal setter rules, the
// meter's needle, sectors, limits and overflow, and the clock's due times.
#include <gtest/gtest.h>

#include "widgets/model/clock_schedule.h"
#include "widgets/model/meter_model.h"
#include "widgets/model/picture_format.h"
#include "widgets/model/signal_settings.h"

namespace kvr {
namespace {

TEST(PictureFormat, ForcedAndOptionalDigits) {
    EXPECT_EQ(formatPicture(3.0, "##0.0"), "3.0");
    EXPECT_EQ(formatPicture(0.04, "##0.0"), "0.0");
    EXPECT_EQ(formatPicture(0.05, "##0.0"), "0.1") << "half away from zero";
    EXPECT_EQ(formatPicture(-0.05, "##0.0"), "-0.1");
    EXPECT_EQ(formatPicture(-0.04, "##0.0"), "0.0") << "no minus on a zero";
    EXPECT_EQ(formatPicture(1234.56, "##0.0"), "1234.6") << "integer digits never cut";
    EXPECT_EQ(formatPicture(7.5, "##0"), "8");
    EXPECT_EQ(formatPicture(14.7, "##.#"), "14.7");
    EXPECT_EQ(formatPicture(14.0, "##.#"), "14") << "no point without digits after it";
    EXPECT_EQ(formatPicture(0.5, ".##"), ".5");
    EXPECT_EQ(formatPicture(0.85, ".##"), ".85");
    EXPECT_EQ(formatPicture(0.0, ".##"), "0");
    EXPECT_EQ(formatPicture(9.96, "#0.0"), "10.0");
    EXPECT_EQ(formatPicture(5.0, "000"), "005");
    EXPECT_EQ(formatPicture(2.5, "0.00"), "2.50");
    EXPECT_EQ(formatPicture(99.5, "##0.#"), "99.5");
}

TEST(SignalSettings, SetterRules) {
    TChSettings s;
    s.setValueFrom(0);  // equal to the current lower bound: ignored
    EXPECT_FLOAT_EQ(s.ValueFrom(), 0);
    s.setValueFrom(5);
    s.setValueFrom(0);
    EXPECT_FLOAT_EQ(s.ValueFrom(), 0.000001f) << "a zero lower bound is stored as 0.000001";
    s.setValueTo(s.ValueFrom());  // equal to a bound: ignored
    EXPECT_FLOAT_EQ(s.ValueTo(), 100);

    int changes = 0;
    s.onValueChange = [&] { ++changes; };
    s.setValue(50);
    EXPECT_EQ(s.Digit(), 500);
    s.setValue(50);
    EXPECT_EQ(changes, 1) << "an equal value does nothing";
    TChSettings even;  // 0..100 over 0..1000 digits: 0.25 is 2.5 digits
    even.setValue(0.25f);
    EXPECT_EQ(even.Digit(), 2) << "half rounds to even";
    even.setValue(0.75f);
    EXPECT_EQ(even.Digit(), 8);
    s.setDigit(250);
    EXPECT_NEAR(s.Value(), 25, 1e-4);
    s.setValue(-1);
    EXPECT_EQ(s.relativeDigit(), -10);
}

TEST(SignalSettings, SpansSurviveABackwardsRange) {
    TSignalSettings s;
    s.setValueFrom(7);
    s.setValueTo(20);
    EXPECT_FLOAT_EQ(s.valueSpan(), 13);
    s.setValueFrom(0);  // 0.000001 .. 20
    s.setValueTo(1);
    EXPECT_NEAR(s.valueSpan(), 1, 1e-5);
    s.setValueFrom(7);  // 7 .. 1 for a moment: the span goes negative, the ratio stays
    EXPECT_NEAR(s.digitsPerValue(), 1000, 0.1);
    s.setValueTo(20);
    EXPECT_NEAR(s.digitsPerValue(), 1000.0 / 13, 1e-3);
}

TEST(Meter, NeedleSectorsAndOverflow) {
    MeterModel m;
    m.SignalSettings().setValueFrom(0);
    m.SignalSettings().setValueTo(10);
    m.setLimitUpper(8000);
    m.setLimitLower(0);
    EXPECT_FLOAT_EQ(m.LimitLower(), 0.0001f);
    m.setValue(3);
    EXPECT_EQ(m.position(), 300);
    EXPECT_EQ(m.currentSector(), 0);
    EXPECT_FALSE(m.blinking());
    EXPECT_DOUBLE_EQ(m.needleAngleDegrees(), 225.0 - 0.27 * 300);
    m.setValue(5);
    EXPECT_EQ(m.currentSector(), 1);
    m.setValue(12);
    EXPECT_EQ(m.position(), 1200);
    EXPECT_EQ(m.heldPosition(), 1000);
    EXPECT_TRUE(m.highOverflow());
    EXPECT_TRUE(m.blinking());
    m.setValue(9);
    EXPECT_FALSE(m.blinking()) << "back inside the scale";
    m.setValue(0);
    EXPECT_TRUE(m.belowLimit()) << "0 is below the 0.0001 lower limit";
    EXPECT_TRUE(m.blinking());
    m.setValue(-2);
    EXPECT_EQ(m.heldPosition(), 0);
    EXPECT_FLOAT_EQ(m.minValue(), -2);
    EXPECT_FLOAT_EQ(m.maxValue(), 12);
    EXPECT_TRUE(MeterModel::blinkRed(0x10));
    EXPECT_FALSE(MeterModel::blinkRed(0x0F));
}

TEST(Meter, RangeChangeMovesTheNeedleForTheSameValue) {
    MeterModel m;
    m.SignalSettings().setValueFrom(7);
    m.SignalSettings().setValueTo(20);
    m.setValue(13.5f);
    EXPECT_EQ(m.position(), 500);
    m.SignalSettings().setValueFrom(0);
    m.SignalSettings().setValueTo(1);
    EXPECT_EQ(m.position(), 13500);
    EXPECT_TRUE(m.highOverflow());
    m.ScaleSettings.Steps = 10;
    m.ScaleSettings.ValueFormat = ".##";
    EXPECT_EQ(m.scaleLabel(5), ".5");
    m.SignalSettings().setValueFormat("#0.0");
    EXPECT_EQ(m.valueText(), "13.5");
}

TEST(ClockSchedule, DueTimesKeepTheRhythmUnlessOverASecondLate) {
    ClockSchedule c;
    int a = 0, b = 0;
    c.add(&a, 100, 1000);
    c.add(&b, 250, 1000);
    EXPECT_TRUE(c.tick(1099).empty());
    auto due = c.tick(1104);
    ASSERT_EQ(due.size(), 1u);
    EXPECT_EQ(due[0].client, &a);
    EXPECT_EQ(due[0].lateness, 4u);
    EXPECT_TRUE(c.tick(1199).empty()) << "next due at 1200, not 1204";
    EXPECT_EQ(c.tick(1200).size(), 1u);
    due = c.tick(3000);  // far behind: both due, rhythm restarts from now
    ASSERT_EQ(due.size(), 2u);
    EXPECT_EQ(due[0].lateness, 0u);
    EXPECT_TRUE(c.tick(3099).empty());
    EXPECT_EQ(c.tick(3100).size(), 1u);

    c.remove(&b);
    EXPECT_FALSE(c.contains(&b));
    c.add(&a, 500, 3100);  // re-registering replaces the interval, due from now
    EXPECT_TRUE(c.tick(3599).empty());
    EXPECT_EQ(c.tick(3600).size(), 1u);
}

TEST(ClockSchedule, WrapsWithTheMillisecondCounter) {
    ClockSchedule c;
    int a = 0;
    c.add(&a, 100, 0xFFFFFFF0u);
    EXPECT_TRUE(c.tick(0xFFFFFFFFu).empty());
    auto due = c.tick(0x00000060u);  // 0xFFFFFFF0 + 100 wraps to 0x54
    ASSERT_EQ(due.size(), 1u);
    EXPECT_EQ(due[0].lateness, 0x60u - 0x54u);
}

}  // namespace
}  // namespace kvr
