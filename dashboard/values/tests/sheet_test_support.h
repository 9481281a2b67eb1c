// Shared by the sheet tests: a fixed clock and one-call decodes of hand-made images.
#pragma once

#include <algorithm>
#include <string>

#include "dashboard/values/parameter_sheets.h"
#include "dashboard/values/values_image_builder.h"
#include "dashboard/values/values_layout.h"

namespace kvr {

inline FillContext fixedContext(const std::string& source, const std::string& file = "run1.KVV") {
    FillContext context;
    context.valuesSource = source;
    context.valuesFileName = file;
    context.openedFileName = "run1.KVL";
    context.now = [] { return LocalDateTime{2024, 5, 17, 14, 3, 22}; };
    context.fileModified = [](const std::string&) { return LocalDateTime{2023, 1, 2, 8, 9, 10}; };
    return context;
}

// An image of the given software with plausible RPM labels.
inline ValuesImageBuilder imageOf(int version) {
    ValuesImageBuilder builder;
    builder.setSoftwareVersion(version).setPair(byte::Cylinders, "04");
    for (int r = 0; r < 38; ++r) builder.setRpmLabel(r, std::to_string(500 + 250 * r));
    return builder;
}

struct Decode {
    ParameterSheets sheets;
    FillOutcome outcome;

    explicit Decode(const ValuesImageBuilder& image, const std::string& source = "ecu") { run(image.text(), source); }
    void run(const std::string& text, const std::string& source = "ecu") {
        outcome = sheets.valuestogridcells(text, fixedContext(source));
    }
    const std::string& cell(int grid, int col, int row) const { return sheets.sheets().grid(grid).cell(col, row); }
    bool logged(const std::string& line) const {
        return std::find(outcome.memoLines.begin(), outcome.memoLines.end(), line) != outcome.memoLines.end();
    }
};

}  // namespace kvr
