// What the Gauges tab and the log chart's channels show, as plain values.
// The live-record decoder writes it; the window copies it onto its widgets;
// kvrtool decode prints it. Everything keeps its last value between records.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kvr {

// The settings of a dial meter that the program changes at run time.
struct MeterSettings {
    std::string unit;
    float from = 0;
    float to = 100;
    std::string scaleFormat = "##0";
    int steps = 10;
    bool visible = true;
};

struct OptionPanel {
    std::string text;
    uint32_t color = 0x808080;  // 0xRRGGBB
};

inline constexpr uint32_t kGray = 0x808080;

struct LiveDisplay {
    // Ab270Meter1..6 (index 0..5): value and settings.
    float meter[6] = {2.0f, 0, 0, 0, 0, 0};
    MeterSettings meterSettings[6] = {
        {"RPMx1000", 0, 10, "##0", 10, true},    {"MAP", 0.000001f, 30, "##0", 12, true},
        {"AFR", 7, 20, "##0", 13, true},         {"TP", 0.000001f, 64, "##0", 16, true},
        {"IGN", -50, 10, "##0", 12, true},       {"KNOCK", 0.000001f, 15, "##0", 15, true},
    };
    // Value labels (UTF-8).
    std::string MP, ET, INJPW, AT, KNOB, DTY, BATT, AFR;
    std::string Label7 = ".....";
    int MPFontSize = 27;
    // Lamps.
    bool AbLED1 = false;
    // Option panels: FuelPump, FastIdle, RPMSW, AuxIn, RadFan.
    OptionPanel panels[5] = {{"FuelPump", kGray}, {"FastIdle", kGray}, {"RPM Relay", kGray},
                             {"Aux Input", kGray}, {"Rad Fan", kGray}};
    // Log chart channels 1..8 (index 0..7): the latest value.
    float channel[8] = {};
    // Chart recording (the chart's StartRecording) and the status text; the
    // LOGGING lamp is AbLED2 of the control outputs.
    bool recording = false;
    std::string Label6;
    // Bumped on every decoded record, so a viewer knows when to refresh.
    uint64_t revision = 0;
};

inline constexpr const char* kPanelNames[5] = {"FuelPump", "FastIdle", "RPMSW", "AuxIn", "RadFan"};

}  // namespace kvr
