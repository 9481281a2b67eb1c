#include "widgets/model/time_entry.h"

#include <cctype>
#include <cstdio>
#include <vector>

#include "widgets/model/trend_time.h"

namespace kvr {

namespace {

constexpr int64_t kMsPerDay = 86400000;
constexpr int64_t kUnixEpochDays = 25569;  // 1970-01-01 in days since 1899-12-30
// Stored stamps are doubles: half a millisecond either way is the same time.
constexpr double kSameTime = 0.5 / static_cast<double>(kMsPerDay);

std::string trimmed(const std::string& s) {
    size_t a = 0, b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
    return s.substr(a, b - a);
}

// Reads digits at `pos` into `value`; false when there are none or too many.
bool readNumber(const std::string& s, size_t& pos, int64_t& value, size_t maxDigits = 9) {
    const size_t start = pos;
    value = 0;
    while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos])) && pos - start < maxDigits) {
        value = value * 10 + (s[pos] - '0');
        ++pos;
    }
    return pos > start && (pos == s.size() || !std::isdigit(static_cast<unsigned char>(s[pos])));
}

// "H:MM" or "H:MM:SS" making up all of `s`, hours up to `maxHours`.
std::optional<int64_t> clockMs(const std::string& s, int64_t maxHours) {
    size_t pos = 0;
    int64_t h = 0, m = 0, sec = 0;
    if (!readNumber(s, pos, h, 4) || pos >= s.size() || s[pos] != ':') return std::nullopt;
    ++pos;
    const size_t minuteStart = pos;
    if (!readNumber(s, pos, m, 2) || pos - minuteStart != 2) return std::nullopt;
    if (pos < s.size()) {
        if (s[pos] != ':') return std::nullopt;
        ++pos;
        const size_t secondStart = pos;
        if (!readNumber(s, pos, sec, 2) || pos - secondStart != 2) return std::nullopt;
    }
    if (pos != s.size() || h > maxHours || m > 59 || sec > 59) return std::nullopt;
    return ((h * 60 + m) * 60 + sec) * 1000;
}

// Days since 1899-12-30 of a civil date, when it is one.
std::optional<int64_t> dayOf(int64_t y, int64_t m, int64_t d) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12 || d < 1) return std::nullopt;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (d > kDays[m - 1] + (m == 2 && leap ? 1 : 0)) return std::nullopt;
    y -= m <= 2 ? 1 : 0;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 + kUnixEpochDays;
}

// "+90s", "+5m", "+2h", "+1h30m", "+90" (seconds) after the "+".
std::optional<int64_t> unitOffsetMs(const std::string& s) {
    size_t pos = 0;
    int64_t total = 0;
    int lastUnit = 4;  // h, m, s must come in that order
    while (pos < s.size()) {
        int64_t n = 0;
        if (!readNumber(s, pos, n, 7)) return std::nullopt;
        int unit = 1;  // seconds without a unit
        if (pos < s.size()) {
            const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(s[pos++])));
            unit = c == 'h' ? 3 : c == 'm' ? 2 : c == 's' ? 1 : 0;
            if (unit == 0) return std::nullopt;
        } else if (total != 0) {
            return std::nullopt;  // "1h30" is unclear
        }
        if (unit >= lastUnit) return std::nullopt;
        lastUnit = unit;
        total += n * (unit == 3 ? 3600000 : unit == 2 ? 60000 : 1000);
    }
    return total;
}

}  // namespace

std::optional<TimeEntry> parseTimeEntry(const std::string& text) {
    const std::string s = trimmed(text);
    if (s.empty()) return std::nullopt;
    TimeEntry entry;
    if (s[0] == '+') {
        const std::string rest = trimmed(s.substr(1));
        if (rest.empty()) return std::nullopt;
        entry.kind = TimeEntry::Kind::Offset;
        std::optional<int64_t> ms =
            rest.find(':') != std::string::npos ? clockMs(rest, 9999) : unitOffsetMs(rest);
        if (!ms) return std::nullopt;
        entry.ms = *ms;
        return entry;
    }
    const size_t gap = s.find_first_of(" T");
    if (gap != std::string::npos) {
        int64_t y = 0, m = 0, d = 0;
        size_t pos = 0;
        const std::string date = s.substr(0, gap);
        if (!readNumber(date, pos, y, 4) || pos != 4 || pos >= date.size() || date[pos++] != '-' ||
            !readNumber(date, pos, m, 2) || pos != 7 || pos >= date.size() || date[pos++] != '-' ||
            !readNumber(date, pos, d, 2) || pos != date.size() || date.size() != 10)
            return std::nullopt;
        const std::optional<int64_t> day = dayOf(y, m, d);
        const std::optional<int64_t> ms = clockMs(trimmed(s.substr(gap + 1)), 23);
        if (!day || !ms) return std::nullopt;
        entry.kind = TimeEntry::Kind::DateTime;
        entry.day = *day;
        entry.ms = *ms;
        return entry;
    }
    const std::optional<int64_t> ms = clockMs(s, 23);
    if (!ms) return std::nullopt;
    entry.kind = TimeEntry::Kind::ClockTime;
    entry.ms = *ms;
    return entry;
}

namespace {

double daysOf(int64_t day, int64_t ms) {
    return static_cast<double>(day) + static_cast<double>(ms) / static_cast<double>(kMsPerDay);
}

int firstSampleFrom(const TrendStore& store, double time) {
    // Samples are in time order; separators carry no time and are passed over.
    int lo = 0, hi = store.count();
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        int probe = mid;
        while (probe < hi && store.at(probe).isSeparator()) ++probe;
        if (probe == hi) {
            hi = mid;
        } else if (store.at(probe).time < time - kSameTime) {
            lo = probe + 1;
        } else {
            hi = mid;
        }
    }
    while (lo < store.count() && store.at(lo).isSeparator()) ++lo;
    return lo < store.count() ? lo : -1;
}

}  // namespace

TimeEntryMatch findTimeEntry(const TrendStore& store, const TimeEntry& entry) {
    TimeEntryMatch match;
    int firstIndex = 0, lastIndex = store.count() - 1;
    while (firstIndex <= lastIndex && store.at(firstIndex).isSeparator()) ++firstIndex;
    while (lastIndex >= firstIndex && store.at(lastIndex).isSeparator()) --lastIndex;
    if (firstIndex > lastIndex) {
        match.message = "The log has no records.";
        return match;
    }
    const double first = store.at(firstIndex).time;
    const double last = store.at(lastIndex).time;
    auto inLog = [&](double t) { return t >= first - kSameTime && t <= last + kSameTime; };
    const std::string span = " is not in the log (" + dateText(first) + " " + timeOfDayText(first) + " to " +
                             dateText(last) + " " + timeOfDayText(last) + ").";

    switch (entry.kind) {
        case TimeEntry::Kind::Offset:
            match.time = first + static_cast<double>(entry.ms) / static_cast<double>(kMsPerDay);
            break;
        case TimeEntry::Kind::DateTime:
            match.time = daysOf(entry.day, entry.ms);
            break;
        case TimeEntry::Kind::ClockTime: {
            std::vector<int64_t> days;
            for (int64_t day = splitDays(first).day; day <= splitDays(last).day; ++day)
                if (inLog(daysOf(day, entry.ms))) days.push_back(day);
            if (days.empty()) {
                match.time = daysOf(splitDays(first).day, entry.ms);
                match.message = timeOfDayText(match.time) + span;
                return match;
            }
            match.time = daysOf(days.front(), entry.ms);
            match.severalDays = days.size() > 1;
            if (match.severalDays)
                match.message = "Found on " + std::to_string(days.size()) + " days; showing the first, " +
                                dateText(match.time) + ".";
            break;
        }
    }
    if (!inLog(match.time)) {
        match.message = dateText(match.time) + " " + timeOfDayText(match.time) + span;
        return match;
    }
    match.record = firstSampleFrom(store, match.time);
    return match;
}

}  // namespace kvr
