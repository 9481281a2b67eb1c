// The file a text log writer writes to (not owned): the first write error is
// kept, every later call fails with errno set to it again, so a writer's
// caller can report the cause whichever call it sees fail.
#pragma once

#include <cerrno>
#include <cstdio>
#include <string>

namespace kvr {

class FileOutput {
public:
    explicit FileOutput(std::FILE* file) : file_(file) {}

    bool put(const std::string& text) {
        if (failed()) return false;
        errno = 0;
        if (std::fwrite(text.data(), 1, text.size(), file_) == text.size()) return true;
        error_ = errno != 0 ? errno : EIO;
        return false;
    }
    bool flush() {
        if (failed()) return false;
        errno = 0;
        if (std::fflush(file_) == 0 && !std::ferror(file_)) return true;
        error_ = errno != 0 ? errno : EIO;
        return false;
    }
    // True after a write failed, with errno set again to its error.
    bool failed() const {
        if (error_ != 0) errno = error_;
        return error_ != 0;
    }
    int error() const { return error_; }

private:
    std::FILE* file_;
    int error_ = 0;
};

}  // namespace kvr
