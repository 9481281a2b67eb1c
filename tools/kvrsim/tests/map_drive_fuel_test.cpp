// The map drive's mixture as the records carry it: on steady warm stretches
// it is the fuel model's truth, cold it is rich by the warm-up fuel, and a
// drive on an image corrected by the truth comes to the target but for the
// interaction.
#include <gtest/gtest.h>

#include <cmath>

#include "dashboard/analysis/fuel_map.h"
#include "drive_samples.h"
#include "fuel_model.h"

namespace kvrsim {
namespace {

// Mixture against the target on the drive's steady warm records, and how
// far that is from what `expected` says for each.
struct Departure {
    int samples = 0;
    double meanAbs = 0;
    double within2Percent = 0;  // share of samples
};

template <typename Expected>
Departure steadyWarmDeparture(const std::vector<kvr::LiveRecord>& records, Expected expected) {
    Departure d;
    int within = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        const kvr::LiveRecord& r = records[i];
        if (*r.engineTemp < FuelModel::kWarmEngineTemp || !steady(records, i, 1.0)) continue;
        const double runs = *r.afr / FuelModel::targetAfr(*r.map);
        const double off = std::abs(runs / expected(*r.rpm, *r.map) - 1);
        ++d.samples;
        d.meanAbs += off;
        within += off < 0.02;
    }
    if (d.samples > 0) {
        d.meanAbs /= d.samples;
        d.within2Percent = double(within) / d.samples;
    }
    return d;
}

std::vector<kvr::LiveRecord> drive(const EngineModel& engine, unsigned seed) {
    return decodeRecords(driveRecords(engine, seed, 600, kRecordRate), defaultValuesImage());
}

TEST(MapDriveFuel, SteadyRecordsReadTheEnginesTrueMixture) {
    for (const char* name : {"none", "wild"}) {
        const EngineModel engine = mapDriveEngine(1, name);
        const Departure d = steadyWarmDeparture(
            drive(engine, 1), [&](double rpm, double map) { return engine.fuel()->errorAt(rpm, map); });
        EXPECT_GT(d.samples, 10000) << name;
        EXPECT_LT(d.meanAbs, 0.006) << name << ": noise and the record's one decimal";
        EXPECT_GT(d.within2Percent, 0.99) << name;
    }
}

TEST(MapDriveFuel, ColdItReadsRichByTheImagesWarmUpFuel) {
    const EngineModel engine = mapDriveEngine(2, "none");
    const kvr::FuelMap& m = engine.fuel()->served();
    const auto records = drive(engine, 2);
    int samples = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        const kvr::LiveRecord& r = records[i];
        if (*r.engineTemp > 120 || !steady(records, i, 1.0)) continue;
        ++samples;
        const double rich = kvr::warmupFactorAt(m, FuelModel::kWarmEngineTemp) / kvr::warmupFactorAt(m, *r.engineTemp);
        EXPECT_NEAR(*r.afr / FuelModel::targetAfr(*r.map), rich, 0.02) << "at " << i / kRecordRate << " s";
    }
    EXPECT_GT(samples, 1000);
}

TEST(MapDriveFuel, DrivingTheCorrectedImageComesToTheTargetButForTheInteraction) {
    const std::string image = defaultValuesImage();
    for (const char* name : {"mild", "wild"}) {
        const EngineModel engine = mapDriveEngine(3, name);
        const FuelError& error = engine.fuel()->error();
        auto interactionOnly = [&](double rpm, double map) { return error.interactionAt(rpm, map); };
        const Departure before = steadyWarmDeparture(drive(engine, 3), interactionOnly);

        // The image a perfect two-table fit would write, served to the same engine.
        kvr::FuelMap fixed = engine.fuel()->served();
        const FuelTruth truth = fuelTruth(*engine.fuel(), fixed);
        for (int r = 0; r < kvr::kRpmBins; ++r)
            fixed.rpmNumbers[r] = static_cast<int>(std::lround(fixed.rpmNumbers[r] * truth.rpm[r]));
        for (int j = 0; j < kvr::kLoadBins; ++j)
            fixed.loadNumbers[j] = static_cast<int>(std::lround(fixed.loadNumbers[j] * truth.load[j]));
        const EngineModel corrected = mapDriveEngine(3, name, kvr::withFuelNumbers(image, fixed));
        EXPECT_EQ(corrected.fuel()->served().loadNumbers, fixed.loadNumbers);
        const Departure after = steadyWarmDeparture(drive(corrected, 3), interactionOnly);

        EXPECT_GT(before.meanAbs, 0.04) << name;
        EXPECT_LT(after.meanAbs, 0.012) << name << ": noise, whole fuel numbers and straight lines between centres";
        EXPECT_GT(after.within2Percent, 0.85) << name;
    }
}

}  // namespace
}  // namespace kvrsim
