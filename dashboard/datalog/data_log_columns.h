// The data log's columns: every field of a live record, in engineering
// units, plus the manifold pressure in kPa absolute that other tools expect.
// One row per good live record.
#pragma once

#include <cstdint>

#include "dashboard/datalog/log_table.h"
#include "dashboard/decode/live_record.h"

namespace kvr {

// How the ECU reports manifold pressure, from the values image: a gauge
// sensor gives inHg of vacuum below 0 and psi of boost above; an absolute one
// inHg absolute; without a sensor (throttle only) there is no pressure.
enum class MapForm : uint8_t { Gauge, Absolute, None };
MapForm mapFormOf(uint8_t config5Flags, uint8_t mapSensorCode);
// The MAP column's unit: "inHg/psi" (vacuum below zero, boost above), "inHg abs", or none.
std::string mapUnit(MapForm form);

// The ECU's manifold pressure reading in kPa absolute (kMissing for None):
//   gauge, below 0:  101.325 + v * 3.38639   (v inHg of vacuum, negative)
//   gauge, above 0:  101.325 + v * 6.89476   (v psi of boost)
//   absolute:        v * 3.38639             (v inHg absolute)
double mapKpaAbsolute(double ecuValue, MapForm form);

// The columns in order. Temperatures are in the unit the first record gives
// ('F' or 'C'); a record in the other unit is converted.
enum DataLogColumn : int {
    kColTime,
    kColClock,  // arrival, Unix ms
    kColMap,
    kColMapKpa,
    kColRunning,
    kColIgnition,
    kColDuty,
    kColKnob,
    kColThrottle,
    kColBattery,
    kColAfr,
    kColO2,
    kColEngineTemp,
    kColAirTemp,
    kColPulse,
    kColRpm,
    kColKnock,
    kColCheckEngine,
    kColOutputs,
    kColFuelPump,  // the five named outputs, 1 when on as the gauges show it
    kColFastIdle,
    kColRpmRelay,
    kColAuxInput,
    kColFan,
    kDataLogColumns
};

struct DataLogUnits {
    MapForm mapForm = MapForm::Gauge;
    char temperatureUnit = 'F';  // 'F' or 'C'
};

LogHeader dataLogHeader(const DataLogUnits& units, int64_t startUnixMs, int32_t softwareVersion);

// A log read back from MSL text has names and units but not how each column
// is shown: the data log's columns (found by name and unit) get their style
// and digits back, so an export of a data log writes the clock as a time and
// the outputs in hex as the live log would.
void restoreDataLogStyles(LogHeader& header);

// Fills `row` (resized to kDataLogColumns) from a record that arrived at
// `unixMs`; Time is counted from `startUnixMs`.
void fillDataLogRow(const LiveRecord& record, const DataLogUnits& units, int64_t unixMs, int64_t startUnixMs,
                    LogRow& row);

}  // namespace kvr
