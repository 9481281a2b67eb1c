// How long the tuning analysis takes on a long drive: 300,000 records (a
// little under four hours at the data log's 45 ms) read from memory into
// samples, analysed, and analysed again after an option changes, as the
// window does. Prints the times; not a test.
#include <chrono>
#include <cmath>
#include <cstdio>

#include "dashboard/analysis/tune_analysis.h"
#include "synthetic_drive.h"

using namespace kvr;
using namespace kvr::tunetest;

namespace {

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
    const FuelMap map = defaultFuelMap();
    FuelError error;
    for (int r = 0; r < kRpmBins; ++r)
        error.rpm[static_cast<size_t>(r)] = 1 + 0.08 * std::sin(r / 3.0);
    for (int m = 0; m < kLoadBins; ++m)
        error.load[static_cast<size_t>(m)] = 1 + 0.07 * std::cos(m / 5.0);
    LogShape shape;
    shape.interval = 0.045;
    shape.seconds = 300000 * shape.interval - 0.01;
    // The steady drive with a throttle stab every 2 s: the lag search has
    // steps to align, as in a real drive.
    auto drive = [](double t) {
        EngineState s = lissajousDrive(t);
        if (std::fmod(t, 2.0) < 0.5) {
            s.throttle += 20;
            s.map += 5;
        }
        return s;
    };
    VectorLogReader reader(buildLog(drive, wideBand(map, error), shape));
    const TargetAfr target = TargetAfr::standard(map.mapForm);

    auto start = std::chrono::steady_clock::now();
    TuneSamples samples;
    std::string text;
    if (!appendLogSamples(reader, samples, text)) {
        std::fprintf(stderr, "%s\n", text.c_str());
        return 1;
    }
    const double load = millisecondsSince(start);

    start = std::chrono::steady_clock::now();
    TuneResult result = analyseTune(samples, map, target, TuneOptions{});
    const double first = millisecondsSince(start);

    TuneOptions changed;
    changed.fit.maxChange = 0.10;
    changed.filters.enabled[static_cast<size_t>(TuneFilter::AccelPump)] = false;
    start = std::chrono::steady_clock::now();
    result = analyseTune(samples, map, target, changed);
    const double again = millisecondsSince(start);

    changed.lag.automatic = true;
    start = std::chrono::steady_clock::now();
    result = analyseTune(samples, map, target, changed);
    const double automatic = millisecondsSince(start);

    std::printf("records                 %zu (%zu bytes each)\n", samples.samples.size(), sizeof(TuneSample));
    std::printf("load into samples       %7.1f ms\n", load);
    std::printf("analyse                 %7.1f ms (load + analyse %.1f ms)\n", first, load + first);
    std::printf("re-analyse, new options %7.1f ms\n", again);
    std::printf("re-analyse, lag auto    %7.1f ms (lag %.0f ms, %s; %d throttle steps)\n", automatic,
                result.lagMs, result.lagAutomatic ? "found" : "the default",
                result.lagEstimate.throttleSteps);
    const LagEstimate known = result.lagEstimate;
    changed.fit.maxChange = 0.12;
    start = std::chrono::steady_clock::now();
    result = analyseTune(samples, map, target, changed, &known);
    const double knownLag = millisecondsSince(start);
    std::printf("re-analyse, lag known   %7.1f ms (the lag found before, kept)\n", knownLag);
    std::printf("%s\n", result.summary.c_str());
    return 0;
}
