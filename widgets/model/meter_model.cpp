#include "widgets/model/meter_model.h"

#include <algorithm>
#include <cmath>

#include "widgets/model/picture_format.h"

namespace kvr {

MeterModel::MeterModel() {
    signal_.onSettingsChange = [this] { rangeChanged(); };
    sectors[0] = {0xFFFF00, 0, 333};
    sectors[1] = {0x00FF00, 334, 666};
    sectors[2] = {0xFF0000, 667, 1000};
    place();
}

void MeterModel::setValue(float v, double when) {
    if (v == signal_.Value()) return;
    signal_.setValue(v);
    place();
    if (!seen_ || v < min_) {
        min_ = v;
        minTime_ = when;
    }
    if (!seen_ || v > max_) {
        max_ = v;
        maxTime_ = when;
    }
    seen_ = true;
}

void MeterModel::rangeChanged() {
    signal_.refreshDigit();
    place();
}

void MeterModel::place() {
    const int32_t span = signal_.digitSpan();
    if (span == 0) {
        position_ = 0;
        return;
    }
    // A digit far outside the scale (a huge reading) must still give a
    // position beyond the ends, not one wrapped back onto the dial.
    const double exact = 1000.0 / span * (static_cast<double>(signal_.Digit()) - signal_.DigitalFrom());
    constexpr double kFar = 1e9;
    position_ = static_cast<int>(std::lround(std::clamp(exact, -kFar, kFar)));
}

int MeterModel::heldPosition() const { return std::clamp(position_, 0, 1000); }

bool MeterModel::blinking() const {
    return (opOverflow && (lowOverflow() || highOverflow())) || (opLimit && (aboveLimit() || belowLimit()));
}

int MeterModel::currentSector() const {
    int found = -1;
    for (int i = 0; i < 3; ++i) {
        if (sectors[i].from <= position_ && position_ <= sectors[i].to) found = i;
    }
    return found;
}

std::string MeterModel::valueText() const { return formatPicture(Value(), signal_.ValueFormat()); }

std::string MeterModel::scaleLabel(int step) const {
    const int steps = std::max(1, ScaleSettings.Steps);
    const double from = signal_.ValueFrom();
    const double to = signal_.ValueTo();
    return formatPicture(from + (to - from) * step / steps, ScaleSettings.ValueFormat);
}

}  // namespace kvr
