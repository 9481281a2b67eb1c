// A log chart file written as the samples come: each record is queued by the
// recording thread in well under a microsecond and written by a thread of
// its own, so a crash or a kill loses nothing already written, and a power
// cut at most about the last second (the file is synced once a second).
// The file is the plain log chart format, so it opens like any saved log.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "dashboard/logging/trend_record.h"

namespace kvr {

class SampleJournal {
public:
    SampleJournal() = default;
    ~SampleJournal();  // writes what is queued and closes; the file stays
    SampleJournal(const SampleJournal&) = delete;
    SampleJournal& operator=(const SampleJournal&) = delete;

    // Creates the file empty (emptying one of that name) and holds an
    // exclusive lock on it while open, so another run can tell a live
    // journal from one left behind. False, with the reason, on failure.
    bool open(const std::string& path, std::string& error);
    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

    void append(const TrendRecord& record);
    // Five separator records with the digits of `before`: a break in the log.
    void appendGap(const TrendRecord& before);

    // Writes and syncs everything queued, then closes the file.
    void close();
    // Closes and deletes the file.
    void closeAndRemove();

    // Records written to the file so far, and the first write error (errno).
    int64_t writtenRecords() const { return written_.load(); }
    int writeError() const { return writeError_.load(); }

    // The longest the writer waits before syncing written records to disk.
    static constexpr int kSyncEveryMs = 1000;

private:
    void writerLoop();

    std::string path_;
    int fd_ = -1;
    std::thread writer_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<unsigned char> queued_;  // encoded records not yet written
    bool stopping_ = false;
    std::atomic<int64_t> written_{0};
    std::atomic<int> writeError_{0};
};

}  // namespace kvr
