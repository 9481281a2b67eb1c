// Shared by the report UI tests: images whose texts are as wide as the sheets get, and PDF checks.
#pragma once

#include <QByteArray>
#include <QRegularExpression>

#include <string>

#include "dashboard/values/values_image_builder.h"
#include "dashboard/values/values_layout.h"

namespace kvr {

// Every byte at its widest decimal, 16-bit RPM fuel numbers, the special load scale with
// "128 ADV" ignition, and the longest option texts (coil-pack model, launch limit, wide-band O2).
inline std::string widestImage(bool fuelOnly) {
    ValuesImageBuilder image;
    for (int k = 0; k < 1024; ++k)
        image.setByte(k, 0x80);
    for (int r = 0; r < 38; ++r)
        image.setRpmLabel(r, std::to_string(10000 + 125 * r));
    image.setSoftwareVersion(3100)
        .setPair(byte::Cylinders, "04")
        .setByte(byte::SensorConfig, 0x89)  // coil pack, DALE 1/8NPT Celsius
        .setByte(byte::Config5, 0x11)
        .setByte(byte::Config8, fuelOnly ? 0xFF : 0xFE)
        .setByte(byte::O2Type, 3)
        .setByte(byte::Pin13Function, 2)
        .setByte(byte::Pin13Parameter, 0x07)
        .setByte(byte::LeanWarning, 2)
        .setByte(byte::EngineTempSensor, 1)
        .setByte(byte::BaroFuelComp, 99)
        .setByte(byte::CutoffPressure, 63)
        .setWord(byte::BurnCount, 65535)
        .setWord(byte::StagedTime, 65535)
        .setWord(byte::FuelPulseOut, 65535)
        .setWord(byte::FuelPulseInjLag, 65535);
    for (int k : {byte::KnockMaxRpm, byte::ClRpmHi, byte::ClRpmLo, byte::CutoffRpm, byte::SwitchOnAt})
        image.setByte(k, 37);
    for (int r = 0; r < 38; ++r) {
        image.setByte(byte::RpmFuelLast - r, 0xFF);
        image.setByte(byte::RpmFuelHighLast - r, 0xFF);
    }
    return image.text();
}

// Page objects of a PDF, not counting the page tree ("/Pages").
inline int pdfPageCount(const QByteArray& pdf) {
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    int count = 0;
    for (auto it = page.globalMatch(QString::fromLatin1(pdf)); it.hasNext(); it.next())
        ++count;
    return count;
}

}  // namespace kvr
