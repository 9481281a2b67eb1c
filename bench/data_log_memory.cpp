// Memory of a two-hour session at the line's full rate (83.5 records a
// second, 601,200 records) through the dashboard core the window runs: the
// chart log sampling every 100 ms with its recovery journal, and the data
// log writing every record. Time is simulated, so two hours take seconds.
// The resident set is read at 10 minutes and at 2 hours, once with the data
// log on and once with it off: the difference is what the data log keeps.
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "dashboard/dashboard_core.h"
#include "dashboard/link/ecu_lines.h"
#include "dashboard/link/memory_serial_port.h"
#include "default_values_image.h"
#include "engine_model.h"
#include "widgets/model/trend_time.h"

namespace {

double residentMb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    return 0;
}

struct Growth {
    double at10min = 0, at2h = 0;
    long long rows = 0, samples = 0;
};

Growth session(bool dataLogOn, const std::vector<std::string>& lines, const std::string& dir) {
    kvr::MemorySerialPort noPort;
    kvr::DashboardCore core(noPort);
    const std::string image = kvrsim::defaultValuesImage();
    core.chartLog.recoveryDirectory = dir;
    int64_t nowMs = 1000;
    core.dataLog.unixClock = [&nowMs] { return 1796745600000 + nowMs; };
    core.chartLog.wallClock = [&nowMs] { return kvr::localDaysFromUnixMs(1796745600000 + nowMs); };
    if (!dataLogOn) core.dataLog.newPath = [] { return std::string(); };
    core.chartLog.setLoggingSwitch(kvr::kLogGo);
    core.chartLog.onLinkChange({kvr::LinkState::Waiting, kvr::LinkState::Live, nowMs, 0});
    const kvr::RecordContext context{&image, 3100};
    Growth g;
    constexpr long long kRecords = 2LL * 3600 * 835 / 10;  // two hours at 83.5 a second
    for (long long i = 0; i < kRecords; ++i) {
        nowMs = 1000 + i * 1000 * 10 / 835;
        kvr::LiveRecord r = kvr::decodeLiveRecord(lines[static_cast<size_t>(i) % lines.size()], context);
        r.arrivalMs = nowMs;
        core.chartLog.onRecord(r);
        core.dataLog.onRecord(r);
        core.chartLog.sampleIfDue(nowMs);
        // In real time the writer thread keeps up with 83 rows a second;
        // simulated time would outrun it, so it is given each second's rows
        // to write before the next second begins.
        if (i % 84 == 83) core.dataLog.flush();
        if (i == kRecords / 12) g.at10min = residentMb();
    }
    g.at2h = residentMb();
    g.rows = core.dataLog.rows();
    g.samples = core.chartLog.store().count();
    core.dataLog.discard();
    core.chartLog.closeJournal(true);
    return g;
}

}  // namespace

int main() {
    char dir[] = "/tmp/kvr-bench-memory-XXXXXX";
    if (::mkdtemp(dir) == nullptr) return 1;
    kvrsim::EngineModel engine(kvrsim::EngineSettings{});
    std::vector<std::string> lines;
    for (int i = 0; i < 4096; ++i) {
        std::string line = kvr::sealLiveRecord(kvr::liveRecordBody(engine.at(i * 0.012)));
        kvr::correctIgnition(line);
        lines.push_back(line);
    }
    // Off first, so the data log's run cannot reuse memory the other freed.
    const Growth off = session(false, lines, dir);
    const Growth on = session(true, lines, dir);
    std::printf("== memory of a two-hour session at full rate (simulated time, the window's core)\n");
    std::printf("data log off: %lld chart samples, resident %.1f MB at 10 min, %.1f MB at 2 h\n", off.samples,
                off.at10min, off.at2h);
    std::printf("data log on: %lld chart samples, %lld data log rows, resident %.1f MB at 10 min, %.1f MB at 2 h\n",
                on.samples, on.rows, on.at10min, on.at2h);
    const double growthOn = on.at2h - on.at10min, growthOff = off.at2h - off.at10min;
    std::printf("growth from 10 min to 2 h: %.1f MB with the data log, %.1f MB without\n", growthOn, growthOff);
    std::printf("the data log's growth: %.2f MB (target <= 1)\n", growthOn - growthOff);
    ::rmdir(dir);
    return 0;
}
