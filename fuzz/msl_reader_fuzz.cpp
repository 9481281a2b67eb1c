// The MSL reader on any file: what it reads must be a well-formed log table
// (each row as wide as the header, a time in every row, markers at a finite
// time), and writing that table with MslWriter and reading it again must
// give the same rows and markers, every value as it was up to the digits
// its column is written with.
//
// Input: the file's bytes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "dashboard/datalog/msl_reader.h"
#include "dashboard/datalog/msl_writer.h"
#include "fuzz_input.h"

namespace {

struct Table {
    kvr::LogHeader header;
    std::vector<kvr::LogItem> items;
};

// Reads every item; checks what every reader's table must satisfy.
Table readAll(kvr::MslReader& reader) {
    Table table;
    table.header = reader.header();
    const size_t width = table.header.columns.size();
    KVRFUZZ_CHECK(width >= 1 && table.header.columns[0].name == kvr::kTimeColumn);
    kvr::LogItem item;
    while (reader.next(item)) {
        if (item.kind == kvr::LogItem::Row) {
            KVRFUZZ_CHECK(item.row.values.size() == width);
            KVRFUZZ_CHECK(!kvr::isMissing(item.row.values[0]));
            for (const double v : item.row.values)
                KVRFUZZ_CHECK(kvr::isMissing(v) || std::isfinite(v));
        } else {
            KVRFUZZ_CHECK(std::isfinite(item.marker.seconds));
        }
        table.items.push_back(item);
    }
    // A file read from memory has no read errors; a cut last row is a note.
    KVRFUZZ_CHECK(reader.error().empty());
    reader.note();
    return table;
}

// The MSL text MslWriter makes of the table.
std::string mslText(const Table& table) {
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* file = open_memstream(&buffer, &size);
    if (file == nullptr) kvrfuzz::fail("open_memstream");
    kvr::MslWriter writer(file);
    KVRFUZZ_CHECK(writer.begin(table.header));
    for (const kvr::LogItem& item : table.items) KVRFUZZ_CHECK(writer.item(item));
    KVRFUZZ_CHECK(writer.finish());
    std::fclose(file);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

// A value written with `digits` after the point and read again: missing
// stays missing, anything else is within half the last written digit.
void checkWrittenValue(double written, double readBack, int digits) {
    if (kvr::isMissing(written)) {
        KVRFUZZ_CHECK(kvr::isMissing(readBack));
        return;
    }
    KVRFUZZ_CHECK(std::isfinite(readBack));
    const double halfDigit = 0.5 * std::pow(10.0, -std::min(digits, 17));
    KVRFUZZ_CHECK(std::fabs(readBack - written) <= halfDigit * (1 + 1e-9) + std::fabs(written) * 1e-15);
}

void checkSameTable(const Table& written, const Table& readBack) {
    KVRFUZZ_CHECK(readBack.header.columns.size() == written.header.columns.size());
    KVRFUZZ_CHECK(readBack.items.size() == written.items.size());
    for (size_t n = 0; n < written.items.size(); ++n) {
        const kvr::LogItem& a = written.items[n];
        const kvr::LogItem& b = readBack.items[n];
        KVRFUZZ_CHECK(a.kind == b.kind);
        if (a.kind == kvr::LogItem::Marker) {
            // A marker is at the time of the row before it, written with 3 digits.
            checkWrittenValue(a.marker.seconds, b.marker.seconds, 3);
            continue;
        }
        for (size_t i = 0; i < a.row.values.size(); ++i) {
            const int digits = i == 0 ? 3 : written.header.columns[i].digits;
            checkWrittenValue(a.row.values[i], b.row.values[i], digits);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const kvrfuzz::ScratchFile file("log.msl");
    file.write(std::string(reinterpret_cast<const char*>(data), size));

    kvr::MslReader reader;
    std::string error;
    if (!reader.open(file.path(), error)) {
        KVRFUZZ_CHECK(!error.empty());
        return 0;
    }
    const Table table = readAll(reader);

    std::string text = mslText(table);
    std::FILE* written = fmemopen(text.data(), text.size(), "rb");
    if (written == nullptr) kvrfuzz::fail("fmemopen");
    kvr::MslReader again;
    KVRFUZZ_CHECK(again.open(written, error));
    checkSameTable(table, readAll(again));
    std::fclose(written);
    return 0;
}
