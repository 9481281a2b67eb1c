// The fit: one log-multiplier per RPM bin (a) and per load bin (b) such that
// log(measured AFR / target AFR) ≈ a(rpm) + b(map) over the kept readings,
// with a and b read between bins as the ECU reads its numbers.
//
// The fuel delivered is RPM number × load number (× warm-up, which the fit
// leaves alone), each interpolated between bin centres. Multiplying bin r's
// number by e^a_r changes the interpolated number's log by about
// Σ share_r a_r, where share_r is bin r's share of the interpolated number
// (its interpolation weight times its number, over the sum): that is the
// model each reading adds to the weighted least squares. A reading leaner
// than the target (ratio above 1) asks for more fuel: the number is
// multiplied by e^a, the ratio the fit gives.
//
// Only a(rpm) + b(map) is seen in the log: adding c to every a and taking it
// from every b changes nothing. The fit fixes that by holding the weighted
// mean of b over the load bins with enough data (each weighted by its
// effective samples) at 0, so overall corrections go into the RPM table and
// the load table's level is kept. A second-difference penalty between
// neighbouring bins of each table (FitOptions::smoothness, in effective
// samples) steadies bins with little data; a tiny ridge keeps bins far from
// any data at 0.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "dashboard/analysis/fuel_map.h"
#include "dashboard/analysis/tune_options.h"

namespace kvr {

// One kept reading as the fit sees it.
struct FitObservation {
    uint8_t rpmLow = 0, rpmHigh = 0, loadLow = 0, loadHigh = 0;
    float rpmWeight = 0, loadWeight = 0;  // interpolation weight of the high bin
    float rpmShare = 0, loadShare = 0;    // the high bin's share of the interpolated number
    float logRatio = 0;                   // log(measured / target)
};

// Places a reading of log(measured / target) at the engine state (rpm, map).
FitObservation observeReading(const FuelMap& map, double rpm, double mapValue, double logRatio);

struct FuelFit {
    bool solved = false;
    std::array<double, kRpmBins> rpmLog{};    // a: log of the RPM bin's multiplier
    std::array<double, kLoadBins> loadLog{};  // b: log of the load bin's multiplier
    // Effective samples: the sum of each bin's interpolation weights.
    std::array<double, kRpmBins> rpmSamples{};
    std::array<double, kLoadBins> loadSamples{};

    // The fit's log(measured / target) for a reading.
    double predicted(const FitObservation& o) const;
};

FuelFit fitFuelTables(const std::vector<FitObservation>& observations, const FitOptions& options);

}  // namespace kvr
