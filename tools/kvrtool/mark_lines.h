// kvrtool log's marker texts from standard input (--marks-from-stdin): read
// a line at a time without blocking the logging loop.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace kvrtool {

// At the end of the input it stops reading.
class MarkLines {
public:
    void start() {
        const int flags = ::fcntl(STDIN_FILENO, F_GETFL);
        if (flags < 0 || ::fcntl(STDIN_FILENO, F_SETFL, flags | O_NONBLOCK) < 0) return;
        fd_ = STDIN_FILENO;
    }
    int fd() const { return fd_; }
    // The next whole line read so far, without its line end.
    bool next(std::string& line) {
        if (fd_ >= 0) readSome();
        const size_t end = pending_.find('\n');
        if (end == std::string::npos) return false;
        line = pending_.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        pending_.erase(0, end + 1);
        return true;
    }

private:
    void readSome() {
        char buffer[512];
        for (;;) {
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n > 0) {
                pending_.append(buffer, static_cast<size_t>(n));
                continue;
            }
            if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                // The end of the input: a last line without its line end counts.
                if (!pending_.empty() && pending_.back() != '\n') pending_ += '\n';
                fd_ = -1;
            }
            return;
        }
    }

    int fd_ = -1;
    std::string pending_;
};

}  // namespace kvrtool
