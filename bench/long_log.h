// A long log chart file for the viewing benchmarks: days of driving at 10
// records a second, as a tuner's week of logs appended into one file. Each
// drive is some hours of cruising with a full-throttle pull every four
// minutes and an idle every half hour; drives are parted by the engine
// being off overnight (a break: five separator records and a jump in time).
// The first drive starts at 20:00, so the log crosses midnight.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "dashboard/logging/trend_record.h"
#include "dashboard/logging/trend_store.h"

namespace bench {

constexpr double kRecordSeconds = 0.1;
constexpr int kPullEverySeconds = 240;
constexpr int kPullSeconds = 10;

// Channel values as the chart log's default ranges store them.
inline uint16_t digitOf(double value, double from, double to, int digitSpan) {
    const double d = std::round((value - from) / (to - from) * digitSpan);
    return static_cast<uint16_t>(std::fmax(0, std::fmin(digitSpan, d)));
}

// The record `i` seconds into a drive.
inline kvr::TrendRecord driveRecord(double t, double stamp, unsigned& seed) {
    auto noise = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return ((seed >> 16) & 0x7FFF) / 32767.0 - 0.5;
    };
    double rpm = 2600 + 500 * std::sin(t / 37.0) + 150 * std::sin(t / 7.3) + 40 * noise();
    double map = -9 + 3 * std::sin(t / 37.0) + 0.3 * noise();  // inHg vacuum below 0, psi boost above
    double afr = 14.7 + 0.25 * noise();
    double ign = -32 + 2 * std::sin(t / 37.0);
    double tp = 14 + 5 * std::sin(t / 37.0);
    double knock = 0;
    double duty = 18 + 4 * std::sin(t / 37.0);
    const double inPull = std::fmod(t, kPullEverySeconds);
    const double inIdle = std::fmod(t, 1800.0);
    if (inPull < kPullSeconds) {
        const double f = inPull / kPullSeconds;
        rpm = 2200 + 4700 * f + 30 * noise();
        map = -4 + 16 * std::fmin(1.0, f * 2);
        afr = 12.2 + 0.4 * noise();
        ign = -24 + 6 * f;
        tp = 64;
        knock = (noise() > 0.45) ? 1 + 3 * (noise() + 0.5) : 0;
        duty = 45 + 45 * f;
    } else if (inIdle < 120) {
        rpm = 900 + 25 * noise();
        map = -18 + 0.4 * noise();
        afr = 14.2 + 0.5 * noise();
        ign = -14;
        tp = 2;
        duty = 4;
    }
    const double air = 75 + 20 * std::sin(stamp * 2 * 3.141592653589793);  // warmer by day
    kvr::TrendRecord r;
    r.time = stamp;
    r.digits = {digitOf(rpm, 0, 10000, 10000), digitOf(afr, 7, 20, 1000), digitOf(map, -30, 30, 1000),
                digitOf(ign, -50, 10, 1000),   digitOf(tp, 0, 64, 1000),  digitOf(air, -60, 250, 1000),
                digitOf(knock, 0, 15, 1000),   digitOf(duty, 0, 120, 1000)};
    return r;
}

// Writes `records` records to `path`; returns whether all were written.
// Drives of 5 hours, each followed by 4 hours off. Local days since
// 1899-12-30; the first record at 2026-03-06 20:00.
inline bool writeLongLog(const std::string& path, int64_t records) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    constexpr double kStart = 46087.0 + 20.0 / 24;  // 2026-03-06 20:00
    constexpr int64_t kDriveRecords = 5 * 3600 * 10;
    constexpr double kOffDays = 4.0 / 24;
    unsigned seed = 1;
    double driveStart = kStart;
    int64_t inDrive = 0;
    unsigned char bytes[kvr::kTrendRecordBytes];
    bool ok = true;
    for (int64_t i = 0; i < records && ok; ++i) {
        if (inDrive == kDriveRecords) {
            // The engine off: a break in the log, then the next drive.
            const kvr::TrendRecord last = driveRecord((inDrive - 1) * kRecordSeconds, 0, seed);
            for (int s = 0; s < kvr::TrendStore::kSeparatorsPerBreak && i < records; ++s, ++i) {
                kvr::TrendRecord sep = last;
                sep.time = kvr::kSeparatorTime;
                kvr::encodeTrendRecord(sep, bytes);
                ok = ok && std::fwrite(bytes, sizeof bytes, 1, f) == 1;
            }
            driveStart += kDriveRecords * kRecordSeconds / 86400 + kOffDays;
            inDrive = 0;
            if (i >= records) break;
        }
        const double t = inDrive * kRecordSeconds;
        kvr::encodeTrendRecord(driveRecord(t, driveStart + t / 86400, seed), bytes);
        ok = ok && std::fwrite(bytes, sizeof bytes, 1, f) == 1;
        ++inDrive;
    }
    return std::fclose(f) == 0 && ok;
}

}  // namespace bench
