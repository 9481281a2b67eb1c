// Finds the oxygen sensor's lag in a log itself: the delay between the
// throttle moving and the AFR answering. For each candidate lag (0 to 400 ms
// in 10 ms steps) it correlates the AFR's rate of change with the throttle's
// rate of change that long before; the lag with the strongest correlation (of
// either sign: opening may richen or lean the mixture, depending on the map
// and the accelerator pump) is where the throttle's steps and the AFR's
// answers line up.
#pragma once

#include <string>
#include <vector>

#include "dashboard/analysis/tune_options.h"
#include "dashboard/analysis/tune_samples.h"

namespace kvr {

struct LagEstimate {
    bool found = false;
    double ms = kDefaultLagMs;         // the lag found; the default when not found
    double correlation = 0;            // at that lag
    int throttleSteps = 0;             // throttle movements faster than the accelerator-pump limit
    std::vector<double> correlations;  // at 0, 10, 20 ... 400 ms; empty without throttle steps
    std::string why;                   // when not found: what the log lacks
};

// Needs wide-band AFR records and a few throttle steps; with too few, or no
// lag standing out, `found` is false and `why` says so.
LagEstimate estimateSensorLag(const TuneSamples& samples, const FilterOptions& options);

}  // namespace kvr
