// Reading logs into the analysis's samples: columns by name in any order,
// breaks, units, and what a log must have.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "dashboard/analysis/tune_analysis.h"
#include "dashboard/datalog/msl_format.h"
#include "synthetic_drive.h"

namespace kvr {
namespace {

using namespace tunetest;

LogItem row(std::vector<double> values) {
    LogItem item;
    item.row.values = std::move(values);
    return item;
}

LogItem marker(double seconds, const std::string& text) {
    LogItem item;
    item.kind = LogItem::Marker;
    item.marker = {seconds, text};
    return item;
}

// Another tool's order and names: MAP in kPa only, temperatures in C.
BuiltLog foreignLog() {
    BuiltLog log;
    log.header.columns = {{"Time", "s"},    {"AFR", "AFR"}, {"Engine load", "%"}, {"TPS", "counts"},
                          {"RPM", "1/min"}, {"CLT", "C"},   {"MAP kPa", "kPa"},   {"Running", ""}};
    log.items = {
        row({0.0, 14.1, 50, 12, 2000, 80, 67.46, 1}),  row({0.1, 14.2, 50, 13, 2100, 80, 101.325, 1}),
        row({1.0, 14.3, 50, 14, 2200, 80, 135.8, 1}),  // a jump in Time: a break
        row({1.1, kMissing, 50, 15, 0, 80, 67.46, 0}), marker(1.1, "gap: device gone, 3.0 s"),
        row({1.2, 13.9, 50, 16, 2300, 80, 67.46, 1}),  row({1.3, 13.8, 50, 17, 2400, 80, 67.46, 1})};
    log.items.push_back(row({}));
    log.items.back().row.separator = true;
    log.items.push_back(row({1.4, 13.7, 50, 18, 2500, 81, 67.46, 1}));
    return log;
}

TEST(TuneSamples, FindsColumnsByNameAndMarksEveryKindOfBreak) {
    VectorLogReader reader(foreignLog());
    TuneSamples s;
    std::string error;
    ASSERT_TRUE(appendLogSamples(reader, s, error)) << error;
    ASSERT_EQ(s.samples.size(), 7u);
    EXPECT_EQ(s.logs, 1);
    EXPECT_EQ(s.temperatureUnit, 'C');
    const TuneSample& first = s.samples[0];
    EXPECT_FLOAT_EQ(first.mixture, 14.1f);
    EXPECT_FLOAT_EQ(first.throttle, 12);
    EXPECT_FLOAT_EQ(first.rpm, 2000);
    EXPECT_FLOAT_EQ(first.engineTemp, 80);
    EXPECT_NEAR(first.map, -10.0, 0.01) << "67.46 kPa is 10 inHg of vacuum";
    EXPECT_NEAR(s.samples[1].map, 0.0, 1e-6);
    EXPECT_NEAR(s.samples[2].map, 5.0, 0.01) << "135.8 kPa is 5 psi of boost";
    EXPECT_FALSE(s.samples[3].has(TuneSample::kRunning));
    EXPECT_TRUE(std::isnan(s.samples[3].mixture));
    const bool starts[7] = {true, false, true, false, true, false, true};
    for (size_t i = 0; i < 7; ++i)
        EXPECT_EQ(s.samples[i].has(TuneSample::kSegmentStart), starts[i]) << "sample " << i;
}

TEST(TuneSamples, KeepsOneTemperatureUnitAndNumbersEachLog) {
    TuneSamples s;
    std::string error;
    VectorLogReader celsius(foreignLog());
    ASSERT_TRUE(appendLogSamples(celsius, s, error)) << error;
    LogShape shape;
    shape.seconds = 1;
    VectorLogReader fahrenheit(buildLog(
        lissajousDrive, [](double, const EngineState&) { return 14.7; }, shape));
    ASSERT_TRUE(appendLogSamples(fahrenheit, s, error)) << error;
    EXPECT_EQ(s.logs, 2);
    const TuneSample& second = s.samples[7];
    EXPECT_EQ(second.log, 1);
    EXPECT_TRUE(second.has(TuneSample::kSegmentStart));
    EXPECT_NEAR(second.engineTemp, (190 - 32) * 5 / 9.0, 1e-3) << "190 F in the first log's C";
    EXPECT_NEAR(second.map, -20 + 30 * 6 / 13.0, 0.01) << "the MAP column, in inHg";
}

TEST(TuneSamples, RefusesALogWithoutWhatTheFitNeedsOrFromAnotherSensor) {
    TuneSamples s;
    std::string error;
    BuiltLog noThrottle = foreignLog();
    noThrottle.header.columns[3].name = "Throttle %";
    noThrottle.header.columns[1].name = "Lambda";
    VectorLogReader a(noThrottle);
    EXPECT_FALSE(appendLogSamples(a, s, error));
    EXPECT_EQ(error, "the log has no TPS or AFR column");

    BuiltLog absolute = buildLog(
        lissajousDrive, [](double, const EngineState&) { return 14.7; }, LogShape{});
    absolute.header.columns[kColMap].unit = "inHg abs";
    VectorLogReader b(absolute);
    EXPECT_FALSE(appendLogSamples(b, s, error));
    EXPECT_NE(error.find("inHg abs"), std::string::npos) << error;
    EXPECT_EQ(s.logs, 0);

    BuiltLog noTemperature = foreignLog();
    noTemperature.header.columns[5].name = "Coolant";
    VectorLogReader c(noTemperature);
    ASSERT_TRUE(appendLogSamples(c, s, error)) << error;
    ASSERT_EQ(s.notes.size(), 1u);
    EXPECT_NE(s.notes[0].find("warm-up filter cannot judge"), std::string::npos) << s.notes[0];
}

TEST(TuneSamples, AnMslLogAnalysesAsTheLogItWasWrittenFrom) {
    const FuelMap map = defaultFuelMap();
    FuelError error;
    for (int m = 0; m < kLoadBins; ++m)
        error.load[static_cast<size_t>(m)] = 1 + 0.05 * std::sin(m / 6.0);
    const BuiltLog log = buildLog(lissajousDrive, wideBand(map, error), LogShape{});
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(writeMsl(log, file));
    std::rewind(file);
    MslReader msl;
    std::string text;
    ASSERT_TRUE(msl.open(file, text)) << text;
    TuneSamples fromFile, inMemory;
    ASSERT_TRUE(appendLogSamples(msl, fromFile, text)) << text;
    std::fclose(file);
    VectorLogReader memory(log);
    ASSERT_TRUE(appendLogSamples(memory, inMemory, text)) << text;
    ASSERT_EQ(fromFile.samples.size(), inMemory.samples.size());

    // The file keeps AFR and MAP to 0.1: the fit moves by far less than that.
    const TargetAfr target = TargetAfr::standard(map.mapForm);
    const TuneResult a = analyseTune(fromFile, map, target, TuneOptions{});
    const TuneResult b = analyseTune(inMemory, map, target, TuneOptions{});
    EXPECT_EQ(a.kept, b.kept);
    int compared = 0;
    for (int m = 0; m < kLoadBins; ++m) {
        const BinSuggestion& x = a.loadBins[static_cast<size_t>(m)];
        const BinSuggestion& y = b.loadBins[static_cast<size_t>(m)];
        EXPECT_EQ(x.outcome, y.outcome) << "load bin " << m;
        if (y.outcome == BinOutcome::TooFewSamples) continue;
        EXPECT_NEAR(x.wanted, y.wanted, 0.003) << "load bin " << m;
        ++compared;
    }
    EXPECT_GT(compared, 40);
}

}  // namespace
}  // namespace kvr
