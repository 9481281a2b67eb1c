#include "dashboard/logging/trend_record.h"

#include <cstring>

namespace kvr {

void encodeTrendRecord(const TrendRecord& record, unsigned char* out) {
    uint64_t bits = 0;
    static_assert(sizeof bits == sizeof record.time, "the time stamp is an IEEE-754 double");
    std::memcpy(&bits, &record.time, sizeof bits);
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<unsigned char>(bits >> (8 * i));
    for (int ch = 0; ch < kTrendChannels; ++ch) {
        out[8 + 2 * ch] = static_cast<unsigned char>(record.digits[ch] & 0xFF);
        out[9 + 2 * ch] = static_cast<unsigned char>(record.digits[ch] >> 8);
    }
}

TrendRecord decodeTrendRecord(const unsigned char* in) {
    TrendRecord record;
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits |= static_cast<uint64_t>(in[i]) << (8 * i);
    std::memcpy(&record.time, &bits, sizeof bits);
    for (int ch = 0; ch < kTrendChannels; ++ch) {
        record.digits[ch] = static_cast<uint16_t>(in[8 + 2 * ch] | (in[9 + 2 * ch] << 8));
    }
    return record;
}

}  // namespace kvr
