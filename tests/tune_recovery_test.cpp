// Tuning from a log against the simulator's engine with a known fuel need, in
// short: five simulated minutes of the map drive, a real data log file, the
// analysis, and its suggestions against the truth; then the drive again on
// the suggested image. The benchmark runs the long version with the tight
// targets; this one is tolerant enough to hold on any machine and seed.
#include <gtest/gtest.h>

#include <stdlib.h>

#include "support/scratch_logs.h"
#include "support/tune_trial.h"

namespace {

class TuneRecovery : public ::testing::Test {
protected:
    TuneRecovery() : dir(makeScratchDir("kvr-tune")), log(dir + "/drive.msl") {
        std::string why;
        EXPECT_TRUE(kvr::readFuelMap(image, map, why)) << why;
        options.filters.warmLimit = 175;  // the simulated engine settles at 180 F
    }
    ~TuneRecovery() override { std::system(("rm -rf '" + dir + "'").c_str()); }

    kvr::TuneResult analyse(const tune_trial::Drive& d) {
        std::string why;
        kvr::FuelMap served;
        kvr::TuneSamples samples;
        EXPECT_TRUE(tune_trial::writeDriveLog(d, log, why)) << why;
        EXPECT_TRUE(kvr::readFuelMap(d.servedImage, served, why)) << why;
        EXPECT_TRUE(tune_trial::readSamples(log, served, samples, why)) << why;
        return kvr::analyseTune(samples, served, kvr::TargetAfr::standard(served.mapForm), options);
    }

    const std::string image = kvrsim::defaultValuesImage();
    std::string dir, log;
    kvr::FuelMap map;
    kvr::TuneOptions options;
};

TEST_F(TuneRecovery, SuggestionsFindTheKnownErrorAndBringTheMixtureToItsTarget) {
    const tune_trial::Drive drive{image, "mild", 7, 300, 83.5, false};
    const kvr::TuneResult first = analyse(drive);
    kvrsim::FuelError error;
    ASSERT_TRUE(kvrsim::fuelErrorPreset("mild", error));
    const tune_trial::Recovery r = tune_trial::compareWithTruth(first, kvrsim::fuelTruth(error, map));
    EXPECT_GT(r.compared, 30) << "five minutes of the map drive give most bins their samples";
    EXPECT_LT(r.medianPercent, 3.0);
    EXPECT_LT(r.p90Percent, 6.0);
    EXPECT_EQ(r.unchangedWithout, r.withoutData) << "bins without enough data stay as they are";

    // Driven again on the suggestion, the same engine runs much closer to its target.
    tune_trial::Drive again = drive;
    again.servedImage = first.suggestedImage(image);
    again.seed = 8;
    const kvr::TargetAfr target = kvr::TargetAfr::standard(map.mapForm);
    const double before = tune_trial::rmsAfrError(first, target);
    const double after = tune_trial::rmsAfrError(analyse(again), target);
    EXPECT_GT(before, 0.5) << "the mild error is visible";
    EXPECT_LT(after, before * 0.5);
}

TEST_F(TuneRecovery, ARightEngineKeepsItsNumbersAndANarrowBandLogGetsNone) {
    const kvr::TuneResult right = analyse({image, "none", 9, 300, 83.5, false});
    EXPECT_LT(tune_trial::largestWantedPercent(right), 2.0);

    const kvr::TuneResult narrow = analyse({image, "mild", 9, 300, 83.5, true});
    EXPECT_TRUE(narrow.narrowBand);
    EXPECT_GT(narrow.rich + narrow.lean, 1000);
    EXPECT_FALSE(narrow.hasChanges());
}

}  // namespace
