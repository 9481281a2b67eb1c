// The setting grids of the Fuel, Ignition and Options tabs: a caption beside each value. Rows that
// depend on the software version or the model are written only when they apply; rows that are not
// written keep the previous image's texts.
#include <cstdio>

#include "dashboard/values/enumerations.h"
#include "dashboard/values/sheet_fill.h"

namespace kvr {

namespace {

std::string bitText(std::optional<int> value, const char* clear, const char* set) {
    if (!value) return {};
    return (*value & 0x01) ? set : clear;
}

// Trim bytes are stored with an offset so that leaning shows as a negative percentage.
std::string trimText(std::optional<int> value, int offset) {
    if (!value) return {};
    const int t = *value - offset;
    return (t >= 1 ? "+" : "") + std::to_string(t) + "%";
}

// Tenths of a percent, to two significant digits and one decimal place: 15 gives "1.5" and
// values of 10% and more are rounded to whole percent ("26.0" for 255).
std::string baroCompensationText(std::optional<int> value) {
    if (!value) return {};
    char text[16];
    if (*value < 100)
        std::snprintf(text, sizeof text, "%d.%d", *value / 10, *value % 10);
    else
        std::snprintf(text, sizeof text, "%d.0", (*value + 5) / 10);
    return std::string(text) + "% /1000FT";
}

std::optional<int> masked(std::optional<int> value, int mask) {
    if (!value) return std::nullopt;
    return *value & mask;
}

}  // namespace

void SheetFill::fillIdle() {
    const auto location = img_.byte(byte::IdleTpLocation);
    std::string locationText, amountText;
    if (location && *location == 0) {
        locationText = amountText = "NOT USED";
    } else if (location) {
        locationText = std::to_string(*location + 1);
        amountText = decimalText(img_.byte(byte::IdleFuelAmount));
    }
    setRow(25, 0, "IDLE TP LOCATION", locationText);
    setRow(25, 1, "IDLE FUEL AMOUNT", amountText);
}

void SheetFill::fillIgnitionRelated() {
    const auto magnet = img_.byte(byte::MagnetPosition);
    const auto sense = img_.byte(byte::KnockSense);
    const auto maxRpm = img_.byte(byte::KnockMaxRpm);
    setRow(13, 0, "MAGNET POSITION", fuelOnlyOr(magnet ? std::to_string(*magnet + 45) : ""));
    setRow(13, 1, "KNOCK RETARD", fuelOnlyOr(decimalText(img_.byte(byte::KnockRetard))));
    setRow(13, 2, "KNOCK SENSE", fuelOnlyOr(sense ? std::to_string((*sense & 0x1F) + 1) : ""));
    setRow(13, 3, "KNOCK MAX RPM", fuelOnlyOr(maxRpm ? img_.rpmLabel(*maxRpm) : ""));
}

void SheetFill::fillClosedLoop() {
    const auto rpmHi = img_.byte(byte::ClRpmHi);
    const auto rpmLo = img_.byte(byte::ClRpmLo);
    setRow(14, 0, "CL MAP HI", loadLabel(img_.byte(byte::ClMapHi)));
    setRow(14, 1, "CL MAP LO", loadLabel(img_.byte(byte::ClMapLo)));
    setRow(14, 2, "CL RPM HI", rpmHi ? img_.rpmLabel(*rpmHi) : "");
    setRow(14, 3, "CL RPM LO", rpmLo ? img_.rpmLabel(*rpmLo) : "");
    setRow(14, 4, "CLOSED LOOP", bitText(img_.byte(byte::ClosedLoop), "ON", "OFF"));
}

void SheetFill::fillCutoffs() {
    const auto pressure = masked(img_.byte(byte::CutoffPressure), 0x3F);
    const auto rpm = img_.byte(byte::CutoffRpm);
    const auto belowTp = masked(img_.byte(byte::CutoffBelowTp), 0x3F);
    setRow(15, 0, "MAN PRESSURE", !pressure ? "" : *pressure == 63 ? "No Limit" : loadLabel(pressure));
    setRow(15, 1, "RPM", rpm ? img_.rpmLabel(*rpm) : "");
    setRow(15, 2, "BELOW TP", !belowTp ? "" : *belowTp == 0 ? "NO CUT" : std::to_string(*belowTp + 1));
}

void SheetFill::fillOptions() {
    const auto switchAt = img_.byte(byte::SwitchOnAt);
    if (info_.SuperchargerSwitch)
        setRow(16, 0, "SUPERCH. ON AT", loadLabel(switchAt));
    else
        setRow(16, 0, "RPM SWITCH ON AT", switchAt ? img_.rpmLabel(*switchAt) : "");
    setRow(16, 1, "FAST IDLE", engineTempLabel(img_.byte(byte::FastIdle)));
    setRow(16, 2, "RADIATOR FAN OFF", decimalText(img_.byte(byte::FanOff)));
    setRow(16, 3, "RADIATOR FAN ON", decimalText(img_.byte(byte::FanOn)));

    const auto o2Byte = img_.byte(byte::O2Type);
    const auto o2Type = info_.SwVersion >= 2902 ? o2Byte : masked(o2Byte, 0x03);
    setRow(16, 4, "O2 TYPE", o2Type ? o2TypeText(*o2Type) : "");
    if (o2Type && (*o2Type == 0 || *o2Type == 1)) out_.effects.o2Channel = O2ChannelSetting{{0, 1}, "VOLTS"};
    if (o2Type && *o2Type >= 2 && *o2Type <= 4) out_.effects.o2Channel = O2ChannelSetting{{7, 20}, "AFR"};

    const auto function = masked(img_.byte(byte::Pin13Function), 0x03);
    if (info_.FuelOnly) {
        // The fuel-only model has no pin-13 functions; from software 29 its pin 13 leans the mixture.
        if (info_.SwMajor >= 29)
            setRow(16, 5, "PIN 13 INPUT", "LEAN SWITCH");
        else
            setRow(16, 5, "PIN 13 AUX INPUT", "");
    } else {
        setRow(16, 5, "PIN 13 AUX INPUT", function ? pin13FunctionText(*function) : "");
        const auto parameter = img_.byte(byte::Pin13Parameter);
        if (function && parameter) {
            const int p = *parameter;
            switch (*function) {
                case 0: setRow(16, 6, "A/C FAST IDLE", bitText(p, "NO", "YES")); break;
                case 1: setRow(16, 6, "NITROUS RETARD", std::to_string(p)); break;
                case 2: {
                    const int n = (p & 0xF8) / 8 + 6;
                    setRow(16, 6, "LAUNCH REV LIMIT",
                           n >= 37 ? "NO LIMIT"
                                   : img_.rpmLabel(n) + "   " + std::to_string(5 * (p & 0x07)) + " DEG RET");
                    break;
                }
                default: setRow(16, 6, "ADVANCE SWITCH", std::to_string(p)); break;
            }
        }
    }
    leanWarningRow_ = info_.FuelOnly ? 6 : 7;
    const auto leanWarning = img_.byte(byte::LeanWarning);
    setRow(16, leanWarningRow_, "LEAN WARNING", o2Byte && leanWarning ? leanWarningText(*o2Byte, *leanWarning) : "");
}

void SheetFill::fillTrim() {
    if (info_.SwMajor < 26) return;
    const int offset = info_.SwVersion >= 2910 ? 20 : 10;
    const int cylinders = info_.CylinderCount;
    if (cylinders == 4)
        setRow(21, 3, "CYL #4", trimText(img_.byte(byte::TrimCyl4), offset));
    else
        set(21, 1, 3, "N/A");
    if (cylinders < 8) {
        // Six-cylinder engines can trim their second bank of three with the same bytes.
        const bool secondBank = cylinders == 6 && (info_.Config5Flags & 0x10);
        setRow(21, 2, secondBank ? "CYL #6" : "CYL #3", trimText(img_.byte(byte::TrimCyl4 + 1), offset));
        setRow(21, 1, secondBank ? "CYL #5" : "CYL #2", trimText(img_.byte(byte::TrimCyl4 + 2), offset));
        setRow(21, 0, secondBank ? "CYL #4" : "CYL #1", trimText(img_.byte(byte::TrimCyl4 + 3), offset));
    }
    if (info_.SwMajor >= 29 && info_.SwMinor >= 2 && img_.byte(byte::TrimPresent) == std::optional<int>(0))
        for (int row = 0; row < 4; ++row) set(21, 1, row, "N/A");
    memo("CYL=" + std::to_string(cylinders));
    memo("CFG5=" + std::to_string(info_.Config5Flags & 0x16));
}

void SheetFill::fillCrankRetard() {
    const int source = info_.SwMajor < 27 ? byte::CrankRetardOld : byte::CrankRetard;
    setRow(13, 4, "CRANK RETARD", fuelOnlyOr(decimalText(img_.byte(source))));
}

void SheetFill::fillLeanWithPin13() {
    if (info_.SwMajor < 29) {
        setRow(24, 0, "UPGRADE", "FOR THIS");
        return;
    }
    const auto amount = img_.byte(byte::LeanPin13Amount);
    setRow(24, 0, amount ? "-" + std::to_string(*amount) + "%" : "",
           bitText(img_.byte(byte::LeanPin13Enable), "Enabled", "Disabled"));
}

void SheetFill::fillGaugeAndLop() {
    const bool lop = info_.SwVersion >= 3000;
    if (info_.SwMajor >= 29) {
        const int row = lop ? 8 : leanWarningRow_ + 1;
        setRow(16, row, "GAUGE BUTTON",
               bitText(img_.byte(lop ? byte::GaugeButton : byte::GaugeButtonOld), "GAUGE1", "GAUGE4"));
    }
    if (!lop) return;
    const auto control = img_.byte(byte::LopControl);
    setRow(13, 5, "LOP IGNITION ADVANCE", fuelOnlyOr(decimalText(img_.byte(byte::LopIgnitionAdvance))));
    setRow(13, 6, "LOP MAX MANIFOLD PRESS", fuelOnlyOr(loadLabel(img_.byte(byte::LopMaxPressure))));
    setRow(13, 7, "LOP CONTROL", fuelOnlyOr(bitText(control, "KEYPAD", "PIN13 INPUT")));
    if (!info_.FuelOnly && control && (*control & 0x01)) set(16, 1, 5, "LOP CONTROL");
}

void SheetFill::clearFuelOnlyLeftover() {
    if (!info_.FuelOnly) return;
    // The fuel-only model writes fewer option rows; empty the one below them so that a row left
    // from an earlier image does not look like part of this one.
    int lastRow = leanWarningRow_;
    if (info_.SwMajor >= 29) lastRow = info_.SwVersion >= 3000 ? 8 : leanWarningRow_ + 1;
    setRow(16, lastRow + 1, "", "");
}

void SheetFill::fillLoadCaptions() {
    if (info_.Config5Flags & 0x21) return;
    const bool throttle = info_.MapSensorCode == 0x40;
    if (throttle) {
        set(14, 0, 0, "CL TP HI");
        set(14, 0, 1, "CL TP LO");
    }
    out_.effects.loadFuelPanelCaption =
        throttle ? "Throttle Position Fuel numbers" : "Manifold Pressure Fuel numbers";
}

void SheetFill::fillSetupMode() {
    const auto sensorConfig = img_.byte(byte::SensorConfig);
    setRow(19, 0, info_.SwMajor >= 29 ? "AIRTEMP SENSOR" : "TEMP SENSORS",
           sensorConfig ? temperatureSensorText(*sensorConfig & 0x0F) : "");
    setRow(19, 1, "MAP SENSOR",
           (info_.Config5Flags & 0x21) ? "4 BAR" : sensorConfig ? mapSensorText(*sensorConfig & 0x70) : "");
    struct Plain {
        int row;
        const char* caption;
        int byte;
    };
    static const Plain plain[] = {
        {2, "FUEL FLOW", byte::FuelFlow},          {3, "MISCSW2CTRL", byte::MiscSw2Ctrl},
        {4, "CONFIG1", byte::Config1},             {5, "CONFIG2", byte::Config2},
        {6, "CONFIG3", byte::Config3},             {7, "CONFIG4", byte::Config4},
        {8, "CONFIG5", byte::Config5},             {9, "CONFIG6", byte::Config6},
        {10, "CONFIG7", byte::Config7},            {11, "BATT CALIBRATE", byte::BattCalibrate},
        {12, "RS232 RATE", byte::Rs232Rate},       {13, "RS232 BAUD", byte::Rs232Baud},
        {14, "CONFIG8", byte::Config8},            {15, "AFR OFFSET", byte::AfrOffset},
        {16, "ACCP EXTRA INJS #", byte::AccpExtraInjs}, {17, "ACCP EXTRA INJS/TP", byte::AccpExtraInjsTp},
        {18, "ACCP EXTRA INJS AMT", byte::AccpExtraInjsAmt},
    };
    for (const auto& p : plain) setRow(19, p.row, p.caption, decimalText(img_.byte(p.byte)));

    const auto rpmRange = img_.byte(byte::RpmRange);
    setRow(19, 19, "RPM RANGE", rpmRange ? rpmRangeText(*rpmRange) : "");
    if (rpmRange == std::optional<int>(0)) out_.effects.rpmRange = RpmRangeSetting{10000, 10, 10};
    if (rpmRange == std::optional<int>(1)) out_.effects.rpmRange = RpmRangeSetting{15000, 15, 15};
    if (rpmRange == std::optional<int>(2)) out_.effects.rpmRange = RpmRangeSetting{5000, 5, 5};

    setRow(19, 20, "FUEL PULSE OUT", decimalText(img_.word(byte::FuelPulseOut)));
    setRow(19, 21, "FUEL PULSE INJ LAG", decimalText(img_.word(byte::FuelPulseInjLag)));
    if (info_.SwMajor < 29) return;
    const auto engineSensor = img_.byte(byte::EngineTempSensor);
    setRow(19, 22, "ENGINE TEMP SENSOR", engineSensor ? engineTempSensorText(*engineSensor) : "");
    setRow(19, 23, "BARO FUEL COMPensation", baroCompensationText(img_.byte(byte::BaroFuelComp)));
    if (info_.SwVersion < 3000) setRow(19, 24, "PIN13 MAP LIMIT", loadLabel(img_.byte(byte::Pin13MapLimit)));
}

void SheetFill::fillSystem() {
    const auto sensorConfig = img_.byte(byte::SensorConfig);
    setRow(20, 0, "# of CYLINDERS", decimalText(img_.byte(byte::Cylinders)));
    setRow(20, 1, "KVR MODEL TYPE", modelTypeText(info_.FuelOnly, sensorConfig && (*sensorConfig & 0x80)));
    setRow(20, 2, "BURN #", decimalText(img_.word(byte::BurnCount)));
    setRow(20, 3, "CL LOOP ENG TEMP", decimalText(img_.byte(byte::ClLoopEngTemp)));
    setRow(20, 4, "SW VERSION #", std::to_string(info_.SwMajor) + "." + std::to_string(info_.SwMinor));
    setRow(20, 5, "NITROUS RET / TPS", decimalText(img_.byte(byte::NitrousRetard)));
    setRow(20, 6, "STAGED TIME", decimalText(img_.word(byte::StagedTime)));
}

}  // namespace kvr
