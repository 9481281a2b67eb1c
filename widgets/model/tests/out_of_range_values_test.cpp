// Readings far outside a channel's or meter's scale: digits, needle
// positions and texts stay defined and still say "out of range".
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "widgets/model/meter_model.h"
#include "widgets/model/picture_format.h"
#include "widgets/model/signal_settings.h"
#include "widgets/model/trend_recorder.h"
#include "widgets/model/trend_time.h"

namespace kvr {
namespace {

constexpr int32_t kMaxDigit = std::numeric_limits<int32_t>::max();
constexpr int32_t kMinDigit = std::numeric_limits<int32_t>::min();
const float kInf = std::numeric_limits<float>::infinity();

// The log chart's manifold pressure channel: -30 .. 30 on 1000 digits.
TChSettings mapChannel() {
    TChSettings c;
    c.setValueFrom(-30);
    c.setValueTo(30);
    return c;
}

TEST(OutOfRangeValues, ChannelDigitStopsAtTheEndsOfA32BitDigit) {
    TChSettings c = mapChannel();
    c.setValue(1e10f);
    EXPECT_EQ(c.Digit(), kMaxDigit);
    c.setValue(-9e9f);
    EXPECT_EQ(c.Digit(), kMinDigit);
    c.setValue(kInf);
    EXPECT_EQ(c.Digit(), kMaxDigit);
    c.setValue(-kInf);
    EXPECT_EQ(c.Digit(), kMinDigit);

    // Just inside the digit's range the usual rounding still holds.
    c.setValue(12.5f);
    EXPECT_EQ(c.Digit(), 708);  // (12.5 + 30) * 1000 / 60 = 708.33
    EXPECT_EQ(c.relativeDigit(), 708);
}

TEST(OutOfRangeValues, NotANumberSitsAtTheRangeStart) {
    TChSettings c = mapChannel();
    c.setDigitalFrom(100);
    c.setValue(5);
    c.setValue(std::nanf(""));
    EXPECT_EQ(c.Digit(), 100);
    EXPECT_EQ(c.relativeDigit(), 0);
}

TEST(OutOfRangeValues, RelativeDigitKeepsItsLowBitsWithoutOverflow) {
    // DigitalFrom above zero and a digit at the bottom end: Digit - DigitalFrom
    // does not fit 32 bits; its low 16 bits are what a record stores.
    TChSettings c = mapChannel();
    c.setDigitalFrom(1000);
    c.setDigitalTo(2000);
    c.setValue(-kInf);
    EXPECT_EQ(c.Digit(), kMinDigit);
    const int64_t exact = static_cast<int64_t>(kMinDigit) - 1000;
    EXPECT_EQ(static_cast<uint16_t>(c.relativeDigit()), static_cast<uint16_t>(exact & 0xFFFF));

    c.setDigit(kMinDigit + 1);
    EXPECT_EQ(static_cast<uint16_t>(c.relativeDigit()), static_cast<uint16_t>((exact + 1) & 0xFFFF));
    EXPECT_TRUE(std::isfinite(c.Value()));
}

TEST(OutOfRangeValues, TrendStoresAHugeReadingAsItsClampedDigit) {
    TrendRecorder recorder([] { return 45000.0; });
    TChSettings& c = recorder.channel(3);
    c.setValueFrom(-30);
    c.setValueTo(30);
    c.setValue(1e10f);
    // The low 16 bits of 2^31 - 1: read back far above the scale's top.
    EXPECT_EQ(recorder.currentDigits()[2], 0xFFFF);
    EXPECT_GT(readBackValue(c, recorder.currentDigits()[2]), 30.0f);
}

TEST(OutOfRangeValues, MeterNeedleStaysOnTheSideOfTheReading) {
    MeterModel m;
    m.SignalSettings().setValueFrom(0);
    m.SignalSettings().setValueTo(30);
    for (float huge : {1e10f, 3e38f, kInf}) {
        m.setValue(huge);
        EXPECT_TRUE(m.highOverflow()) << huge;
        EXPECT_FALSE(m.lowOverflow()) << huge;
        EXPECT_EQ(m.heldPosition(), 1000) << huge;
        EXPECT_TRUE(m.blinking());
    }
    for (float huge : {-9e9f, -3e38f, -kInf}) {
        m.setValue(huge);
        EXPECT_TRUE(m.lowOverflow()) << huge;
        EXPECT_EQ(m.heldPosition(), 0) << huge;
    }
    m.setValue(15);
    EXPECT_EQ(m.position(), 500);
}

TEST(OutOfRangeValues, PictureOfAHugeNumberKeepsEveryDigit) {
    const float largest = std::numeric_limits<float>::max();
    EXPECT_EQ(formatPicture(largest, "##0.0"), "340282346638528859811704183484516925440.0");
    EXPECT_EQ(formatPicture(-largest, "##0.##"), "-340282346638528859811704183484516925440");
    // A double scale bound of 1e300 has 301 integer digits, more than any
    // fixed buffer for a float would hold.
    const std::string text = formatPicture(1e300, "##0.0");
    EXPECT_EQ(text.size(), 303u);
    EXPECT_EQ(text.substr(0, 20), "10000000000000000525");
    EXPECT_EQ(text.substr(text.size() - 2), ".0");
    EXPECT_EQ(formatPicture(-kInf, "##0"), "-INF");
}

}  // namespace
}  // namespace kvr

namespace kvr {
namespace {

// Time stamps read from a damaged log chart file.
TEST(OutOfRangeValues, DamagedTimeStampsSplitIntoADefinedDayAndTime) {
    const DayTime nan = splitDays(std::nan(""));
    EXPECT_EQ(nan.day, 0);
    EXPECT_EQ(nan.msOfDay, 0);

    for (double far : {1e300, -1e300, static_cast<double>(std::numeric_limits<float>::infinity())}) {
        const DayTime t = splitDays(far);
        EXPECT_GE(t.msOfDay, 0) << far;
        EXPECT_LT(t.msOfDay, 86400000) << far;
        EXPECT_EQ(t.day > 0, far > 0) << far;
        EXPECT_EQ(timeOfDayText(far).size(), 8u) << far;
        EXPECT_FALSE(dateText(far).empty());
    }
    // An ordinary time is unchanged: 2026-12-08 12:00:00.250.
    const DayTime noon = splitDays(46364.5 + 250.0 / 86400000.0);
    EXPECT_EQ(noon.day, 46364);
    EXPECT_EQ(noon.msOfDay, 43200250);
    EXPECT_EQ(dateText(46364.5), "2026-12-08");
}

}  // namespace
}  // namespace kvr
