// The trend recorder's sample record: a time stamp and the eight channels'
// relative digits. In memory a plain struct; on disk (the log chart file)
// exactly 24 bytes, little-endian, with no header or padding.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kvr {

constexpr int kTrendChannels = 8;
constexpr std::size_t kTrendRecordBytes = 24;
// A record with this time stamp is a separator, not a sample.
constexpr double kSeparatorTime = 0.0;

struct TrendRecord {
    double time = kSeparatorTime;  // local date-time as days since 1899-12-30
    // Digit - DigitalFrom of channels 1..8, kept modulo 65536.
    std::array<uint16_t, kTrendChannels> digits{};

    bool isSeparator() const { return time == kSeparatorTime; }
};

// Writes the record's 24 bytes to out.
void encodeTrendRecord(const TrendRecord& record, unsigned char* out);
// Reads a record from 24 bytes.
TrendRecord decodeTrendRecord(const unsigned char* in);

}  // namespace kvr
