#include "dashboard/link/line_framer.h"

namespace kvr {

LineFramer::Step LineFramer::take(uint8_t byte) {
    Step step = Step::Byte;
    switch (byte) {
    case '*':
        count_ = 0;
        liveSum_ = 0;
        break;
    case '^':
        count_ = 0;
        setupSum_ = 0;
        step = Step::SetupStart;
        break;
    case ')':
        count_ = 0;
        imageSum_ = 0;
        break;
    default:
        break;
    }
    if (count_ < kLiveSummed) liveSum_ = static_cast<uint8_t>(liveSum_ + byte);
    if (count_ < kSetupSummed) setupSum_ = static_cast<uint8_t>(setupSum_ + byte);
    // Kept to 16 bits as it goes, like the 4-digit checksum it is compared with.
    if (count_ < kImageSummed) imageSum_ = (imageSum_ + byte) % 65536;
    count_ = static_cast<uint16_t>(count_ + 1);

    if (byte == 10) {
        cut_ = false;
        return Step::LineEnd;
    }
    if (line_.size() < kLineLimit) {
        line_.push_back(static_cast<char>(byte));
    } else if (!cut_) {
        cut_ = true;
        return Step::LineCut;
    }
    return step;
}

void LineFramer::reset() {
    line_.clear();
    count_ = 0;
    liveSum_ = 0;
    setupSum_ = 0;
    imageSum_ = 0;
    cut_ = false;
}

}  // namespace kvr
