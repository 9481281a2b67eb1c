// The suggestions the user put back by hand on the Analyze tab: bins of the
// RPM and load tables whose number stays as it is. They are kept apart from
// the analysis's result, so re-running it with other options keeps them, and
// are laid over the result for the table, the saved values file and the
// report.
#pragma once

#include <set>

#include "dashboard/analysis/tune_analysis.h"

namespace kvr {

struct RevertedBins {
    std::set<int> rpm, load;

    bool empty() const { return rpm.empty() && load.empty(); }
    void clear() {
        rpm.clear();
        load.clear();
    }
};

// `result` with each reverted bin's suggestion set back to its current
// number, in the bins, the suggested map and the summary line.
TuneResult withReverts(const TuneResult& result, const RevertedBins& reverted);

}  // namespace kvr
