#include "dashboard/values/values_image_builder.h"

#include <cstdio>

#include "dashboard/values/values_image.h"
#include "dashboard/values/values_layout.h"

namespace kvr {

ValuesImageBuilder::ValuesImageBuilder() : body_(")") {
    body_.append(2 * kImageByteCount, '0');
    body_.append(kRpmLabelCount * kRpmLabelWidth, ' ');
}

ValuesImageBuilder& ValuesImageBuilder::setByte(int k, int value) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02X", value & 0xFF);
    return setPair(k, pair);
}

ValuesImageBuilder& ValuesImageBuilder::setWord(int k, int value) {
    setByte(k, (value >> 8) & 0xFF);
    return setByte(k + 1, value & 0xFF);
}

ValuesImageBuilder& ValuesImageBuilder::setPair(int k, const std::string& twoChars) {
    if (k < 0 || k >= kImageByteCount || twoChars.size() != 2) return *this;
    body_.replace(imageBytePosition(k) - 1, 2, twoChars);
    return *this;
}

ValuesImageBuilder& ValuesImageBuilder::setRpmLabel(int n, const std::string& label) {
    if (n < 0 || n >= kRpmLabelCount) return *this;
    std::string cell = label.substr(0, kRpmLabelWidth);
    cell.insert(0, kRpmLabelWidth - cell.size(), ' ');
    body_.replace(kFirstRpmLabelPosition + kRpmLabelWidth * n - 1, kRpmLabelWidth, cell);
    return *this;
}

ValuesImageBuilder& ValuesImageBuilder::setSoftwareVersion(int version) {
    setByte(byte::SwMajor, version / 100);
    return setByte(byte::SwMinor, version % 100);
}

std::string ValuesImageBuilder::text() const {
    char sum[5];
    std::snprintf(sum, sizeof sum, "%04X", static_cast<unsigned>(imageChecksum(body_)));
    return body_ + sum;
}

}  // namespace kvr
