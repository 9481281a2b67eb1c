#include "offline_log.h"

#include <chrono>
#include <cmath>
#include <cstring>

#include "dashboard/analysis/fuel_map.h"
#include "dashboard/datalog/data_log.h"
#include "dashboard/decode/live_record.h"
#include "dashboard/values/parameter_sheets.h"
#include "live_record_source.h"

namespace kvrsim {

bool writeOfflineLog(const EngineModel& engine, const std::string& image, unsigned seed, double seconds,
                     double ratePerSecond, const std::string& path, std::string& why) {
    kvr::FuelMap map;
    const bool mapped = kvr::readFuelMap(image, map, why);
    kvr::DataLog log;
    const int64_t start = kvr::systemUnixMs();
    int64_t clock = start;
    log.unixClock = [&clock] { return clock; };
    log.newPath = [&path] { return path; };
    log.setImage(mapped ? map.mapForm : kvr::MapForm::Gauge, mapped ? map.softwareVersion : 0);
    const kvr::RecordContext context{&image, mapped ? map.softwareVersion : 0};
    const std::vector<std::string> lines = driveRecords(engine, seed, seconds, ratePerSecond);
    for (size_t i = 0; i < lines.size(); ++i) {
        clock = start + static_cast<int64_t>(std::llround(static_cast<double>(i) * 1000.0 / ratePerSecond));
        std::string line = lines[i];
        kvr::correctIgnition(line);
        log.onRecord(kvr::decodeLiveRecord(line, context));
    }
    const bool opened = log.isOpen();
    const int error = log.writeError();
    log.close();
    if (!opened) {
        why = "cannot write " + path;
        return false;
    }
    if (error != 0) {
        why = path + ": " + std::strerror(error);
        return false;
    }
    return true;
}

}  // namespace kvrsim
