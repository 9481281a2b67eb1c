#include "dashboard/ui/analyze_reverts.h"

#include <string>

namespace kvr {
namespace {

// Puts each bin named in `bins` back to its current number; how many changed.
int revert(std::vector<BinSuggestion>& suggestions, const std::set<int>& bins) {
    int reverted = 0;
    for (BinSuggestion& b : suggestions) {
        if (bins.count(b.bin) == 0 || b.suggested == b.current) continue;
        b.suggested = b.current;
        ++reverted;
    }
    return reverted;
}

}  // namespace

TuneResult withReverts(const TuneResult& result, const RevertedBins& reverted) {
    TuneResult r = result;
    const int count = revert(r.rpmBins, reverted.rpm) + revert(r.loadBins, reverted.load);
    if (count == 0) return r;
    for (const BinSuggestion& b : r.rpmBins) r.suggested.rpmNumbers[static_cast<size_t>(b.bin)] = b.suggested;
    for (const BinSuggestion& b : r.loadBins) r.suggested.loadNumbers[static_cast<size_t>(b.bin)] = b.suggested;
    r.summary = std::to_string(r.changedRpmBins()) + " RPM and " + std::to_string(r.changedLoadBins()) +
                " load fuel numbers changed from " + std::to_string(r.kept) + " readings (" + std::to_string(count) +
                (count == 1 ? " suggestion" : " suggestions") + " put back by hand)";
    r.notes.push_back(std::to_string(count) + (count == 1 ? " suggestion was" : " suggestions were") +
                      " put back to the current number by hand");
    return r;
}

}  // namespace kvr
