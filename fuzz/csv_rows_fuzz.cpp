// The `kvrtool csv` rows: eight channels whose ranges and units the input
// sets through the chart's setters, and records from the input's bytes.
// Every row must have the header's nine columns, and every value must read
// back as the float it came from.
//
// Input: per channel two 32-bit floats (from, to) and a unit length byte
// with the unit's bytes, then 24-byte records.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "csv_rows.h"
#include "dashboard/dashboard_core.h"
#include "fuzz_input.h"
#include "dashboard/logging/trend_record.h"
#include "widgets/model/trend_recorder.h"

namespace {

float floatOf(const std::string& four) {
    uint32_t bits = 0;
    for (size_t i = 0; i < four.size() && i < 4; ++i) bits |= static_cast<uint32_t>(static_cast<uint8_t>(four[i])) << (8 * i);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// Splits one CSV row (no line end) into its fields, undoing the quoting.
std::vector<std::string> fields(const std::string& row) {
    std::vector<std::string> out(1);
    bool quoted = false;
    for (size_t i = 0; i < row.size(); ++i) {
        const char c = row[i];
        if (quoted) {
            if (c == '"' && i + 1 < row.size() && row[i + 1] == '"') {
                out.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                out.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            out.emplace_back();
        } else {
            out.back() += c;
        }
    }
    return out;
}

void checkValue(const std::string& text, float expected) {
    float parsed = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (std::isnan(expected)) {
        KVRFUZZ_CHECK(text.find("nan") != std::string::npos);
        return;
    }
    KVRFUZZ_CHECK(r.ec == std::errc() && r.ptr == text.data() + text.size());
    KVRFUZZ_CHECK(parsed == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kvrfuzz::ByteReader in(data, size);
    kvr::TSignalSettings channels[8];
    kvr::designChartChannels(channels);
    for (auto& c : channels) {
        const float from = floatOf(in.bytes(4));
        const float to = floatOf(in.bytes(4));
        kvr::applyRangeRequest(c, {1, from, to, in.bytes(in.byte() % 16)});
    }

    const std::string header = kvrtool::csvHeaderRow(channels);
    KVRFUZZ_CHECK(!header.empty() && header.back() == '\n');
    const std::vector<std::string> units = fields(header.substr(0, header.size() - 1));
    KVRFUZZ_CHECK(units.size() == 9);
    for (int i = 0; i < 8; ++i) KVRFUZZ_CHECK(units[i + 1] == channels[i].ValueUnit());

    while (in.remaining() >= kvr::kTrendRecordBytes) {
        const std::string bytes = in.bytes(kvr::kTrendRecordBytes);
        const kvr::TrendRecord record = kvr::decodeTrendRecord(reinterpret_cast<const unsigned char*>(bytes.data()));
        const std::string row = kvrtool::csvRecordRow(record, channels);
        KVRFUZZ_CHECK(row.back() == '\n' && row.find('\n') == row.size() - 1);
        const std::vector<std::string> columns = fields(row.substr(0, row.size() - 1));
        KVRFUZZ_CHECK(columns.size() == 9);
        KVRFUZZ_CHECK(record.isSeparator() == (columns[0] == "separator"));
        for (int i = 0; i < 8; ++i) checkValue(columns[i + 1], kvr::readBackValue(channels[i], record.digits[i]));
    }
    return 0;
}
