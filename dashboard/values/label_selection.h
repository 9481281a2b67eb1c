// Which label table each decode writes into LoadLabels and TempLabels.
#pragma once

#include <cstdint>
#include <optional>

#include "dashboard/values/label_tables.h"

namespace kvr {

// CONFIG5 bit 5 picks S2, else bit 0 picks S1, else the MAP sensor code and the software do.
LoadTable selectLoadTable(std::uint8_t config5, std::uint8_t mapSensorCode, int swMajor, int swVersion);

// Engine-temperature table: by the temperature sensor code before software 29, by byte 490 and
// the Celsius bit (byte 7 bit 3) from 29 on. Empty: the entries keep their previous texts.
std::optional<EngineTempTable> selectEngineTempTable(int swMajor, std::uint8_t tempSensorCode,
                                                     std::optional<int> engineTempSensor);

// Air-temperature table by the temperature sensor code, for every software version.
std::optional<AirTempTable> selectAirTempTable(std::uint8_t tempSensorCode);

}  // namespace kvr
