#include "dashboard/datalog/data_log_columns.h"

#include <string>

namespace kvr {
namespace {

constexpr double kAtmosphereKpa = 101.325;
constexpr double kKpaPerInHg = 3.38639;
constexpr double kKpaPerPsi = 6.89476;

double value(const std::optional<double>& v) { return v ? *v : kMissing; }

// A temperature in the log's unit, whatever unit the record gives.
double temperature(const std::optional<double>& v, char recordUnit, char logUnit) {
    if (!v) return kMissing;
    if (recordUnit == logUnit || (recordUnit != 'F' && recordUnit != 'C')) return *v;
    return logUnit == 'C' ? (*v - 32.0) * 5.0 / 9.0 : *v * 9.0 / 5.0 + 32.0;
}

}  // namespace

std::string mapUnit(MapForm form) {
    switch (form) {
    case MapForm::Gauge: return "inHg/psi";
    case MapForm::Absolute: return "inHg abs";
    case MapForm::None: return "";
    }
    return "";
}

// The same choice the Gauges tab makes for the MAP label: CONFIG5's bits
// first (absolute wins when both are set), else the sensor code.
MapForm mapFormOf(uint8_t config5Flags, uint8_t mapSensorCode) {
    if (config5Flags & 0x20) return MapForm::Absolute;
    if (config5Flags & 0x01) return MapForm::Gauge;
    switch (mapSensorCode) {
    case 0x10:
    case 0x50: return MapForm::Absolute;
    case 0x40: return MapForm::None;
    default: return MapForm::Gauge;
    }
}

double mapKpaAbsolute(double v, MapForm form) {
    if (isMissing(v)) return kMissing;
    switch (form) {
    case MapForm::Gauge: return kAtmosphereKpa + v * (v < 0 ? kKpaPerInHg : kKpaPerPsi);
    case MapForm::Absolute: return v * kKpaPerInHg;
    case MapForm::None: return kMissing;
    }
    return kMissing;
}

LogHeader dataLogHeader(const DataLogUnits& units, int64_t startUnixMs, int32_t softwareVersion) {
    const std::string temp = units.temperatureUnit == 'C' ? "C" : "F";
    LogHeader h;
    h.startUnixMs = startUnixMs;
    h.info.push_back("KVR Dash & Logger data log");
    h.info.push_back("ECU software version: " + std::to_string(softwareVersion / 100) + "." +
                     std::to_string(softwareVersion % 100));
    h.columns.resize(kDataLogColumns);
    auto set = [&](int c, const char* name, std::string unit, int digits, ColumnStyle style = ColumnStyle::Number) {
        h.columns[static_cast<size_t>(c)] = LogColumn{name, std::move(unit), digits, style};
    };
    set(kColTime, kTimeColumn, "s", 3);
    set(kColClock, "Clock", "ms", 0, ColumnStyle::UnixMs);
    set(kColMap, "MAP", mapUnit(units.mapForm), 1);
    set(kColMapKpa, "MAP kPa", "kPa", 1);
    set(kColRunning, "Running", "", 0, ColumnStyle::OnOff);
    set(kColIgnition, "Ignition", "deg", 0);
    set(kColDuty, "Duty", "%", 0);
    set(kColKnob, "Knob", "%", 0);
    set(kColThrottle, "TPS", "counts", 0);
    set(kColBattery, "Battery", "V", 1);
    set(kColAfr, "AFR", "AFR", 1);
    set(kColO2, "O2", "V", 2);
    set(kColEngineTemp, "CLT", temp, 0);
    set(kColAirTemp, "IAT", temp, 0);
    set(kColPulse, "PW", "ms", 2);
    set(kColRpm, "RPM", "1/min", 0);
    set(kColKnock, "Knock", "counts", 0);
    set(kColCheckEngine, "CEL", "code", 0);
    set(kColOutputs, "Outputs", "hex", 0, ColumnStyle::Hex);
    set(kColFuelPump, "Fuel pump", "", 0, ColumnStyle::OnOff);
    set(kColFastIdle, "Fast idle", "", 0, ColumnStyle::OnOff);
    set(kColRpmRelay, "RPM relay", "", 0, ColumnStyle::OnOff);
    set(kColAuxInput, "Aux input", "", 0, ColumnStyle::OnOff);
    set(kColFan, "Fan", "", 0, ColumnStyle::OnOff);
    return h;
}

void restoreDataLogStyles(LogHeader& header) {
    const LogHeader known = dataLogHeader({}, 0, 0);
    for (LogColumn& c : header.columns) {
        for (const LogColumn& k : known.columns) {
            // Temperature and MAP units vary with the ECU: the name decides.
            if (c.name != k.name || c.style == k.style) continue;
            if (k.style == ColumnStyle::UnixMs && c.unit != "ms") continue;
            c.style = k.style;
            c.digits = k.digits;
        }
    }
}

void fillDataLogRow(const LiveRecord& r, const DataLogUnits& units, int64_t unixMs, int64_t startUnixMs,
                    LogRow& row) {
    row.separator = false;
    row.values.assign(kDataLogColumns, kMissing);
    double* v = row.values.data();
    v[kColTime] = static_cast<double>(unixMs - startUnixMs) / 1000.0;
    v[kColClock] = static_cast<double>(unixMs);
    v[kColMap] = r.mapAvailable ? value(r.map) : kMissing;
    v[kColMapKpa] = mapKpaAbsolute(v[kColMap], units.mapForm);
    v[kColRunning] = r.engineRunning ? 1 : 0;
    v[kColIgnition] = r.ignition;
    if (r.dutyPercent) v[kColDuty] = static_cast<double>(*r.dutyPercent);
    if (r.knobPercent) v[kColKnob] = static_cast<double>(*r.knobPercent);
    v[kColThrottle] = r.throttle;
    v[kColBattery] = value(r.batteryVolts);
    v[kColAfr] = r.mixtureError ? kMissing : value(r.afr);
    v[kColO2] = value(r.o2Volts);
    v[kColEngineTemp] = temperature(r.engineTemp, r.engineTempUnit, units.temperatureUnit);
    v[kColAirTemp] = temperature(r.airTemp, r.airTempUnit, units.temperatureUnit);
    v[kColPulse] = value(r.pulseMs);
    v[kColRpm] = r.engineRunning ? value(r.rpm) : 0.0;
    v[kColKnock] = r.knock;
    v[kColCheckEngine] = r.checkEngine;
    if (r.outputs) {
        const uint8_t bits = *r.outputs;
        v[kColOutputs] = bits;
        for (int i = 0; i < 5; ++i) {
            const bool set = (bits >> kOutputBits[i]) & 1;
            // The auxiliary input is active low, as its lamp shows it.
            v[kColFuelPump + i] = (i == 3 ? !set : set) ? 1 : 0;
        }
    }
}

}  // namespace kvr
