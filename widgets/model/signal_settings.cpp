#include "widgets/model/signal_settings.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kvr {

void TSignalSettings::changed() {
    if (onSettingsChange) onSettingsChange();
}

void TSignalSettings::rangeChanged() {
    // A range that does not run upwards through zero keeps the previous
    // span, so a half-made change cannot divide by zero.
    if (!(valueFrom_ >= 0 && valueTo_ <= 0)) valueSpan_ = valueTo_ - valueFrom_;
    digitSpan_ = (digitalFrom_ >= 0 && digitalTo_ <= 0) ? 0 : digitalTo_ - digitalFrom_;
    if (digitSpan_ > 0) valuePerDigit_ = static_cast<double>(valueSpan_) / digitSpan_;
    if (valueSpan_ > 0) digitsPerValue_ = digitSpan_ / static_cast<double>(valueSpan_);
    changed();
}

void TSignalSettings::setDigitalFrom(int32_t v) {
    digitalFrom_ = v;
    rangeChanged();
}

void TSignalSettings::setDigitalTo(int32_t v) {
    digitalTo_ = v;
    rangeChanged();
}

void TSignalSettings::setValueFrom(float v) {
    if (v == valueFrom_ || v == valueTo_) return;
    valueFrom_ = v == 0.0f ? 0.000001f : v;
    rangeChanged();
}

void TSignalSettings::setValueTo(float v) {
    if (v == valueFrom_ || v == valueTo_) return;
    valueTo_ = v;
    rangeChanged();
}

void TSignalSettings::setValueUnit(const std::string& unit) {
    valueUnit_ = unit;
    changed();
}

void TSignalSettings::setValueFormat(const std::string& format) {
    valueFormat_ = format;
    changed();
}

void TSignalSettings::setName1(const std::string& n) {
    name1_ = n;
    changed();
}

void TSignalSettings::setName2(const std::string& n) {
    name2_ = n;
    changed();
}

namespace {

// Whole digits beyond what a 32-bit digit holds (a huge or infinite reading)
// stop at the digit's ends instead of wrapping or being undefined; the ends
// lie far outside any channel's range, so the reading still shows as out of
// range. Rounds half to even, the default rounding.
int32_t digitOf(double exact) {
    constexpr double kLowest = std::numeric_limits<int32_t>::min();
    constexpr double kHighest = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::clamp(std::nearbyint(exact), kLowest, kHighest));
}

// Digit - DigitalFrom without overflow, kept as its low 32 bits: the low 16
// of them are what a sample record stores.
int32_t relativeTo(int32_t digit, int32_t from) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(digit) - from));
}

}  // namespace

void TChSettings::setValue(float v) {
    if (v == value_) return;
    value_ = v;
    refreshDigit();
}

void TChSettings::refreshDigit() {
    const double exact = (static_cast<double>(value_) - ValueFrom()) * digitsPerValue() + DigitalFrom();
    // Not a number has no place on the scale: it sits at the range's start.
    digit_ = std::isnan(exact) ? DigitalFrom() : digitOf(exact);
    relativeDigit_ = relativeTo(digit_, DigitalFrom());
    if (onValueChange) onValueChange();
}

void TChSettings::setDigit(int32_t d) {
    if (d == digit_) return;
    digit_ = d;
    value_ = static_cast<float>((static_cast<double>(d) - DigitalFrom()) * valuePerDigit() + ValueFrom());
    relativeDigit_ = relativeTo(digit_, DigitalFrom());
    if (onValueChange) onValueChange();
}

void TChSettings::setColor(uint32_t rgb) {
    if (rgb == color_) return;
    color_ = rgb;
    changed();
}

void TChSettings::setPenWidth(int width) {
    if (width == penWidth_) return;
    penWidth_ = width;
    changed();
}

void TChSettings::setVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    changed();
}

}  // namespace kvr
