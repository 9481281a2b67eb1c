// kvrtool log: the dashboard's link without its window. Opens the port as
// "Open Com Port" does, runs the polling tick at the interval the link asks
// for, records the eight log chart channels every 100 ms from the first live
// record on, and saves the log as NAME.KVL and NAME.KVV when the time is up,
// on Ctrl-C, or when the device goes away.
#include <time.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "chart_channels.h"
#include "commands.h"
#include "dashboard/dashboard_core.h"
#include "dashboard/logging/log_files.h"
#include "watched_port.h"
#include "widgets/model/trend_file.h"
#include "widgets/model/trend_recorder.h"

namespace kvrtool {
namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

constexpr int kMaxPort = 256;                // COM1..COM256, the library's ports 0..255
constexpr double kMaxSeconds = 7 * 86400.0;  // a week; the chart keeps its newest 300000 records
constexpr Ms kSampleInterval{100};
constexpr Ms kProgressInterval{1000};
// The longest the loop sleeps, so a stop request is seen promptly even if
// its signal lands just before a sleep starts.
constexpr Ms kMaxSleep{50};

volatile std::sig_atomic_t gStopRequested = 0;

void onStopSignal(int) { gStopRequested = 1; }

// Without SA_RESTART, so a signal also cuts the current sleep short.
void catchStopSignals() {
    struct sigaction sa {};
    sa.sa_handler = onStopSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

void sleepFor(Clock::duration d) {
    if (d <= Clock::duration::zero()) return;
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(d).count();
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(ns / 1000000000);
    ts.tv_nsec = static_cast<long>(ns % 1000000000);
    ::nanosleep(&ts, nullptr);
}

struct LogOptions {
    int port = -1;  // 0-based
    double seconds = 0;
    std::string name;  // without extension
};

int parseOptions(const Args& args, LogOptions& o) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a != "--port" && a != "--seconds" && a != "-o") return usageError("log", "unknown argument " + a);
        if (i + 1 >= args.size()) return usageError("log", a + " needs a value");
        const std::string& v = args[++i];
        if (a == "--port") {
            char* end = nullptr;
            const long n =
                v.size() > 3 && v.compare(0, 3, "COM") == 0 ? std::strtol(v.c_str() + 3, &end, 10) : 0;
            if (end == nullptr || *end != '\0' || n < 1 || n > kMaxPort)
                return usageError("log", "--port takes COM1 .. COM" + std::to_string(kMaxPort));
            o.port = static_cast<int>(n - 1);
        } else if (a == "--seconds") {
            char* end = nullptr;
            const double s = std::strtod(v.c_str(), &end);
            if (v.empty() || *end != '\0' || !(s > 0) || s > kMaxSeconds)
                return usageError("log", "--seconds takes a number above 0, at most a week");
            o.seconds = s;
        } else {
            o.name = v;
        }
    }
    if (o.port < 0 || o.seconds <= 0 || o.name.empty())
        return usageError("log", "--port, --seconds and -o are all needed");
    // "-o run.KVL" means the pair run.KVL and run.KVV, not run.KVL.KVL.
    const std::string ext = o.name.size() > 4 ? o.name.substr(o.name.size() - 4) : "";
    std::string upper = ext;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper == ".KVL") o.name.resize(o.name.size() - 4);
    return 0;
}

enum class Ending { TimeUp, Interrupted, DeviceGone };

// The chart's settings as the window designs them, with recording off
// until the logging rules switch it on.
void designRecorder(kvr::TrendRecorder& recorder) {
    recorder.setStartRecording(false);
    recorder.setInterval(static_cast<int>(kSampleInterval.count()));
    recorder.setInterval2(100);
    recorder.setMaxRecords(300000);
    recorder.setFlow(true);
    recorder.setGridXPixel(75);
    designRecorderChannels(recorder);
}

class LogRun {
public:
    LogRun(kvr::DashboardCore& core, WatchedPort& port, kvr::TrendRecorder& recorder, const LogOptions& o)
        : core_(core), port_(port), recorder_(recorder), options_(o) {
        core_.onLiveRecord = [this] { ++liveRecords_; };
    }
    ~LogRun() { core_.onLiveRecord = nullptr; }
    LogRun(const LogRun&) = delete;
    LogRun& operator=(const LogRun&) = delete;

    int liveRecords() const { return liveRecords_; }

    Ending run() {
        const auto start = Clock::now();
        const auto deadline = start + std::chrono::duration_cast<Clock::duration>(
                                          std::chrono::duration<double>(options_.seconds));
        auto nextTick = start + Ms(core_.out.Timer1Interval);
        auto nextProgress = start + kProgressInterval;
        for (;;) {
            const auto now = Clock::now();
            if (gStopRequested) return Ending::Interrupted;
            if (now >= deadline) return Ending::TimeUp;
            if (now >= nextTick) {
                tick(now);
                if (port_.gone) return Ending::DeviceGone;
                nextTick = now + Ms(std::max(core_.out.Timer1Interval, 1));
            }
            if (recorder_.StartRecording() && now >= nextSample_) {
                recorder_.AddRecord();
                // Due times keep their rhythm unless the loop fell far behind.
                nextSample_ =
                    now - nextSample_ > Ms(1000) ? now + kSampleInterval : nextSample_ + kSampleInterval;
            }
            if (now >= nextProgress) {
                progress(now - start);
                nextProgress += kProgressInterval;
            }
            auto wake = std::min({nextTick, nextProgress, deadline, now + kMaxSleep});
            if (recorder_.StartRecording()) wake = std::min(wake, nextSample_);
            sleepFor(wake - Clock::now());
        }
    }

private:
    void tick(Clock::time_point now) {
        const int before = liveRecords_;
        core_.Timer1Timer();
        core_.out.memoLines.clear();
        replayChannelRanges(recorder_, core_.out.channelRanges);
        if (liveRecords_ == before) return;
        for (int n = 1; n <= 8; ++n)
            recorder_.channel(n).setValue(core_.display.channel[n - 1]);
        if (core_.display.recording != recorder_.StartRecording()) {
            recorder_.setStartRecording(core_.display.recording);
            nextSample_ = now + kSampleInterval;
        }
    }

    void progress(Clock::duration elapsed) const {
        const double s = std::chrono::duration<double>(elapsed).count();
        std::fprintf(stderr, "kvrtool log: %.0f s of %g s, %d records, %s\n", s, options_.seconds,
                     recorder_.store().count(),
                     core_.ValuesLoaded ? "values image received" : "waiting for the values image");
    }

    kvr::DashboardCore& core_;
    WatchedPort& port_;
    kvr::TrendRecorder& recorder_;
    const LogOptions& options_;
    Clock::time_point nextSample_{};
    int liveRecords_ = 0;
};

bool saveLog(const kvr::TrendRecorder& recorder, const kvr::DashboardCore& core, const std::string& name) {
    const std::string kvl = name + ".KVL", kvv = name + ".KVV";
    if (const int err = kvr::saveTrendFile(kvl, recorder.store())) {
        std::fprintf(stderr, "kvrtool log: cannot save %s: %s\n", kvl.c_str(), std::strerror(err));
        return false;
    }
    // Line 1 is empty when no image ever passed, as the dashboard saves it then.
    std::string error;
    if (!kvr::writeValuesFile(kvv, kvr::ValuesFile{core.ValuesText, {}}, error)) {
        std::fprintf(stderr, "kvrtool log: %s\n", error.c_str());
        return false;
    }
    std::fprintf(stderr, "kvrtool log: saved %d records to %s and %s\n", recorder.store().count(),
                 kvl.c_str(), kvv.c_str());
    return true;
}

}  // namespace

int runLog(const Args& args) {
    LogOptions options;
    if (const int r = parseOptions(args, options)) return r;
    const std::string com = "COM" + std::to_string(options.port + 1);

    WatchedPort port;
    kvr::DashboardCore core(port);
    // "Go": the chart records from the first live record to the end.
    core.in.logselectbutton = 1;
    core.PortNumber = options.port;
    core.out.ComboBox1Items = {com};
    core.out.ComboBox1ItemIndex = 0;
    core.OpenCommportClick();
    if (!core.PortOpen) {
        std::fprintf(stderr, "kvrtool log: cannot open %s: no such device or in use (SioReset returned %d)\n",
                     com.c_str(), port.lastReset);
        return 1;
    }
    kvr::TrendRecorder recorder;
    designRecorder(recorder);
    replayChannelRanges(recorder, core.out.channelRanges);

    gStopRequested = 0;
    catchStopSignals();
    std::fprintf(stderr, "kvrtool log: logging %s for %g s to %s.KVL\n", com.c_str(), options.seconds,
                 options.name.c_str());
    LogRun run(core, port, recorder, options);
    const Ending ending = run.run();
    const bool imageReceived = core.ValuesLoaded;  // closing the port clears it
    core.Button2Click();
    if (ending == Ending::Interrupted) std::fprintf(stderr, "kvrtool log: stopped early on request\n");

    const bool saved = saveLog(recorder, core, options.name);
    if (ending == Ending::DeviceGone) {
        std::fprintf(stderr, "kvrtool log: %s stopped answering: the device went away; the log %s\n",
                     com.c_str(), saved ? "holds what came before" : "could not be saved");
        return 1;
    }
    if (!imageReceived) {
        std::fprintf(stderr, "kvrtool log: no values image came from %s: the ECU did not answer\n",
                     com.c_str());
        return 1;
    }
    if (run.liveRecords() == 0) {
        std::fprintf(stderr, "kvrtool log: no live record came from %s: the ECU did not answer the polls\n",
                     com.c_str());
        return 1;
    }
    return saved ? 0 : 1;
}

}  // namespace kvrtool
