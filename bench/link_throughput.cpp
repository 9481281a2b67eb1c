// The live link end to end: kvrsim (its own process, paced at 57600 bit/s,
// answering at once) and the dashboard window offscreen on the tolk
// library. Measures good live records decoded per second against the
// tick's own limit (one fresh record per tick: 1000 / (data interval - 5)),
// the age of each record when the tick decodes it (from the simulator's
// send log, on the shared monotonic clock), and the dashboard's CPU time
// while polling.
#include <sys/resource.h>

#include <QApplication>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <vector>

#include "dashboard/ui/connection_bar.h"
#include "dashboard/ui/main_window.h"
#include "support/port_environment.h"
#include "support/private_state.h"
#include "support/recording_dialogs.h"
#include "support/sim_process.h"

namespace {

double monotonicMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double cpuSeconds() {
    struct rusage u {};
    ::getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const PrivateStateFolder state;  // no recovery logs of the user's offered
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 20.0;
    const std::string sendLog = "/tmp/kvr-link-bench-send.log";

    SimProcess sim({"--number-records", "--send-log", sendLog, "--setup-every", "0"});
    PortEnvironment env({{40, sim.device()}});
    kvr::TolkSerialPort port;
    RecordingDialogs dialogs;
    MainWindow form(port, dialogs);

    std::map<int, double> decodedAt;  // record number -> when the tick decoded it
    kvr::RecordFunction probe([&](const kvr::LiveRecord& record) {
        const std::string& r = record.line;
        if (r.size() >= 64) decodedAt[std::stoi(r.substr(60, 4), nullptr, 16)] = monotonicMs();
    });
    form.core().session.addSink(probe);
    form.connectionBar->openPortButton->click();
    if (!QTest::qWaitFor([&] { return !decodedAt.empty(); }, 10000)) {
        std::fprintf(stderr, "no live record arrived\n");
        return 1;
    }
    QTest::qWait(1000);  // settle into polling

    const size_t before = decodedAt.size();
    const double cpu0 = cpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    QTest::qWait(static_cast<int>(seconds * 1000));
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double cpu = cpuSeconds() - cpu0;
    const size_t decoded = decodedAt.size() - before;
    form.connectionBar->closePortButton->click();
    sim.stop();

    // Ages: decode time minus the time the record was queued on the wire,
    // and minus the time its last byte went out.
    std::vector<double> sinceQueued, sinceSent;
    std::ifstream log(sendLog);
    int number;
    double queued, sent;
    while (log >> number >> queued >> sent) {
        auto it = decodedAt.find(number);
        if (it == decodedAt.end()) continue;
        sinceQueued.push_back(it->second - queued);
        sinceSent.push_back(it->second - sent);
    }
    const int interval = form.connectionBar->dataIntervalEdit->value();
    const double limit = 1000.0 / (interval - 5);
    const double rate = static_cast<double>(decoded) / wall;
    std::printf("live link, kvrsim at 57600 bit/s, data interval %d ms, %.0f s of polling\n", interval, wall);
    std::printf("good records decoded: %.2f /s   tick limit %.2f /s   = %.1f%% (target >= 95%%)\n", rate, limit,
                100.0 * rate / limit);
    std::printf("record age at decode, since its last byte went out: median %.1f ms, p95 %.1f ms, max %.1f ms\n",
                percentile(sinceSent, 0.5), percentile(sinceSent, 0.95), percentile(sinceSent, 1.0));
    std::printf("record age at decode, since it was queued to send:  median %.1f ms, p95 %.1f ms (target: median < 25 ms)\n",
                percentile(sinceQueued, 0.5), percentile(sinceQueued, 0.95));
    std::printf("dashboard CPU while polling: %.2f%% of one core (target < 2%%)\n", 100.0 * cpu / wall);
    return 0;
}
