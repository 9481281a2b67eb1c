// Fields the record carries without a fallback (engine period, pulse width,
// output bits, air temperature, duty) may still fail to read. Then the
// display says so instead of repeating the last good value as if it were
// new: meters go to 0 (a meter at 0 also blinks below its lower limit),
// derived texts show dashes, the option panels show their bare names in
// gray. The other fields are shown as usual.
#include "dashboard/display/gauge_readings.h"

#include <cstdio>

#include "dashboard/decode/text_numbers.h"

namespace kvr {
namespace {

constexpr const char* kDegree = "\xC2\xB0";

std::string shortestGeneral(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
}

}  // namespace

void GaugeReadings::onRecord(const LiveRecord& r) {
    values.apply(r);
    showSpeed(r);
    showManifoldPressure(r);
    showMixture(r);
    display.meter[kIgnitionMeter] = static_cast<float>(values.ignition);
    display.meter[kThrottleMeter] = values.throttle;
    display.meter[kKnockMeter] = static_cast<float>(values.knock);
    showLabels(r);
    showOutputs(r);
    display.softwareVersion = std::to_string(r.softwareMajor) + "." + std::to_string(r.softwareMinor);
    ++display.revision;
}

void GaugeReadings::showSpeed(const LiveRecord& r) {
    // The engine stands: the dial drops, the last running speed stays.
    display.meter[kRpmMeter] = r.engineRunning ? static_cast<float>(values.rpm * 0.001) : 0.0f;
}

void GaugeReadings::showManifoldPressure(const LiveRecord& r) {
    const std::string shown = latin1ToUtf8(r.mapText);
    const std::string vacuumOrBoost = values.map > 0 ? " PSI" : " inHg Vac";
    if (config5Flags & 0x21) {
        if (config5Flags & 0x01) {
            display.mapFontSize = 20;
            display.mapText = shown + vacuumOrBoost;
        }
        if (config5Flags & 0x20) {
            display.mapFontSize = 20;
            display.mapText = shown + " inHg ABS";
        }
    } else {
        switch (mapSensorCode) {
        case 0x00:
        case 0x20:
        case 0x30:
        case 0x60:
        case 0x70:
            display.mapFontSize = 20;
            display.mapText = shown + vacuumOrBoost;
            break;
        case 0x10:
        case 0x50:
            display.mapFontSize = 20;
            display.mapText = shown + " inHg ABS";
            break;
        case 0x40:
            display.mapFontSize = 10;
            display.mapText = "Using TP. No Map Sensor";
            break;
        default:
            break;
        }
    }
    display.meter[kMapMeter] = static_cast<float>(values.map);
}

void GaugeReadings::showMixture(const LiveRecord& r) {
    if (r.mixtureSkipped) return;
    if (r.o2Form) {
        display.meter[kMixtureMeter] = r.o2Volts ? static_cast<float>(values.o2Volts) : 0.0f;
        if (r.o2Volts) display.mixture = shortestGeneral(values.o2Volts);
        setUpMixtureMeter("O2V", ".##", 10, 0, 1);
        return;
    }
    if (!r.mixtureError) display.meter[kMixtureMeter] = r.afr ? static_cast<float>(values.afr) : 0.0f;
    setUpMixtureMeter("AFR", "##.#", 13, 7, 20);
}

// The mixture meter reads AFR or O2 volts, set up once per switch.
void GaugeReadings::setUpMixtureMeter(const char* unit, const char* scaleFormat, int steps, float from, float to) {
    MeterSettings& m = display.meterSettings[kMixtureMeter];
    if (m.unit == unit) return;
    m.unit = unit;
    m.scaleFormat = scaleFormat;
    m.steps = steps;
    m.from = from;
    m.to = to;
}

void GaugeReadings::showLabels(const LiveRecord& r) {
    const std::string& line = r.line;
    auto text = [&](size_t first, size_t count) { return latin1ToUtf8(field(line, first, count)); };
    display.engineTemp = text(33, 3) + kDegree + text(36, 1) + " ";
    const bool word = r.dutyText == "RPM" || r.dutyText == "MAP" || r.dutyText == "TP ";
    display.duty = latin1ToUtf8(r.dutyText) + (word ? "" : "%");
    display.knob = text(19, 3) + "%";
    display.battery = text(25, 4) + "V ";
    display.mixture = text(29, 4) + " ";
    display.airTemp = text(37, 3) + kDegree + text(40, 1) + " ";
    if (r.pulseMs) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.2fmS", *r.pulseMs);
        display.pulseWidth = buf;
    } else {
        display.pulseWidth = "--.--mS";
    }
}

void GaugeReadings::showOutputs(const LiveRecord& r) {
    display.checkLight = r.checkEngine > 0;
    if (!r.outputs) {
        static const char* kBare[5] = {"FuelPump", "FastIdle", "RPM Relay", "Aux Input", "Rad Fan"};
        for (int i = 0; i < 5; ++i) display.panels[i] = {kBare[i], kGray};
        return;
    }
    const uint8_t bits = *r.outputs;
    auto on = [&](int panel) { return (bits >> kOutputBits[panel]) & 1; };
    display.panels[0] = on(0) ? OptionPanel{"FuelPump ON", 0xFF7B04} : OptionPanel{"FuelPump OFF", kGray};
    display.panels[1] = on(1) ? OptionPanel{"FastIdle ON", 0xBB8E4D} : OptionPanel{"FastIdle OFF", kGray};
    display.panels[2] = on(2) ? OptionPanel{"RPM Relay ON", 0xB44EDA} : OptionPanel{"RPM Relay OFF", kGray};
    // The auxiliary input is active low: a clear bit means it is on.
    display.panels[3] = on(3) ? OptionPanel{"Aux Input OFF", kGray} : OptionPanel{"Aux Input ON", 0x00B000};
    display.panels[4] = on(4) ? OptionPanel{"Rad Fan ON", 0xFFFFFF} : OptionPanel{"Rad Fan OFF", kGray};
}

}  // namespace kvr
