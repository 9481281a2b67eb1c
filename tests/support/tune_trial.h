// A tuning trial against the simulator's engine whose true fuel need is
// known: drive the map drive on an image, keep every record in a real data
// log file, read it back as the user's tools do, run the analysis, and
// compare its suggestions with the truth. The benchmark and the recovery
// test share it.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "dashboard/analysis/fuel_map.h"
#include "dashboard/analysis/tune_analysis.h"
#include "dashboard/datalog/data_log.h"
#include "dashboard/datalog/msl_format.h"
#include "dashboard/decode/live_record.h"
#include "default_values_image.h"
#include "engine_model.h"
#include "fuel_error.h"
#include "fuel_model.h"
#include "live_record_source.h"

namespace tune_trial {

struct Drive {
    std::string servedImage;  // what the ECU fuels by
    std::string errorName = "mild";
    unsigned seed = 1;
    double seconds = 600;
    double rate = 83.5;  // records a second: the line's full rate
    bool o2 = false;
};

// Drives the engine and writes every record to `path` through the data log,
// as kvrtool log would. False with the reason.
inline bool writeDriveLog(const Drive& d, const std::string& path, std::string& why) {
    kvrsim::FuelError error;
    if (!kvrsim::fuelErrorPreset(d.errorName, error)) {
        why = "no fuel error " + d.errorName;
        return false;
    }
    const std::string reference = kvrsim::defaultValuesImage();
    auto fuel = kvrsim::makeFuelModel(d.servedImage, reference, error, why);
    if (!fuel) return false;
    kvrsim::EngineSettings settings;
    settings.drive = kvrsim::Drive::Map;
    settings.seed = d.seed;
    settings.o2Volts = d.o2;
    const kvrsim::EngineModel engine(settings, *fuel);
    const std::vector<std::string> lines = kvrsim::driveRecords(engine, d.seed, d.seconds, d.rate);

    kvr::FuelMap map;
    if (!kvr::readFuelMap(d.servedImage, map, why)) return false;
    kvr::DataLog log;
    int64_t clock = 1796745600000;
    log.unixClock = [&clock] { return clock; };
    log.newPath = [&path] { return path; };
    log.setImage(map.mapForm, map.softwareVersion);
    const kvr::RecordContext context{&d.servedImage, map.softwareVersion};
    for (size_t i = 0; i < lines.size(); ++i) {
        clock = 1796745600000 + static_cast<int64_t>(std::llround(static_cast<double>(i) * 1000.0 / d.rate));
        std::string line = lines[i];
        kvr::correctIgnition(line);
        log.onRecord(kvr::decodeLiveRecord(line, context));
    }
    log.close();
    if (log.writeError() != 0) {
        why = "writing " + path + " failed";
        return false;
    }
    return true;
}

// Reads a data log into samples for `map`.
inline bool readSamples(const std::string& path, const kvr::FuelMap& map, kvr::TuneSamples& samples,
                        std::string& why) {
    kvr::MslReader reader;
    if (!reader.open(path, why)) return false;
    samples.mapForm = map.mapForm;
    return kvr::appendLogSamples(reader, samples, why);
}

struct Recovery {
    int compared = 0;           // bins with a suggestion, both tables
    double medianPercent = 0;   // |suggested / true multiplier - 1| after each table's level is removed
    double p90Percent = 0;
    double worstPercent = 0;
    int unchangedWithout = 0;   // bins with too few samples left exactly as they were
    int withoutData = 0;        // bins with too few samples
};

// The fit's multipliers against the true ones, per table with each table's
// weighted mean log removed (the split of the level between the two tables
// cannot be seen in a log).
inline Recovery compareWithTruth(const kvr::TuneResult& r, const kvrsim::FuelTruth& truth) {
    std::vector<double> errors;
    Recovery out;
    auto table = [&](const std::vector<kvr::BinSuggestion>& bins, const double* trueMultipliers) {
        double sumW = 0, sumFit = 0, sumTrue = 0;
        for (const kvr::BinSuggestion& b : bins) {
            if (b.outcome == kvr::BinOutcome::TooFewSamples) continue;
            sumW += b.effectiveSamples;
            sumFit += b.effectiveSamples * std::log(b.wanted);
            sumTrue += b.effectiveSamples * std::log(trueMultipliers[b.bin]);
        }
        for (const kvr::BinSuggestion& b : bins) {
            if (b.outcome == kvr::BinOutcome::TooFewSamples) {
                ++out.withoutData;
                out.unchangedWithout += b.suggested == b.current;
                continue;
            }
            const double fit = std::log(b.wanted) - sumFit / sumW;
            const double truthLog = std::log(trueMultipliers[b.bin]) - sumTrue / sumW;
            errors.push_back(std::abs(std::exp(fit - truthLog) - 1) * 100);
        }
    };
    table(r.rpmBins, truth.rpm.data());
    table(r.loadBins, truth.load.data());
    out.compared = static_cast<int>(errors.size());
    if (errors.empty()) return out;
    std::sort(errors.begin(), errors.end());
    out.medianPercent = errors[errors.size() / 2];
    out.p90Percent = errors[std::min(errors.size() - 1, errors.size() * 9 / 10)];
    out.worstPercent = errors.back();
    return out;
}

// The RMS of measured minus target AFR over the readings the analysis kept
// (warm, steady), from its cells: each cell's weighted mean and spread of
// measured / target, scaled by the cell's target.
inline double rmsAfrError(const kvr::TuneResult& r, const kvr::TargetAfr& target) {
    double sum = 0, weight = 0;
    for (int i = 0; i < kvr::kRpmBins; ++i)
        for (int m = 0; m < kvr::kLoadBins; ++m) {
            const kvr::CellStats& c = r.cells.at(i, m);
            if (c.weight <= 0) continue;
            const double t = target.at(r.current.rpmCentres[i], r.current.loadCentres[m]);
            const double meanSquare = c.spread * c.spread + (c.meanRatio - 1) * (c.meanRatio - 1);
            sum += c.weight * meanSquare * t * t;
            weight += c.weight;
        }
    return weight > 0 ? std::sqrt(sum / weight) : 0;
}

// The largest change any bin's fit asks for, in %.
inline double largestWantedPercent(const kvr::TuneResult& r) {
    double most = 0;
    for (const auto* bins : {&r.rpmBins, &r.loadBins})
        for (const kvr::BinSuggestion& b : *bins)
            if (b.outcome != kvr::BinOutcome::TooFewSamples) most = std::max(most, std::abs(b.wanted - 1) * 100);
    return most;
}

}  // namespace tune_trial
