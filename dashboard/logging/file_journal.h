// A file written as data comes: the recording thread queues bytes in well
// under a microsecond and a thread of its own writes them, so a crash or a
// kill loses nothing already queued and written, and a power cut at most
// about the last second (the file is synced once a second). The file is
// locked while open, so another run can tell a live journal from one left
// behind. The log chart's sample journal and the full-rate data log both
// write through one.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kvr {

class FileJournal {
public:
    FileJournal() = default;
    ~FileJournal();  // writes what is queued and closes; the file stays
    FileJournal(const FileJournal&) = delete;
    FileJournal& operator=(const FileJournal&) = delete;

    // Creates the file empty (emptying one of that name) and locks it. False,
    // with the reason, when it cannot, or when another run holds it.
    bool open(const std::string& path, std::string& error);
    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

    // Queues bytes holding `items` whole items (records, rows) for the writer.
    void append(const void* bytes, std::size_t size, int64_t items = 1);
    // Waits until everything queued so far is written (not necessarily synced).
    void flush();

    // Writes and syncs everything queued, then closes the file.
    void close();
    // Closes and deletes the file.
    void closeAndRemove();

    // Items written to the file so far, and the first write error (errno).
    int64_t writtenItems() const { return written_.load(); }
    int writeError() const { return writeError_.load(); }

    static constexpr int kSyncEveryMs = 1000;
    // The writer keeps a buffer up to this size between batches.
    static constexpr std::size_t kKeepBufferBytes = 256 * 1024;

private:
    void writerLoop();

    std::string path_;
    int fd_ = -1;
    std::thread writer_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable drained_;
    std::vector<unsigned char> queued_;  // bytes not yet written
    int64_t queuedItems_ = 0;
    int64_t writing_ = 0;  // items taken by the writer and not yet written
    bool stopping_ = false;
    std::atomic<int64_t> written_{0};
    std::atomic<int> writeError_{0};
};

}  // namespace kvr
