#include "dashboard/logging/trend_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

namespace kvr {

namespace {

// Records are moved through a buffer of this many at a time.
constexpr std::size_t kChunkRecords = 4096;

// Reads up to size bytes; fewer only at the end of the file.
int readAll(int fd, unsigned char* data, std::size_t size, std::size_t& got) {
    got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, data + got, size - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return 0;
}

// A symbolic link is kept and the file it points to is replaced.
std::string resolvedTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) return path;
    return resolved;
}

// A new, empty file beside target, opened for writing with the permissions
// a newly created target would get.
int createTemporary(const std::string& target, std::string& tempName) {
    static std::atomic<unsigned> serial{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempName = target + ".~" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
        const int fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

int writeRecords(int fd, const TrendStore& store) {
    std::vector<unsigned char> buffer;
    buffer.reserve(kChunkRecords * kTrendRecordBytes);
    for (const TrendRecord& record : store.records()) {
        buffer.resize(buffer.size() + kTrendRecordBytes);
        encodeTrendRecord(record, buffer.data() + buffer.size() - kTrendRecordBytes);
        if (buffer.size() == kChunkRecords * kTrendRecordBytes) {
            if (const int err = writeAllBytes(fd, buffer.data(), buffer.size())) return err;
            buffer.clear();
        }
    }
    return writeAllBytes(fd, buffer.data(), buffer.size());
}

}  // namespace

int writeAllBytes(int fd, const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

int saveTrendFile(const std::string& path, const TrendStore& store) {
    const std::string target = resolvedTarget(path);
    std::string tempName;
    const int fd = createTemporary(target, tempName);
    if (fd < 0) return errno;

    int err = writeRecords(fd, store);
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    // An existing file keeps its permissions.
    struct stat old {};
    if (err == 0 && ::stat(target.c_str(), &old) == 0 && ::fchmod(fd, old.st_mode & 07777) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && ::rename(tempName.c_str(), target.c_str()) != 0) err = errno;
    if (err != 0) ::unlink(tempName.c_str());
    return err;
}

int appendTrendFile(const std::string& path, TrendStore& store) {
    return appendTrendFile(path, store, nullptr);
}

int appendTrendFile(const std::string& path, TrendStore& store, std::size_t* cutTailBytes) {
    if (cutTailBytes) *cutTailBytes = 0;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;

    std::vector<unsigned char> buffer(kChunkRecords * kTrendRecordBytes);
    int err = 0;
    for (;;) {
        std::size_t got = 0;
        err = readAll(fd, buffer.data(), buffer.size(), got);
        const std::size_t whole = got / kTrendRecordBytes;
        for (std::size_t i = 0; i < whole; ++i)
            store.append(decodeTrendRecord(buffer.data() + i * kTrendRecordBytes));
        // A short chunk is the end of the file. A partial record there is what a writer that
        // stopped mid-record leaves behind: it is skipped, and its length told to the caller.
        if (err != 0 || got < buffer.size()) {
            if (err == 0 && cutTailBytes) *cutTailBytes = got % kTrendRecordBytes;
            break;
        }
    }
    if (::close(fd) != 0 && err == 0) err = errno;
    return err;
}

bool isLogChartTime(double days) {
    // 1980-01-01 is day 29221 and 2101-01-01 day 73416 after 1899-12-30.
    constexpr double kFirstDay = 29221.0;
    constexpr double kEndDay = 73416.0;
    return days == kSeparatorTime || (days >= kFirstDay && days < kEndDay);
}

}  // namespace kvr
