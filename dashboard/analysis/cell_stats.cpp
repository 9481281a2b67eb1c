#include "dashboard/analysis/cell_stats.h"

#include <cmath>

namespace kvr {
namespace {

struct Sums {
    double w = 0, ratio = 0, ratio2 = 0, residual = 0;
};

int nearestRpm(const FitObservation& o) { return o.rpmWeight < 0.5f ? o.rpmLow : o.rpmHigh; }
int nearestLoad(const FitObservation& o) { return o.loadWeight < 0.5f ? o.loadLow : o.loadHigh; }

}  // namespace

void CellGrid::addReadings(const std::vector<FitObservation>& readings, const FuelFit* fit) {
    std::vector<Sums> sums(cells_.size());
    for (const FitObservation& o : readings) {
        const double ratio = std::exp(static_cast<double>(o.logRatio));
        const double residual = fit && fit->solved ? o.logRatio - fit->predicted(o) : 0.0;
        const int r[2] = {o.rpmLow, o.rpmHigh};
        const int m[2] = {o.loadLow, o.loadHigh};
        const double wr[2] = {1.0 - o.rpmWeight, o.rpmWeight};
        const double wm[2] = {1.0 - o.loadWeight, o.loadWeight};
        for (int a = 0; a < 2; ++a) {
            for (int b = 0; b < 2; ++b) {
                const double w = wr[a] * wm[b];
                if (w <= 0) continue;
                Sums& s = sums[static_cast<size_t>(r[a] * kLoadBins + m[b])];
                s.w += w;
                s.ratio += w * ratio;
                s.ratio2 += w * ratio * ratio;
                s.residual += w * residual;
            }
        }
        ++at(nearestRpm(o), nearestLoad(o)).samples;
    }
    for (size_t i = 0; i < cells_.size(); ++i) {
        const Sums& s = sums[i];
        CellStats& c = cells_[i];
        c.weight = s.w;
        if (s.w <= 0) continue;
        c.meanRatio = s.ratio / s.w;
        c.spread = std::sqrt(std::fmax(0.0, s.ratio2 / s.w - c.meanRatio * c.meanRatio));
        c.residual = s.residual / s.w;
    }
}

void CellGrid::addNarrowBand(const FitObservation& placed, bool rich) {
    CellStats& c = at(nearestRpm(placed), nearestLoad(placed));
    ++(rich ? c.rich : c.lean);
}

}  // namespace kvr
