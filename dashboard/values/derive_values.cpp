// The derived values and label tables, set before any sheet is written because the sheets read them.
#include <cctype>

#include "dashboard/values/chart_rescale.h"
#include "dashboard/values/label_selection.h"
#include "dashboard/values/label_tables.h"
#include "dashboard/values/sheet_fill.h"

namespace kvr {

namespace {

// The cylinder count is stored as two decimal digits in a hexadecimal pair's place.
int decimalCylinderCount(const std::string& pair) {
    if (pair.size() != 2 || !std::isdigit(static_cast<unsigned char>(pair[0])) ||
        !std::isdigit(static_cast<unsigned char>(pair[1])))
        return 999;
    return (pair[0] - '0') * 10 + (pair[1] - '0');
}

ValueRange mapMeterRange(const ValuesInfo& info) {
    if (info.MapScale2) return {0, 125};
    if (info.MapScale1) return {-30, 45};
    static const ValueRange byCode[8] = {{-30, 0}, {0, 60}, {-30, 15}, {-30, 30},
                                         {1, 64},  {0, 30}, {-30, 38}, {-30, 60}};
    return byCode[(info.MapSensorCode >> 4) & 0x07];
}

}  // namespace

void SheetFill::deriveValues() {
    info_.Config5Flags = static_cast<std::uint8_t>(img_.byte(byte::Config5).value_or(0));
    info_.FuelOnly = img_.byte(byte::Config8).value_or(0) & 0x01;
    out_.effects.ignitionAndKnockMetersVisible = !info_.FuelOnly;

    info_.SwMinor = img_.byte(byte::SwMinor).value_or(0);
    info_.SwMajor = img_.byte(byte::SwMajor).value_or(0);
    info_.SwVersion = info_.SwMajor * 100 + info_.SwMinor;
    memo("KVR SW VER=" + std::to_string(info_.SwVersion));

    info_.CylinderCount = decimalCylinderCount(img_.chars(imageBytePosition(byte::Cylinders), 2));

    info_.MapScale2 = info_.Config5Flags & 0x20;
    info_.MapScale1 = (info_.Config5Flags & 0x01) && !info_.MapScale2;
    const int sensorConfig = img_.byte(byte::SensorConfig).value_or(0);
    info_.TempSensorCode = static_cast<std::uint8_t>(sensorConfig & 0x0F);
    info_.SuperchargerSwitch = img_.byte(byte::Config1).value_or(0) & 0x01;
}

void SheetFill::chooseLabels() {
    // A special load scale says nothing about the MAP sensor fitted, so the code is kept then.
    if (!info_.MapScale1 && !info_.MapScale2)
        info_.MapSensorCode = static_cast<std::uint8_t>(img_.byte(byte::SensorConfig).value_or(0) & 0x70);
    const auto& load =
        loadLabelTable(selectLoadTable(info_.Config5Flags, info_.MapSensorCode, info_.SwMajor, info_.SwVersion));
    for (int j = 0; j < kLoadLabelCount; ++j) info_.LoadLabels[j] = load[j];

    // The chart rescale reads the MAP code just chosen, so it comes after it.
    ChartRescale rescale = Rescale_Logchart(info_.MapSensorCode, info_.Config5Flags);
    for (auto& line : rescale.memoLines) memo(std::move(line));
    out_.effects.mapChannelRange = rescale.range;
    out_.effects.mapMeterRange = mapMeterRange(info_);

    std::optional<int> engineSensor;
    if (info_.SwMajor >= 29) engineSensor = img_.byte(byte::EngineTempSensor);
    if (auto table = selectEngineTempTable(info_.SwMajor, info_.TempSensorCode, engineSensor)) {
        const auto& labels = engineTempLabelTable(*table);
        for (int n = 0; n < 32; ++n) info_.TempLabels[kEngineTempLabelBase + n] = labels[n];
    }
    if (auto table = selectAirTempTable(info_.TempSensorCode)) {
        const auto& labels = airTempLabelTable(*table);
        for (int j = 0; j < 64; ++j) info_.TempLabels[j] = labels[j];
    }
}

}  // namespace kvr
