// A logged drive turned into suggested corrections of the ECU's RPM and load
// fuel numbers: the records filtered, each AFR reading paired with the engine
// state a sensor lag before it, the readings' error against the target AFR
// gathered per cell, fitted as one multiplier per RPM bin and per load bin,
// and what the fit cannot represent. Nothing is sent to the ECU: the result
// offers a values image with the suggested numbers, which the user may load.
//
// The samples are read once (tune_samples.h); the analysis is a pure function
// of them and the options, cheap enough to re-run whenever an option changes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "dashboard/analysis/cell_stats.h"
#include "dashboard/analysis/fit_residuals.h"
#include "dashboard/analysis/fuel_fit.h"
#include "dashboard/analysis/fuel_suggestions.h"
#include "dashboard/analysis/sensor_lag.h"
#include "dashboard/analysis/target_afr.h"
#include "dashboard/analysis/tune_options.h"
#include "dashboard/analysis/tune_samples.h"

namespace kvr {

// A narrow-band sensor reads rich above this, lean below.
inline constexpr double kNarrowBandRichVolts = 0.45;

struct FilterCount {
    TuneFilter filter = TuneFilter::Stopped;
    bool on = false;      // for the window: whether one was set
    int64_t removed = 0;  // records this filter was the first to remove
};

struct TuneResult {
    TuneOptions options;  // as the analysis ran
    int64_t records = 0;  // every record read
    int64_t kept = 0;     // the readings the fit used
    std::array<FilterCount, kTuneFilterCount> filters{};
    char temperatureUnit = 'F';
    double warmLimit = 0;  // in temperatureUnit

    double lagMs = kDefaultLagMs;  // the lag used
    bool lagAutomatic = false;     // found in the log (false: as given, or the default)
    LagEstimate lagEstimate;       // when the lag was to be found in the log

    // Only narrow-band readings passed the other filters: rich and lean
    // counts (here and per cell), and no numbers.
    bool narrowBand = false;
    int64_t rich = 0, lean = 0;

    std::string target;  // TargetAfr::describe()
    CellGrid cells;
    FuelFit fit;
    std::vector<BinSuggestion> rpmBins, loadBins;
    ResidualSummary residuals;
    FuelMap current, suggested;
    std::vector<std::string> notes;  // what the user should know about the logs and the choices made
    std::string summary;             // one line: what came of it

    // Bins whose number changes.
    int changedRpmBins() const;
    int changedLoadBins() const;
    bool hasChanges() const { return changedRpmBins() + changedLoadBins() > 0; }
    // The values image text with the suggested numbers and a good checksum.
    std::string suggestedImage(const std::string& imageText) const;
    // Notes lines for the suggested values file: what changed, and why.
    std::vector<std::string> changeNotes() const;
};

// With options.lag.automatic, `knownLag` (the lagEstimate of an earlier
// result on the same samples) spares finding the lag again: it depends only
// on the samples and the AFR range and throttle limit of the filters.
TuneResult analyseTune(const TuneSamples& samples, const FuelMap& map, const TargetAfr& target,
                       const TuneOptions& options, const LagEstimate* knownLag = nullptr);

}  // namespace kvr
