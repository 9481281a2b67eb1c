// The oxygen sensor in the exhaust. It sees the mixture late, by the time
// the gas takes to reach it, and slowly, through the cell's own first-order
// response; both shorten as the engine spins faster and the exhaust flows
// quicker. Each reading carries a little Gaussian noise.
//
//   transport delay  35 ms + 92 s·RPM / rpm   (150 ms at 800 RPM, 50 ms at 6000)
//   time constant    22 ms + 46 s·RPM / rpm   ( 80 ms at 800 RPM, 30 ms at 6000)
//   noise            σ = 0.05 AFR by default
#pragma once

#include <functional>
#include <random>

namespace kvrsim {

class WidebandSensor {
public:
    static constexpr double kNoise = 0.05;
    // The sensor's range: richer or leaner mixtures read as its ends.
    static constexpr double kRichest = 9.0, kLeanest = 22.0;

    static double transportDelay(double rpm);
    static double timeConstant(double rpm);

    explicit WidebandSensor(unsigned seed, double noise = kNoise);

    // Functions of time in seconds.
    using Signal = std::function<double(double)>;
    // The reading at `seconds` of an engine whose true air/fuel ratio and
    // speed at any moment the signals give. Readings are asked for in time
    // order; the first one finds the sensor settled.
    double read(double seconds, const Signal& trueAfr, const Signal& rpm);

private:
    // The mixture arriving at the sensor at `seconds`.
    static double arriving(double seconds, const Signal& trueAfr, const Signal& rpm);

    std::mt19937 random_;
    std::normal_distribution<double> normal_{0.0, 1.0};
    double noise_;  // σ of a reading
    bool started_ = false;
    double time_ = 0;   // of the state below
    double level_ = 0;  // the cell's response, noise aside
};

// What a narrow-band oxygen sensor shows for a mixture, volts: about 0.85
// rich, about 0.05 lean, switching through 0.45 at 14.7.
double narrowBandVolts(double afr);

}  // namespace kvrsim
