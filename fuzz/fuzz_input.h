// Helpers shared by the fuzz targets: reading a fuzzer's bytes as a few
// choices followed by data, and handing bytes to readers that take a path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace kvrfuzz {

// Takes choices off the front of the input. Past the end every choice reads
// as 0 and every chunk as empty, so any input is a valid one.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool empty() const { return pos_ >= size_; }
    size_t remaining() const { return size_ - pos_; }

    uint8_t byte() { return empty() ? 0 : data_[pos_++]; }
    uint16_t word() {
        const uint16_t low = byte();
        return static_cast<uint16_t>(low | (byte() << 8));
    }
    std::string bytes(size_t n) {
        if (n > remaining()) n = remaining();
        std::string out(reinterpret_cast<const char*>(data_ + pos_), n);
        pos_ += n;
        return out;
    }
    std::string rest() { return bytes(remaining()); }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// A file of this process's own in the temporary folder, rewritten for each
// input and removed when the process ends.
class ScratchFile {
public:
    explicit ScratchFile(const std::string& name);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& path() const { return path_; }
    // Replaces the file's contents; aborts when it cannot (the run would
    // otherwise test nothing).
    void write(const std::string& bytes) const;

private:
    std::string path_;
};

// A path that exists but cannot be read as a file (a folder), for the
// readers' failure paths.
std::string unreadablePath();

// Stops the run so libFuzzer keeps the input: a property of the output that
// must hold for every input did not.
[[noreturn]] void fail(const char* what);

#define KVRFUZZ_CHECK(condition) \
    do {                         \
        if (!(condition)) ::kvrfuzz::fail(#condition); \
    } while (0)

}  // namespace kvrfuzz
