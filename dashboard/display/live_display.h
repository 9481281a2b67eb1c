// What the Gauges tab shows, as plain values: the gauges' sink writes it
// from each record, the window copies it onto its widgets, kvrtool decode
// prints it. Everything keeps its last value between records.
#pragma once

#include <cstdint>
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

// The dial meters, in the order they stand on the tab.
enum MeterIndex { kRpmMeter, kMapMeter, kMixtureMeter, kThrottleMeter, kIgnitionMeter, kKnockMeter };

struct LiveDisplay {
    float meter[6] = {2.0f, 0, 0, 0, 0, 0};
    MeterSettings meterSettings[6] = {
        {"RPMx1000", 0, 10, "##0", 10, true},    {"MAP", 0.000001f, 30, "##0", 12, true},
        {"AFR", 7, 20, "##0", 13, true},         {"TP", 0.000001f, 64, "##0", 16, true},
        {"IGN", -50, 10, "##0", 12, true},       {"KNOCK", 0.000001f, 15, "##0", 15, true},
    };
    // Value labels (UTF-8).
    std::string mapText, engineTemp, pulseWidth, airTemp, knob, duty, battery, mixture;
    std::string softwareVersion = ".....";
    int mapFontSize = 27;
    bool checkLight = false;
    // Option panels: fuel pump, fast idle, RPM relay, auxiliary input, radiator fan.
    OptionPanel panels[5] = {{"FuelPump", kGray}, {"FastIdle", kGray}, {"RPM Relay", kGray},
                             {"Aux Input", kGray}, {"Rad Fan", kGray}};
    // Bumped on every change, so a viewer knows when to refresh.
    uint64_t revision = 0;
};

// The panels' control names, as the window and kvrtool decode call them.
inline constexpr const char* kPanelNames[5] = {"FuelPump", "FastIdle", "RPMSW", "AuxIn", "RadFan"};

}  // namespace kvr
