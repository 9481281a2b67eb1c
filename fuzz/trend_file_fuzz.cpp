// The log chart file reader on whole and cut-short files, then the records
// as the log chart reads them back: times as text, digits as values on the
// design ranges, and the cursor read-out.
//
// Input: a 16-bit cut length, then the file's bytes. The file is read whole,
// then cut to (cut length mod its size) bytes and read again.
#include <cstdint>

#include "dashboard/dashboard_core.h"
#include "dashboard/logging/cursor_readout.h"
#include "fuzz_input.h"
#include "dashboard/logging/trend_file.h"
#include "widgets/model/trend_recorder.h"
#include "dashboard/logging/trend_store.h"
#include "widgets/model/trend_time.h"

namespace {

// Reads the file into a fresh store; at most one record per started 24 bytes.
size_t readInto(const kvrfuzz::ScratchFile& file, const std::string& bytes, kvr::TrendStore& store) {
    file.write(bytes);
    KVRFUZZ_CHECK(kvr::appendTrendFile(file.path(), store) == 0);
    KVRFUZZ_CHECK(static_cast<size_t>(store.count()) <= (bytes.size() + kvr::kTrendRecordBytes - 1) / kvr::kTrendRecordBytes);
    return static_cast<size_t>(store.count());
}

void readBack(const kvr::TrendStore& store, const kvr::TSignalSettings (&channels)[8]) {
    for (const kvr::TrendRecord& r : store.records()) {
        (void)kvr::timeOfDayText(r.time);
        (void)kvr::dateText(r.time);
        float values[8];
        for (int i = 0; i < 8; ++i) values[i] = kvr::readBackValue(channels[i], r.digits[i]);
        KVRFUZZ_CHECK(!kvr::cursorReadout(values).empty());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const kvrfuzz::ScratchFile file("chart.KVL");
    static kvr::TSignalSettings design[8];
    static const bool designed = (kvr::designChartChannels(design), true);
    (void)designed;

    kvrfuzz::ByteReader in(data, size);
    const uint16_t cut = in.word();
    const std::string bytes = in.rest();

    kvr::TrendStore whole;
    readInto(file, bytes, whole);
    readBack(whole, design);
    KVRFUZZ_CHECK(static_cast<size_t>(whole.count()) >= bytes.size() / kvr::kTrendRecordBytes);

    if (!bytes.empty()) {
        kvr::TrendStore shortened;
        readInto(file, bytes.substr(0, cut % bytes.size()), shortened);
        readBack(shortened, design);
        // The records a cut leaves whole read back as they did from the whole file.
        const size_t kept = (cut % bytes.size()) / kvr::kTrendRecordBytes;
        for (size_t i = 0; i < kept; ++i) {
            const auto& a = whole.at(static_cast<int>(i));
            const auto& b = shortened.at(static_cast<int>(i));
            KVRFUZZ_CHECK(a.digits == b.digits);
            KVRFUZZ_CHECK(a.time == b.time || (a.time != a.time && b.time != b.time));
        }
    }
    return 0;
}
