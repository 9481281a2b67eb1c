// The tick's decoding of a live record that passed its checksum: engine
// speed, manifold pressure with its unit, air/fuel ratio or O2 volts,
// ignition, throttle, knock, the text labels, pulse width, output bits and
// lamps, the software version, and the chart's logging rules.
//
// Fields the record carries without a fallback (engine period, pulse width,
// output bits, air temperature, duty) may still fail to read. Then the
// display says so instead of repeating the last good value as if it were
// new: meters and chart channels go to 0 (a meter at 0 also blinks below its
// lower limit), derived texts show dashes, the option panels show their bare
// names in gray. Decoding goes on with the other fields.
#include <cctype>
#include <cstdio>

#include "dashboard/dashboard_core.h"
#include "dashboard/text_numbers.h"

namespace kvr {
namespace {

constexpr const char* kDegree = "\xC2\xB0";

std::string shortestGeneral(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
}

// Cylinder count as the image's byte 3 reads in decimal: 999 when its two
// characters are not both digits.
int32_t cylinderCountOf(const std::string& valuesText) {
    const std::string two = field(valuesText, 8, 2);
    if (two.size() != 2 || !std::isdigit(static_cast<unsigned char>(two[0])) ||
        !std::isdigit(static_cast<unsigned char>(two[1])))
        return 999;
    return (two[0] - '0') * 10 + (two[1] - '0');
}

}  // namespace

void DashboardCore::decodeLiveRecord() {
    const std::string& r = LiveRecord;
    decodeSpeed();
    decodeManifoldPressure();
    decodeMixture();

    display.meter[4] = static_cast<float>(Ignition);
    display.channel[3] = static_cast<float>(Ignition);

    ThrottlePos = static_cast<uint8_t>(decimalNumber(field(r, 23, 2)).value_or(0) & 0xFF);
    display.meter[3] = ThrottlePos;
    display.channel[4] = ThrottlePos;

    KnockCount = static_cast<int32_t>(hexNumber(field(r, 57, 2)).value_or(0));
    display.meter[5] = static_cast<float>(KnockCount);
    display.channel[6] = static_cast<float>(KnockCount);

    decodeLabels();
    decodeOutputs();

    const auto major = hexNumber(field(ValuesText, 1014, 2)).value_or(0);
    const auto minor = hexNumber(field(ValuesText, 1016, 2)).value_or(0);
    display.Label7 = std::to_string(major) + "." + std::to_string(minor);

    applyLoggingRules();
    ++display.revision;
}

void DashboardCore::decodeSpeed() {
    if (field(LiveRecord, 7, 5) == "    0") {
        // The engine stands: the dial drops, the last running speed stays.
        display.meter[0] = 0;
        return;
    }
    CylinderCount = cylinderCountOf(ValuesText);
    const auto period = hexNumber(field(LiveRecord, 49, 6));
    RpmPeriod = static_cast<int32_t>(period.value_or(0));
    if (!period || RpmPeriod == 0 || CylinderCount == 0) {
        Rpm = 0;  // no speed can be read from this record
    } else {
        // 32-bit integer arithmetic, truncating, in this order.
        const int32_t perRev = 120 / CylinderCount;
        Rpm = static_cast<int32_t>(perRev * 2000000) / RpmPeriod;
    }
    display.meter[0] = static_cast<float>(Rpm * 0.001);
    display.channel[0] = static_cast<float>(Rpm);
}

void DashboardCore::decodeManifoldPressure() {
    const std::string text = field(LiveRecord, 2, 5);
    if (text != "  N/A") MapValue = realNumber(text).value_or(0);

    const std::string shown = latin1ToUtf8(text);
    const std::string vacuumOrBoost = MapValue > 0 ? " PSI" : " inHg Vac";
    if (Config5Flags & 0x21) {
        if (Config5Flags & 0x01) {
            display.MPFontSize = 20;
            display.MP = shown + vacuumOrBoost;
        }
        if (Config5Flags & 0x20) {
            display.MPFontSize = 20;
            display.MP = shown + " inHg ABS";
        }
    } else {
        switch (MapSensorCode) {
        case 0x00:
        case 0x20:
        case 0x30:
        case 0x60:
        case 0x70:
            display.MPFontSize = 20;
            display.MP = shown + vacuumOrBoost;
            break;
        case 0x10:
        case 0x50:
            display.MPFontSize = 20;
            display.MP = shown + " inHg ABS";
            break;
        case 0x40:
            display.MPFontSize = 10;
            display.MP = "Using TP. No Map Sensor";
            break;
        default:
            break;
        }
    }
    display.meter[1] = static_cast<float>(MapValue);
    display.channel[2] = static_cast<float>(MapValue);
}

void DashboardCore::decodeMixture() {
    const std::string& r = LiveRecord;
    if (field(r, 30, 1) == "-") return;
    if (field(r, 32, 1) == "V") {
        if (const auto volts = realNumber(field(r, 29, 3))) {
            O2Volts = *volts;
            display.meter[2] = static_cast<float>(O2Volts);
            display.AFR = shortestGeneral(O2Volts);
            display.channel[1] = static_cast<float>(O2Volts);
        } else {
            display.meter[2] = 0;
        }
        setUpMixtureMeter("O2VOLTS", "O2V", ".##", 10, 0, 1);
        return;
    }
    if (field(r, 29, 3) != "ERR") {
        if (const auto afr = realNumber(field(r, 29, 4))) {
            AfrValue = *afr;
            display.meter[2] = static_cast<float>(AfrValue);
            display.channel[1] = static_cast<float>(AfrValue);
        } else {
            display.meter[2] = 0;
        }
    }
    setUpMixtureMeter("AFR", "AFR", "##.#", 13, 7, 20);
}

// Sets the mixture meter and chart channel 2 up for AFR or O2 volts, once
// per switch: only when neither the mode nor the meter's unit says so yet.
void DashboardCore::setUpMixtureMeter(const char* mode, const char* unit, const char* scaleFormat, int steps,
                                      float from, float to) {
    MeterSettings& m3 = display.meterSettings[2];
    if (O2Mode == mode || m3.unit == unit) return;
    m3.unit = unit;
    m3.scaleFormat = scaleFormat;
    m3.steps = steps;
    m3.from = from;
    m3.to = to;
    setChartChannelRange(2, from, to, unit);
    O2Mode = mode;
}

void DashboardCore::decodeLabels() {
    const std::string& r = LiveRecord;
    auto text = [&](size_t first, size_t count) { return latin1ToUtf8(field(r, first, count)); };

    display.ET = text(33, 3) + kDegree + text(36, 1) + " ";

    DutyText = field(r, 16, 3);
    const bool word = DutyText == "RPM" || DutyText == "MAP" || DutyText == "TP ";
    display.DTY = latin1ToUtf8(DutyText) + (word ? "" : "%");
    if (!word) {
        display.channel[7] = static_cast<float>(decimalNumber(DutyText).value_or(0));
    } else if (DutyText == "TP ") {
        display.channel[7] = 0;
    }

    display.KNOB = text(19, 3) + "%";
    display.BATT = text(25, 4) + "V ";
    display.AFR = text(29, 4) + " ";
    display.AT = text(37, 3) + kDegree + text(40, 1) + " ";
    display.channel[5] = static_cast<float>(realNumber(field(r, 37, 3)).value_or(0));

    if (const auto count = hexNumber(field(r, 43, 4))) {
        // Counted in 0.5 us before software 31.0, in 1 us from it.
        InjPulseMs = SwVersion < 3100 ? *count * 0.0005 : *count * 2 * 0.0005;
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.2fmS", InjPulseMs);
        display.INJPW = buf;
    } else {
        InjPulseMs = 0;
        display.INJPW = "--.--mS";
    }
}

void DashboardCore::decodeOutputs() {
    const std::string& r = LiveRecord;
    display.AbLED1 = hexNumber(field(r, 59, 2)).value_or(0) > 0;
    const auto bits = hexNumber(field(r, 47, 2));
    if (!bits) {
        static const char* kBare[5] = {"FuelPump", "FastIdle", "RPM Relay", "Aux Input", "Rad Fan"};
        for (int i = 0; i < 5; ++i) display.panels[i] = {kBare[i], kGray};
        return;
    }
    OutputFlags = static_cast<uint8_t>(*bits & 0xFF);
    auto on = [&](int bit) { return (OutputFlags >> bit) & 1; };
    display.panels[0] = on(1) ? OptionPanel{"FuelPump ON", 0xFF7B04} : OptionPanel{"FuelPump OFF", kGray};
    display.panels[1] = on(2) ? OptionPanel{"FastIdle ON", 0xBB8E4D} : OptionPanel{"FastIdle OFF", kGray};
    display.panels[2] = on(0) ? OptionPanel{"RPM Relay ON", 0xB44EDA} : OptionPanel{"RPM Relay OFF", kGray};
    // The auxiliary input is active low: a clear bit means it is on.
    display.panels[3] = on(7) ? OptionPanel{"Aux Input OFF", kGray} : OptionPanel{"Aux Input ON", 0x00B000};
    display.panels[4] = on(3) ? OptionPanel{"Rad Fan ON", 0xFFFFFF} : OptionPanel{"Rad Fan OFF", kGray};
}

void DashboardCore::applyLoggingRules() {
    const int i = in.logselectbutton;
    if (!display.recording) {
        const bool start = i == 1 || (i == 2 && in.SpinEdit1 < ThrottlePos) || (i == 3 && in.SpinEdit2 < Rpm);
        if (start) {
            display.recording = true;
            out.AbLED2 = true;
            display.Label6 = "Logging...";
        }
    }
    if (display.recording) {
        const bool stop = i == 0 || (i == 2 && in.SpinEdit1 >= ThrottlePos) || (i == 3 && in.SpinEdit2 >= Rpm);
        if (stop) {
            display.recording = false;
            out.AbLED2 = false;
        }
    }
}

}  // namespace kvr
