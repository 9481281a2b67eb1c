// The values file reader, and what opening a log does with the file it
// reads: the image on line 1 decoded onto the log chart's channels only when
// it is long enough and decodes, the notes taken as they are. Reaches the
// paths of a file with no image and of a file that cannot be read.
//
// Input: one byte of choices (bit 0: read an unreadable path instead), then
// the file's bytes.
#include <cstdint>

#include "dashboard/dashboard_core.h"
#include "dashboard/logging/log_files.h"
#include "dashboard/link/memory_serial_port.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const kvrfuzz::ScratchFile file("values.KVV");

    kvrfuzz::ByteReader in(data, size);
    const uint8_t choices = in.byte();
    const std::string bytes = in.rest();

    kvr::ValuesFile values;
    std::string error;
    if (choices & 1) {
        KVRFUZZ_CHECK(!kvr::readValuesFile(kvrfuzz::unreadablePath(), values, error));
        KVRFUZZ_CHECK(!error.empty());
        return 0;
    }
    file.write(bytes);
    KVRFUZZ_CHECK(kvr::readValuesFile(file.path(), values, error));
    // Every line is kept, without its line end, and nothing is made up.
    size_t kept = values.valuesText.size();
    for (const std::string& note : values.notes) {
        KVRFUZZ_CHECK(note.find('\n') == std::string::npos);
        kept += note.size();
    }
    KVRFUZZ_CHECK(values.valuesText.find('\n') == std::string::npos);
    KVRFUZZ_CHECK(kept <= bytes.size());

    kvr::MemorySerialPort noPort;
    kvr::DashboardCore core(noPort);
    core.session.valuesSource = "pcdisk";
    core.openedLogFile = "RUN.KVL";
    core.valuesFileName = file.path();
    core.session.valuesText = values.valuesText;
    if (core.session.valuesText.size() >= 2000) core.fillSheets();
    if (core.out.sheetFills == 0) {
        // No image: the chart keeps its design ranges.
        kvr::TSignalSettings design[8];
        kvr::designChartChannels(design);
        for (int i = 0; i < 8; ++i) {
            KVRFUZZ_CHECK(core.chartLog.channel(i + 1).ValueFrom() == design[i].ValueFrom());
            KVRFUZZ_CHECK(core.chartLog.channel(i + 1).ValueTo() == design[i].ValueTo());
        }
    }
    return 0;
}
