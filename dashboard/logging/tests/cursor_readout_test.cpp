// The read-out line's time, and the line that compares the cursor with the
// reference cursor: signs, formats, times across midnight and breaks.
#include <gtest/gtest.h>

#include <limits>

#include "dashboard/logging/cursor_readout.h"
#include "dashboard/logging/trend_record.h"

namespace kvr {
namespace {

// 2025-01-01 in days since 1899-12-30, and a time of day on it.
constexpr double kDay = 45658.0;
double at(int h, int m, int s, int ms) { return kDay + (((h * 60 + m) * 60 + s) * 1000 + ms) / 86400000.0; }

TEST(CursorReadoutTime, TheRecordsTimeOfDayFollowsTheValues) {
    const float values[8] = {3000, 14.7f, -12.48f, -25, 12, 40, 0, 20};
    EXPECT_EQ(cursorReadout(values, at(12, 34, 56, 789)),
              "RPM= 3000, MAP= -12.48, AFR= 14.7, KNOCK= 0, IGN= -25, TP= 12, AIR TEMP= 40, DUTY= 20, "
              "TIME= 12:34:56.789");
    EXPECT_EQ(cursorTimeText(at(0, 0, 0, 0)), "00:00:00.000");
    EXPECT_EQ(cursorTimeText(at(23, 59, 59, 999)), "23:59:59.999");
    EXPECT_EQ(cursorTimeText(kSeparatorTime), "gap") << "a separator has no time";
    EXPECT_EQ(cursorTimeText(1e300), "1.0000000000000001e+300") << "a damaged stamp as it is";
}

TEST(CursorReadoutUnits, EachValueCarriesItsUnitAndRangesReadPlainly) {
    const float values[8] = {3000, 14.7f, -12.48f, -25, 12, 40, 0, 20};
    const ReadoutUnits units = {"rpm", "", "inHg/psi", "deg", "counts", "F", "counts", "%"};
    EXPECT_EQ(cursorReadout(values, at(12, 34, 56, 789), units),
              "RPM= 3000 rpm, MAP= -12.48 inHg/psi, AFR= 14.7, KNOCK= 0 counts, IGN= -25 deg, TP= 12 counts, "
              "AIR TEMP= 40 F, DUTY= 20 %, TIME= 12:34:56.789")
        << "an air/fuel ratio has no unit";
    EXPECT_EQ(channelRangeText("RPM", 0, 10000, "rpm"), "RPM: 0 to 10000 rpm");
    EXPECT_EQ(channelRangeText("AFR", 7, 20, ""), "AFR: 7 to 20");
    EXPECT_EQ(channelRangeText("O2", 0.000001, 1, "V"), "O2: 0 to 1 V") << "a lower bound kept off zero reads as 0";
    EXPECT_EQ(channelRangeText("MAP", -32, 45.5, "inHg/psi"), "MAP: -32 to 45.5 inHg/psi");
}

TEST(CursorReadoutReference, DifferencesInTheReadOutsOrderAndFormats) {
    const float reference[8] = {3000, 14.7f, -12.48f, -25, 12, 40, 0, 20};
    const float cursor[8] = {3250, 13.2f, -10.02f, -27, 12, 41.4f, 3, 120};
    EXPECT_EQ(referenceReadout(cursor, at(12, 0, 6, 689), reference, at(12, 0, 0, 0)),
              "REF= 12:00:00.000, dT= +6.689 s, dRPM= +250, dMAP= +2.46, dAFR= -1.5, dKNOCK= +3, dIGN= -2, "
              "dTP= 0, dAIR TEMP= +1, dDUTY= +100");
    EXPECT_EQ(referenceReadout(reference, at(12, 0, 0, 0), reference, at(12, 0, 0, 0)),
              "REF= 12:00:00.000, dT= 0.000 s, dRPM= 0, dMAP= 0.00, dAFR= 0.0, dKNOCK= 0, dIGN= 0, dTP= 0, "
              "dAIR TEMP= 0, dDUTY= 0")
        << "the reference itself: no signs, no -0";
}

TEST(CursorReadoutReference, TimeDifferencesAcrossMidnightBackwardsAndOverBreaks) {
    const float v[8] = {};
    auto dT = [&](double cursor, double reference) {
        const std::string line = referenceReadout(v, cursor, v, reference);
        const auto from = line.find("dT= ") + 4;
        return line.substr(from, line.find(',', from) - from);
    };
    EXPECT_EQ(dT(at(0, 0, 1, 500) + 1, at(23, 59, 59, 0)), "+2.500 s") << "over midnight";
    EXPECT_EQ(dT(at(10, 0, 0, 0), at(11, 2, 3, 400)), "-3723.400 s") << "the cursor left of the reference";
    EXPECT_EQ(dT(kSeparatorTime, at(11, 0, 0, 0)), "gap") << "the cursor on a separator";
    EXPECT_EQ(dT(std::numeric_limits<double>::quiet_NaN(), at(11, 0, 0, 0)), "?");
    // A value far out of a channel's range, as a digit below the foot reads.
    const float far[8] = {0, 0, 0, 0, 300, 0, 0, 0};
    const std::string line = referenceReadout(far, at(1, 0, 0, 0), v, at(1, 0, 0, 0));
    EXPECT_NE(line.find("dTP= +3.0E+02"), std::string::npos) << line;
}

}  // namespace
}  // namespace kvr
