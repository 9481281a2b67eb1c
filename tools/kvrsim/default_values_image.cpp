#include "default_values_image.h"

#include "dashboard/values/values_image_builder.h"
#include "dashboard/values/values_layout.h"

namespace kvrsim {

namespace {

using namespace kvr;

// Fuel and ignition tables shaped as a tuner would leave them for a mild turbo four.
void setTables(ValuesImageBuilder& image) {
    for (int r = 0; r < 38; ++r) {
        // 500 .. 9750 rpm; fuel numbers pass 255 near the top, where software 31 needs high bytes.
        image.setRpmLabel(r, std::to_string(500 + 250 * r));
        const int fuel = 80 + 6 * r;
        image.setByte(byte::RpmFuelLast - r, fuel & 0xFF);
        image.setByte(byte::RpmFuelHighLast - r, fuel >> 8);
        image.setByte(byte::IgnitionRpmLast - r, r < 20 ? 10 - r / 2 : 0);
    }
    for (int j = 0; j < 64; ++j) {
        image.setByte(byte::LoadFuelFirst + j, 20 + 3 * j);
        // Advance (stored as 256 - degrees) at light load, a little retard under boost.
        image.setByte(byte::IgnitionLoadFirst + j, j < 48 ? 256 - (32 - j * 2 / 3) : (j - 48) / 2);
        image.setByte(byte::AirTempFirst + j, 140 - j / 2);
    }
    for (int j = 0; j < 32; ++j) {
        image.setByte(byte::EngineTempFuelFirst + j, 4 * j);  // more warm-up fuel when colder
        image.setByte(byte::StartNumbersFirst + j, 20 + 5 * j);
    }
}

void setSettings(ValuesImageBuilder& image) {
    image.setPair(byte::Cylinders, "04")
        .setByte(byte::FuelFlow, 30)
        .setByte(byte::SensorConfig, 0x80 | 0x20 | 0x00)  // coil pack, 2 BAR, GM F
        .setByte(byte::AccPumpHiRpm, 40)
        .setByte(byte::AccPumpLoRpm, 60)
        .setByte(byte::AccPumpSense, 3)
        .setByte(byte::StartCycles, 12)
        .setByte(byte::MagnetPosition, 15)
        .setByte(byte::KnockRetard, 4)
        .setByte(byte::KnockSense, 7)
        .setByte(byte::KnockMaxRpm, 20)
        .setByte(byte::ClMapHi, 40)
        .setByte(byte::ClMapLo, 10)
        .setByte(byte::ClRpmHi, 16)
        .setByte(byte::ClRpmLo, 2)
        .setByte(byte::CutoffPressure, 63)
        .setByte(byte::CutoffRpm, 36)
        .setByte(byte::SwitchOnAt, 10)
        .setByte(byte::FastIdle, 20)
        .setByte(byte::FanOff, 85)
        .setByte(byte::FanOn, 95)
        .setByte(byte::IdleTpLocation, 3)
        .setByte(byte::IdleFuelAmount, 12)
        .setByte(byte::O2Type, 2)
        .setByte(byte::Pin13Function, 2)     // launch rev limit
        .setByte(byte::Pin13Parameter, 0x52)  // 4500 rpm, 10 degrees retard
        .setByte(byte::LeanWarning, 1);
    for (int k = 0; k < 4; ++k) image.setByte(byte::TrimCyl4 + k, 20);  // 0%
    image.setByte(byte::CrankRetard, 5)
        .setByte(byte::LeanPin13Amount, 10)
        .setByte(byte::LopIgnitionAdvance, 4)
        .setByte(byte::LopMaxPressure, 30)
        .setWord(byte::FuelPulseOut, 1000)
        .setWord(byte::FuelPulseInjLag, 120)
        .setByte(byte::BattCalibrate, 128)
        .setByte(byte::Rs232Rate, 1)
        .setByte(byte::Rs232Baud, 2)
        .setByte(byte::RpmRange, 0)
        .setByte(byte::EngineTempSensor, 0)
        .setByte(byte::BaroFuelComp, 15)
        .setByte(byte::Pin13MapLimit, 40)
        .setByte(byte::TrimPresent, 1)
        .setByte(byte::ClLoopEngTemp, 60)
        .setWord(byte::BurnCount, 57)
        .setSoftwareVersion(3100);
}

}  // namespace

std::string defaultValuesImage() {
    ValuesImageBuilder image;
    setTables(image);
    setSettings(image);
    return image.text();
}

}  // namespace kvrsim
