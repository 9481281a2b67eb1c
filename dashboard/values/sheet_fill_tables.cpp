// The tables of the Fuel, Ignition and Air Temp tabs: a bin name beside each value. Tables longer
// than one grid continue in the grid beside it (RPM tables 19 + 19 rows, load tables 32 + 32).
#include "dashboard/values/sheet_fill.h"

namespace kvr {

namespace {

constexpr int kRpmRowsPerGrid = 19;
constexpr int kLoadRowsPerGrid = 32;

// Grid number and row of bin `bin` for a table split over grids `first` and `first + 1`.
struct Cell {
    int grid;
    int row;
};
Cell splitCell(int first, int rowsPerGrid, int bin) {
    return bin < rowsPerGrid ? Cell{first, bin} : Cell{first + 1, bin - rowsPerGrid};
}

std::string ignitionByLoadText(std::optional<int> value) {
    if (!value) return {};
    // The ECU stores advance as a negative retard in two's complement.
    return *value <= 127 ? std::to_string(*value) + " RET" : std::to_string(256 - *value) + " ADV";
}

}  // namespace

void SheetFill::fillLoadFuel() {
    for (int j = 0; j < kLoadLabelCount; ++j) {
        const Cell c = splitCell(3, kLoadRowsPerGrid, j);
        setRow(c.grid, c.row, info_.LoadLabels[j], decimalText(img_.byte(byte::LoadFuelFirst + j)));
    }
}

void SheetFill::fillRpmFuel() {
    const bool sixteenBit = info_.SwVersion >= 3100;
    for (int r = 0; r < kRpmLabelCount; ++r) {
        std::optional<int> value = img_.byte(byte::RpmFuelLast - r);
        if (sixteenBit) {
            const int highByte = byte::RpmFuelHighLast - r;
            const auto high = img_.byte(highByte);
            memo("ext_rpm_cnt=" + std::to_string(imageBytePosition(highByte)) + ", $" +
                 img_.chars(imageBytePosition(highByte), 2));
            // A value missing its high byte would be wrong, not just short: show nothing.
            value = value && high ? std::optional<int>((*value + 256 * *high) & 0xFFFF) : std::nullopt;
        }
        const Cell c = splitCell(1, kRpmRowsPerGrid, r);
        setRow(c.grid, c.row, img_.rpmLabel(r), decimalText(value));
    }
}

void SheetFill::fillAccelPump() {
    const auto sense = img_.byte(byte::AccPumpSense);
    setRow(5, 0, "ACCPUMP HIRPM", decimalText(img_.byte(byte::AccPumpHiRpm)));
    setRow(5, 1, "ACCPUMP LORPM", decimalText(img_.byte(byte::AccPumpLoRpm)));
    setRow(5, 2, "ACCPUMP SENSE", sense ? std::to_string((*sense & 0x07) + 1) : std::string());
}

void SheetFill::fillEngineTempFuel() {
    for (int j = 0; j < 32; ++j)
        setRow(6, j, info_.TempLabels[kEngineTempLabelBase + j], decimalText(img_.byte(byte::EngineTempFuelFirst + j)));
}

void SheetFill::fillIgnitionByLoad() {
    for (int j = 0; j < kLoadLabelCount; ++j) {
        const Cell c = splitCell(9, kLoadRowsPerGrid, j);
        setRow(c.grid, c.row, info_.LoadLabels[j], fuelOnlyOr(ignitionByLoadText(img_.byte(byte::IgnitionLoadFirst + j))));
    }
}

void SheetFill::fillIgnitionByRpm() {
    for (int r = 0; r < kRpmLabelCount; ++r) {
        const Cell c = splitCell(7, kRpmRowsPerGrid, r);
        setRow(c.grid, c.row, img_.rpmLabel(r), fuelOnlyOr(decimalText(img_.byte(byte::IgnitionRpmLast - r))));
    }
}

void SheetFill::fillStartNumbers() {
    for (int j = 0; j < 32; ++j)
        setRow(11, j, info_.TempLabels[kEngineTempLabelBase + j], decimalText(img_.byte(byte::StartNumbersFirst + j)));
}

void SheetFill::fillAirTemp() {
    for (int j = 0; j < 64; ++j) {
        const Cell c = splitCell(17, kLoadRowsPerGrid, j);
        setRow(c.grid, c.row, info_.TempLabels[j], decimalText(img_.byte(byte::AirTempFirst + j)));
    }
}

}  // namespace kvr
