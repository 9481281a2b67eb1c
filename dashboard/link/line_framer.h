// The receive framer: bytes in, lines out. It keeps one running sum per kind
// of line (live record "*", setup line "^", values image ")"), each counted
// from the latest start character over the characters its checksum covers,
// and collects the line up to its LF. Judging a finished line against the
// checksum it carries is the session's work; the sums are here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kvr {

class LineFramer {
public:
    // The characters each line's checksum covers; its checksum follows them.
    static constexpr int kLiveSummed = 64;     // positions 1-64; checksum at 65-66
    static constexpr int kSetupSummed = 25;    // positions 1-25; checksum at 26-27
    static constexpr int kImageSummed = 2239;  // positions 1-2239; checksum at 2240-2243
    // The longest legal line is the image text (2243 characters); a noisy
    // line that never ends is cut here instead of growing without bound.
    static constexpr size_t kLineLimit = 8192;

    enum class Step {
        Byte,        // taken into the line
        SetupStart,  // a "^": a setup line begins
        LineCut,     // the line reached the limit; the rest up to its LF is dropped (said once)
        LineEnd,     // LF: line() holds the finished line
    };

    Step take(uint8_t byte);

    const std::string& line() const { return line_; }
    uint8_t liveSum() const { return liveSum_; }
    uint8_t setupSum() const { return setupSum_; }
    // The image's sum, to 16 bits as its checksum is.
    int32_t imageSum() const { return imageSum_; }

    // Starts the next line (after handling a finished one).
    void clearLine() { line_.clear(); }
    void clearSetupSum() { setupSum_ = 0; }
    // Forgets everything: sums, count and line (a new port, a reopened one).
    void reset();
    // Drops the line and the image sum (a port closed mid-line).
    void dropLine() {
        line_.clear();
        imageSum_ = 0;
    }

private:
    std::string line_;
    uint16_t count_ = 0;  // characters since the latest start character; wraps like a 16-bit field
    uint8_t liveSum_ = 0;
    uint8_t setupSum_ = 0;
    int32_t imageSum_ = 0;
    bool cut_ = false;
};

}  // namespace kvr
