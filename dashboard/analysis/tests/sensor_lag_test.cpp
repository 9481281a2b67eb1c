// Finding the oxygen sensor's lag in a log: drives with throttle steps whose
// AFR answers a known time later.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "dashboard/analysis/tune_analysis.h"
#include "synthetic_drive.h"

namespace kvr {
namespace {

using namespace tunetest;

// The throttle snaps between 10 and 40 counts (over 0.1 s) every 1.5 s, MAP
// following it between -15 and 0 inHg, while RPM wanders.
EngineState steppingDrive(double t) {
    EngineState s;
    s.rpm = 2500 + 1000 * std::sin(t / 7);
    const double phase = std::fmod(t, 3.0);
    const double open =
        phase < 1.5 ? std::clamp(phase / 0.1, 0.0, 1.0) : 1 - std::clamp((phase - 1.5) / 0.1, 0.0, 1.0);
    s.throttle = 10 + 30 * open;
    s.map = -15 + 15 * open;
    return s;
}

// A map that is 15 % lean at -15 inHg and right from 0 inHg up: each step
// moves the AFR between about 16.9 and 12.5.
FuelError leanInVacuum(const FuelMap& map) {
    FuelError e;
    for (int m = 0; m < kLoadBins; ++m)
        e.load[static_cast<size_t>(m)] =
            1 - 0.01 * std::clamp(map.loadCentres[static_cast<size_t>(m)], -15.0, 0.0);
    return e;
}

TuneSamples samplesOf(const Drive& drive, const Sensor& sensor, double lagSeconds, double interval) {
    LogShape shape;
    shape.seconds = 300;
    shape.lagSeconds = lagSeconds;
    shape.interval = interval;
    VectorLogReader reader(buildLog(drive, sensor, shape));
    TuneSamples samples;
    std::string error;
    EXPECT_TRUE(appendLogSamples(reader, samples, error)) << error;
    return samples;
}

TEST(SensorLag, FindsTheLagBuiltIntoALogWithThrottleSteps) {
    const FuelMap map = defaultFuelMap();
    const Sensor sensor = wideBand(map, leanInVacuum(map));
    for (const double lagMs : {60.0, 150.0, 280.0}) {
        for (const double interval : {0.045, 0.1}) {
            const TuneSamples samples = samplesOf(steppingDrive, sensor, lagMs / 1000, interval);
            const LagEstimate e = estimateSensorLag(samples, FilterOptions{});
            ASSERT_TRUE(e.found) << e.why;
            EXPECT_NEAR(e.ms, lagMs, 20) << "records every " << interval << " s";
            EXPECT_GT(e.throttleSteps, 150);
            EXPECT_EQ(e.correlations.size(), 41u);
        }
    }
}

TEST(SensorLag, TheAnalysisUsesTheLagFoundOrSaysWhyItCouldNot) {
    const FuelMap map = defaultFuelMap();
    const Sensor sensor = wideBand(map, leanInVacuum(map));
    TuneOptions automatic;
    automatic.lag.automatic = true;
    const TargetAfr target = TargetAfr::standard(map.mapForm);

    const TuneResult found = analyseTune(samplesOf(steppingDrive, sensor, 0.2, 0.05), map, target, automatic);
    EXPECT_TRUE(found.lagAutomatic);
    EXPECT_NEAR(found.lagMs, 200, 20);

    // The steady drive moves the throttle by 7 counts a second at most.
    const TuneResult steady =
        analyseTune(samplesOf(lissajousDrive, sensor, 0.2, 0.05), map, target, automatic);
    EXPECT_FALSE(steady.lagAutomatic);
    EXPECT_FALSE(steady.lagEstimate.found);
    EXPECT_EQ(steady.lagMs, kDefaultLagMs);
    ASSERT_FALSE(steady.notes.empty());
    EXPECT_NE(steady.notes.back().find("the default lag is used"), std::string::npos) << steady.notes.back();

    // A lag found before is used as it is, not looked for again.
    LagEstimate known = found.lagEstimate;
    known.ms = 310;
    const TuneResult again =
        analyseTune(samplesOf(steppingDrive, sensor, 0.2, 0.05), map, target, automatic, &known);
    EXPECT_EQ(again.lagMs, 310);
    EXPECT_TRUE(again.lagAutomatic);

    TuneOptions fixed;
    fixed.lag.ms = 250;
    EXPECT_EQ(analyseTune(samplesOf(steppingDrive, sensor, 0.2, 0.05), map, target, fixed).lagMs, 250);
}

}  // namespace
}  // namespace kvr
