// The values derived from the values image on each decode, read by the report, the live decoder
// and the log chart. They persist between decodes: MapSensorCode and label entries that a decode
// does not assign keep the previous image's values.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kvr {

constexpr int kLoadLabelCount = 64;
constexpr int kTempLabelCount = 96;      // 0..63 air temperature, 64..95 engine temperature
constexpr int kEngineTempLabelBase = 64;

struct ValuesInfo {
    std::uint8_t Config5Flags = 0;   // byte 509
    bool FuelOnly = false;           // byte 500 bit 0
    int SwMajor = 0;                 // byte 506
    int SwMinor = 0;                 // byte 507
    int SwVersion = 0;               // SwMajor * 100 + SwMinor
    int CylinderCount = 0;           // byte 3's two characters read as decimal, 999 if not digits
    bool MapScale1 = false;          // CONFIG5 bit 0 set, bit 5 clear
    bool MapScale2 = false;          // CONFIG5 bit 5 set
    std::uint8_t MapSensorCode = 0;  // byte 7 AND 0x70, only when neither scale is in force
    std::uint8_t TempSensorCode = 0; // byte 7 AND 0x0F
    bool SuperchargerSwitch = false; // byte 503 bit 0
    std::array<std::string, kLoadLabelCount> LoadLabels;
    std::array<std::string, kTempLabelCount> TempLabels;
};

}  // namespace kvr
