#include "dashboard/values/image_reads.h"

namespace kvr {

std::optional<int> ImageReads::byte(int k) {
    const int bad = image_.badPositionOfByte(k);
    if (bad != 0 && (firstBad_ == 0 || bad < firstBad_)) firstBad_ = bad;
    return image_.ImageByte(k);
}

std::optional<int> ImageReads::word(int k) {
    const auto high = byte(k);
    const auto low = byte(k + 1);
    if (!high || !low) return std::nullopt;
    return *high * 256 + *low;
}

std::string decimalText(std::optional<int> value) { return value ? std::to_string(*value) : std::string(); }

}  // namespace kvr
