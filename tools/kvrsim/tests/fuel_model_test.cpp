// The simulated engine's fuelling: the right image runs at the target, the
// truth the fuel model reports is what the engine runs at, and an image
// corrected by that truth leaves only what two tables cannot fix.
#include <gtest/gtest.h>

#include <cmath>

#include "default_values_image.h"
#include "engine_breathing.h"
#include "fuel_model.h"

namespace kvrsim {
namespace {

kvr::FuelMap defaultMap() {
    kvr::FuelMap map;
    std::string why;
    EXPECT_TRUE(kvr::readFuelMap(defaultValuesImage(), map, why)) << why;
    return map;
}

FuelError preset(const char* name) {
    FuelError e;
    EXPECT_TRUE(fuelErrorPreset(name, e)) << name;
    return e;
}

// The bins a drive can reach: RPM centres from 800 to 6500, load centres
// from 20 inHg of vacuum to 10 psi of boost.
bool reachableRpm(const kvr::FuelMap& m, int r) { return m.rpmCentres[r] >= 800 && m.rpmCentres[r] <= 6500; }
bool reachableLoad(const kvr::FuelMap& m, int j) { return m.loadCentres[j] >= -20 && m.loadCentres[j] <= 10; }

// `image` with each fuel number multiplied as `truth` says, written into a
// values image and read back, as a tuner's corrected image would be.
kvr::FuelMap corrected(const kvr::FuelMap& image, const FuelTruth& truth) {
    kvr::FuelMap m = image;
    for (int r = 0; r < kvr::kRpmBins; ++r) m.rpmNumbers[r] = static_cast<int>(std::lround(m.rpmNumbers[r] * truth.rpm[r]));
    for (int j = 0; j < kvr::kLoadBins; ++j)
        m.loadNumbers[j] = static_cast<int>(std::lround(m.loadNumbers[j] * truth.load[j]));
    kvr::FuelMap back;
    std::string why;
    EXPECT_TRUE(kvr::readFuelMap(kvr::withFuelNumbers(defaultValuesImage(), m), back, why)) << why;
    return back;
}

TEST(FuelModel, TheTargetIsLeanInVacuumAndRichOnBoost) {
    EXPECT_DOUBLE_EQ(FuelModel::targetAfr(-20), 14.7);
    EXPECT_DOUBLE_EQ(FuelModel::targetAfr(-5), 14.7);
    EXPECT_DOUBLE_EQ(FuelModel::targetAfr(-2.5), 13.6);
    EXPECT_DOUBLE_EQ(FuelModel::targetAfr(0), 12.5);
    EXPECT_DOUBLE_EQ(FuelModel::targetAfr(9), 12.5);
}

TEST(FuelModel, TheRightImageRunsWarmAtTheTargetAndColdRicherByItsWarmUpFuel) {
    const kvr::FuelMap image = defaultMap();
    const FuelModel engine(image, image, preset("none"));
    for (double rpm = 800; rpm <= 6500; rpm += 137) {
        for (double map = -20; map <= 10; map += 0.7) {
            const double target = FuelModel::targetAfr(map);
            EXPECT_NEAR(engine.trueAfr(rpm, map, FuelModel::kWarmEngineTemp), target, 1e-9) << rpm << " " << map;
            EXPECT_NEAR(engine.errorAt(rpm, map), 1.0, 1e-12);
            // Cold, the image's warm-up fuel makes it rich by just that much.
            const double cold = engine.trueAfr(rpm, map, 50);
            EXPECT_NEAR(cold, target * kvr::warmupFactorAt(image, FuelModel::kWarmEngineTemp) /
                                  kvr::warmupFactorAt(image, 50),
                        1e-9);
            EXPECT_LT(cold, 0.8 * target);
        }
    }
}

TEST(FuelModel, TheTruthIsWhatTheEngineRunsAtOnEveryPairOfBinCentres) {
    const kvr::FuelMap reference = defaultMap();
    // An image a tuner has been at: RPM numbers up to 12 % off, load numbers up to 9 %.
    kvr::FuelMap served = reference;
    for (int r = 0; r < kvr::kRpmBins; ++r)
        served.rpmNumbers[r] = static_cast<int>(std::lround(served.rpmNumbers[r] * (1 + 0.12 * std::sin(r * 0.7))));
    for (int j = 0; j < kvr::kLoadBins; ++j)
        served.loadNumbers[j] = static_cast<int>(std::lround(served.loadNumbers[j] * (1 - 0.09 * std::cos(j * 0.4))));
    for (const char* name : {"none", "mild", "wild", "lean"}) {
        const FuelError error = preset(name);
        // The reference image itself: the truth is the pattern at its centres.
        const FuelTruth own = fuelTruth(error, reference);
        for (int r = 0; r < kvr::kRpmBins; ++r) EXPECT_NEAR(own.rpm[r], error.rpmFactor(reference.rpmCentres[r]), 1e-9);
        for (int j = 0; j < kvr::kLoadBins; ++j)
            EXPECT_NEAR(own.load[j], error.mapFactor(reference.loadCentres[j]), 1e-9) << name << " bin " << j;

        // Another image: the engine's mixture against the target is the
        // truth's two factors times the interaction.
        const FuelModel engine(served, reference, error);
        const FuelTruth truth = fuelTruth(engine, served);
        for (int r = 0; r < kvr::kRpmBins; ++r) {
            if (!reachableRpm(served, r)) continue;
            for (int j = 0; j < kvr::kLoadBins; ++j) {
                if (!reachableLoad(served, j)) continue;
                const double rpm = served.rpmCentres[r], map = served.loadCentres[j];
                const double runs = engine.trueAfr(rpm, map, FuelModel::kWarmEngineTemp) / FuelModel::targetAfr(map);
                EXPECT_NEAR(runs, truth.rpm[r] * truth.load[j] * error.interactionAt(rpm, map), 1e-9)
                    << name << " at " << rpm << " RPM, " << map;
            }
        }
    }
}

TEST(FuelModel, AnImageCorrectedByTheTruthLeavesOnlyTheInteraction) {
    const kvr::FuelMap image = defaultMap();
    for (const char* name : {"mild", "wild"}) {
        const FuelError error = preset(name);
        const FuelModel before(image, image, error);
        // Served with the corrected image, the engine (its need) stays the same.
        const FuelModel after(corrected(image, fuelTruth(before, image)), image, error);
        double worstBefore = 0;
        for (int r = 0; r < kvr::kRpmBins; ++r) {
            if (!reachableRpm(image, r)) continue;
            for (int j = 0; j < kvr::kLoadBins; ++j) {
                if (!reachableLoad(image, j)) continue;
                const double rpm = image.rpmCentres[r], map = image.loadCentres[j];
                const double interaction = error.interactionAt(rpm, map);
                worstBefore = std::max(worstBefore, std::abs(before.errorAt(rpm, map) / interaction - 1));
                // Whole fuel numbers: each is off by up to half a unit.
                const double rounding =
                    0.5 / after.served().rpmNumbers[r] + 0.5 / after.served().loadNumbers[j] + 1e-9;
                EXPECT_NEAR(after.errorAt(rpm, map) / interaction, 1.0, rounding) << name << " at " << rpm << ", " << map;
                EXPECT_NEAR(after.trueAfr(rpm, map, FuelModel::kWarmEngineTemp),
                            FuelModel::targetAfr(map) * after.errorAt(rpm, map), 1e-9);
            }
        }
        EXPECT_GT(worstBefore, 0.08) << name << ": the uncorrected image was well off";
    }
}

TEST(FuelModel, MoreFuelInTheServedImageRunsRicherByAsMuch) {
    const kvr::FuelMap image = defaultMap();
    kvr::FuelMap richer = image;
    for (int& n : richer.rpmNumbers) n *= 2;
    const FuelError error = preset("wild");
    const FuelModel engine(image, image, error), fed(richer, image, error);
    for (double rpm : {900.0, 2750.0, 5100.0}) {
        for (double map : {-15.0, -3.3, 6.1}) {
            EXPECT_NEAR(fed.trueAfr(rpm, map, 120), engine.trueAfr(rpm, map, 120) / 2, 1e-9);
            EXPECT_NEAR(fed.need(rpm, map), engine.need(rpm, map), 1e-9) << "the need stays with the engine";
        }
    }
}

TEST(FuelModel, ReadsAnAbsoluteSensorsMapInItsOwnUnits) {
    const kvr::FuelMap image = defaultMap();
    // The same table read by an absolute sensor: load centres in inHg absolute.
    kvr::FuelMap absolute = image;
    absolute.mapForm = kvr::MapForm::Absolute;
    for (double& c : absolute.loadCentres) c = ecuMapValue(kvr::mapKpaAbsolute(c, kvr::MapForm::Gauge), kvr::MapForm::Absolute);
    const FuelError error = preset("mild");
    const FuelModel gauge(image, image, error), mixed(absolute, image, error);
    for (double kpa : {40.0, 90.0, 130.0}) {
        const double g = ecuMapValue(kpa, kvr::MapForm::Gauge), a = ecuMapValue(kpa, kvr::MapForm::Absolute);
        EXPECT_NEAR(mixed.gaugeMapOf(a), g, 1e-9);
        EXPECT_NEAR(mixed.trueAfr(3000, a, 180), gauge.trueAfr(3000, g, 180), 1e-6) << kpa;
    }
}

TEST(FuelModel, IsMadeFromImageTextsOrSaysWhyNot) {
    std::string why;
    const std::string image = defaultValuesImage();
    const auto made = makeFuelModel(image, image, preset("mild"), why);
    ASSERT_TRUE(made) << why;
    EXPECT_EQ(made->error().name, "mild");
    EXPECT_EQ(made->served().rpmNumbers, defaultMap().rpmNumbers);
    EXPECT_FALSE(makeFuelModel(image.substr(0, 100), image, FuelError{}, why));
    EXPECT_NE(why.find("too short"), std::string::npos) << why;
    EXPECT_FALSE(makeFuelModel(image, "short", FuelError{}, why));
    EXPECT_EQ(why.rfind("the fuel reference: ", 0), 0u) << why;
}

}  // namespace
}  // namespace kvrsim
