// From the fit's multipliers to the numbers a user may load: each bin with
// enough data has its number multiplied by the fit's multiplier, held to the
// largest change one pass may make, rounded, and kept within what the ECU
// stores (8 bits for load numbers; 8 or 16 for RPM numbers).
#pragma once

#include <cstdint>
#include <vector>

#include "dashboard/analysis/fuel_fit.h"

namespace kvr {

enum class BinOutcome : uint8_t {
    TooFewSamples,       // left as it is
    Fitted,              // multiplied as the fit says (rounding may leave it as it is)
    LimitedByMaxChange,  // the fit wants more than one pass may change
    LimitedByRange,      // the stored range stopped it
};

const char* binOutcomeName(BinOutcome o);  // "few samples", "fitted", "max change", "range"

struct BinSuggestion {
    int bin = 0;
    double centre = 0;  // RPM, or MAP in the ECU's units
    int current = 0;
    int suggested = 0;
    double wanted = 1;  // the fit's multiplier
    double effectiveSamples = 0;
    BinOutcome outcome = BinOutcome::TooFewSamples;

    // suggested / current - 1, in % (0 when the current number is 0).
    double changePercent() const;
};

// One table's suggestions: `logMultipliers`, `samples`, `centres` and
// `numbers` of `count` bins each, numbers kept within 0..maxNumber.
std::vector<BinSuggestion> suggestNumbers(const double* logMultipliers, const double* samples,
                                          const double* centres, const int* numbers, int count, int maxNumber,
                                          const FitOptions& options);

}  // namespace kvr
