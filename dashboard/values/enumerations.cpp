#include "dashboard/values/enumerations.h"

namespace kvr {

namespace {

template <std::size_t N>
std::string pick(const char* const (&texts)[N], int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= N || texts[index] == nullptr) return {};
    return texts[index];
}

}  // namespace

std::string temperatureSensorText(int code) {
    static const char* const texts[] = {
        "GM F", "DALE 1/8NPT F", "FORD F", "GM/CHT F", "BOSCH F", "BOSCH/CHT F", nullptr, nullptr,
        "GM C", "DALE 1/8NPT C", "FORD C", "GM/CHT C", "BOSCH C", "BOSCH/CHT C", nullptr, nullptr};
    return pick(texts, code & 0x0F);
}

std::string mapSensorText(int code) {
    static const char* const texts[] = {"1 BAR",     "2 BAR IN", "2 BAR",   "3 BAR",
                                        "NONE, TPS", "1 BAR IN", "3.5 BAR", "5 BAR"};
    return pick(texts, (code & 0x70) >> 4);
}

std::string modelTypeText(bool fuelOnly, bool coilPack) {
    if (fuelOnly) return "X, FUEL ONLY";
    return coilPack ? "\"Z\" FUEL&COILPACK IGNITION" : "\"Y\" FUEL&SINGLE COIL IGNITION";
}

std::string o2TypeText(int type) {
    static const char* const texts[] = {"NONE", "STANDARD/NARROW", "AEM(NEW) WB 0-5V", "PLX,AEM(OLD)0-5V",
                                        "WMS WIDE 0-5V"};
    return pick(texts, type);
}

std::string pin13FunctionText(int function) {
    static const char* const texts[] = {"A/C", "NITROUS RETARD", "LAUNCH REV LIMIT", "ADVANCE SWITCH"};
    return pick(texts, function & 0x03);
}

std::string leanWarningText(int o2TypeByte, int leanWarningByte) {
    // Without an oxygen sensor there is nothing to warn from, whatever byte 370 holds.
    if ((o2TypeByte & 0x03) == 0) return "OFF. SEE O2TYPE!";
    static const char* const texts[] = {"DISABLED", "ENABLED", "ENABLED+ADD FUEL", "UNDEFINED"};
    return pick(texts, leanWarningByte & 0x03);
}

std::string rpmRangeText(int value) {
    static const char* const texts[] = {"9750", "15,000", "4500"};
    return pick(texts, value);
}

std::string engineTempSensorText(int value) {
    static const char* const texts[] = {"GM", "DALE 1/8NPT", "FORD", "CHT/BOSCH", "BOSCH"};
    return pick(texts, value);
}

}  // namespace kvr
