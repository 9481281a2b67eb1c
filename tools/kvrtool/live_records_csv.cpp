#include "live_records_csv.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "dashboard/dashboard_core.h"
#include "widgets/model/trend_time.h"

namespace kvrtool {

std::string isoLocalTime(double days) {
    const kvr::DayTime t = kvr::splitDays(days);
    const int ms = t.msOfDay;
    char text[24];
    std::snprintf(text, sizeof text, "T%02d:%02d:%02d.%03d", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
    return kvr::dateText(days) + text;
}

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

void LiveRecordsCsv::write(const kvr::DashboardCore& core) {
    if (file_ == nullptr) return;
    if (!headerWritten_) {
        // Names and units. The manifold pressure is as the ECU sends it: with
        // a gauge sensor inHg of vacuum below 0 and psi of boost above, with
        // an absolute one inHg absolute (the MP label says which).
        std::fprintf(file_,
                     "time,rpm (1/min),map (%s),afr (ratio),o2 (V),ignition (deg),throttle (counts),knock (counts),"
                     "injector pulse (ms),duty (%%),outputs (hex)\n",
                     (core.MapSensorCode & 0x30) == 0x10 ? "inHg abs" : "inHg vac / psi boost");
        headerWritten_ = true;
    }
    std::string duty = core.DutyText;
    while (!duty.empty() && duty.front() == ' ') duty.erase(duty.begin());
    std::fprintf(file_, "%s,%.0f,%.2f,%.2f,%.3f,%d,%u,%d,%.3f,%s,%02X\n", isoLocalTime(kvr::localNowDays()).c_str(),
                 core.Rpm, core.MapValue, core.AfrValue, core.O2Volts, core.Ignition,
                 static_cast<unsigned>(core.ThrottlePos), core.KnockCount, core.InjPulseMs, duty.c_str(),
                 static_cast<unsigned>(core.OutputFlags));
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
