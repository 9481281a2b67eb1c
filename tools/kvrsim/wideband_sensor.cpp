#include "wideband_sensor.h"

#include <algorithm>
#include <cmath>

namespace kvrsim {
namespace {

// The response is followed in steps no longer than this: well under the
// shortest time constant, so the sensor does not depend on the record rate.
constexpr double kStep = 0.001;
// A gap longer than this is not followed step by step: the cell has long
// settled on what arrived before it.
constexpr double kMemory = 1.0;

double speedFloor(double rpm) { return std::max(rpm, 300.0); }

}  // namespace

double WidebandSensor::transportDelay(double rpm) { return 0.035 + 92.0 / speedFloor(rpm); }

double WidebandSensor::timeConstant(double rpm) { return 0.022 + 46.0 / speedFloor(rpm); }

WidebandSensor::WidebandSensor(unsigned seed, double noise) : random_(seed), noise_(std::max(noise, 0.0)) {}

double WidebandSensor::arriving(double t, const Signal& trueAfr, const Signal& rpm) {
    return trueAfr(t - transportDelay(rpm(t)));
}

double WidebandSensor::read(double seconds, const Signal& trueAfr, const Signal& rpm) {
    if (!started_ || seconds - time_ > kMemory) {
        // Settled on what arrived a while ago, then followed to now.
        time_ = started_ ? seconds - kMemory : seconds;
        level_ = arriving(time_, trueAfr, rpm);
        started_ = true;
    }
    while (time_ < seconds) {
        const double step = std::min(kStep, seconds - time_);
        time_ += step;
        const double follow = 1 - std::exp(-step / timeConstant(rpm(time_)));
        level_ += (arriving(time_, trueAfr, rpm) - level_) * follow;
    }
    const double reading = noise_ > 0 ? level_ + noise_ * normal_(random_) : level_;
    return std::clamp(reading, kRichest, kLeanest);
}

double narrowBandVolts(double afr) { return 0.45 + 0.40 * std::tanh((14.7 - afr) / 0.3); }

}  // namespace kvrsim
