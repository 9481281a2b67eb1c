#include "dashboard/analysis/fuel_suggestions.h"

#include <algorithm>
#include <cmath>

namespace kvr {

const char* binOutcomeName(BinOutcome o) {
    switch (o) {
        case BinOutcome::TooFewSamples:
            return "few samples";
        case BinOutcome::Fitted:
            return "fitted";
        case BinOutcome::LimitedByMaxChange:
            return "max change";
        case BinOutcome::LimitedByRange:
            return "range";
    }
    return "";
}

double BinSuggestion::changePercent() const {
    return current != 0 ? (static_cast<double>(suggested) / current - 1.0) * 100.0 : 0.0;
}

std::vector<BinSuggestion> suggestNumbers(const double* logMultipliers, const double* samples,
                                          const double* centres, const int* numbers, int count, int maxNumber,
                                          const FitOptions& options) {
    std::vector<BinSuggestion> out(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        BinSuggestion& b = out[static_cast<size_t>(i)];
        b.bin = i;
        b.centre = centres[i];
        b.current = numbers[i];
        b.suggested = numbers[i];
        b.wanted = std::exp(logMultipliers[i]);
        b.effectiveSamples = samples[i];
        if (!(samples[i] >= options.minEffectiveSamples) || !std::isfinite(b.wanted)) continue;
        b.outcome = BinOutcome::Fitted;
        const double lowest = 1.0 - options.maxChange, highest = 1.0 + options.maxChange;
        double factor = b.wanted;
        if (factor < lowest || factor > highest) {
            factor = std::clamp(factor, lowest, highest);
            b.outcome = BinOutcome::LimitedByMaxChange;
        }
        // Rounded, but never past the largest change (13 * 1.15 = 14.95 is 14, not 15).
        const long fewest = std::lround(std::ceil(b.current * lowest - 1e-9));
        const long most = std::lround(std::floor(b.current * highest + 1e-9));
        const long wanted = std::clamp(std::lround(b.current * factor), fewest, most);
        b.suggested = static_cast<int>(std::clamp<long>(wanted, 0, maxNumber));
        if (b.suggested != wanted) b.outcome = BinOutcome::LimitedByRange;
    }
    return out;
}

}  // namespace kvr
