// Number and date text shared by the log formats (MSL, MLG, CSV) and the
// statistics table. The live data log's writer thread calls these for every
// record, so they format with std::to_chars: no locale, no streams. Dates are
// proleptic Gregorian in UTC, computed here rather than with gmtime() so that
// they are thread-safe and the same on every platform.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kvr {

// Appends `value` with `digits` after the point (at most 17), '.' as the
// decimal point whatever the locale; with kAsStored (any negative digits) the
// shortest text without exponent that reads back as the same float. "-0.0"
// is written as "0.0". A value that is not finite appends nothing: the text
// formats keep numbers only.
void appendFixed(std::string& out, double value, int digits);

// Appends `value` in decimal, led by zeros to `width` digits when it is not
// negative: appendPadded(s, 7, 3) appends "007".
void appendPadded(std::string& out, int64_t value, int width);

// "Tue Dec 08 16:27:44 UTC 2026": the date of `unixMs` in UTC as MSL logs
// and their markers carry it.
std::string mslDateText(int64_t unixMs);

// "2026-12-08T16:27:44.123Z": the date of `unixMs` in UTC to the millisecond.
std::string isoUtcText(int64_t unixMs);

// Reads mslDateText()'s form to the second. With zoneMustBeUtc false any zone
// name is taken (and ignored); with it true only "UTC" or "GMT".
bool parseMslDate(std::string_view text, bool zoneMustBeUtc, int64_t& unixMs);

// Reads isoUtcText()'s form; the fraction of a second is optional.
bool parseIsoUtc(std::string_view text, int64_t& unixMs);

}  // namespace kvr
