// The records of one or more data logs as the fuel-table analysis reads
// them: a compact vector of what the fit and its filters need, read once and
// kept, so that changing an option re-runs the analysis without the files.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "dashboard/datalog/data_log_columns.h"
#include "dashboard/datalog/log_table.h"

namespace kvr {

struct TuneSample {
    enum Flag : uint8_t {
        kRunning = 1,       // the engine runs (the Running column, and RPM above 0)
        kNarrowBand = 2,    // `mixture` holds O2 sensor volts, not an AFR
        kSegmentStart = 4,  // first record of a log or after a break in it
    };
    static constexpr float kNone = std::numeric_limits<float>::quiet_NaN();

    double time = 0;           // seconds from the start of its log
    float rpm = 0;             // 1/min
    float map = kNone;         // the ECU's MAP units (the fuel map's load bins)
    float engineTemp = kNone;  // in TuneSamples::temperatureUnit
    float throttle = kNone;    // counts
    float mixture = kNone;     // AFR, or O2 volts (kNarrowBand); NaN: missing or ERR
    uint8_t flags = 0;
    uint16_t log = 0;  // which log, counted from 0 in the order appended

    bool has(Flag f) const { return (flags & f) != 0; }
};

struct TuneSamples {
    std::vector<TuneSample> samples;  // log by log, each in time order
    // The fuel map's MAP form: set it before the first log is appended.
    MapForm mapForm = MapForm::Gauge;
    // 'F' or 'C': the unit of the first log that has an engine temperature;
    // later logs are converted to it. 0 while none has.
    char temperatureUnit = 0;
    int logs = 0;
    // What the analysis should tell the user about the logs (a missing
    // column whose filter cannot judge them), one line each.
    std::vector<std::string> notes;
};

// A Time step longer than this is a break in the log.
inline constexpr double kGapSeconds = 0.5;

// Appends every row of `reader` to `out` as samples of log number out.logs
// (then counts it). Columns are found by name: Time, RPM, MAP (or MAP kPa),
// TPS, AFR and/or O2, and the optional Running and CLT. MAP is kept in the
// ECU's units for `out.mapForm`: a MAP column in kPa, or a MAP kPa column
// alone, is converted. A separator row, a "gap" marker, a Time step of more
// than kGapSeconds or a Time going back starts a new segment.
// False with the reason when a needed column is missing, the MAP column's
// unit contradicts the map form, or the reader fails.
bool appendLogSamples(LogReader& reader, TuneSamples& out, std::string& error);

// A MAP reading in kPa absolute in the ECU's units for `form` (the inverse of
// mapKpaAbsolute).
double ecuMapFromKpa(double kpa, MapForm form);

}  // namespace kvr
