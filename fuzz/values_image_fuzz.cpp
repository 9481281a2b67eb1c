// The values image decoder: the parameter sheets, the assembler listing and
// the printed report's layout of one image text, decoded twice over the same
// sheets as the dashboard does when a fetch follows a load.
//
// Input: one byte of choices (bit 0 decoded as fetched rather than loaded,
// bit 1 a second decode of the built-in image first), two 16-bit page sizes,
// then the image text (line 1 of a values file, without its line end).
#include <cstdint>
#include <string>

#include "dashboard/values/asm_listing.h"
#include "dashboard/values/parameter_sheets.h"
#include "dashboard/values/report_fit.h"
#include "dashboard/values/report_layout.h"
#include "default_values_image.h"
#include "fuzz_input.h"

namespace {

kvr::FillContext fixedContext(bool fetched) {
    kvr::FillContext c;
    c.valuesSource = fetched ? "ecu" : "pcdisk";
    c.valuesFileName = "RUN.KVV";
    c.openedFileName = "RUN.KVL";
    c.now = [] { return kvr::LocalDateTime{2026, 12, 8, 15, 4, 5}; };
    c.fileModified = [](const std::string&) { return kvr::LocalDateTime{2026, 11, 30, 9, 8, 7}; };
    return c;
}

void layOutReport(const kvr::ParameterSheets& sheets, int width, int height) {
    const kvr::ReportPage page{width, height};
    const kvr::ReportLayout layout = kvr::layoutValuesReport(page, sheets.sheets(), sheets.info(), "RUN.KVL");
    const std::vector<int> rooms = kvr::reportTextRooms(layout);
    KVRFUZZ_CHECK(rooms.size() == layout.texts.size());
    (void)kvr::reportTitleRoom(layout);
    (void)kvr::reportMaxLineHeight(layout);
    (void)kvr::reportPageMemoLines(page);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string builtInImage = kvrsim::defaultValuesImage();

    kvrfuzz::ByteReader in(data, size);
    const uint8_t choices = in.byte();
    // Pages from a few hundred device units up to a 1200 dpi sheet.
    const int width = 200 + in.word() % 12000;
    const int height = 200 + in.word() % 16000;
    const std::string image = in.rest();

    kvr::ParameterSheets sheets;
    if (choices & 2) {
        const kvr::FillOutcome first = sheets.valuestogridcells(builtInImage, fixedContext(true));
        KVRFUZZ_CHECK(first.decoded);
    }
    const kvr::FillOutcome outcome = sheets.valuestogridcells(image, fixedContext(choices & 1));
    // A refused image says why in exactly one line.
    if (!outcome.decoded) KVRFUZZ_CHECK(outcome.memoLines.size() == 1);
    (void)kvr::debugButtonMemoLines(image);

    layOutReport(sheets, width, height);

    const kvr::AsmListing listing =
        kvr::buildAsmListing(image, kvr::DateTimeSeparators{'_', '_'}, kvr::LocalDateTime{2026, 12, 8, 15, 4, 5});
    if (listing.complete()) {
        KVRFUZZ_CHECK(listing.lines.size() == 508);
        const std::string text = kvr::asmFileText(listing.lines);
        KVRFUZZ_CHECK(text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0);
    } else {
        KVRFUZZ_CHECK(!listing.failure.empty());
    }
    return 0;
}
