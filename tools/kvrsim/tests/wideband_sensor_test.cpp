// The oxygen sensor: late by its transport delay, slow by its time
// constant, both shorter at speed; noisy by its sigma; within its range.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "wideband_sensor.h"

namespace kvrsim {
namespace {

constexpr double kStepAt = 1.0;
constexpr double kBefore = 14.7, kAfter = 11.7;

double stepAfr(double t) { return t < kStepAt ? kBefore : kAfter; }

// Readings of a step in the true mixture at a steady speed, every `every` seconds.
std::vector<std::pair<double, double>> stepResponse(double rpm, double every, double noise = 0) {
    WidebandSensor sensor(7, noise);
    std::vector<std::pair<double, double>> readings;
    for (int n = 0; n * every < 2.0; ++n) {
        const double t = n * every;
        readings.push_back({t, sensor.read(t, stepAfr, [rpm](double) { return rpm; })});
    }
    return readings;
}

// When the readings first pass `share` of the way from before to after.
double firstPast(const std::vector<std::pair<double, double>>& readings, double share) {
    for (const auto& [t, afr] : readings)
        if ((kBefore - afr) >= share * (kBefore - kAfter)) return t;
    return 1e9;
}

TEST(WidebandSensor, StepShowsAfterTheDelayAndReaches63PercentAfterTheTimeConstant) {
    struct Expect {
        double rpm, delayLow, delayHigh, tauLow, tauHigh;
    };
    // About 150 ms late and 80 ms slow at idle, 50 ms and 30 ms at 6000 RPM.
    for (const Expect& e : {Expect{800, 0.14, 0.16, 0.075, 0.085}, Expect{3000, 0.06, 0.08, 0.03, 0.045},
                            Expect{6000, 0.045, 0.055, 0.027, 0.033}}) {
        const double delay = WidebandSensor::transportDelay(e.rpm), tau = WidebandSensor::timeConstant(e.rpm);
        EXPECT_GE(delay, e.delayLow) << e.rpm;
        EXPECT_LE(delay, e.delayHigh) << e.rpm;
        EXPECT_GE(tau, e.tauLow) << e.rpm;
        EXPECT_LE(tau, e.tauHigh) << e.rpm;

        const auto readings = stepResponse(e.rpm, 0.0005);
        const double shows = firstPast(readings, 0.01) - kStepAt;
        EXPECT_GE(shows, delay) << e.rpm << ": nothing shows before the gas arrives";
        EXPECT_LE(shows, delay + 0.05 * tau + 0.001) << e.rpm;
        const double reaches = firstPast(readings, 1 - std::exp(-1.0)) - kStepAt - delay;
        EXPECT_NEAR(reaches, tau, 0.2 * tau) << e.rpm;
        EXPECT_NEAR(readings.back().second, kAfter, 1e-3) << e.rpm << ": settles on the new mixture";
    }
}

TEST(WidebandSensor, ReadsTheSameHoweverOftenItIsAsked) {
    // At the record rate and at a kilohertz, readings at the same moments agree.
    WidebandSensor often(1, 0), seldom(1, 0);
    auto rpm = [](double t) { return 1500 + 2000 * t; };  // speeding up: the lag shortens as it goes
    for (int n = 0; n < 167; ++n) {
        const double t = n / 83.5;
        for (double s = t - 1 / 83.5 + 0.001; s < t; s += 0.001) often.read(s, stepAfr, rpm);
        const double frequent = often.read(t, stepAfr, rpm);
        EXPECT_NEAR(seldom.read(t, stepAfr, rpm), frequent, 0.01) << t;
    }
}

TEST(WidebandSensor, NoiseHasItsSigmaAndFollowsTheSeed) {
    auto readings = [](unsigned seed) {
        WidebandSensor sensor(seed);
        std::vector<double> v;
        for (int n = 0; n < 20000; ++n)
            v.push_back(sensor.read(n * 0.012, [](double) { return 14.0; }, [](double) { return 2000.0; }));
        return v;
    };
    const std::vector<double> a = readings(3), b = readings(3), c = readings(4);
    EXPECT_EQ(a, b) << "the same seed, the same noise";
    EXPECT_NE(a, c);
    double sum = 0, squares = 0;
    for (double v : a) sum += v;
    const double mean = sum / a.size();
    for (double v : a) squares += (v - mean) * (v - mean);
    EXPECT_NEAR(mean, 14.0, 0.002);
    EXPECT_NEAR(std::sqrt(squares / a.size()), WidebandSensor::kNoise, 0.002);
}

TEST(WidebandSensor, ReadsNoFurtherThanItsRange) {
    WidebandSensor sensor(1, 0);
    auto idle = [](double) { return 900.0; };
    EXPECT_DOUBLE_EQ(sensor.read(0, [](double) { return 30.0; }, idle), WidebandSensor::kLeanest);
    EXPECT_DOUBLE_EQ(sensor.read(5, [](double) { return 5.0; }, idle), WidebandSensor::kRichest)
        << "after a long gap it has settled on the new mixture";
}

TEST(NarrowBandSensor, SwitchesAtStoichiometric) {
    EXPECT_NEAR(narrowBandVolts(14.7), 0.45, 1e-12);
    EXPECT_GT(narrowBandVolts(14.5), 0.45);
    EXPECT_LT(narrowBandVolts(14.9), 0.45);
    EXPECT_GT(narrowBandVolts(12.5), 0.8);
    EXPECT_LT(narrowBandVolts(16.5), 0.1);
    EXPECT_GT(narrowBandVolts(9), 0);
    EXPECT_LT(narrowBandVolts(22), 0.9);
}

}  // namespace
}  // namespace kvrsim
