#include "live_records_csv.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "widgets/model/trend_time.h"

namespace kvrtool {

std::string isoLocalTime(double days) {
    const kvr::DayTime t = kvr::splitDays(days);
    const int ms = t.msOfDay;
    char text[24];
    std::snprintf(text, sizeof text, "T%02d:%02d:%02d.%03d", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
    return kvr::dateText(days) + text;
}

namespace {

const char* unitName(char unit) { return unit == 'C' ? "C" : unit == 'F' ? "F" : "as sent"; }

std::string number(const std::optional<double>& v, int decimals) {
    if (!v) return {};
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, *v);
    return text;
}

}  // namespace

LiveRecordsCsv::~LiveRecordsCsv() { close(); }

bool LiveRecordsCsv::open(const std::string& path) {
    path_ = path;
    file_ = path == "-" ? stdout : std::fopen(path.c_str(), "w");
    if (file_ == nullptr) {
        std::fprintf(stderr, "kvrtool log: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

void LiveRecordsCsv::onRecord(const kvr::LiveRecord& record) {
    values_.apply(record);
    if (file_ == nullptr) return;
    if (!headerWritten_) {
        // Names and units. The manifold pressure is as the ECU sends it: with
        // a gauge sensor inHg of vacuum below 0 and psi of boost above, with
        // an absolute one inHg absolute (the MP label says which).
        std::fprintf(file_,
                     "time,rpm (1/min),map (%s),afr (ratio),o2 (V),ignition (deg),throttle (counts),knock (counts),"
                     "injector pulse (ms),duty (%%),outputs (hex),engine temp (%s),air temp (%s),battery (V),"
                     "knob (%%),check engine (code)\n",
                     (facts_.mapSensorCode & 0x30) == 0x10 ? "inHg abs" : "inHg vac / psi boost",
                     unitName(record.engineTempUnit), unitName(record.airTempUnit));
        headerWritten_ = true;
    }
    const kvr::LiveValues& v = values_;
    std::string duty = v.dutyText;
    while (!duty.empty() && duty.front() == ' ') duty.erase(duty.begin());
    // The fields added after the first ten are empty where the record lacks them.
    const std::string extra = number(record.engineTemp, 0) + "," + number(record.airTemp, 0) + "," +
                              number(record.batteryVolts, 1) + "," +
                              (record.knobPercent ? std::to_string(*record.knobPercent) : std::string()) + "," +
                              std::to_string(record.checkEngine);
    std::fprintf(file_, "%s,%.0f,%.2f,%.2f,%.3f,%d,%u,%d,%.3f,%s,%02X,%s\n", isoLocalTime(record.arrivalDays).c_str(),
                 v.rpm, v.map, v.afr, v.o2Volts, v.ignition, static_cast<unsigned>(v.throttle), v.knock, v.pulseMs,
                 duty.c_str(), static_cast<unsigned>(v.outputs), extra.c_str());
}

bool LiveRecordsCsv::close() {
    if (file_ == nullptr) return true;
    bool ok = std::fflush(file_) == 0 && !std::ferror(file_);
    if (file_ != stdout) ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    if (!ok) std::fprintf(stderr, "kvrtool log: writing %s failed: %s\n", path_.c_str(), std::strerror(errno));
    return ok;
}

void LiveRecordsCsv::remove() {
    close();
    if (path_ != "-") ::unlink(path_.c_str());
}

}  // namespace kvrtool
