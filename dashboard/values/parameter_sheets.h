// The parameter sheets and the values derived from the image, kept across decodes: each decode
// overwrites the cells and values its rules name and leaves every other one as it was.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "dashboard/values/date_format.h"
#include "dashboard/values/fill_context.h"
#include "dashboard/values/fill_effects.h"
#include "dashboard/values/sheet_grid.h"
#include "dashboard/values/values_info.h"

namespace kvr {

struct FillOutcome {
    // False when the image holds a non-hexadecimal pair where the decode reads: nothing else
    // changed, and memoLines holds the one line that says where.
    bool decoded = false;
    std::vector<std::string> memoLines;  // text-log lines in the order the decode wrote them
    FillEffects effects;
    std::optional<std::string> proposedTitle;  // Edit4 ("Title/Filename:"); empty: unchanged
};

class ParameterSheets {
public:
    // Decodes valuesText (ValuesText) into the derived values and the sheets: after a fetch that
    // passed its checksum, after loading a .KVV file, and from the hidden debug button.
    FillOutcome valuestogridcells(const std::string& valuesText, const FillContext& context);

    const SheetSet& sheets() const { return sheets_; }
    const ValuesInfo& info() const { return info_; }
    const DateTimeSeparators& separators() const { return separators_; }

private:
    SheetSet sheets_;
    ValuesInfo info_;
    DateTimeSeparators separators_;
};

// The hidden Button1's lines: "108", then the two characters at image positions 108 and 109.
std::vector<std::string> debugButtonMemoLines(const std::string& valuesText);

}  // namespace kvr
