// The rules of a 270-degree dial meter, without the drawing: value to digit
// to needle position, sectors, limits, overflow, blinking, min/max memory
// and the texts shown.
#pragma once

#include <cstdint>
#include <string>

#include "widgets/model/signal_settings.h"

namespace kvr {

struct MeterSector {
    uint32_t color;  // 0xRRGGBB
    int from;        // per mille of the scale
    int to;
};

struct MeterScale {
    int Steps = 5;
    int SubSteps = 2;
    std::string ValueFormat = "##0";
};

class MeterModel {
public:
    MeterModel();
    MeterModel(const MeterModel&) = delete;
    MeterModel& operator=(const MeterModel&) = delete;

    TSignalSettings& SignalSettings() { return signal_; }
    const TSignalSettings& SignalSettings() const { return signal_; }
    MeterScale ScaleSettings;
    MeterSector sectors[3];
    bool opOverflow = true;
    bool opLimit = true;
    bool opSector = true;

    float LimitUpper() const { return limitUpper_; }
    float LimitLower() const { return limitLower_; }
    void setLimitUpper(float v) { limitUpper_ = v; }
    // A lower limit of 0 is stored as 0.0001, so a reading of exactly 0 is below it.
    void setLimitLower(float v) { limitLower_ = v == 0.0f ? 0.0001f : v; }

    float Value() const { return signal_.Value(); }
    int32_t Digit() const { return signal_.Digit(); }
    // Does nothing for an equal value. `when` is the date-time for the
    // min/max memory (days since 1899-12-30).
    void setValue(float v, double when = 0);
    // A range change through SignalSettings() re-derives the digit and the
    // needle from the current value by itself.

    // Needle position in per mille of the scale, before it is held at the ends.
    int position() const { return position_; }
    int heldPosition() const;
    bool lowOverflow() const { return position_ < 0; }
    bool highOverflow() const { return position_ > 1000; }
    bool aboveLimit() const { return Value() > limitUpper_; }
    bool belowLimit() const { return Value() < limitLower_; }
    // Whether the needle blinks (red and yellow) instead of its own colours.
    bool blinking() const;
    // The blink colour for the recording clock's base-tick counter: red while
    // bit 4 is set, yellow while it is clear (about 256 ms each).
    static bool blinkRed(uint32_t baseTicks) { return (baseTicks & 0x10) != 0; }
    // Colour of the last sector (1, 2, 3) that holds the needle; -1 for none.
    int currentSector() const;
    double needleAngleDegrees() const { return 225.0 - 0.27 * heldPosition(); }
    std::string valueText() const;
    // The scale's numbers, Steps + 1 of them from ValueFrom to ValueTo.
    std::string scaleLabel(int step) const;

    float minValue() const { return min_; }
    float maxValue() const { return max_; }
    double minTime() const { return minTime_; }
    double maxTime() const { return maxTime_; }
    bool hasMinMax() const { return seen_; }

private:
    void rangeChanged();
    void place();

    TChSettings signal_;
    float limitUpper_ = 100;
    float limitLower_ = 0.0001f;
    int position_ = 0;
    bool seen_ = false;
    float min_ = 0, max_ = 0;
    double minTime_ = 0, maxTime_ = 0;
};

}  // namespace kvr
