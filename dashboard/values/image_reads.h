// The decode's reads of one image text. A pair that is present but not hexadecimal reads as absent
// and is remembered, so the decode can be refused as a whole instead of stopping half-way.
#pragma once

#include <optional>
#include <string>

#include "dashboard/values/values_image.h"

namespace kvr {

class ImageReads {
public:
    explicit ImageReads(const std::string& text) : image_(text) {}

    std::optional<int> byte(int k);
    std::optional<int> word(int k);
    std::string rpmLabel(int n) const { return image_.RpmLabel(n); }
    std::string chars(int first, int count) const { return image_.charsAt(first, count); }
    // Lowest position of a non-hexadecimal character among the pairs read; 0 when none.
    int firstBadPosition() const { return firstBad_; }

private:
    ValuesImage image_;
    int firstBad_ = 0;
};

// Decimal text of a value read from the image; empty when it was absent.
std::string decimalText(std::optional<int> value);

}  // namespace kvr
