// Headless logging at the full rate of the line: kvrtool log --interval 0
// against kvrsim paced at 57600 bit/s, every good live record to CSV. The
// line's limit is 5760 bytes/s over 69 bytes a record (the 67-byte record
// and the 2-byte poll): 83.5 records/s. The full-rate data log (NAME.msl) is
// written at the same time, as every kvrtool log run writes it.
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "support/port_environment.h"
#include "support/sim_process.h"
#include "tool_process.h"

namespace {

// Seconds of the day from "YYYY-MM-DDTHH:MM:SS.mmm".
double secondsOfDay(const std::string& iso) {
    int h = 0, m = 0;
    double s = 0;
    if (iso.size() < 23 || std::sscanf(iso.c_str() + 11, "%d:%d:%lf", &h, &m, &s) != 3) return -1;
    return h * 3600.0 + m * 60.0 + s;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 12.0;
    char dir[] = "/tmp/kvr-bench-fullrate-XXXXXX";
    if (::mkdtemp(dir) == nullptr) return 1;
    const std::string sendLog = std::string(dir) + "/sent.txt", csv = std::string(dir) + "/records.csv";
    SimProcess sim({"--setup-every", "0", "--send-log", sendLog});
    PortEnvironment env({{3, sim.device()}});
    const ToolResult r = runTool({"log", "--port", "COM3", "--seconds", std::to_string(seconds), "-o",
                                  std::string(dir) + "/run", "--interval", "0", "--records", csv},
                                 dir);
    sim.stop();
    std::vector<double> times;
    std::istringstream rows(readWholeFile(csv));
    std::string line;
    std::getline(rows, line);  // header
    while (std::getline(rows, line)) times.push_back(secondsOfDay(line.substr(0, line.find(','))));
    size_t best = 0;
    for (size_t i = 0, j = 0; i < times.size(); ++i) {
        while (times[i] - times[j] > 5.0) ++j;
        best = std::max(best, i - j + 1);
    }
    std::istringstream sentLines(readWholeFile(sendLog));
    size_t sent = 0;
    while (std::getline(sentLines, line)) ++sent;
    const double rate = static_cast<double>(best) / 5.0;
    std::printf("== full-rate headless logging (kvrtool log --interval 0 --records, kvrsim at 57600 bit/s, %.0f s, "
                "exit %d)\n",
                seconds, r.status);
    std::printf("records sent by the ECU: %zu, CSV rows: %zu (every good record has its row: %s)\n", sent,
                times.size(), times.size() + 1 >= sent && times.size() <= sent ? "yes" : "NO");
    std::printf("busiest 5 s: %.1f records/s, %.1f %% of the line's 83.5 (target >= 75.2)\n", rate, rate / 83.5 * 100);
    // The data log (NAME.msl) is written at the same time: a row for each
    // record kept, from the first live record on.
    std::istringstream dataLog(readWholeFile(std::string(dir) + "/run.msl"));
    size_t dataRows = 0;
    while (std::getline(dataLog, line)) dataRows += !line.empty() && line[0] >= '0' && line[0] <= '9';
    std::printf("data log rows: %zu of %zu CSV rows, %.1f %% (target >= 99)\n", dataRows, times.size(),
                times.empty() ? 0.0 : 100.0 * static_cast<double>(dataRows) / static_cast<double>(times.size()));
    return r.status == 0 ? 0 : 1;
}
