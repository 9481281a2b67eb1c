// The configuration bytes as assembler source: a header comment with the date and time, the
// origin $0800, and one FCB line per byte 0..505 with its address as a comment.
#pragma once

#include <string>
#include <vector>

#include "dashboard/values/date_format.h"
#include "dashboard/values/fill_context.h"

namespace kvr {

constexpr int kAsmOrigin = 0x0800;
constexpr int kAsmByteCount = 506;                            // $0800 .. $09F9
constexpr int kAsmLineCount = 2 + kAsmByteCount;              // header, ORG, one line per byte
constexpr int kAsmImageLengthNeeded = 2 * kAsmByteCount + 1;  // positions 2..1013

// Save dialog of the export.
constexpr const char* kAsmDefaultSuffix = "ASM";
constexpr const char* kAsmFileFilter = "ASM (*.ASM)";

struct AsmListing {
    // The listing as far as it got: all 508 lines when complete.
    std::vector<std::string> lines;
    // Empty when complete. Otherwise why the export stopped; the listing must then not be saved.
    std::string failure;

    bool complete() const { return failure.empty(); }
};

// Builds the listing of valuesText (ValuesText). The date and time use `separators` ("/" and ":"
// until the first sheet fill, "_" after). A text too short to hold bytes 0..505 gives no lines; a
// pair that is not hexadecimal stops the listing before that byte's line.
AsmListing buildAsmListing(const std::string& valuesText, const DateTimeSeparators& separators,
                           const LocalDateTime& now);

// The lines as the .ASM file holds them, each ended by CR LF.
std::string asmFileText(const std::vector<std::string>& lines);

}  // namespace kvr
