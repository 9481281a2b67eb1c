// The map drive: ten minutes of it hold still in most of the fuel map's
// bins, the same seed drives the same way, and its fields agree with each
// other (warm-up, pulse width and fuel, fuel cut on lift-offs, the
// accelerator pump on throttle steps).
#include <gtest/gtest.h>

#include <algorithm>

#include "dashboard/analysis/fuel_map.h"
#include "drive_samples.h"
#include "map_drive.h"

namespace kvrsim {
namespace {

kvr::FuelMap defaultMap() {
    kvr::FuelMap map;
    std::string why;
    EXPECT_TRUE(kvr::readFuelMap(defaultValuesImage(), map, why)) << why;
    return map;
}

TEST(MapDrive, TenMinutesHoldStillInMostBins) {
    const kvr::FuelMap m = defaultMap();
    for (unsigned seed : {1u, 2024u}) {
        const auto records = decodeRecords(driveRecords(mapDriveEngine(seed), seed, 600, kRecordRate), defaultValuesImage());
        ASSERT_EQ(records.size(), 50100u);
        std::vector<int> rpmSamples(kvr::kRpmBins), loadSamples(kvr::kLoadBins);
        for (size_t i = 0; i < records.size(); ++i) {
            if (!steady(records, i, 0.5)) continue;
            ++rpmSamples[nearestBin(m.rpmCentres.data(), kvr::kRpmBins, *records[i].rpm)];
            ++loadSamples[nearestBin(m.loadCentres.data(), kvr::kLoadBins, *records[i].map)];
        }
        int rpmBins = 0, rpmCovered = 0, loadBins = 0, loadCovered = 0;
        for (int r = 0; r < kvr::kRpmBins; ++r) {
            if (m.rpmCentres[r] < 800 || m.rpmCentres[r] > 6500) continue;
            ++rpmBins;
            rpmCovered += rpmSamples[r] >= 20;
        }
        for (int j = 0; j < kvr::kLoadBins; ++j) {
            if (m.loadCentres[j] < -20 || m.loadCentres[j] > 8.2) continue;  // 20 inHg to 8 psi
            ++loadBins;
            loadCovered += loadSamples[j] >= 20;
        }
        EXPECT_EQ(rpmBins, 23);
        EXPECT_EQ(loadBins, 40);
        EXPECT_GE(rpmCovered, 0.7 * rpmBins) << "seed " << seed;
        EXPECT_GE(loadCovered, 0.6 * loadBins) << "seed " << seed;
    }
}

TEST(MapDrive, TheSameSeedDrivesTheSameWay) {
    const auto first = driveRecords(mapDriveEngine(5, "mild"), 5, 120, kRecordRate);
    EXPECT_EQ(driveRecords(mapDriveEngine(5, "mild"), 5, 120, kRecordRate), first);
    EXPECT_NE(driveRecords(mapDriveEngine(6, "mild"), 6, 120, kRecordRate), first);
    // The sensor's noise has its own seed: the drive itself stays.
    const auto otherNoise = driveRecords(mapDriveEngine(5, "mild"), 99, 120, kRecordRate);
    ASSERT_EQ(otherNoise.size(), first.size());
    int differ = 0;
    for (size_t i = 0; i < first.size(); ++i) {
        ASSERT_EQ(first[i].substr(0, 28), otherNoise[i].substr(0, 28)) << "record " << i;
        differ += first[i] != otherNoise[i];
    }
    EXPECT_GT(differ, 0.2 * first.size());
}

TEST(MapDrive, ColdStartsAndGoesEverywhere) {
    const auto records = decodeRecords(driveRecords(mapDriveEngine(3), 3, 900, 10), defaultValuesImage());
    EXPECT_NEAR(*records.front().engineTemp, 50, 1);
    EXPECT_GE(*records[600].engineTemp, 100) << "a minute in";
    EXPECT_LT(*records[600].engineTemp, 160);
    EXPECT_NEAR(*records[2000].engineTemp, 180, 0.5) << "warm from 200 s";
    EXPECT_TRUE(records.front().outputs.value() & 0x04) << "fast idle while cold";
    EXPECT_GT(*records.front().rpm, 1100) << "and a fast idle speed";
    double lowRpm = 1e9, highRpm = 0, lowMap = 1e9, highMap = -1e9;
    int steps = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        lowRpm = std::min(lowRpm, *records[i].rpm);
        highRpm = std::max(highRpm, *records[i].rpm);
        lowMap = std::min(lowMap, *records[i].map);
        highMap = std::max(highMap, *records[i].map);
        EXPECT_NEAR(*records[i].engineTemp, MapDrive::engineTempAt(i / 10.0), 0.5);
        if (i > 0 && records[i].throttle >= records[i - 1].throttle + 5) ++steps;
    }
    EXPECT_LT(lowRpm, 900);
    EXPECT_GT(highRpm, 6200);
    EXPECT_LT(lowMap, -20);
    EXPECT_GT(highMap, 9.5) << "psi of boost";
    EXPECT_LE(highMap, 10.5);
    EXPECT_GE(steps, 30) << "the throttle is stepped open, not only eased";
}

TEST(MapDrive, PulseWidthIsTheFuelTheImageDelivers) {
    const kvr::FuelMap m = defaultMap();
    const auto records = decodeRecords(driveRecords(mapDriveEngine(4), 4, 600, 20), defaultValuesImage());
    std::vector<double> perFuel;
    int cut = 0;
    for (size_t i = 20; i < records.size(); ++i) {
        const kvr::LiveRecord& r = records[i];
        bool opened = false;  // the accelerator pump may still be adding fuel
        for (size_t k = i - 20; k < i; ++k) opened = opened || records[k + 1].throttle > records[k].throttle;
        if (*r.pulseMs == 0) {
            ++cut;
            EXPECT_LE(r.throttle, 2) << "fuel is cut only with the throttle closed";
            EXPECT_GT(*r.rpm, 1400);
            continue;
        }
        if (opened) continue;
        perFuel.push_back((*r.pulseMs - 0.8) / kvr::fuelDelivered(m, *r.rpm, *r.map, *r.engineTemp));
    }
    EXPECT_GT(cut, 100) << "lift-offs cut the fuel";
    std::sort(perFuel.begin(), perFuel.end());
    const double median = perFuel[perFuel.size() / 2];
    const auto near = std::count_if(perFuel.begin(), perFuel.end(),
                                    [&](double v) { return std::abs(v / median - 1) < 0.02; });
    EXPECT_GT(near, 0.97 * perFuel.size());
}

TEST(MapDrive, LiftOffsReadLeanAndThrottleStepsReadRich) {
    const EngineModel engine = mapDriveEngine(8, "mild");
    const FuelModel& fuel = *engine.fuel();
    LiveRecordSource source(engine, 8);
    int cutRecords = 0, leanInCut = 0, leanElsewhere = 0, pumpShots = 0;
    double lastCut = -10;
    kvr::LiveFields previous = engine.at(0);
    for (int n = 0; n < 600 * 50; ++n) {
        const double t = n / 50.0;
        const kvr::LiveFields f = source.at(t);
        const double afr = std::stod(f.afr);
        const double rpm = engine.rpmAt(t), map = std::stod(f.map), temp = std::stod(f.engineTemp);
        if (f.pulseCount == 0) {
            lastCut = t;
            ++cutRecords;
            leanInCut += afr >= 20;
        } else if (afr >= 20 && t - lastCut > 0.4) {
            ++leanElsewhere;
        }
        // A throttle snapped open: the pump's shot makes the mixture richer
        // than the map's by up to 18 % of fuel, fading.
        if (f.throttle >= previous.throttle + 10 && f.pulseCount != 0) {
            ++pumpShots;
            const double share = fuel.trueAfr(rpm, map, temp) / engine.trueAfrAt(t) - 1;
            EXPECT_GT(share, 0.05) << t;
            EXPECT_LE(share, EngineModel::kAccelPumpShare + 1e-9) << t;
            EXPECT_NEAR(engine.trueAfrAt(t + 0.7), fuel.trueAfr(engine.rpmAt(t + 0.7), std::stod(engine.at(t + 0.7).map),
                                                                 std::stod(engine.at(t + 0.7).engineTemp)),
                        1e-9)
                << "gone after 0.7 s";
        }
        previous = f;
    }
    EXPECT_GT(cutRecords, 500);
    EXPECT_GT(leanInCut, 0.8 * cutRecords) << "the sensor reads air once the cut reaches it";
    EXPECT_EQ(leanElsewhere, 0);
    EXPECT_GE(pumpShots, 10);
}

TEST(MapDrive, MovesWithoutJumpsAndRunsOnAfterItsFirstRound) {
    const EngineModel engine = mapDriveEngine(11);
    const MapDrive drive(11);
    // Speed and pressure are continuous from one stretch to the next and
    // across the rounds: no more than the fastest shift or throttle step
    // moves them in 2 ms.
    DriveState before = drive.at(0);
    for (double t = 0.002; t < 3 * MapDrive::kRoundSeconds; t += 0.002) {
        const DriveState now = drive.at(t);
        ASSERT_LT(std::abs(now.rpm - before.rpm), 25) << t;
        ASSERT_LT(std::abs(now.mapKpa - before.mapKpa), 2.0) << t;
        before = now;
    }
    // The warm round repeats; the cold first round is not among them.
    const double round = MapDrive::kRoundSeconds;
    for (double t = 0; t < round; t += 0.5) {
        ASSERT_EQ(drive.at(round + t).throttle, drive.at(2 * round + t).throttle) << t;
        ASSERT_EQ(drive.at(round + t).fuelCut, drive.at(3 * round + t).fuelCut) << t;
    }
    int differ = 0;
    for (double t = 30; t < round; t += 0.5) differ += drive.at(t).throttle != drive.at(round + t).throttle;
    EXPECT_GT(differ, 500);
    EXPECT_EQ(engine.at(round + 0.001).engineTemp, "180");
}

}  // namespace
}  // namespace kvrsim
