// What a log can be trusted with when the data stops, measured end to end
// with kvrtool log against kvrsim on pseudo-terminals:
// - samples recorded during a 5 s silence (the ECU stopped with SIGSTOP);
// - time from the device's return (a new kvrsim behind the same path) to
//   the first new sample;
// - data lost to a kill -9 of kvrtool log;
// - the cost, on the recording thread, of sending a sample to the recovery log.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "dashboard/dashboard_core.h"
#include "dashboard/link/memory_serial_port.h"
#include "support/port_environment.h"
#include "support/scratch_logs.h"
#include "support/sim_process.h"
#include "tool_process.h"
#include "dashboard/logging/trend_record.h"
#include "widgets/model/trend_time.h"

namespace {

constexpr double kMsPerDay = 86400000.0;

std::string scratchDir() { return makeScratchDir("kvr-bench-honest"); }

// The sample records of a log chart file, without its separators.
std::vector<kvr::TrendRecord> samples(const std::string& path) {
    std::vector<kvr::TrendRecord> out;
    for (const auto& r : readTrendRecords(path))
        if (!r.isSeparator()) out.push_back(r);
    return out;
}

void sleepSeconds(double s) { std::this_thread::sleep_for(std::chrono::duration<double>(s)); }

void silence() {
    const std::string dir = scratchDir(), name = dir + "/quiet";
    SimProcess sim({"--setup-every", "0"});
    PortEnvironment env({{3, sim.device()}});
    double stoppedAt = 0, wokeAt = 0;
    std::thread quiet([&] {
        sleepSeconds(3.0);
        sim.signal(SIGSTOP);
        stoppedAt = kvr::localNowDays();
        sleepSeconds(5.0);
        wokeAt = kvr::localNowDays();
        sim.signal(SIGCONT);
    });
    const ToolResult r = runTool({"log", "--port", "COM3", "--seconds", "10", "-o", name}, dir);
    quiet.join();
    int fresh = 0, made = 0;
    for (const auto& s : samples(name + ".KVL")) {
        if (s.time <= stoppedAt || s.time >= wokeAt) continue;
        // Samples within the freshness limit of the last record are of fresh data.
        if ((s.time - stoppedAt) * kMsPerDay <= 1000.0 + 100.0)
            ++fresh;
        else
            ++made;
    }
    std::printf("5 s silence (kvrtool log exit %d): %d samples of the last fresh record's second, then\n", r.status,
                fresh);
    std::printf("  samples recorded during the silence beyond the freshness limit: %d (target <= 0)\n", made);
}

void deviceReturn() {
    const std::string dir = scratchDir(), name = dir + "/replug", link = dir + "/ecu";
    auto first = std::make_unique<SimProcess>(
        std::vector<std::string>{"--fault", "hangup", "--fault-every", "25", "--setup-every", "0", "--link", link});
    PortEnvironment env({{3, link}});
    std::unique_ptr<SimProcess> second;
    double backAt = 0;
    std::thread replug([&] {
        sleepSeconds(4.5);
        second = std::make_unique<SimProcess>(std::vector<std::string>{"--setup-every", "0", "--link", link});
        backAt = kvr::localNowDays();  // the link exists once kvrsim printed its device
    });
    const ToolResult r = runTool({"log", "--port", "COM3", "--seconds", "9", "-o", name}, dir);
    replug.join();
    double firstAfter = 0;
    for (const auto& s : samples(name + ".KVL")) {
        if (s.time > backAt) {
            firstAfter = s.time;
            break;
        }
    }
    if (firstAfter == 0) {
        std::printf("device return: no sample after the return (exit %d)\n%s", r.status, r.err.c_str());
        return;
    }
    std::printf("device return to the first new sample: %.2f s (target < 2)\n", (firstAfter - backAt) * 86400.0);
}

void killed() {
    const std::string dir = scratchDir(), name = dir + "/killed";
    SimProcess sim({"--setup-every", "0"});
    PortEnvironment env({{3, sim.device()}});
    const ToolResult r = runTool({"log", "--port", "COM3", "--seconds", "30", "-o", name}, dir, 5.0, SIGKILL);
    const double killedAt = kvr::localNowDays() - r.secondsAfterSignal / 86400.0;
    const auto kept = samples(name + ".KVL.partial");
    if (kept.empty()) {
        std::printf("kill -9: nothing kept\n");
        return;
    }
    std::printf("kill -9 after 5 s: %zu samples kept; data lost before the kill: %.2f s (target <= 1)\n", kept.size(),
                (killedAt - kept.back().time) * 86400.0);
}

void recoveryCost() {
    const std::string dir = scratchDir();
    kvr::MemorySerialPort port;
    kvr::DashboardCore core(port);
    core.chartLog.recoveryDirectory = dir;
    // Recording: "Go", a fresh link, a record.
    core.chartLog.setLoggingSwitch(kvr::kLogGo);
    core.chartLog.onLinkChange(kvr::LinkChange{kvr::LinkState::Waiting, kvr::LinkState::Live, 0, 0});
    core.chartLog.onRecord(kvr::LiveRecord{});
    std::vector<double> us;
    double time = kvr::localNowDays();
    core.chartLog.wallClock = [&time] { return time; };
    for (int i = 0; i < 3000; ++i) {
        time += 0.1 / 86400.0;
        const auto t0 = std::chrono::steady_clock::now();
        core.chartLog.takeSample();
        us.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count());
        // The chart records every 100 ms; a millisecond apart keeps the run short
        // while the writer thread still has time between samples.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const double first = us.front();  // creates the files
    std::sort(us.begin() + 1, us.end());
    std::printf("recovery log, recording thread's cost per sample: median %.2f us, 99th percentile %.2f us, "
                "first (creates the files) %.0f us (target: median < 50)\n",
                us[us.size() / 2], us[us.size() * 99 / 100], first);
    core.closeRecoveryLog();
}

}  // namespace

int main() {
    std::printf("== honest logging (kvrtool log against kvrsim)\n");
    silence();
    deviceReturn();
    killed();
    recoveryCost();
    return 0;
}
