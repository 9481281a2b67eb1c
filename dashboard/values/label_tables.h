// The fixed bin-name tables: 64 load labels (5 characters), 32 engine-temperature and 64
// air-temperature labels (3 characters), all right-aligned. The data and the sensor models they
// come from are in label_tables_data.cpp.
#pragma once

#include <array>

namespace kvr {

enum class LoadTable { S1, S2, L0, L1, L2, L3, L4, L5, L6, L7, N0, N1, N2, N5 };
// E0..E4 Fahrenheit, E8..E12 Celsius curves of the GM, DALE 1/8NPT, FORD, CHT and BOSCH sensors.
enum class EngineTempTable { E0, E1, E2, E3, E4, E8, E9, E10, E11, E12 };
// A0..A3 Celsius, A4..A7 Fahrenheit curves of the GM, DALE 1/8NPT, FORD and BOSCH sensors.
enum class AirTempTable { A0, A1, A2, A3, A4, A5, A6, A7 };

using LoadLabelTable = std::array<const char*, 64>;
using EngineTempLabelTable = std::array<const char*, 32>;
using AirTempLabelTable = std::array<const char*, 64>;

const LoadLabelTable& loadLabelTable(LoadTable table);
const EngineTempLabelTable& engineTempLabelTable(EngineTempTable table);
const AirTempLabelTable& airTempLabelTable(AirTempTable table);

}  // namespace kvr
