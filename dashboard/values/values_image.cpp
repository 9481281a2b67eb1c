#include "dashboard/values/values_image.h"

namespace kvr {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool pairPresent(const std::string& text, int k) {
    return k >= 0 && k < kImageByteCount && static_cast<std::size_t>(imageBytePosition(k) + 1) <= text.size();
}

}  // namespace

std::uint16_t imageChecksum(const std::string& text) {
    std::uint32_t sum = 0;
    const std::size_t end = std::min<std::size_t>(text.size(), kSummedLength);
    for (std::size_t i = 0; i < end; ++i) sum += static_cast<unsigned char>(text[i]);
    return static_cast<std::uint16_t>(sum);
}

std::optional<int> ValuesImage::ImageByte(int k) const {
    if (!pairPresent(text_, k)) return std::nullopt;
    const int p = imageBytePosition(k) - 1;
    const int high = hexDigit(text_[p]);
    const int low = hexDigit(text_[p + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    return high * 16 + low;
}

std::optional<int> ValuesImage::ImageWord(int k) const {
    const auto high = ImageByte(k);
    const auto low = ImageByte(k + 1);
    if (!high || !low) return std::nullopt;
    return *high * 256 + *low;
}

std::string ValuesImage::RpmLabel(int n) const {
    if (n < 0 || n >= kRpmLabelCount) return {};
    return charsAt(kFirstRpmLabelPosition + kRpmLabelWidth * n, kRpmLabelWidth);
}

std::string ValuesImage::charsAt(int first, int count) const {
    if (first < 1 || count <= 0 || static_cast<std::size_t>(first) > text_.size()) return {};
    return text_.substr(first - 1, count);
}

int ValuesImage::badPositionOfByte(int k) const {
    if (!pairPresent(text_, k)) return 0;
    const int p = imageBytePosition(k);
    if (hexDigit(text_[p - 1]) < 0) return p;
    if (hexDigit(text_[p]) < 0) return p + 1;
    return 0;
}

}  // namespace kvr
