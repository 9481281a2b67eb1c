#include "dashboard/decode/text_numbers.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace kvr {

std::optional<long> hexNumber(const std::string& text) {
    if (text.empty() || text.size() > 15) return std::nullopt;
    long value = 0;
    for (unsigned char c : text) {
        if (!std::isxdigit(c)) return std::nullopt;
        value = value * 16 + (std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10);
    }
    return value;
}

std::optional<long> decimalNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i == text.size() || text.size() - i > 18) return std::nullopt;
    long value = 0;
    for (; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

std::optional<double> realNumber(const std::string& text) {
    size_t begin = text.find_first_not_of(' ');
    if (begin == std::string::npos) return std::nullopt;
    size_t end = text.find_last_not_of(' ') + 1;
    const std::string core = text.substr(begin, end - begin);
    // Only the plain decimal forms: no hexadecimal, infinity or NaN spellings.
    bool digit = false;
    for (char c : core) {
        if (std::isdigit(static_cast<unsigned char>(c))) digit = true;
        else if (c != '+' && c != '-' && c != '.' && c != 'e' && c != 'E') return std::nullopt;
    }
    if (!digit) return std::nullopt;
    char* stop = nullptr;
    double value = std::strtod(core.c_str(), &stop);
    if (stop != core.c_str() + core.size()) return std::nullopt;
    // "1e999" spells a number too large for a double: it reads as infinity,
    // which no field can mean, so it counts as not a number like any other
    // unreadable text.
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

std::string field(const std::string& text, size_t first, size_t count) {
    if (first == 0 || first > text.size()) return {};
    return text.substr(first - 1, count);
}

std::string latin1ToUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

}  // namespace kvr
