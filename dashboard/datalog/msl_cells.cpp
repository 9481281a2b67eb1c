#include "dashboard/datalog/msl_cells.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "dashboard/datalog/log_text.h"

namespace kvr {

std::string_view mslTrimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> mslCells(std::string_view line) {
    std::vector<std::string_view> cells;
    for (;;) {
        const std::size_t tab = line.find('\t');
        cells.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos) return cells;
        line.remove_prefix(tab + 1);
    }
}

bool isMslDataLine(std::string_view line) {
    // Control characters around the number count as blanks here: a writer
    // turns them into spaces, and the row must not turn into a units row.
    std::string_view first = line.substr(0, line.find('\t'));
    while (!first.empty() && static_cast<unsigned char>(first.front()) <= ' ')
        first.remove_prefix(1);
    while (!first.empty() && static_cast<unsigned char>(first.back()) <= ' ')
        first.remove_suffix(1);
    double v;
    const auto r = std::from_chars(first.data(), first.data() + first.size(), v);
    return !first.empty() && r.ec == std::errc() && r.ptr == first.data() + first.size();
}

int64_t parseMslRow(std::string_view line, std::size_t columns, LogRow& row) {
    int64_t textCells = 0;
    row.separator = false;
    row.values.assign(columns, kMissing);
    const char* p = line.data();
    const char* const end = p + line.size();
    for (std::size_t i = 0; i < columns; ++i) {
        const char* tab = static_cast<const char*>(std::memchr(p, '\t', static_cast<std::size_t>(end - p)));
        const char* cellEnd = tab != nullptr ? tab : end;
        const char* first = p;
        while (first < cellEnd && *first == ' ')
            ++first;
        const char* last = cellEnd;
        while (last > first && last[-1] == ' ')
            --last;
        if (first < last && *first == '+') ++first;
        if (first < last) {
            double v;
            const auto r = std::from_chars(first, last, v);
            if (r.ec == std::errc() && r.ptr == last) {
                if (std::isfinite(v)) row.values[i] = v;
            } else if (i > 0) {
                ++textCells;
            }
        }
        if (tab == nullptr) break;
        p = tab + 1;
    }
    return textCells;
}

void raiseMslDigits(std::string_view line, std::vector<int>& digits) {
    const std::vector<std::string_view> cells = mslCells(line);
    for (std::size_t i = 0; i < cells.size() && i < digits.size(); ++i) {
        const std::string_view cell = mslTrimmed(cells[i]);
        const std::size_t point = cell.find('.');
        if (point == std::string_view::npos) continue;
        const std::size_t exponent = cell.find_first_of("eE", point);
        const std::size_t end = exponent == std::string_view::npos ? cell.size() : exponent;
        digits[i] = std::max(digits[i], static_cast<int>(end - point - 1));
    }
}

std::string mslMarkerText(std::string_view rest) {
    std::size_t digits = 0;
    while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9')
        ++digits;
    if (digits > 0) {
        const std::string_view after = rest.substr(digits);
        if (after.substr(0, 3) == " - ")
            rest = after.substr(3);
        else if (mslTrimmed(after).empty() || mslTrimmed(after) == "-")
            rest = {};
    }
    const std::size_t dash = rest.rfind(" - ");
    int64_t unused;
    if (dash != std::string_view::npos && parseMslDate(rest.substr(dash + 3), false, unused))
        rest = rest.substr(0, dash);
    return std::string(rest);
}

}  // namespace kvr
