#include "dashboard/analysis/tune_analysis.h"

#include <cmath>
#include <cstdio>

#include "dashboard/analysis/tune_filters.h"
#include "dashboard/analysis/tune_labels.h"

namespace kvr {
namespace {

int changed(const std::vector<BinSuggestion>& bins) {
    int n = 0;
    for (const BinSuggestion& b : bins)
        n += b.suggested != b.current;
    return n;
}

bool windowSet(const FilterOptions& o) {
    return std::isfinite(o.rpmLow) || std::isfinite(o.rpmHigh) || std::isfinite(o.mapLow) ||
           std::isfinite(o.mapHigh);
}

int lowestBit(uint16_t mask) {
    int f = 0;
    while (!(mask & 1u)) {
        mask = static_cast<uint16_t>(mask >> 1);
        ++f;
    }
    return f;
}

std::string changeLine(const BinSuggestion& b, const std::string& label) {
    char text[96];
    std::snprintf(text, sizeof text, ": %d -> %d (%+.1f %%)", b.current, b.suggested, b.changePercent());
    return label + text;
}

void chooseLag(const TuneSamples& samples, const TuneOptions& options, const LagEstimate* known,
               TuneResult& r) {
    r.lagMs = options.lag.ms;
    if (!options.lag.automatic) return;
    r.lagEstimate = known ? *known : estimateSensorLag(samples, options.filters);
    r.lagAutomatic = r.lagEstimate.found;
    r.lagMs = r.lagEstimate.found ? r.lagEstimate.ms : kDefaultLagMs;
    if (!r.lagEstimate.found) r.notes.push_back(r.lagEstimate.why + ": the default lag is used");
}

void suggest(const FuelMap& map, const TuneOptions& options, TuneResult& r) {
    // Without a solved fit every bin is left as it is, as one without data.
    const FuelFit none;
    const FuelFit& f = r.fit.solved ? r.fit : none;
    r.rpmBins = suggestNumbers(f.rpmLog.data(), f.rpmSamples.data(), map.rpmCentres.data(),
                               map.rpmNumbers.data(), kRpmBins, map.rpmNumberMax(), options.fit);
    r.loadBins = suggestNumbers(f.loadLog.data(), f.loadSamples.data(), map.loadCentres.data(),
                                map.loadNumbers.data(), kLoadBins, FuelMap::kLoadNumberMax, options.fit);
    for (const BinSuggestion& b : r.rpmBins)
        r.suggested.rpmNumbers[static_cast<size_t>(b.bin)] = b.suggested;
    for (const BinSuggestion& b : r.loadBins)
        r.suggested.loadNumbers[static_cast<size_t>(b.bin)] = b.suggested;
}

}  // namespace

int TuneResult::changedRpmBins() const { return changed(rpmBins); }
int TuneResult::changedLoadBins() const { return changed(loadBins); }

std::string TuneResult::suggestedImage(const std::string& imageText) const {
    return withFuelNumbers(imageText, suggested);
}

std::vector<std::string> TuneResult::changeNotes() const {
    std::vector<std::string> lines;
    char lag[32];
    std::snprintf(lag, sizeof lag, "%.0f ms", lagMs);
    lines.push_back("Fuel numbers suggested from a data log: " + std::to_string(changedRpmBins()) +
                    " RPM and " + std::to_string(changedLoadBins()) + " load numbers changed (" +
                    std::to_string(kept) + " readings, sensor lag " + lag + ", target AFR " + target + ")");
    for (const BinSuggestion& b : rpmBins)
        if (b.suggested != b.current) lines.push_back(changeLine(b, "RPM fuel at " + rpmLabel(b.centre)));
    for (const BinSuggestion& b : loadBins)
        if (b.suggested != b.current)
            lines.push_back(changeLine(b, "Load fuel at " + mapLabel(b.centre, current.mapForm)));
    if (!residuals.sentence.empty()) lines.push_back(residuals.sentence);
    return lines;
}

TuneResult analyseTune(const TuneSamples& samples, const FuelMap& map, const TargetAfr& target,
                       const TuneOptions& options, const LagEstimate* knownLag) {
    TuneResult r;
    r.options = options;
    r.records = static_cast<int64_t>(samples.samples.size());
    r.current = r.suggested = map;
    r.target = target.describe();
    r.notes = samples.notes;
    r.temperatureUnit = samples.temperatureUnit ? samples.temperatureUnit : 'F';
    r.warmLimit = warmLimitIn(options.filters, r.temperatureUnit);
    FilterOptions filterOptions = options.filters;
    filterOptions.enabled[static_cast<size_t>(TuneFilter::NarrowBand)] = true;  // volts are never fitted
    for (int f = 0; f < kTuneFilterCount; ++f) {
        r.filters[static_cast<size_t>(f)].filter = static_cast<TuneFilter>(f);
        r.filters[static_cast<size_t>(f)].on = filterOptions.enabled[static_cast<size_t>(f)];
    }
    FilterCount& window = r.filters[static_cast<size_t>(TuneFilter::Window)];
    window.on = window.on && windowSet(filterOptions);
    chooseLag(samples, options, knownLag, r);

    SampleFilters filters(samples, filterOptions, r.lagMs / 1000.0);
    const uint16_t narrowOnly = SampleFilters::bit(TuneFilter::NarrowBand);
    std::vector<FitObservation> readings;
    readings.reserve(samples.samples.size());
    for (size_t i = 0; i < samples.samples.size(); ++i) {
        PairedState state;
        const uint16_t removed = filters.judge(i, state);
        const TuneSample& x = samples.samples[i];
        if (removed != 0) {
            ++r.filters[static_cast<size_t>(lowestBit(removed))].removed;
            if (removed == narrowOnly) {
                const bool rich = x.mixture > kNarrowBandRichVolts;
                ++(rich ? r.rich : r.lean);
                r.cells.addNarrowBand(observeReading(map, state.rpm, state.map, 0), rich);
            }
            continue;
        }
        const double ratio = x.mixture / target.at(state.rpm, state.map);
        readings.push_back(observeReading(map, state.rpm, state.map, std::log(ratio)));
    }
    r.kept = static_cast<int64_t>(readings.size());
    if (readings.empty()) {
        r.narrowBand = r.rich + r.lean > 0;
        r.summary = r.narrowBand ? "narrow-band: no numbers (" + std::to_string(r.rich) + " rich, " +
                                       std::to_string(r.lean) + " lean readings)"
                                 : "no record passed the filters: nothing to suggest";
        suggest(map, options, r);
        return r;
    }
    r.fit = fitFuelTables(readings, options.fit);
    if (!r.fit.solved) r.notes.push_back("the fit could not be solved: nothing is suggested");
    r.cells.addReadings(readings, &r.fit);
    suggest(map, options, r);
    r.residuals = summariseResiduals(r.cells, map, options.residuals);
    r.summary = std::to_string(r.changedRpmBins()) + " RPM and " + std::to_string(r.changedLoadBins()) +
                " load fuel numbers changed from " + std::to_string(r.kept) + " readings";
    return r;
}

}  // namespace kvr
