#include "dashboard/datalog/log_text.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <iterator>
#include <vector>

namespace kvr {

namespace {

constexpr const char* kWeekdays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};  // from 1970-01-01
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

struct CivilTime {
    int64_t year;
    int month;  // 1..12
    int day;    // 1..31
    int hour, minute, second, ms;
    int weekday;  // index into kWeekdays
};

int64_t floorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t daysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = floorDiv(y, 400);
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

CivilTime civilFromUnixMs(int64_t unixMs) {
    const int64_t days = floorDiv(unixMs, 86400000);
    const int64_t msOfDay = unixMs - days * 86400000;
    const int64_t z = days + 719468;
    const int64_t era = floorDiv(z, 146097);
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    CivilTime t{};
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = yoe + era * 400 + (t.month <= 2);
    t.hour = static_cast<int>(msOfDay / 3600000);
    t.minute = static_cast<int>(msOfDay / 60000 % 60);
    t.second = static_cast<int>(msOfDay / 1000 % 60);
    t.ms = static_cast<int>(msOfDay % 1000);
    t.weekday = static_cast<int>(days - floorDiv(days, 7) * 7);
    return t;
}

// Without the spaces and tabs at either end, and a line's trailing CR, which
// do not belong to a date.
std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool readInt(std::string_view s, int64_t& value) {
    if (s.empty()) return false;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), value);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

}  // namespace

void appendFixed(std::string& out, double value, int digits) {
    if (!std::isfinite(value)) return;
    // The fixed text of the largest double is 309 digits before the point.
    char text[352];
    std::to_chars_result r;
    if (digits >= 0)
        r = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, std::min(digits, 17));
    else if (std::fabs(value) <= FLT_MAX)
        r = std::to_chars(text, text + sizeof text, static_cast<float>(value), std::chars_format::fixed);
    else
        r = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    if (r.ec != std::errc()) return;
    const char* start = text;
    if (text[0] == '-' && std::all_of(text + 1, r.ptr, [](char c) { return c == '0' || c == '.'; })) ++start;
    out.append(start, static_cast<std::size_t>(r.ptr - start));
}

void appendPadded(std::string& out, int64_t value, int width) {
    char text[24];
    const auto r = std::to_chars(text, text + sizeof text, value);
    const std::size_t length = static_cast<std::size_t>(r.ptr - text);
    if (value >= 0 && length < static_cast<std::size_t>(width)) out.append(width - length, '0');
    out.append(text, r.ptr);
}

std::string mslDateText(int64_t unixMs) {
    const CivilTime t = civilFromUnixMs(unixMs);
    std::string s = kWeekdays[t.weekday];
    s += ' ';
    s += kMonths[t.month - 1];
    s += ' ';
    appendPadded(s, t.day, 2);
    s += ' ';
    appendPadded(s, t.hour, 2);
    s += ':';
    appendPadded(s, t.minute, 2);
    s += ':';
    appendPadded(s, t.second, 2);
    s += " UTC ";
    appendPadded(s, t.year, 4);
    return s;
}

std::string isoUtcText(int64_t unixMs) {
    const CivilTime t = civilFromUnixMs(unixMs);
    std::string s;
    appendPadded(s, t.year, 4);
    s += '-';
    appendPadded(s, t.month, 2);
    s += '-';
    appendPadded(s, t.day, 2);
    s += 'T';
    appendPadded(s, t.hour, 2);
    s += ':';
    appendPadded(s, t.minute, 2);
    s += ':';
    appendPadded(s, t.second, 2);
    s += '.';
    appendPadded(s, t.ms, 3);
    s += 'Z';
    return s;
}

bool parseMslDate(std::string_view text, bool zoneMustBeUtc, int64_t& unixMs) {
    std::vector<std::string_view> words;
    for (std::string_view rest = trimmed(text); !rest.empty(); rest = trimmed(rest)) {
        const std::size_t space = rest.find(' ');
        words.push_back(rest.substr(0, space));
        if (space == std::string_view::npos) break;
        rest.remove_prefix(space);
    }
    if (words.size() != 6 || words[0].size() != 3 || words[3].size() != 8) return false;
    const auto month = std::find(std::begin(kMonths), std::end(kMonths), words[1]);
    if (month == std::end(kMonths)) return false;
    const std::string_view clock = words[3];
    int64_t day, hour, minute, second, year;
    if (clock[2] != ':' || clock[5] != ':' || !readInt(words[2], day) || !readInt(clock.substr(0, 2), hour) ||
        !readInt(clock.substr(3, 2), minute) || !readInt(clock.substr(6, 2), second) ||
        !readInt(words[5], year) || words[5].size() != 4)
        return false;
    if (day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) return false;
    if (zoneMustBeUtc && words[4] != "UTC" && words[4] != "GMT") return false;
    const int m = static_cast<int>(month - std::begin(kMonths)) + 1;
    unixMs =
        (daysFromCivil(year, m, static_cast<int>(day)) * 86400 + hour * 3600 + minute * 60 + second) * 1000;
    return true;
}

bool parseIsoUtc(std::string_view text, int64_t& unixMs) {
    if (text.size() < 20 || text.back() != 'Z' || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':')
        return false;
    int64_t year, month, day, hour, minute, second, ms = 0;
    if (!readInt(text.substr(0, 4), year) || !readInt(text.substr(5, 2), month) ||
        !readInt(text.substr(8, 2), day) || !readInt(text.substr(11, 2), hour) ||
        !readInt(text.substr(14, 2), minute) || !readInt(text.substr(17, 2), second))
        return false;
    const std::string_view fraction = text.substr(19, text.size() - 20);
    if (!fraction.empty()) {
        if (fraction[0] != '.' || fraction.size() != 4 || !readInt(fraction.substr(1), ms)) return false;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60 || ms < 0)
        return false;
    unixMs = (daysFromCivil(year, static_cast<int>(month), static_cast<int>(day)) * 86400 + hour * 3600 +
              minute * 60 + second) *
                 1000 +
             ms;
    return true;
}

}  // namespace kvr
