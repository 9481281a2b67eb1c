#include "dashboard/values/label_selection.h"

namespace kvr {

LoadTable selectLoadTable(std::uint8_t config5, std::uint8_t mapSensorCode, int swMajor, int swVersion) {
    if (config5 & 0x20) return LoadTable::S2;
    if (config5 & 0x01) return LoadTable::S1;
    const bool newer = swMajor >= 29;
    switch (mapSensorCode & 0x70) {
        case 0x00: return newer && swVersion > 2900 ? LoadTable::N0 : LoadTable::L0;
        case 0x10: return newer ? LoadTable::N1 : LoadTable::L1;
        case 0x20: return newer ? LoadTable::N2 : LoadTable::L2;
        case 0x30: return LoadTable::L3;
        case 0x40: return LoadTable::L4;
        // Software 29.00 shows a 1 BAR IN sensor through the 1 BAR table.
        case 0x50: return !newer ? LoadTable::L5 : swVersion > 2900 ? LoadTable::N5 : LoadTable::L0;
        case 0x60: return LoadTable::L6;
        default: return LoadTable::L7;
    }
}

std::optional<EngineTempTable> selectEngineTempTable(int swMajor, std::uint8_t tempSensorCode,
                                                     std::optional<int> engineTempSensor) {
    using E = EngineTempTable;
    if (swMajor < 29) {
        switch (tempSensorCode & 0x0F) {
            case 0: return E::E0;
            case 1: return E::E1;
            case 2: return E::E2;
            case 3: case 5: return E::E3;
            case 4: return E::E4;
            case 8: return E::E8;
            case 9: return E::E9;
            case 10: return E::E10;
            case 11: case 13: return E::E11;
            case 12: return E::E12;
            default: return std::nullopt;
        }
    }
    if (!engineTempSensor) return std::nullopt;
    static const E fahrenheit[] = {E::E0, E::E1, E::E2, E::E3, E::E4};
    static const E celsius[] = {E::E8, E::E9, E::E10, E::E11, E::E12};
    const int sensor = *engineTempSensor;
    if (sensor < 0 || sensor > 4) return std::nullopt;
    return (tempSensorCode & 0x08) ? celsius[sensor] : fahrenheit[sensor];
}

std::optional<AirTempTable> selectAirTempTable(std::uint8_t tempSensorCode) {
    using A = AirTempTable;
    switch (tempSensorCode & 0x0F) {
        case 0: case 3: return A::A4;
        case 1: return A::A5;
        case 2: return A::A6;
        case 4: case 5: return A::A7;
        case 8: case 11: return A::A0;
        case 9: return A::A1;
        case 10: return A::A2;
        case 12: case 13: return A::A3;
        default: return std::nullopt;
    }
}

}  // namespace kvr
