#include "dashboard/values/values_image_check.h"

#include <cstdio>

#include "dashboard/values/values_image.h"

namespace kvr {

namespace {

std::string binaryByte(std::size_t line, std::size_t at, unsigned char c) {
    char what[96];
    std::snprintf(what, sizeof what, "it holds binary data (byte %zu of line %zu is 0x%02X)", at + 1, line,
                  c);
    return what;
}

}  // namespace

std::string valuesImageProblem(const std::string& line1, const std::vector<std::string>& laterLines) {
    for (std::size_t i = 0; i < line1.size(); ++i) {
        const auto c = static_cast<unsigned char>(line1[i]);
        if ((c < 0x20 && c != '\t') || c == 0x7F) return binaryByte(1, i, c);
    }
    if (line1.size() >= kShortestDecodedImage) return {};
    // A short line 1 may be where a binary file happens to hold a line end. Notes are the user's
    // text in any encoding; only a NUL marks them as not text.
    for (std::size_t n = 0; n < laterLines.size(); ++n)
        if (const std::size_t at = laterLines[n].find('\0'); at != std::string::npos)
            return binaryByte(n + 2, at, 0);
    const std::string count =
        line1.size() == 1 ? "1 character" : std::to_string(line1.size()) + " characters";
    return "line 1 has " + count + ", a values image has " + std::to_string(kImageTextLength) +
           " (at least " + std::to_string(kShortestDecodedImage) + ")";
}

}  // namespace kvr
