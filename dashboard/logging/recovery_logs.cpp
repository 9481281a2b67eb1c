#include "dashboard/logging/recovery_logs.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "dashboard/logging/trend_record.h"
#include "widgets/model/trend_time.h"

namespace kvr {

namespace {

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::string valuesFileOf(const std::string& chartFile) {
    return chartFile.substr(0, chartFile.size() - 4) + ".KVV";
}

// Reads the first and last whole sample records' times.
void readTimes(int fd, int records, LeftLog& log) {
    unsigned char bytes[kTrendRecordBytes];
    for (int i = 0; i < records && log.firstTime == 0; ++i) {
        if (::pread(fd, bytes, sizeof bytes, static_cast<off_t>(i) * kTrendRecordBytes) != sizeof bytes) return;
        log.firstTime = decodeTrendRecord(bytes).time;
    }
    for (int i = records - 1; i >= 0 && log.lastTime == 0; --i) {
        if (::pread(fd, bytes, sizeof bytes, static_cast<off_t>(i) * kTrendRecordBytes) != sizeof bytes) return;
        log.lastTime = decodeTrendRecord(bytes).time;
    }
}

// Rows of a data log: the lines that begin with a number (not the header's
// quoted lines, names, units or markers). -1 when there is no file.
int64_t countDataLogRows(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return -1;
    int64_t rows = 0;
    bool lineStart = true;
    char buffer[1 << 16];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        for (size_t i = 0; i < n; ++i) {
            if (lineStart && buffer[i] >= '0' && buffer[i] <= '9') ++rows;
            lineStart = buffer[i] == '\n';
        }
    }
    std::fclose(f);
    return rows;
}

bool lockedByWriter(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return locked;
}

}  // namespace

std::string dataLogNameFor(const std::string& chartFile) {
    const size_t dot = chartFile.rfind('.');
    const size_t slash = chartFile.rfind('/');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? chartFile.substr(0, dot) : chartFile) + ".msl";
}

std::string defaultRecoveryDirectory() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') return std::string(state) + "/kvrdash";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') return std::string(home) + "/.local/state/kvrdash";
    return {};
}

bool makeRecoveryDirectory(const std::string& dir, std::string& error) {
    for (std::size_t at = 1; at <= dir.size(); ++at) {
        if (at != dir.size() && dir[at] != '/') continue;
        const std::string part = dir.substr(0, at);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            error = part + ": " + std::strerror(errno);
            return false;
        }
    }
    return true;
}

std::string newRecoveryLogName(const std::string& dir) {
    const time_t now = ::time(nullptr);
    struct tm local {};
    ::localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    static int serial = 0;
    return dir + "/log-" + stamp + "-" + std::to_string(::getpid()) +
           (serial++ ? "-" + std::to_string(serial) : std::string()) + ".KVL";
}

std::vector<LeftLog> findLeftLogs(const std::string& dir) {
    std::vector<LeftLog> logs;
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr) return logs;
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name.compare(0, 4, "log-") != 0) continue;
        const std::string path = dir + "/" + name;
        // A values file whose records are gone belongs to nothing: a run
        // writes its records file first, and removes it first.
        if (endsWith(name, ".KVV")) {
            const std::string records = path.substr(0, path.size() - 4) + ".KVL";
            if (::access(records.c_str(), F_OK) != 0 && errno == ENOENT) ::unlink(path.c_str());
            continue;
        }
        // A data log goes with its chart file; one left without it (a run
        // that ended within its first sample) holds no more than a moment.
        if (endsWith(name, ".msl")) {
            const std::string records = path.substr(0, path.size() - 4) + ".KVL";
            if (::access(records.c_str(), F_OK) != 0 && errno == ENOENT && !lockedByWriter(path))
                ::unlink(path.c_str());
            continue;
        }
        if (!endsWith(name, ".KVL")) continue;
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        // A journal still being written is locked by its writer.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &st) != 0) {
            ::close(fd);
            continue;
        }
        LeftLog log;
        log.chartFile = path;
        log.records = static_cast<int>(st.st_size / static_cast<off_t>(kTrendRecordBytes));
        if (log.records > 0) readTimes(fd, log.records, log);
        ::close(fd);
        if (log.records == 0) {
            if (!lockedByWriter(dataLogNameFor(path))) removeLogPair(path);
            continue;
        }
        log.dataLogRows = countDataLogRows(dataLogNameFor(path));
        logs.push_back(log);
    }
    ::closedir(d);
    std::sort(logs.begin(), logs.end(),
              [](const LeftLog& a, const LeftLog& b) { return a.chartFile > b.chartFile; });
    return logs;
}

std::string logDurationText(double seconds) {
    const long s = std::max(0L, std::lround(seconds));
    char text[48];
    if (s >= 3600)
        std::snprintf(text, sizeof text, "%ld h %02ld min", s / 3600, s / 60 % 60);
    else if (s >= 60)
        std::snprintf(text, sizeof text, "%ld min %ld s", s / 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%ld s", s);
    return text;
}

double recordSpanSeconds(const std::vector<double>& times) {
    double first = 0, last = 0;
    for (double t : times) {
        if (t == kSeparatorTime) continue;
        if (first == 0) first = t;
        last = t;
    }
    return first == 0 ? 0 : (last - first) * 86400.0;
}

std::string leftLogQuestion(const LeftLog& log) {
    std::string when;
    if (log.firstTime != 0) {
        when = " on " + dateText(log.firstTime) + " at " + timeOfDayText(log.firstTime);
        if (log.lastTime > log.firstTime) when += ", " + logDurationText((log.lastTime - log.firstTime) * 86400.0);
    }
    const std::string dataLog =
        log.dataLogRows >= 0 ? ", and its full-rate data log of " + std::to_string(log.dataLogRows) + " rows," : "";
    return "A log recorded" + when + " (" + std::to_string(log.records) + " records)" + dataLog +
           " was not saved when the dashboard last ended.\n" + log.chartFile +
           "\n\nOpen it now? It opens as a loaded log that you can save under a name of your own.";
}

void removeLogPair(const std::string& chartFile) {
    ::unlink(chartFile.c_str());
    if (endsWith(chartFile, ".KVL")) ::unlink(valuesFileOf(chartFile).c_str());
    ::unlink(dataLogNameFor(chartFile).c_str());
}

}  // namespace kvr
