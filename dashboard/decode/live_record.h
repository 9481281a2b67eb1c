// One live record that passed its checksum, decoded once into every field it
// carries. Readers (the gauges, the log chart, data logs, analysis) take
// what they need from this value; none of them reads the line again.
// A field that is missing from the record ("N/A", "ERR", not a number) is
// empty here: what a reader shows in its place is the reader's business.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kvr {

// What decoding a record needs to know of the values image the ECU runs on.
struct RecordContext {
    // The image text (cylinder count and software version bytes are read
    // from it on every record).
    const std::string* valuesText = nullptr;
    // Software major * 100 + minor, as the image's decode found it: the
    // injector pulse count is in 0.5 us units before 3100, 1 us from it.
    int32_t softwareVersion = 0;
};

struct LiveRecord {
    // The line as received (with the corrected ignition field, see
    // correctIgnition), and when it was decoded.
    std::string line;
    double arrivalDays = 0;  // local date-time, days since 1899-12-30
    int64_t arrivalMs = 0;   // monotonic milliseconds

    // Positions 2-6: manifold pressure as the ECU writes it: inHg of vacuum
    // below 0 and psi of boost above (gauge sensor), or inHg absolute.
    std::string mapText;
    bool mapAvailable = true;  // false for "  N/A"
    std::optional<double> map;

    // Positions 7-11 "    0" mean the engine stands.
    bool engineRunning = true;
    // Positions 49-54 (read only while running) and the speed from them.
    std::optional<int32_t> rpmPeriod;
    std::optional<double> rpm;  // empty: stands, or no speed can be read
    int32_t cylinderCount = 0;  // as the image gives it on this record

    // Positions 12-14: degrees of advance (negative: retard).
    int32_t ignition = 0;

    // Positions 16-18: duty in percent, or "RPM", "MAP", "TP " (no number).
    std::string dutyText;
    std::optional<long> dutyPercent;
    // Positions 19-21: the mixture knob in percent.
    std::string knobText;
    std::optional<long> knobPercent;
    // Positions 23-24 (0 when not a number, low 8 bits).
    uint8_t throttle = 0;
    // Positions 25-28.
    std::string batteryText;
    std::optional<double> batteryVolts;

    // Positions 29-32: an air/fuel ratio, "ERR", or O2 sensor volts ("0.8V").
    std::string mixtureText;
    bool mixtureSkipped = false;  // position 30 is "-": nothing to read
    bool o2Form = false;          // position 32 is "V"
    bool mixtureError = false;    // "ERR"
    std::optional<double> afr;
    std::optional<double> o2Volts;

    // Positions 33-36 and 37-40: temperatures with their unit letter.
    std::string engineTempText;
    char engineTempUnit = ' ';
    std::optional<double> engineTemp;
    std::string airTempText;
    char airTempUnit = ' ';
    std::optional<double> airTemp;

    // Positions 43-46: injector pulse width.
    std::optional<double> pulseMs;
    // Positions 47-48: output bits.
    std::optional<uint8_t> outputs;
    // Positions 57-58 (0 when not a number).
    int32_t knock = 0;
    // Positions 59-60 (0 when not a number): the check light is on above 0.
    int32_t checkEngine = 0;

    // Image positions 1014-1017: the ECU's software version.
    long softwareMajor = 0;
    long softwareMinor = 0;
};

// Corrects the ignition field of a record that just passed its checksum and
// returns the advance. The ECU sends 56 minus the advance unless position 12
// is "-"; the corrected value goes back into the line, so the line as logged
// reads as advance (a retard is written as "-" and its size).
int32_t correctIgnition(std::string& line);

// Reads every field of a corrected record. Nothing is kept between calls.
LiveRecord decodeLiveRecord(const std::string& line, const RecordContext& context);

// The bit of each named output in the output byte, in the order the gauges
// show them: fuel pump, fast idle, RPM relay, auxiliary input (active low),
// radiator fan.
inline constexpr int kOutputBits[5] = {1, 2, 0, 7, 3};

}  // namespace kvr
