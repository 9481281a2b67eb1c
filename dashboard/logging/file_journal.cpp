#include "dashboard/logging/file_journal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "dashboard/logging/trend_file.h"

namespace kvr {

FileJournal::~FileJournal() { close(); }

bool FileJournal::open(const std::string& path, std::string& error) {
    close();
    // A journal another run is writing is locked: leave it alone.
    const int existing = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (existing >= 0) {
        const bool inUse = ::flock(existing, LOCK_EX | LOCK_NB) != 0;
        ::close(existing);
        if (inUse) {
            error = path + ": in use by another run";
            return false;
        }
    }
    // Made and locked under a name of its own, then moved into place: a
    // journal is never seen under its real name unlocked, where another run
    // looking for logs left behind would take it for an empty one and
    // remove it.
    const std::string fresh = path + ".new-" + std::to_string(::getpid());
    const int fd = ::open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::rename(fresh.c_str(), path.c_str()) != 0) {
        error = path + ": " + std::strerror(errno);
        ::close(fd);
        ::unlink(fresh.c_str());
        return false;
    }
    fd_ = fd;
    path_ = path;
    stopping_ = false;
    queued_.clear();
    queuedItems_ = 0;
    writing_ = 0;
    written_ = 0;
    writeError_ = 0;
    writer_ = std::thread([this] { writerLoop(); });
    return true;
}

void FileJournal::append(const void* bytes, std::size_t size, int64_t items) {
    if (fd_ < 0) return;
    const auto* b = static_cast<const unsigned char*>(bytes);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queued_.insert(queued_.end(), b, b + size);
        queuedItems_ += items;
    }
    wake_.notify_one();
}

void FileJournal::flush() {
    if (fd_ < 0) return;
    std::unique_lock<std::mutex> lock(mutex_);
    drained_.wait(lock, [this] { return queued_.empty() && writing_ == 0; });
}

void FileJournal::writerLoop() {
    using Clock = std::chrono::steady_clock;
    auto lastSync = Clock::now();
    bool unsynced = false;
    std::vector<unsigned char> batch;
    for (;;) {
        bool stop = false;
        int64_t items = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            const auto syncDue = lastSync + std::chrono::milliseconds(kSyncEveryMs);
            wake_.wait_until(lock, unsynced ? syncDue : Clock::now() + std::chrono::hours(1),
                             [this] { return stopping_ || !queued_.empty(); });
            batch.swap(queued_);
            items = queuedItems_;
            queuedItems_ = 0;
            writing_ = items;
            stop = stopping_;
        }
        if (!batch.empty()) {
            // Written at once: in the page cache an item survives the
            // process, however it ends.
            if (const int err = writeAllBytes(fd_, batch.data(), batch.size()); err != 0) {
                int none = 0;
                writeError_.compare_exchange_strong(none, err);
            } else {
                written_ += items;
            }
            // A burst (a writer that fell behind) does not keep its buffer.
            if (batch.capacity() > kKeepBufferBytes) std::vector<unsigned char>().swap(batch);
            batch.clear();
            unsynced = true;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            writing_ = 0;
        }
        drained_.notify_all();
        const auto now = Clock::now();
        if (unsynced && (stop || now - lastSync >= std::chrono::milliseconds(kSyncEveryMs))) {
            ::fdatasync(fd_);
            lastSync = now;
            unsynced = false;
        }
        if (stop) return;
    }
}

void FileJournal::close() {
    if (fd_ < 0) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    writer_.join();
    ::close(fd_);  // releases the lock
    fd_ = -1;
}

void FileJournal::closeAndRemove() {
    const std::string path = path_;
    const bool wasOpen = isOpen();
    close();
    if (wasOpen) ::unlink(path.c_str());
}

}  // namespace kvr
