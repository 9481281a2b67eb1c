// Exporting an hour of full-rate data log: 300,000 rows (83.5 a second, the
// line's limit) written by the data log itself from the simulator's engine
// model, with a marker every 10,000 rows, then `kvrtool export` to MLG, MSL
// and CSV, each timed as the user runs it (the whole process), best of three.
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
#include "support/program_run.h"

int main(int argc, char** argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 300000;
    char dir[] = "/tmp/kvr-bench-export-XXXXXX";
    if (::mkdtemp(dir) == nullptr) return 1;
    const std::string source = std::string(dir) + "/hour.msl";

    const std::string image = kvrsim::defaultValuesImage();
    kvrsim::EngineModel engine(kvrsim::EngineSettings{});
    const kvr::RecordContext context{&image, 3100};
    kvr::DataLog log;
    int64_t clock = 1796745600000;
    log.unixClock = [&clock] { return clock; };
    log.newPath = [&source] { return source; };
    for (int i = 0; i < rows; ++i) {
        const double t = i / 83.5;
        clock = 1796745600000 + static_cast<int64_t>(t * 1000.0);
        std::string line = kvr::sealLiveRecord(kvr::liveRecordBody(engine.at(t)));
        kvr::correctIgnition(line);
        log.onRecord(kvr::decodeLiveRecord(line, context));
        if (i % 10000 == 9999) log.mark(i / 10000, "pull " + std::to_string(i / 10000 + 1));
    }
    log.close();
    std::printf("== export of a one-hour full-rate data log (%d rows, %.1f MB of MSL)\n", rows,
                static_cast<double>(fileBytes(source).size()) / 1e6);

    struct Target {
        const char* format;
        double limit;  // seconds; 0: no target
    };
    for (const Target& t : {Target{"mlg", 1.0}, Target{"msl", 2.0}, Target{"csv", 0.0}}) {
        const std::string out = std::string(dir) + "/export." + t.format;
        double best = 1e9;
        int status = 0;
        for (int run = 0; run < 3; ++run) {
            const auto t0 = std::chrono::steady_clock::now();
            const ProgramRun r = runProgram(KVRTOOL_PATH, {"export", source, "-o", out}, dir);
            const auto t1 = std::chrono::steady_clock::now();
            status |= r.status;
            best = std::min(best, std::chrono::duration<double>(t1 - t0).count());
        }
        const double mb = static_cast<double>(fileBytes(out).size()) / 1e6;
        if (t.limit > 0)
            std::printf("to %s (%.1f MB, exit %d): %.2f s (target < %.1f)\n", t.format, mb, status, best, t.limit);
        else
            std::printf("to %s (%.1f MB, exit %d): %.2f s\n", t.format, mb, status, best);
        ::unlink(out.c_str());
    }
    ::unlink(source.c_str());
    ::rmdir(dir);
    return 0;
}
