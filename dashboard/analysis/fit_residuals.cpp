#include "dashboard/analysis/fit_residuals.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "dashboard/analysis/tune_labels.h"

namespace kvr {
namespace {

// The place of x within [low, high] in thirds.
std::string thirdOf(double x, double low, double high) {
    if (!(high > low)) return "mid";
    const double at = (x - low) / (high - low);
    return at < 1.0 / 3 ? "low" : at > 2.0 / 3 ? "high" : "mid";
}

// Gathers the connected cells (sharing an edge) marked with `sign` from
// (r0, m0), clearing their marks.
ResidualRegion gather(const CellGrid& cells, const FuelMap& map, std::vector<int>& marks, int r0, int m0,
                      int sign) {
    ResidualRegion region;
    region.rpmLow = region.rpmHigh = map.rpmCentres[r0];
    region.mapLow = region.mapHigh = map.loadCentres[m0];
    std::vector<std::pair<int, int>> todo{{r0, m0}};
    marks[r0 * kLoadBins + m0] = 0;
    double sum = 0;
    while (!todo.empty()) {
        const auto [r, m] = todo.back();
        todo.pop_back();
        const CellStats& c = cells.at(r, m);
        ++region.cells;
        region.weight += c.weight;
        sum += c.weight * c.residual;
        region.rpmLow = std::min(region.rpmLow, map.rpmCentres[r]);
        region.rpmHigh = std::max(region.rpmHigh, map.rpmCentres[r]);
        region.mapLow = std::min(region.mapLow, map.loadCentres[m]);
        region.mapHigh = std::max(region.mapHigh, map.loadCentres[m]);
        const int next[4][2] = {{r - 1, m}, {r + 1, m}, {r, m - 1}, {r, m + 1}};
        for (const auto& n : next) {
            if (n[0] < 0 || n[0] >= kRpmBins || n[1] < 0 || n[1] >= kLoadBins) continue;
            int& mark = marks[n[0] * kLoadBins + n[1]];
            if (mark != sign) continue;
            mark = 0;
            todo.push_back({n[0], n[1]});
        }
    }
    region.meanLog = region.weight > 0 ? sum / region.weight : 0.0;
    return region;
}

std::string describe(const ResidualRegion& r, MapForm form) {
    char percent[32];
    std::snprintf(percent, sizeof percent, "%.0f %%", std::fabs(r.percent()));
    return std::string(percent) + (r.meanLog > 0 ? " more" : " less") + " fuel at " + r.rpmWord + " RPM (" +
           rpmRangeLabel(r.rpmLow, r.rpmHigh) + ") and " + r.mapWord + " MAP (" +
           mapRangeLabel(r.mapLow, r.mapHigh, form) + ")";
}

}  // namespace

double ResidualRegion::percent() const { return (std::exp(meanLog) - 1.0) * 100.0; }

ResidualSummary summariseResiduals(const CellGrid& cells, const FuelMap& map,
                                   const ResidualOptions& options) {
    ResidualSummary out;
    out.threshold = options.threshold;
    // Each cell with enough data: +1 / -1 when its residual passes the
    // threshold that way, 0 otherwise; and the extent of the data.
    std::vector<int> marks(static_cast<size_t>(kRpmBins * kLoadBins), 0);
    double rpmMin = HUGE_VAL, rpmMax = -HUGE_VAL, mapMin = HUGE_VAL, mapMax = -HUGE_VAL;
    for (int r = 0; r < kRpmBins; ++r) {
        for (int m = 0; m < kLoadBins; ++m) {
            const CellStats& c = cells.at(r, m);
            if (c.weight < options.minCellWeight) continue;
            rpmMin = std::min(rpmMin, map.rpmCentres[r]);
            rpmMax = std::max(rpmMax, map.rpmCentres[r]);
            mapMin = std::min(mapMin, map.loadCentres[m]);
            mapMax = std::max(mapMax, map.loadCentres[m]);
            const double wanted = std::exp(c.residual) - 1.0;
            if (std::fabs(wanted) > options.threshold)
                marks[static_cast<size_t>(r * kLoadBins + m)] = wanted > 0 ? 1 : -1;
        }
    }
    for (int r = 0; r < kRpmBins; ++r) {
        for (int m = 0; m < kLoadBins; ++m) {
            const int sign = marks[static_cast<size_t>(r * kLoadBins + m)];
            if (sign == 0) continue;
            ResidualRegion region = gather(cells, map, marks, r, m, sign);
            region.rpmWord = thirdOf((region.rpmLow + region.rpmHigh) / 2, rpmMin, rpmMax);
            region.mapWord = thirdOf((region.mapLow + region.mapHigh) / 2, mapMin, mapMax);
            out.regions.push_back(region);
        }
    }
    std::sort(out.regions.begin(), out.regions.end(), [](const ResidualRegion& a, const ResidualRegion& b) {
        return a.weight * std::fabs(a.meanLog) > b.weight * std::fabs(b.meanLog);
    });
    char limit[32];
    std::snprintf(limit, sizeof limit, "%.0f %%", options.threshold * 100);
    if (out.regions.empty()) {
        out.sentence = std::string("The two tables give what the log asks for within ") + limit +
                       " in every cell with data.";
        return out;
    }
    out.sentence =
        "The engine wants " + describe(out.regions[0], map.mapForm) + " than the two tables can give";
    if (out.regions.size() > 1) {
        const size_t more = out.regions.size() - 1;
        out.sentence += "; " + std::to_string(more) +
                        (more == 1 ? " smaller region also misses" : " smaller regions also miss") +
                        " by more than " + limit;
    }
    out.sentence += ".";
    return out;
}

}  // namespace kvr
