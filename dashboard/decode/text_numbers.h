// Reading numbers out of received text the way the ECU's fields are written:
// hexadecimal and decimal integers and decimal reals, with a clear "not a
// number" answer instead of an exception.
#pragma once

#include <optional>
#include <string>

namespace kvr {

// Hexadecimal digits only (either case), at least one; nothing else.
std::optional<long> hexNumber(const std::string& text);

// An optional sign and decimal digits, after optional leading spaces.
std::optional<long> decimalNumber(const std::string& text);

// A decimal number with optional sign, decimal point and exponent, with
// spaces allowed on either side.
// Text whose value is beyond a double's range is not a number.
std::optional<double> realNumber(const std::string& text);

// Characters at 1-based positions first..first+count-1; shorter (possibly
// empty) when the text ends before.
std::string field(const std::string& text, size_t first, size_t count);

// Received bytes are 8-bit characters; shown text is UTF-8.
std::string latin1ToUtf8(const std::string& text);

}  // namespace kvr
