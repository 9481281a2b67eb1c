#include "dashboard/values/asm_listing.h"

#include <cstdio>

#include "dashboard/values/values_image.h"

namespace kvr {

namespace {

// Bytes 477, 478, 498 and 499: the listing writes 00 there whatever the image holds.
bool isFixedZeroAddress(int address) {
    return address == 0x09DD || address == 0x09DE || address == 0x09F2 || address == 0x09F3;
}

std::string byteLine(int address, int value) {
    char line[40];
    if (isFixedZeroAddress(address))
        std::snprintf(line, sizeof line, " FCB 00 ; $%04X", static_cast<unsigned>(address));
    else
        std::snprintf(line, sizeof line, " FCB %d    ; $%04X", value, static_cast<unsigned>(address));
    return line;
}

}  // namespace

AsmListing buildAsmListing(const std::string& valuesText, const DateTimeSeparators& separators,
                           const LocalDateTime& now) {
    AsmListing listing;
    if (valuesText.size() < static_cast<std::size_t>(kAsmImageLengthNeeded)) {
        listing.failure = "ASM export: no values image to export (" + std::to_string(valuesText.size()) +
                          " characters, " + std::to_string(kAsmImageLengthNeeded) + " needed)";
        return listing;
    }
    listing.lines.reserve(kAsmLineCount);
    listing.lines.push_back(";asm file generated from KVRDash " + formatDate(now, separators) + " " +
                            formatTime(now, separators));
    listing.lines.push_back("  ORG $0800");

    const ValuesImage image(valuesText);
    for (int k = 0; k < kAsmByteCount; ++k) {
        // Every byte is converted, the fixed ones too, so a damaged image never exports quietly.
        const std::optional<int> value = image.ImageByte(k);
        if (!value) {
            listing.failure = "ASM export stopped: no hexadecimal pair at position " +
                              std::to_string(image.badPositionOfByte(k));
            return listing;
        }
        listing.lines.push_back(byteLine(kAsmOrigin + k, *value));
    }
    return listing;
}

std::string asmFileText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

}  // namespace kvr
