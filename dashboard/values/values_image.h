// The values image as the ECU sends it: ")" + 1024 bytes as hexadecimal pairs + 38 five-character
// RPM labels + a four-digit checksum. Positions are 1-based character positions in the text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kvr {

constexpr int kImageByteCount = 1024;
constexpr int kRpmLabelCount = 38;
constexpr int kRpmLabelWidth = 5;
constexpr int kFirstRpmLabelPosition = 2050;
constexpr int kSummedLength = 2239;      // positions 1..2239 are summed
constexpr int kImageTextLength = 2243;   // with the four checksum digits

// Text position of the high digit of byte k.
constexpr int imageBytePosition(int k) { return 2 * k + 2; }

// 16-bit sum of the character codes at positions 1..2239 (fewer when the text is shorter).
std::uint16_t imageChecksum(const std::string& text);

// Read-only view of an image text. A text may be shorter than a full image (a .KVV file can hold
// one): positions past its end read as absent, never as an error.
class ValuesImage {
public:
    explicit ValuesImage(const std::string& text) : text_(text) {}

    const std::string& text() const { return text_; }

    // Byte k from its hexadecimal pair (either case); empty when the pair is absent or not hex.
    std::optional<int> ImageByte(int k) const;
    // Bytes k (high) and k+1 (low); empty when either is unreadable.
    std::optional<int> ImageWord(int k) const;
    // RPM label n exactly as stored, cut short where the text ends; empty for n outside 0..37, so a
    // stored RPM index that is too large never shows checksum digits as a label.
    std::string RpmLabel(int n) const;

    // The characters at positions first..first+count-1 that exist.
    std::string charsAt(int first, int count) const;
    // Position of the first non-hexadecimal character of byte k's pair; 0 when the pair is
    // hexadecimal or not wholly present.
    int badPositionOfByte(int k) const;

private:
    const std::string& text_;
};

}  // namespace kvr
