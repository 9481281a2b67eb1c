// The data log's cost on the thread that decodes: DataLog::onRecord (the
// row formatted and queued for its writer thread) for records the simulator
// makes, timed one by one. The writer thread writes to a real file meanwhile.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "dashboard/datalog/data_log.h"
#include "dashboard/decode/live_record.h"
#include "dashboard/link/ecu_lines.h"
#include "default_values_image.h"
#include "engine_model.h"

int main(int argc, char** argv) {
    const int records = argc > 1 ? std::atoi(argv[1]) : 200000;
    char dir[] = "/tmp/kvr-bench-datalog-XXXXXX";
    if (::mkdtemp(dir) == nullptr) return 1;
    const std::string path = std::string(dir) + "/cost.msl";

    // Decoded records of a sweeping engine, made before timing.
    const std::string image = kvrsim::defaultValuesImage();
    kvrsim::EngineModel engine(kvrsim::EngineSettings{});
    std::vector<kvr::LiveRecord> decoded;
    const kvr::RecordContext context{&image, 3100};
    for (int i = 0; i < 4096; ++i) {
        std::string line = kvr::sealLiveRecord(kvr::liveRecordBody(engine.at(i * 0.012)));
        kvr::correctIgnition(line);
        decoded.push_back(kvr::decodeLiveRecord(line, context));
    }

    kvr::DataLog log;
    int64_t clock = 1796745600000;
    log.unixClock = [&clock] { return clock += 12; };
    log.newPath = [&path] { return path; };
    std::vector<double> us;
    us.reserve(static_cast<size_t>(records));
    for (int i = 0; i < records; ++i) {
        const kvr::LiveRecord& r = decoded[static_cast<size_t>(i) % decoded.size()];
        const auto t0 = std::chrono::steady_clock::now();
        log.onRecord(r);
        const auto t1 = std::chrono::steady_clock::now();
        us.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
    }
    log.close();
    std::sort(us.begin(), us.end());
    const double median = us[us.size() / 2], p99 = us[us.size() * 99 / 100];
    std::printf("== data log cost per record (DataLog::onRecord, %d records, rows to %s)\n", records, path.c_str());
    std::printf("rows written: %lld\n", static_cast<long long>(log.rows()));
    std::printf("99th percentile: %.2f us\n", p99);
    std::printf("median: %.2f us (target < 20)\n", median);
    ::unlink(path.c_str());
    ::rmdir(dir);
    return 0;
}
