#include "widgets/model/picture_format.h"

#include <cmath>
#include <cstdio>

namespace kvr {

std::string formatPicture(double value, const std::string& picture) {
    if (!std::isfinite(value)) return std::isnan(value) ? "NAN" : (value > 0 ? "INF" : "-INF");
    const size_t point = picture.find('.');
    const std::string intPart = picture.substr(0, point);
    const std::string fracPart = point == std::string::npos ? "" : picture.substr(point + 1);

    int forcedInt = 0;
    if (size_t firstZero = intPart.find('0'); firstZero != std::string::npos) {
        for (size_t i = firstZero; i < intPart.size(); ++i)
            if (intPart[i] == '0' || intPart[i] == '#') ++forcedInt;
    }
    int decimals = 0, forcedFrac = 0;
    for (size_t i = 0; i < fracPart.size(); ++i) {
        if (fracPart[i] == '0' || fracPart[i] == '#') ++decimals;
        if (fracPart[i] == '0') forcedFrac = decimals;
    }

    // Round half away from zero at the picture's decimals, on the digits
    // printed exactly (so 0.05 with one decimal is judged on its true value).
    // Sized from the value: a float near its largest prints 39 integer digits.
    const int length = std::snprintf(nullptr, 0, "%.*f", decimals + 3, std::fabs(value));
    std::string digits(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(digits.data(), digits.size(), "%.*f", decimals + 3, std::fabs(value));
    digits.resize(static_cast<size_t>(length));
    const size_t dot = digits.find('.');
    std::string whole = digits.substr(0, dot);
    std::string frac = digits.substr(dot + 1);
    std::string kept = whole + frac.substr(0, static_cast<size_t>(decimals));
    if (frac[static_cast<size_t>(decimals)] >= '5') {
        int i = static_cast<int>(kept.size()) - 1;
        for (; i >= 0; --i) {
            if (kept[static_cast<size_t>(i)] == '9') {
                kept[static_cast<size_t>(i)] = '0';
            } else {
                ++kept[static_cast<size_t>(i)];
                break;
            }
        }
        if (i < 0) kept.insert(kept.begin(), '1');
    }
    whole = kept.substr(0, kept.size() - static_cast<size_t>(decimals));
    frac = kept.substr(kept.size() - static_cast<size_t>(decimals));

    while (whole.size() > 1 && whole[0] == '0') whole.erase(0, 1);
    if (whole == "0") whole.clear();
    if (static_cast<int>(whole.size()) < forcedInt) whole.insert(0, static_cast<size_t>(forcedInt) - whole.size(), '0');
    while (static_cast<int>(frac.size()) > forcedFrac && frac.back() == '0') frac.pop_back();

    bool nonZero = false;
    for (char c : whole + frac) nonZero |= c != '0';
    std::string out = (value < 0 && nonZero) ? "-" : "";
    out += whole;
    if (!frac.empty()) out += "." + frac;
    if (out.empty() || out == "-") out = "0";
    return out;
}

}  // namespace kvr
