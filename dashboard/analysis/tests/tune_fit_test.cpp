// The fit of the RPM and load fuel numbers against drives made from a map
// that is wrong by a known pattern.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "dashboard/analysis/tune_analysis.h"
#include "dashboard/values/values_image.h"
#include "default_values_image.h"
#include "synthetic_drive.h"

namespace kvr {
namespace {

using namespace tunetest;

TuneResult analyse(const FuelMap& map, const Sensor& sensor, const TuneOptions& options = {},
                   const Drive& drive = lissajousDrive) {
    VectorLogReader reader(buildLog(drive, sensor, LogShape{}));
    TuneSamples samples;
    std::string error;
    EXPECT_TRUE(appendLogSamples(reader, samples, error)) << error;
    return analyseTune(samples, map, TargetAfr::standard(map.mapForm), options);
}

bool fitted(const BinSuggestion& b) { return b.outcome != BinOutcome::TooFewSamples; }

// Each fitted bin's log-multiplier less the mean over the fitted bins, beside
// the same of the true factors: the split between the tables is not in the
// log, only each table's shape.
void expectShapeRecovered(const std::vector<BinSuggestion>& bins, const double* truth, const char* table) {
    double meanFit = 0, meanTruth = 0;
    int n = 0;
    for (const BinSuggestion& b : bins) {
        if (!fitted(b)) continue;
        meanFit += std::log(b.wanted);
        meanTruth += std::log(truth[b.bin]);
        ++n;
    }
    ASSERT_GT(n, 0) << table;
    meanFit /= n;
    meanTruth /= n;
    for (const BinSuggestion& b : bins) {
        if (!fitted(b)) continue;
        EXPECT_NEAR(std::log(b.wanted) - meanFit, std::log(truth[b.bin]) - meanTruth, 0.01)
            << table << " bin " << b.bin << " at " << b.centre;
    }
}

TEST(TuneFit, RecoversEachTablesErrorWhereTheLogHasDataAndLeavesTheRestAlone) {
    const FuelMap map = defaultFuelMap();
    FuelError error;
    for (int r = 0; r < kRpmBins; ++r)
        error.rpm[static_cast<size_t>(r)] = 1 + 0.08 * std::sin(r / 3.0);
    for (int m = 0; m < kLoadBins; ++m)
        error.load[static_cast<size_t>(m)] = 1 + 0.07 * std::cos(m / 5.0);
    const TuneResult result = analyse(map, wideBand(map, error));
    ASSERT_TRUE(result.fit.solved);

    // The drive covers 1000..6000 RPM (bins 2..22) and -20 inHg..10 psi (bins 7..52).
    for (int r = 3; r <= 21; ++r)
        EXPECT_TRUE(fitted(result.rpmBins[static_cast<size_t>(r)])) << "RPM bin " << r;
    for (int m = 8; m <= 51; ++m)
        EXPECT_TRUE(fitted(result.loadBins[static_cast<size_t>(m)])) << "load bin " << m;
    expectShapeRecovered(result.rpmBins, error.rpm.data(), "RPM");
    expectShapeRecovered(result.loadBins, error.load.data(), "load");

    // The sum is observable: every cell the drive crossed gets its whole correction.
    for (int r = 3; r <= 21; r += 3)
        for (int m = 8; m <= 51; m += 5)
            EXPECT_NEAR(std::log(result.rpmBins[static_cast<size_t>(r)].wanted *
                                 result.loadBins[static_cast<size_t>(m)].wanted),
                        std::log(error.rpm[static_cast<size_t>(r)] * error.load[static_cast<size_t>(m)]),
                        0.01)
                << "cell " << r << ", " << m;
    // The level goes to the RPM table: the load changes average to nothing.
    double weighted = 0, weights = 0;
    for (const BinSuggestion& b : result.loadBins) {
        if (!fitted(b)) continue;
        weighted += b.effectiveSamples * std::log(b.wanted);
        weights += b.effectiveSamples;
    }
    EXPECT_NEAR(weighted / weights, 0.0, 1e-9);

    for (int r : {0, 1, 23, 30, 37}) {
        const BinSuggestion& b = result.rpmBins[static_cast<size_t>(r)];
        EXPECT_EQ(b.outcome, BinOutcome::TooFewSamples) << "RPM bin " << r;
        EXPECT_EQ(b.suggested, map.rpmNumbers[static_cast<size_t>(r)]);
    }
    for (int m : {0, 6, 53, 63}) {
        const BinSuggestion& b = result.loadBins[static_cast<size_t>(m)];
        EXPECT_EQ(b.outcome, BinOutcome::TooFewSamples) << "load bin " << m;
        EXPECT_EQ(b.suggested, map.loadNumbers[static_cast<size_t>(m)]);
    }
}

TEST(TuneFit, FuelThatIsAlreadyRightIsLeftWithinOnePercent) {
    const FuelMap map = defaultFuelMap();
    const TuneResult result = analyse(map, wideBand(map, FuelError{}));
    ASSERT_GT(result.kept, 10000);
    int fittedBins = 0;
    for (const auto* table : {&result.rpmBins, &result.loadBins}) {
        for (const BinSuggestion& b : *table) {
            if (!fitted(b)) continue;
            ++fittedBins;
            EXPECT_NEAR(b.wanted, 1.0, 0.01) << "bin " << b.bin << " at " << b.centre;
            EXPECT_LE(std::fabs(b.changePercent()), 1.0) << "bin " << b.bin << " at " << b.centre;
        }
    }
    EXPECT_GT(fittedBins, 50);
    EXPECT_EQ(result.residuals.regions.size(), 0u) << result.residuals.sentence;
}

TEST(TuneFit, HoldsEachChangeToTheLargestStepAndTheStoredRange) {
    FuelMap map = defaultFuelMap();
    map.loadNumbers[20] = 250;  // at -9.6 inHg, inside the drive
    FuelError error;
    for (int r = 8; r <= 10; ++r)
        error.rpm[static_cast<size_t>(r)] = 1.30;
    error.load[20] = 1.10;
    TuneOptions options;
    TuneResult result = analyse(map, wideBand(map, error), options);
    for (int r = 8; r <= 10; ++r) {
        const BinSuggestion& b = result.rpmBins[static_cast<size_t>(r)];
        EXPECT_EQ(b.outcome, BinOutcome::LimitedByMaxChange) << "RPM bin " << r;
        EXPECT_GT(b.wanted, 1.2);
        EXPECT_EQ(b.suggested, static_cast<int>(std::floor(b.current * 1.15))) << "RPM bin " << r;
    }
    const BinSuggestion& full = result.loadBins[20];
    EXPECT_EQ(full.outcome, BinOutcome::LimitedByRange);
    EXPECT_EQ(full.suggested, 255);

    options.fit.maxChange = 0.05;
    result = analyse(map, wideBand(map, error), options);
    for (const auto* table : {&result.rpmBins, &result.loadBins})
        for (const BinSuggestion& b : *table)
            EXPECT_LE(std::fabs(b.changePercent()), 5.0 + 1e-9) << "bin " << b.bin;
    EXPECT_EQ(result.rpmBins[9].outcome, BinOutcome::LimitedByMaxChange);

    // Software before 31 keeps 8-bit RPM numbers.
    std::string old = kvrsim::defaultValuesImage();
    old.replace(static_cast<size_t>(imageBytePosition(506) - 1), 2, "1E");
    FuelMap narrow = defaultFuelMap();
    narrow.rpmNumbers[12] = 240;
    std::string text;
    ASSERT_TRUE(readFuelMap(withFuelNumbers(old, narrow), narrow, text)) << text;
    ASSERT_FALSE(narrow.rpmNumbersWide);
    FuelError lean;
    lean.rpm[12] = 1.12;
    result = analyse(narrow, wideBand(narrow, lean));
    EXPECT_EQ(result.rpmBins[12].outcome, BinOutcome::LimitedByRange);
    EXPECT_EQ(result.rpmBins[12].suggested, 255);
}

TEST(TuneFit, SuggestsAnImageWithTheNewNumbersAGoodChecksumAndNotesOfWhatChanged) {
    const std::string image = kvrsim::defaultValuesImage();
    const FuelMap map = defaultFuelMap();
    FuelError error;
    for (int m = 10; m <= 30; ++m)
        error.load[static_cast<size_t>(m)] = 1.06;
    const TuneResult result = analyse(map, wideBand(map, error));
    ASSERT_TRUE(result.hasChanges());

    const std::string suggested = result.suggestedImage(image);
    ASSERT_EQ(suggested.size(), image.size());
    char sum[5];
    std::snprintf(sum, sizeof sum, "%04X", static_cast<unsigned>(imageChecksum(suggested)));
    EXPECT_EQ(suggested.substr(kSummedLength), sum);
    FuelMap back;
    std::string text;
    ASSERT_TRUE(readFuelMap(suggested, back, text)) << text;
    EXPECT_EQ(back.rpmNumbers, result.suggested.rpmNumbers);
    EXPECT_EQ(back.loadNumbers, result.suggested.loadNumbers);
    EXPECT_EQ(back.warmupNumbers, map.warmupNumbers) << "warm-up is not the fit's to change";

    const std::vector<std::string> notes = result.changeNotes();
    ASSERT_FALSE(notes.empty());
    EXPECT_NE(notes[0].find(std::to_string(result.changedLoadBins()) + " load numbers changed"),
              std::string::npos)
        << notes[0];
    size_t changeLines = 0;
    for (const std::string& line : notes)
        changeLines += line.find(" -> ") != std::string::npos;
    EXPECT_EQ(changeLines, static_cast<size_t>(result.changedRpmBins() + result.changedLoadBins()));
}

TEST(TuneFit, NamesTheRegionWhereTheEngineWantsWhatTheTwoTablesCannotGive) {
    const FuelMap map = defaultFuelMap();
    FuelError error;
    for (int r = 0; r < kRpmBins; ++r)
        error.rpm[static_cast<size_t>(r)] = 1 + 0.05 * std::sin(r / 4.0);
    // 8 % more fuel at 4000..5000 RPM and -15..-10 inHg only: no product of an
    // RPM factor and a load factor gives that.
    auto bump = [](double, const EngineState& s) {
        return s.rpm >= 4000 && s.rpm <= 5000 && s.map >= -15 && s.map <= -10 ? 1.08 : 1.0;
    };
    const TuneResult result = analyse(map, wideBand(map, error, bump));
    ASSERT_FALSE(result.residuals.regions.empty()) << result.residuals.sentence;
    const ResidualRegion& region = result.residuals.regions[0];
    EXPECT_GT(region.percent(), 3.0);
    EXPECT_LT(region.percent(), 8.5);
    EXPECT_GE(region.rpmLow, 3750);
    EXPECT_LE(region.rpmHigh, 5250);
    EXPECT_GE(region.mapLow, -16.1);
    EXPECT_LE(region.mapHigh, -9.0);
    EXPECT_EQ(region.rpmWord, "high");
    EXPECT_EQ(region.mapWord, "low");
    const std::string& s = result.residuals.sentence;
    EXPECT_NE(s.find("more fuel at high RPM"), std::string::npos) << s;
    EXPECT_NE(s.find("low MAP"), std::string::npos) << s;
    EXPECT_NE(s.find("than the two tables can give"), std::string::npos) << s;

    const TuneResult plain = analyse(map, wideBand(map, error));
    EXPECT_TRUE(plain.residuals.regions.empty()) << plain.residuals.sentence;
}

}  // namespace
}  // namespace kvr
