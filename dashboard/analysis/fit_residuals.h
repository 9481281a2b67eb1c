// Where the two tables fall short: RPM number × load number can only give
// corrections of the form f(rpm) × g(map), so an engine that wants more fuel
// at one RPM only at some pressures (a resonance, a cam's overlap) shows as
// cells whose mean error the fit leaves behind. This finds the regions of
// neighbouring cells that share a large residual of one sign and says in a
// sentence where the largest one lies.
#pragma once

#include <string>
#include <vector>

#include "dashboard/analysis/cell_stats.h"
#include "dashboard/analysis/tune_options.h"

namespace kvr {

struct ResidualRegion {
    int cells = 0;
    double weight = 0;               // effective samples over its cells
    double meanLog = 0;              // weighted mean residual: above 0 the engine wants more fuel
    double rpmLow = 0, rpmHigh = 0;  // the cells' centres
    double mapLow = 0, mapHigh = 0;
    // Where it lies within the cells with data: "low", "mid" or "high".
    std::string rpmWord, mapWord;

    double percent() const;  // the fuel wanted beyond the tables, in % (negative: less)
};

struct ResidualSummary {
    double threshold = 0;
    std::vector<ResidualRegion> regions;  // largest first (weight × |meanLog|)
    std::string sentence;
};

ResidualSummary summariseResiduals(const CellGrid& cells, const FuelMap& map, const ResidualOptions& options);

}  // namespace kvr
