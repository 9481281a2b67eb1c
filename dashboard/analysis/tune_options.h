// The choices a fuel-table analysis is run with: which records it keeps, how
// the oxygen sensor's delay is allowed for, and how far the fit may move the
// numbers. Every default here is what `kvrtool tune` and the window use when
// the user says nothing.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace kvr {

// The filters, in the order they are judged: a removed record is counted
// under the first one that removes it.
enum class TuneFilter : uint8_t {
    Stopped,     // engine not running, or no RPM / MAP reading
    Afr,         // AFR missing, "ERR", or outside the plausible range
    NarrowBand,  // an O2 sensor's volts: rich or lean, but no ratio to fit
    Warm,        // engine temperature below the warm limit (warm-up enrichment)
    AccelPump,   // throttle moving fast: the accelerator pump's extra fuel
    DecelCut,    // closed throttle with RPM falling: fuel cut on the overrun
    AfterGap,    // the first seconds of a log or after a break in it
    Window,      // outside the RPM and MAP window the user chose
};
inline constexpr int kTuneFilterCount = 8;

// The short name a user types after --no-filter ("accel"), and a phrase for
// reports ("throttle moving (accelerator pump)").
const char* tuneFilterName(TuneFilter f);
const char* tuneFilterPhrase(TuneFilter f);
std::optional<TuneFilter> tuneFilterNamed(const std::string& name);

// A narrow-band sensor's volts say rich or lean but not by how much: this
// filter cannot be turned off.
inline bool tuneFilterCanBeDisabled(TuneFilter f) { return f != TuneFilter::NarrowBand; }

struct FilterOptions {
    std::array<bool, kTuneFilterCount> enabled{true, true, true, true, true, true, true, true};
    bool on(TuneFilter f) const { return enabled[static_cast<size_t>(f)]; }

    // A wide-band reading outside this range is a sensor still heating, a
    // misfire or free air, not a mixture the tables made.
    double afrLow = 9.0, afrHigh = 20.0;
    // Warm limit in the logs' temperature unit; empty: 160 F or 71 C.
    std::optional<double> warmLimit;
    // The accelerator pump: the throttle's travel (highest minus lowest)
    // within the window before the engine state, per second. 20 counts/s is
    // about a third of the throttle's 0..63 counts in a second; a foot held
    // steady moves it by a count or two.
    double throttleRateLimit = 20.0;
    double throttleWindowSeconds = 0.3;
    // The overrun: the throttle within this many counts of the lowest the log
    // shows, and RPM falling faster than rpmFallLimit (1/min per second) over
    // the same window. Idle speed wanders by well under 100 1/min per second.
    double closedThrottleMargin = 2.0;
    double rpmFallLimit = 100.0;
    // Seconds dropped at the start of each log and after each break.
    double afterGapSeconds = 2.0;
    // The window the user chose (RPM in 1/min, MAP in the ECU's units).
    double rpmLow = -std::numeric_limits<double>::infinity();
    double rpmHigh = std::numeric_limits<double>::infinity();
    double mapLow = -std::numeric_limits<double>::infinity();
    double mapHigh = std::numeric_limits<double>::infinity();
};

// The sensor lag: each AFR reading is paired with the engine state this long
// before it. 120 ms by default: a wide-band sensor sees the exhaust of an
// intake event after the rest of that engine cycle (about 40 ms at 3000 1/min)
// plus the gas's travel down the header to the sensor (30 to 60 ms), and its
// controller answers a step with a time constant of about 50 ms; together
// 100 to 150 ms at the speeds a drive spends most of its time at.
inline constexpr double kDefaultLagMs = 120.0;
inline constexpr double kMaxLagMs = 400.0;
inline constexpr double kLagStepMs = 10.0;

struct LagOptions {
    bool automatic = false;  // find the lag in the log itself
    double ms = kDefaultLagMs;
};

struct FitOptions {
    // A bin is changed only with at least this many effective samples (the
    // sum of its interpolation weights over the records kept).
    double minEffectiveSamples = 30.0;
    // The most one pass changes a number, as a fraction (0.15: 15 %).
    double maxChange = 0.15;
    // Weight of the second-difference penalty between neighbouring bins, in
    // effective samples: it steadies bins with little data and shapes bins
    // with none, and is soon outweighed where the log has plenty.
    double smoothness = 5.0;
};

struct ResidualOptions {
    // A cell is named when the fit misses it by more than this fraction...
    double threshold = 0.03;
    // ...over at least this many effective samples.
    double minCellWeight = 10.0;
};

struct TuneOptions {
    FilterOptions filters;
    LagOptions lag;
    FitOptions fit;
    ResidualOptions residuals;
};

}  // namespace kvr
