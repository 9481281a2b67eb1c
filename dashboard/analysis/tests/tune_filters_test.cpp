// The filters: what each removes, the order they are counted in, and the
// bias they keep out of the fit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "dashboard/analysis/tune_analysis.h"
#include "dashboard/analysis/tune_filters.h"
#include "synthetic_drive.h"

namespace kvr {
namespace {

using namespace tunetest;

int64_t removedBy(const TuneResult& r, TuneFilter f) { return r.filters[static_cast<size_t>(f)].removed; }

// Ten seconds at 8 records a second (times exact in binary), warm, steady at
// 3000 RPM, -10 inHg, throttle 20, AFR 14.7, with one fault placed per filter.
TuneSamples handMadeLog() {
    TuneSamples s;
    s.temperatureUnit = 'F';
    s.logs = 1;
    for (int k = 0; k < 80; ++k) {
        TuneSample x;
        x.time = k * 0.125;
        x.rpm = 3000;
        x.map = -10;
        x.throttle = 20;
        x.engineTemp = 190;
        x.mixture = 14.7f;
        x.flags = TuneSample::kRunning | (k == 0 ? TuneSample::kSegmentStart : 0);
        s.samples.push_back(x);
    }
    auto at = [&](int k) -> TuneSample& { return s.samples[static_cast<size_t>(k)]; };
    at(8).engineTemp = 150;                   // cold within the first 2 s: warm, not gap
    at(20).flags &= ~TuneSample::kRunning;    // stopped
    at(24).map = TuneSample::kNone;           // stopped: no MAP
    at(28).flags |= TuneSample::kNarrowBand;  // narrow-band, rich
    at(28).mixture = 0.8f;
    at(40).mixture = TuneSample::kNone;  // ERR
    at(44).mixture = 25;                 // implausible
    at(48).mixture = TuneSample::kNone;  // ERR and cold: afr comes first
    at(48).engineTemp = 150;
    at(56).engineTemp = 150;  // cold
    at(64).rpm = 4000;        // outside the window
    for (int k = 76; k < 80; ++k)
        at(k).throttle = 2;  // snapped shut at 9.5 s
    at(79).rpm = 2800;       // and falling: the overrun
    return s;
}

TEST(TuneFilters, CountEachRemovedRecordUnderTheFirstFilterThatRemovesIt) {
    const TuneSamples samples = handMadeLog();
    TuneOptions options;
    options.lag.ms = 0;
    options.filters.rpmHigh = 3500;
    const TuneResult r = analyseTune(samples, defaultFuelMap(), TargetAfr::flat(14.7), options);
    EXPECT_EQ(removedBy(r, TuneFilter::Stopped), 2);
    EXPECT_EQ(removedBy(r, TuneFilter::Afr), 3);
    EXPECT_EQ(removedBy(r, TuneFilter::NarrowBand), 1);
    EXPECT_EQ(removedBy(r, TuneFilter::Warm), 2);
    // Throttle 20 -> 2 between 9.375 and 9.5 s: the records at 9.5, 9.625 and
    // 9.75 s see more than 20 counts/s of travel in the 0.3 s before them.
    EXPECT_EQ(removedBy(r, TuneFilter::AccelPump), 3);
    EXPECT_EQ(removedBy(r, TuneFilter::DecelCut), 1);
    EXPECT_EQ(removedBy(r, TuneFilter::AfterGap), 15);
    EXPECT_EQ(removedBy(r, TuneFilter::Window), 1);
    EXPECT_TRUE(r.filters[static_cast<size_t>(TuneFilter::Window)].on);
    EXPECT_EQ(r.records, 80);
    EXPECT_EQ(r.kept, 80 - 28);
    EXPECT_EQ(r.rich, 1);
    EXPECT_FALSE(r.narrowBand) << "wide-band readings were kept";

    // A filter turned off hands its records to the next one that removes them.
    TuneOptions noWarm = options;
    noWarm.filters.enabled[static_cast<size_t>(TuneFilter::Warm)] = false;
    const TuneResult w = analyseTune(samples, defaultFuelMap(), TargetAfr::flat(14.7), noWarm);
    EXPECT_EQ(removedBy(w, TuneFilter::Warm), 0);
    EXPECT_EQ(removedBy(w, TuneFilter::AfterGap), 16);
    EXPECT_EQ(removedBy(w, TuneFilter::Afr), 3);
    EXPECT_EQ(w.kept, r.kept + 1);

    // No window set: that filter is off and removes nothing.
    const TuneResult open = analyseTune(samples, defaultFuelMap(), TargetAfr::flat(14.7), TuneOptions{});
    EXPECT_FALSE(open.filters[static_cast<size_t>(TuneFilter::Window)].on);
    EXPECT_EQ(removedBy(open, TuneFilter::Window), 0);
}

TEST(TuneFilters, JudgeWarmthInTheLogsOwnUnit) {
    TuneSamples samples = handMadeLog();
    samples.temperatureUnit = 'C';
    for (TuneSample& x : samples.samples)
        x.engineTemp = 75;                // warm in C
    samples.samples[30].engineTemp = 65;  // below 71 C
    TuneOptions options;
    TuneResult r = analyseTune(samples, defaultFuelMap(), TargetAfr::flat(14.7), options);
    EXPECT_EQ(removedBy(r, TuneFilter::Warm), 1);
    EXPECT_EQ(r.warmLimit, 71);
    EXPECT_EQ(r.temperatureUnit, 'C');
    options.filters.warmLimit = 80;
    r = analyseTune(samples, defaultFuelMap(), TargetAfr::flat(14.7), options);
    EXPECT_GT(removedBy(r, TuneFilter::Warm), 60);
    EXPECT_EQ(warmLimitIn(FilterOptions{}, 'F'), 160);
}

// The steady drive with, below 2500 RPM, a throttle stab every 2 s whose
// accelerator pump richens the first 0.3 s, and every 20 s an overrun: 3 s
// of closed throttle with RPM falling at 600 1/min per second and the
// injectors cut back (AFR 18).
EngineState eventfulDrive(double t) {
    EngineState s = lissajousDrive(t);
    const double stab = std::fmod(t, 2.0);
    if (s.rpm < 2500 && stab >= 0.5 && stab < 1.6)
        s.throttle += 25 * std::clamp(std::min(stab - 0.5, 1.6 - stab) / 0.1, 0.0, 1.0);
    const double overrun = std::fmod(t, 20.0);
    if (overrun >= 10 && overrun < 13) {
        s.throttle = 0;
        s.rpm = std::max(1000.0, s.rpm) + 1500 - 600 * (overrun - 10);
        s.map = -19;
    }
    return s;
}

Sensor eventfulSensor(const FuelMap& map) {
    const Sensor right = wideBand(map, FuelError{});
    return [right](double then, const EngineState& s) {
        const double afr = right(then, s);
        const double overrun = std::fmod(then, 20.0);
        if (overrun >= 10 && overrun < 13) return 18.0;
        const double stab = std::fmod(then, 2.0);
        if (lissajousDrive(then).rpm < 2500 && stab >= 0.5 && stab < 0.8) return afr * 0.75;
        return afr;
    };
}

double largestChange(const TuneResult& r) {
    double largest = 0;
    for (const auto* table : {&r.rpmBins, &r.loadBins})
        for (const BinSuggestion& b : *table)
            largest = std::max(largest, std::fabs(b.changePercent()));
    return largest;
}

TEST(TuneFilters, KeepTheAcceleratorPumpAndTheOverrunOutOfTheFit) {
    const FuelMap map = defaultFuelMap();
    VectorLogReader reader(buildLog(eventfulDrive, eventfulSensor(map), LogShape{}));
    TuneSamples samples;
    std::string error;
    ASSERT_TRUE(appendLogSamples(reader, samples, error)) << error;
    const TargetAfr target = TargetAfr::standard(map.mapForm);

    const TuneResult filtered = analyseTune(samples, map, target, TuneOptions{});
    EXPECT_GT(removedBy(filtered, TuneFilter::AccelPump), 500);
    EXPECT_GT(removedBy(filtered, TuneFilter::DecelCut), 1500);
    EXPECT_LE(largestChange(filtered), 1.0) << "the fuel is right: nothing to change";

    TuneOptions noAccel;
    noAccel.filters.enabled[static_cast<size_t>(TuneFilter::AccelPump)] = false;
    const TuneResult rich = analyseTune(samples, map, target, noAccel);
    EXPECT_GT(largestChange(rich), 3.0) << "the pump's extra fuel reads as a rich map";
    EXPECT_LT(rich.rpmBins[4].changePercent(), -3.0) << "at 1500 RPM, where the stabs are";

    TuneOptions noDecel;
    noDecel.filters.enabled[static_cast<size_t>(TuneFilter::DecelCut)] = false;
    const TuneResult lean = analyseTune(samples, map, target, noDecel);
    EXPECT_GT(lean.loadBins[9].changePercent(), 5.0) << "the cut reads as a lean map at -19 inHg";
}

TEST(TuneFilters, NarrowBandRecordsGiveRichAndLeanCountsButNoNumbers) {
    const FuelMap map = defaultFuelMap();
    FuelError error;
    error.load.fill(1.1);  // lean everywhere a wide-band would see it
    LogShape shape;
    shape.narrowBand = true;
    auto volts = [](double, const EngineState& s) { return s.map > 0 ? 0.8 : 0.1; };  // rich on boost
    const BuiltLog log = buildLog(lissajousDrive, volts, shape);
    int64_t rich = 0, lean = 0;
    for (const LogItem& item : log.items) {
        if (item.row.values[kColTime] < 2.0) continue;  // the first seconds of the log are dropped
        ++(item.row.values[kColO2] > kNarrowBandRichVolts ? rich : lean);
    }
    VectorLogReader reader(log);
    TuneSamples samples;
    std::string text;
    ASSERT_TRUE(appendLogSamples(reader, samples, text)) << text;
    const TuneResult r = analyseTune(samples, map, TargetAfr::standard(map.mapForm), TuneOptions{});
    EXPECT_TRUE(r.narrowBand);
    EXPECT_EQ(r.rich, rich);
    EXPECT_EQ(r.lean, lean);
    EXPECT_EQ(r.kept, 0);
    EXPECT_EQ(r.summary.rfind("narrow-band: no numbers", 0), 0u) << r.summary;
    EXPECT_FALSE(r.hasChanges());
    for (const BinSuggestion& b : r.loadBins)
        EXPECT_EQ(b.outcome, BinOutcome::TooFewSamples);
    int64_t cellRich = 0;
    for (int c = 0; c < kRpmBins; ++c)
        for (int m = 0; m < kLoadBins; ++m)
            cellRich += r.cells.at(c, m).rich;
    EXPECT_EQ(cellRich, rich);
}

}  // namespace
}  // namespace kvr
