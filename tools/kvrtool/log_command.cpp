// kvrtool log: the dashboard's session and chart log without the window.
// Opens the port as "Open Com Port" does, runs the polling tick at the
// interval the session asks for (or, with --interval 0, whenever bytes
// arrive), and lets the chart log record its eight channels every 100 ms
// while fresh live records arrive. Samples go to disk as they are taken, so
// a killed run keeps its log; a device that goes away is reopened when it
// comes back, and each gap is marked.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "commands.h"
#include "counted.h"
#include "dashboard/dashboard_core.h"
#include "dashboard/link/port_error.h"
#include "dashboard/logging/log_files.h"
#include "dashboard/logging/sample_journal.h"
#include "live_records_csv.h"
#include "mark_lines.h"
#include "port_argument.h"
#include "tolk.h"
#include "watched_port.h"

namespace kvrtool {
namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

constexpr double kMaxSeconds = 7 * 86400.0;  // a week; the chart keeps its newest 300000 records
constexpr Ms kProgressInterval{1000};
// The longest the loop sleeps, so a stop request is seen promptly even if
// its signal lands just before a sleep starts.
constexpr Ms kMaxSleep{50};
// With --interval 0, how long an unanswered poll waits before the next.
constexpr Ms kByteDrivenRepoll{200};
// The journal's suffix while the run goes on; a normal end renames it.
const char kPartialSuffix[] = ".partial";

volatile std::sig_atomic_t gStopRequested = 0;
volatile std::sig_atomic_t gMarksRequested = 0;

void onStopSignal(int) { gStopRequested = 1; }
void onMarkSignal(int) { gMarksRequested = gMarksRequested + 1; }

// Without SA_RESTART, so a signal also cuts the current sleep short.
void catchSignals() {
    struct sigaction sa {};
    sa.sa_handler = onStopSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sa.sa_handler = onMarkSignal;
    sigaction(SIGUSR1, &sa, nullptr);
}

struct LogOptions {
    PortArgument port;
    double seconds = 0;
    std::string name;      // without extension
    int interval = 45;     // data interval in ms; 0: poll again as soon as a record is in
    std::string records;   // CSV of every good live record, or empty
    bool marksFromStdin = false;  // each line read from standard input is a marker
};

bool parseWhole(const std::string& v, long lo, long hi, long& out) {
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(v.c_str(), &end, 10);
    if (v.empty() || *end != '\0' || errno != 0 || n < lo || n > hi) return false;
    out = n;
    return true;
}

// "a", "a and b", "a, b and c".
std::string listed(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i)
        text += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
    return text;
}

int parseOptions(const Args& args, LogOptions& o) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--marks-from-stdin") {
            o.marksFromStdin = true;
            continue;
        }
        if (a != "--port" && a != "--seconds" && a != "-o" && a != "--interval" && a != "--records")
            return usageError("log", "unknown argument " + a);
        if (i + 1 >= args.size()) return usageError("log", a + " needs a value");
        const std::string& v = args[++i];
        if (a == "--port") {
            if (!parsePortArgument(v, o.port))
                return usageError("log", "--port takes COM1 .. COM" + std::to_string(kHighestPort) +
                                             " or a device's path (/dev/ttyUSB0, /dev/serial/by-id/...)");
        } else if (a == "--seconds") {
            char* end = nullptr;
            const double s = std::strtod(v.c_str(), &end);
            if (v.empty() || *end != '\0' || !(s > 0) || s > kMaxSeconds)
                return usageError("log", "--seconds takes a number above 0, at most a week");
            o.seconds = s;
        } else if (a == "--interval") {
            long n = 0;
            if (!parseWhole(v, 0, 9999, n))
                return usageError("log", "--interval takes milliseconds, 0 .. 9999 (0: as fast as the ECU answers)");
            o.interval = static_cast<int>(n);
        } else if (a == "--records") {
            o.records = v;
        } else {
            o.name = v;
        }
    }
    std::vector<std::string> missing;
    if (o.port.port < 0) missing.push_back("--port COMn");
    if (o.seconds <= 0) missing.push_back("--seconds S");
    if (o.name.empty()) missing.push_back("-o NAME");
    if (!missing.empty())
        return usageError("log", listed(missing) + (missing.size() == 1 ? " is" : " are") + " needed");
    // "-o run.KVL" means the pair run.KVL and run.KVV, not run.KVL.KVL.
    const std::string ext = o.name.size() > 4 ? o.name.substr(o.name.size() - 4) : "";
    std::string upper = ext;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper == ".KVL") o.name.resize(o.name.size() - 4);
    return 0;
}

double secondsOf(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

int64_t msOf(Clock::time_point t) { return std::chrono::duration_cast<Ms>(t.time_since_epoch()).count(); }

// Waits until the port (unless -1) or `other` (unless -1) has bytes to read,
// or `until`, whichever is first.
void waitForBytes(int port, Clock::time_point until, int other) {
    const auto left = std::chrono::duration_cast<Ms>(until - Clock::now()).count();
    if (left <= 0) return;
    const int fd = port < 0 ? -1 : static_cast<int>(SioSetInteger(port, 'H', 0));
    if (fd < 0 && other < 0) {
        const timespec ts{0, static_cast<long>(std::min<long long>(left, 50)) * 1000000L};
        ::nanosleep(&ts, nullptr);
        return;
    }
    struct pollfd p[2] = {{fd, POLLIN, 0}, {other, POLLIN, 0}};
    ::poll(p, 2, static_cast<int>(left));
}


void sleepUntil(Clock::time_point t) {
    const auto d = t - Clock::now();
    if (d <= Clock::duration::zero()) return;
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(d).count();
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(ns / 1000000000);
    ts.tv_nsec = static_cast<long>(ns % 1000000000);
    ::nanosleep(&ts, nullptr);
}

// The run: the session's tick at the interval it asks for, the chart log's
// samples on their own rhythm, progress once a second. It is a sink as well,
// to count the records and to say on stderr where the data had gaps.
class LogRun : public kvr::RecordSink {
public:
    LogRun(kvr::DashboardCore& core, const LogOptions& o) : core_(core), options_(o) { core_.session.addSink(*this); }
    ~LogRun() override { core_.session.removeSink(*this); }
    LogRun(const LogRun&) = delete;
    LogRun& operator=(const LogRun&) = delete;

    int liveRecords() const { return liveRecords_; }
    bool interrupted() const { return interrupted_; }

    void onRecord(const kvr::LiveRecord&) override { ++liveRecords_; }

    void onLinkChange(const kvr::LinkChange& change) override {
        const auto now = Clock::now();
        if (change.to == kvr::LinkState::Live && gapFrom_) {
            reportGap(*gapFrom_, now, false);
            gapFrom_.reset();
        } else if (change.from == kvr::LinkState::Live && !gapFrom_) {
            gapFrom_ = now;
            gapReason_ = kvr::staleReason(change.to);
        }
    }

    void run() {
        kvr::Session& session = core_.session;
        start_ = Clock::now();
        const auto deadline = start_ + std::chrono::duration_cast<Clock::duration>(
                                           std::chrono::duration<double>(options_.seconds));
        auto nextTick = start_ + Ms(session.status.tickIntervalMs);
        auto nextProgress = start_ + kProgressInterval;
        for (;;) {
            const auto now = Clock::now();
            if (gStopRequested) {
                interrupted_ = true;
                break;
            }
            if (now >= deadline) break;
            if (now >= nextTick || (byteDriven() && session.status.tickRunning && bytesWaiting())) {
                tick();
                // Driven by the bytes, the timer only re-polls an ECU that
                // missed a poll; otherwise it runs at the link's interval.
                nextTick = now + (byteDriven() ? kByteDrivenRepoll : Ms(std::max(session.status.tickIntervalMs, 1)));
            }
            session.checkLink();
            core_.chartLog.sampleIfDue(msOf(now));
            takeMarkers();
            if (now >= nextProgress) {
                progress(now - start_);
                nextProgress += kProgressInterval;
            }
            auto wake = std::min({nextTick, nextProgress, deadline, now + kMaxSleep});
            if (core_.chartLog.recording()) wake = std::min(wake, Clock::time_point(Ms(core_.chartLog.nextSampleMs())));
            if (session.linkLive()) wake = std::min(wake, Clock::time_point(Ms(session.staleAtMs() + 1)));
            if (byteDriven() && session.portOpen && !session.reconnecting())
                waitForBytes(session.portNumber, wake, marks_.fd());
            else if (marks_.fd() >= 0)
                waitForBytes(-1, wake, marks_.fd());
            else
                sleepUntil(wake);
        }
        if (gapFrom_) reportGap(*gapFrom_, Clock::now(), true);
    }

    MarkLines& marks() { return marks_; }

private:
    // A marker for each SIGUSR1 and each line on standard input, at the
    // newest record; said on stderr, as the window's text log says it.
    void takeMarkers() {
        while (gMarksRequested > 0) {
            gMarksRequested = gMarksRequested - 1;
            placeMarker({});
        }
        std::string line;
        while (marks_.next(line)) placeMarker(line);
    }

    void placeMarker(const std::string& text) {
        if (core_.placeMarker(text)) {
            const kvr::ChartMarker& m = core_.chartLog.markers().back();
            std::fprintf(stderr, "kvrtool log: marker %d at %.1f s: %s\n", m.number + 1,
                         secondsOf(Clock::now() - start_), m.text.c_str());
        } else {
            std::fprintf(stderr, "kvrtool log: no marker placed: nothing is being recorded (no live data)\n");
        }
        core_.messages.lines.clear();
    }

    // With --interval 0 the tick runs whenever bytes arrive, so each record
    // is acknowledged (and the next polled) the moment it is complete.
    bool byteDriven() const { return options_.interval == 0 && core_.session.valuesLoaded; }
    bool bytesWaiting() const { return SioRxQue(core_.session.portNumber) > 0; }

    void tick() {
        core_.session.tick();
        for (const auto& line : core_.messages.lines) {
            // The link's own news (lost, back) is worth a line on stderr.
            if (line.find(" link lost") != std::string::npos || line.find(" link back") != std::string::npos)
                std::fprintf(stderr, "kvrtool log: %s\n", line.c_str());
        }
        core_.messages.lines.clear();
        core_.chartLog.rangeRequests.clear();  // no view replays them here
        keepValuesFile();
    }

    // NAME.KVV follows the image as it arrives, so a killed run's log opens
    // with its ranges.
    void keepValuesFile() {
        const kvr::Session& session = core_.session;
        if (!session.valuesLoaded || session.valuesText == valuesWritten_) return;
        std::string error;
        if (kvr::writeValuesFile(options_.name + ".KVV", kvr::ValuesFile{session.valuesText, {}}, error))
            valuesWritten_ = session.valuesText;
        else
            std::fprintf(stderr, "kvrtool log: %s\n", error.c_str());
    }

    void reportGap(Clock::time_point from, Clock::time_point to, bool atEnd) const {
        std::fprintf(stderr, "kvrtool log: gap in the data from %.1f s, %.1f s long%s (%s)\n", secondsOf(from - start_),
                     secondsOf(to - from), atEnd ? ", still open at the end" : "", gapReason_.c_str());
    }

    void progress(Clock::duration elapsed) const {
        std::fprintf(stderr, "kvrtool log: %.0f s of %g s, %s, %s, %s\n", secondsOf(elapsed),
                     options_.seconds, counted(core_.chartLog.store().count(), "record").c_str(),
                     core_.session.valuesLoaded ? "values image received" : "waiting for the values image",
                     core_.session.linkStatusText().c_str());
    }

    kvr::DashboardCore& core_;
    const LogOptions& options_;
    Clock::time_point start_{};
    std::optional<Clock::time_point> gapFrom_;
    std::string gapReason_;
    std::string valuesWritten_;
    bool interrupted_ = false;
    int liveRecords_ = 0;
    MarkLines marks_;
};

// Creates the output files before anything else, so a folder that cannot be
// written to fails at once rather than after the whole run.
bool prepareOutput(const std::string& name, kvr::SampleJournal& journal) {
    const std::string partial = name + ".KVL" + kPartialSuffix;
    // The samples and rows of an earlier run that was killed are never
    // overwritten.
    for (const char* ext : {".KVL", ".msl"}) {
        const std::string earlier = name + ext + kPartialSuffix;
        struct stat st {};
        if (::stat(earlier.c_str(), &st) == 0 && st.st_size > 0) {
            std::fprintf(stderr,
                         "kvrtool log: %s holds the data of an earlier run that was cut short: rename it to %s%s "
                         "to keep it, or remove it\n",
                         earlier.c_str(), name.c_str(), ext);
            return false;
        }
    }
    std::string error;
    if (!journal.open(partial, error)) {
        std::fprintf(stderr, "kvrtool log: cannot write the log: %s\n", error.c_str());
        return false;
    }
    if (!kvr::writeValuesFile(name + ".KVV", kvr::ValuesFile{}, error)) {
        std::fprintf(stderr, "kvrtool log: cannot write the values file: %s\n", error.c_str());
        journal.closeAndRemove();
        return false;
    }
    return true;
}

// A normal end: the journal, complete and synced, becomes NAME.KVL in one
// rename; should it have failed, the samples held in memory are saved instead.
// The data log, complete and synced, becomes NAME.msl in one rename.
bool finishDataLog(kvr::DataLog& dataLog, const std::string& name) {
    if (!dataLog.isOpen()) return true;  // no row was ever recorded
    const std::string partial = dataLog.path();
    const std::string msl = name + ".msl";
    const int writeError = dataLog.writeError();
    dataLog.close();
    if (writeError != 0) {
        std::fprintf(stderr, "kvrtool log: writing %s failed: %s\n", partial.c_str(), std::strerror(writeError));
        return false;
    }
    if (::rename(partial.c_str(), msl.c_str()) != 0) {
        std::fprintf(stderr, "kvrtool log: cannot rename %s to %s: %s\n", partial.c_str(), msl.c_str(),
                     std::strerror(errno));
        return false;
    }
    std::fprintf(stderr, "kvrtool log: saved %s to %s\n", counted(dataLog.rows(), "row").c_str(),
                 msl.c_str());
    return true;
}

bool finishLog(kvr::SampleJournal& journal, const kvr::DashboardCore& core, const std::string& name) {
    const std::string kvl = name + ".KVL", kvv = name + ".KVV";
    const std::string partial = journal.path();
    const bool journalGood = journal.writeError() == 0;
    journal.close();
    bool saved = false;
    if (journalGood && ::rename(partial.c_str(), kvl.c_str()) == 0) {
        saved = true;
    } else if (const int err = core.chartLog.saveTo(kvl)) {
        std::fprintf(stderr, "kvrtool log: cannot save %s: %s; the samples are in %s\n", kvl.c_str(),
                     std::strerror(err), partial.c_str());
    } else {
        saved = true;
        ::unlink(partial.c_str());
    }
    // Line 1 is empty when no image ever passed, as the dashboard saves it then.
    std::string error;
    if (!kvr::writeValuesFile(kvv, kvr::ValuesFile{core.session.valuesText, {}}, error)) {
        std::fprintf(stderr, "kvrtool log: %s\n", error.c_str());
        saved = false;
    }
    if (saved)
        std::fprintf(stderr, "kvrtool log: saved %s to %s and %s\n",
                     counted(core.chartLog.store().count(), "record").c_str(), kvl.c_str(), kvv.c_str());
    return saved;
}

// The exit status of a finished run, with the reason on stderr when it failed.
int endStatus(const std::string& com, kvr::LinkState endState, bool imageReceived, const LogRun& run, bool saved) {
    if (endState == kvr::LinkState::DeviceGone) {
        std::fprintf(stderr, "kvrtool log: %s: the device was still gone at the end; the log %s\n", com.c_str(),
                     saved ? "holds what came before" : "could not be saved");
        return 1;
    }
    if (!imageReceived) {
        std::fprintf(stderr, "kvrtool log: no values image came from %s: the ECU did not answer\n", com.c_str());
        return 1;
    }
    if (run.liveRecords() == 0) {
        std::fprintf(stderr, "kvrtool log: no live record came from %s: the ECU did not answer the polls\n",
                     com.c_str());
        return 1;
    }
    if (endState != kvr::LinkState::Live && !run.interrupted()) {
        std::fprintf(stderr, "kvrtool log: %s: the ECU was silent at the end\n", com.c_str());
        return 1;
    }
    return saved ? 0 : 1;
}

int logRun(const LogOptions& options) {
    const std::string& com = options.port.name;

    auto journal = std::make_shared<kvr::SampleJournal>();
    if (!prepareOutput(options.name, *journal)) return 1;

    WatchedPort port;
    kvr::DashboardCore core(port);
    LiveRecordsCsv records(core.facts);
    if (!options.records.empty() && !records.open(options.records)) {
        journal->closeAndRemove();
        ::unlink((options.name + ".KVV").c_str());
        return 1;
    }
    if (!options.records.empty()) core.session.addSink(records);
    // "Go": the chart log records from the first fresh live record to the
    // end, into the journal that becomes NAME.KVL.
    core.chartLog.rules.loggingSwitch = kvr::kLogGo;
    core.chartLog.attachJournal(journal);
    // Every record in full goes to NAME.msl.partial as it comes; the end
    // renames it.
    core.dataLog.newPath = [&options] { return options.name + ".msl" + kPartialSuffix; };
    core.session.stopHint = "Ctrl-C or the end of --seconds stops";
    core.session.setDataInterval(std::to_string(options.interval));
    // A device path names the port in the status lines, not the number it was given.
    core.session.openPort(options.port.port, options.port.isPath ? options.port.name : std::string());
    if (!core.session.portOpen) {
        std::fprintf(stderr, "kvrtool log: %s\n",
                     portArgumentOpenError(options.port, port.lastReset).c_str());
        journal->closeAndRemove();
        ::unlink((options.name + ".KVV").c_str());
        if (!options.records.empty()) records.remove();
        return 1;
    }

    gStopRequested = 0;
    gMarksRequested = 0;
    catchSignals();
    std::fprintf(stderr, "kvrtool log: logging %s for %g s to %s.KVL (samples go to %s as they come)\n", com.c_str(),
                 options.seconds, options.name.c_str(), journal->path().c_str());
    LogRun run(core, options);
    if (options.marksFromStdin) run.marks().start();
    run.run();
    const kvr::LinkState endState = core.session.linkState();
    const bool imageReceived = core.session.valuesLoaded;  // closing the port clears it
    core.session.closePort();
    if (run.interrupted()) std::fprintf(stderr, "kvrtool log: stopped early on request\n");

    const bool saved = finishLog(*journal, core, options.name) & finishDataLog(core.dataLog, options.name);
    if (!options.records.empty() && !records.close()) return 1;
    return endStatus(com, endState, imageReceived, run, saved);
}

}  // namespace

int runLog(const Args& args) {
    LogOptions options;
    if (const int r = parseOptions(args, options)) return r;
    return logRun(options);
}

}  // namespace kvrtool
