// Pairs each AFR reading with the engine state `lag` before it, and judges
// the filters on the pair: which records say something about the fuel
// tables, and which show warm-up, the accelerator pump, the overrun, a fresh
// start or a sensor out of range.
#pragma once

#include <cstdint>
#include <vector>

#include "dashboard/analysis/tune_options.h"
#include "dashboard/analysis/tune_samples.h"

namespace kvr {

// The engine state a reading is paired with: interpolated at the reading's
// time minus the lag, held at the segment's first record before it.
struct PairedState {
    double rpm = 0, map = 0, throttle = 0;
};

// The warm limit in `unit` ('F' or 'C'): the option, or 160 F / 71 C.
double warmLimitIn(const FilterOptions& options, char unit);

class SampleFilters {
public:
    SampleFilters(const TuneSamples& samples, const FilterOptions& options, double lagSeconds);

    // The filters that remove sample i, bit (1 << f) for TuneFilter f (only
    // filters that are on), and the state the reading is paired with.
    // Samples must be judged in order, 0 first, each once.
    uint16_t judge(size_t i, PairedState& state);

    static uint16_t bit(TuneFilter f) { return static_cast<uint16_t>(1u << static_cast<unsigned>(f)); }

private:
    const std::vector<TuneSample>& s_;
    const FilterOptions& o_;
    double lag_;
    double warmLimit_;
    std::vector<double> closedThrottle_;  // per log: the lowest throttle while running, plus the margin
    size_t segmentFirst_ = 0;
};

}  // namespace kvr
