// Texts of the coded settings in the values image. An unknown code gives an empty text.
#pragma once

#include <string>

namespace kvr {

std::string temperatureSensorText(int code);  // byte 7 bits 0-3
std::string mapSensorText(int code);          // byte 7 AND 0x70
std::string modelTypeText(bool fuelOnly, bool coilPack);
std::string o2TypeText(int type);
std::string pin13FunctionText(int function);  // byte 368 bits 0-1
std::string leanWarningText(int o2TypeByte, int leanWarningByte);
std::string rpmRangeText(int value);
std::string engineTempSensorText(int value);  // byte 490

}  // namespace kvr
