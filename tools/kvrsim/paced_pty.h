// The simulator's wire: a pseudo-terminal whose master side it holds, with
// output paced at a bit rate (10 bits a byte) like a real serial line.
#pragma once

#include <cstdint>
#include <string>

namespace kvrsim {

class PacedPty {
public:
    // Opens the pair; the slave is left raw so nothing is echoed or edited
    // before the dashboard opens it. Throws std::runtime_error on failure.
    explicit PacedPty(unsigned bitRate);
    ~PacedPty();
    PacedPty(const PacedPty&) = delete;
    PacedPty& operator=(const PacedPty&) = delete;

    const std::string& devicePath() const { return path_; }

    // Queues bytes to send.
    void send(const std::string& bytes) { pending_ += bytes; }
    // Reads what the dashboard sent, waiting up to waitMs; writes what the
    // pacing allows by now. Returns the bytes read.
    std::string service(int waitMs, double now);
    bool idle() const { return pending_.empty(); }
    // Bytes queued since the start, and bytes written to the line.
    uint64_t queuedBytes() const { return written_ + pending_.size(); }
    uint64_t writtenBytes() const { return written_; }
    // Closes the master side: the line hangs up for the dashboard.
    void hangUp();

private:
    int master_ = -1;
    int slave_ = -1;  // kept open so the line survives the dashboard closing it
    std::string path_;
    std::string pending_;
    double bytesPerSecond_;
    double credit_ = 0;  // bytes the line could have carried since the last write
    double lastService_ = -1;
    uint64_t written_ = 0;
};

}  // namespace kvrsim
