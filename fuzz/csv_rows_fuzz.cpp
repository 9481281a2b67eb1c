// The `kvrtool csv` table: a log chart read by ChartStoreReader and written
// by CsvWriter, on eight channels whose ranges and units the input sets
// through the chart's setters, with records from the input's bytes. Run once
// for each manifold pressure form, with and without gap markers. Every row
// must have the header's number of cells; every sample gives one row whose
// channel cells read back as the float readBackValue() gives (empty when
// that is not finite); every run of separators after a sample gives one row
// with its Time and no values.
//
// Input: per channel two 32-bit floats (from, to) and a unit length byte
// with the unit's bytes, then 24-byte records.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "dashboard/datalog/chart_store_reader.h"
#include "dashboard/datalog/csv_writer.h"
#include "dashboard/logging/chart_log.h"
#include "dashboard/logging/trend_record.h"
#include "dashboard/logging/trend_store.h"
#include "fuzz_input.h"
#include "widgets/model/trend_recorder.h"

namespace {

using Cells = std::vector<std::string>;

float floatOf(const std::string& four) {
    uint32_t bits = 0;
    for (size_t i = 0; i < four.size() && i < 4; ++i)
        bits |= static_cast<uint32_t>(static_cast<uint8_t>(four[i])) << (8 * i);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// Splits CSV text into rows of cells, undoing the quoting; a line break
// inside quotes stays in its cell. Every row ends in LF.
std::vector<Cells> csvRows(const std::string& text) {
    std::vector<Cells> rows;
    Cells row(1);
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                row.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                row.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row.emplace_back();
        } else if (c == '\n') {
            rows.push_back(row);
            row.assign(1, std::string());
        } else {
            row.back() += c;
        }
    }
    KVRFUZZ_CHECK(!quoted && row == Cells(1));  // the text ends with a whole row
    return rows;
}

// The CSV the writer makes of the reader's items.
std::string csvText(kvr::ChartStoreReader& reader) {
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* file = open_memstream(&buffer, &size);
    if (file == nullptr) kvrfuzz::fail("open_memstream");
    kvr::CsvWriter writer(file);
    KVRFUZZ_CHECK(writer.begin(reader.header()));
    kvr::LogItem item;
    while (reader.next(item)) KVRFUZZ_CHECK(writer.item(item));
    KVRFUZZ_CHECK(writer.finish());
    std::fclose(file);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

// The table column of each chart channel, by the names the reader gives.
std::vector<size_t> channelColumns(const kvr::LogHeader& header) {
    const char* const names[8][2] = {{"RPM", nullptr},      {"AFR", "O2"},    {"MAP", nullptr},
                                     {"Ignition", nullptr}, {"TPS", nullptr}, {"IAT", nullptr},
                                     {"Knock", nullptr},    {"Duty", nullptr}};
    std::vector<size_t> columns(8, 0);
    for (int c = 0; c < 8; ++c) {
        int found = 0;
        for (size_t i = 0; i < header.columns.size(); ++i) {
            const std::string& name = header.columns[i].name;
            if (name == names[c][0] || (names[c][1] != nullptr && name == names[c][1])) {
                columns[static_cast<size_t>(c)] = i;
                ++found;
            }
        }
        KVRFUZZ_CHECK(found == 1);
    }
    return columns;
}

void checkChannelCell(const std::string& cell, float expected) {
    if (!std::isfinite(expected)) {
        KVRFUZZ_CHECK(cell.empty());
        return;
    }
    float parsed = 0;
    const auto r = std::from_chars(cell.data(), cell.data() + cell.size(), parsed);
    KVRFUZZ_CHECK(r.ec == std::errc() && r.ptr == cell.data() + cell.size());
    KVRFUZZ_CHECK(parsed == expected);
}

// MAP kPa has two digits after the point.
void checkKpaCell(const std::string& cell, double expected) {
    if (!std::isfinite(expected)) {
        KVRFUZZ_CHECK(cell.empty());
        return;
    }
    double parsed = 0;
    const auto r = std::from_chars(cell.data(), cell.data() + cell.size(), parsed);
    KVRFUZZ_CHECK(r.ec == std::errc() && r.ptr == cell.data() + cell.size());
    KVRFUZZ_CHECK(std::fabs(parsed - expected) <= 0.005 + std::fabs(expected) * 1e-15);
}

void checkTable(const kvr::TrendStore& store, const kvr::TSignalSettings (&channels)[8], kvr::MapForm form,
                bool markGaps) {
    kvr::ChartStoreReader reader(store, channels, form, {}, markGaps);
    const kvr::LogHeader& header = reader.header();
    const std::vector<size_t> channelColumn = channelColumns(header);
    size_t mapKpaColumn = 0;
    for (size_t i = 0; i < header.columns.size(); ++i)
        if (header.columns[i].name == "MAP kPa") mapKpaColumn = i;
    KVRFUZZ_CHECK(mapKpaColumn > 0);

    const std::vector<Cells> rows = csvRows(csvText(reader));
    KVRFUZZ_CHECK(!rows.empty());
    const size_t width = header.columns.size() + 1;  // and the Marker cell
    KVRFUZZ_CHECK(rows[0].size() == width && rows[0].back() == "Marker");
    for (const Cells& row : rows)
        KVRFUZZ_CHECK(row.size() == width);

    // The rows expected from the records: one per sample, one per run of
    // separators after a sample. Markers come only from gaps: a break's row
    // carries one when a sample follows it and gaps are marked.
    size_t next = 1;
    bool afterSample = false;
    const Cells* breakRow = nullptr;  // the row of the break still running
    const Cells* previous = nullptr;
    for (const kvr::TrendRecord& record : store.records()) {
        if (record.isSeparator()) {
            if (!afterSample || breakRow != nullptr) continue;
            KVRFUZZ_CHECK(next < rows.size());
            breakRow = &rows[next++];
            KVRFUZZ_CHECK((*breakRow)[0] == (*previous)[0]);
            for (size_t i = 1; i + 1 < width; ++i)
                KVRFUZZ_CHECK((*breakRow)[i].empty());
            continue;
        }
        if (breakRow != nullptr && markGaps) KVRFUZZ_CHECK(breakRow->back().rfind("gap: ", 0) == 0);
        if (breakRow != nullptr && !markGaps) KVRFUZZ_CHECK(breakRow->back().empty());
        afterSample = true;
        breakRow = nullptr;
        KVRFUZZ_CHECK(next < rows.size());
        const Cells& row = rows[next++];
        for (int c = 0; c < 8; ++c) {
            const float expected = kvr::readBackValue(channels[c], record.digits[static_cast<size_t>(c)]);
            checkChannelCell(row[channelColumn[static_cast<size_t>(c)]], expected);
        }
        const float map = kvr::readBackValue(channels[2], record.digits[2]);
        checkKpaCell(row[mapKpaColumn], kvr::mapKpaAbsolute(map, form));
        KVRFUZZ_CHECK(row.back().empty());
        previous = &row;
    }
    if (breakRow != nullptr) KVRFUZZ_CHECK(breakRow->back().empty());
    KVRFUZZ_CHECK(next == rows.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kvrfuzz::ByteReader in(data, size);
    kvr::TSignalSettings channels[8];
    kvr::designChartChannels(channels);
    for (int number = 1; number <= 8; ++number) {
        const float from = floatOf(in.bytes(4));
        const float to = floatOf(in.bytes(4));
        kvr::applyRangeRequest(channels[number - 1], {number, from, to, in.bytes(in.byte() % 16)});
    }

    kvr::TrendStore store;
    while (in.remaining() >= kvr::kTrendRecordBytes) {
        const std::string bytes = in.bytes(kvr::kTrendRecordBytes);
        store.append(kvr::decodeTrendRecord(reinterpret_cast<const unsigned char*>(bytes.data())));
    }

    checkTable(store, channels, kvr::MapForm::Gauge, true);
    checkTable(store, channels, kvr::MapForm::Absolute, false);
    checkTable(store, channels, kvr::MapForm::None, true);
    return 0;
}
