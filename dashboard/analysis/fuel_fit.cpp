#include "dashboard/analysis/fuel_fit.h"

#include "dashboard/analysis/linear_solve.h"

namespace kvr {
namespace {

constexpr int kUnknowns = kRpmBins + kLoadBins;  // a then b
constexpr double kRidge = 1e-6;

// The high bin's share of the interpolated number.
float shareOf(const BinPosition& p, const int* numbers) {
    const double low = numbers[p.low] * (1 - p.weight);
    const double high = numbers[p.high] * p.weight;
    return low + high > 0 ? static_cast<float>(high / (low + high)) : static_cast<float>(p.weight);
}

// Adds weight × (second difference at i of the table starting at `first`)².
void addSmoothness(std::vector<double>& h, int first, int count, double weight) {
    const int n = kUnknowns + 1;
    const double d[3] = {1, -2, 1};
    for (int i = 1; i + 1 < count; ++i)
        for (int p = 0; p < 3; ++p)
            for (int q = 0; q < 3; ++q)
                h[(first + i - 1 + p) * n + (first + i - 1 + q)] += weight * d[p] * d[q];
}

}  // namespace

FitObservation observeReading(const FuelMap& map, double rpm, double mapValue, double logRatio) {
    const BinPosition r = binPosition(map.rpmCentres.data(), kRpmBins, rpm);
    const BinPosition m = binPosition(map.loadCentres.data(), kLoadBins, mapValue);
    FitObservation o;
    o.rpmLow = static_cast<uint8_t>(r.low);
    o.rpmHigh = static_cast<uint8_t>(r.high);
    o.loadLow = static_cast<uint8_t>(m.low);
    o.loadHigh = static_cast<uint8_t>(m.high);
    o.rpmWeight = static_cast<float>(r.weight);
    o.loadWeight = static_cast<float>(m.weight);
    o.rpmShare = shareOf(r, map.rpmNumbers.data());
    o.loadShare = shareOf(m, map.loadNumbers.data());
    o.logRatio = static_cast<float>(logRatio);
    return o;
}

double FuelFit::predicted(const FitObservation& o) const {
    return rpmLog[o.rpmLow] * (1 - o.rpmShare) + rpmLog[o.rpmHigh] * o.rpmShare +
           loadLog[o.loadLow] * (1 - o.loadShare) + loadLog[o.loadHigh] * o.loadShare;
}

FuelFit fitFuelTables(const std::vector<FitObservation>& observations, const FitOptions& options) {
    FuelFit fit;
    const int n = kUnknowns + 1;  // and the constraint's multiplier
    std::vector<double> h(static_cast<size_t>(n * n), 0.0);
    std::vector<double> rhs(static_cast<size_t>(n), 0.0);
    for (const FitObservation& o : observations) {
        const int at[4] = {o.rpmLow, o.rpmHigh, kRpmBins + o.loadLow, kRpmBins + o.loadHigh};
        const double c[4] = {1.0 - o.rpmShare, o.rpmShare, 1.0 - o.loadShare, o.loadShare};
        for (int p = 0; p < 4; ++p) {
            rhs[at[p]] += c[p] * o.logRatio;
            for (int q = 0; q < 4; ++q)
                h[at[p] * n + at[q]] += c[p] * c[q];
        }
        fit.rpmSamples[o.rpmLow] += 1.0 - o.rpmWeight;
        fit.rpmSamples[o.rpmHigh] += o.rpmWeight;
        fit.loadSamples[o.loadLow] += 1.0 - o.loadWeight;
        fit.loadSamples[o.loadHigh] += o.loadWeight;
    }
    if (observations.empty()) return fit;
    addSmoothness(h, 0, kRpmBins, options.smoothness);
    addSmoothness(h, kRpmBins, kLoadBins, options.smoothness);
    for (int i = 0; i < kUnknowns; ++i)
        h[i * n + i] += kRidge;

    // The constraint: Σ w_m b_m = 0 over the load bins that will be changed
    // (enough effective samples), or over every load bin with data if none has.
    double total = 0;
    for (double w : fit.loadSamples)
        if (w >= options.minEffectiveSamples) total += w;
    const double least = total > 0 ? options.minEffectiveSamples : 0.0;
    if (total == 0)
        for (double w : fit.loadSamples)
            total += w;
    for (int m = 0; m < kLoadBins; ++m) {
        const double w = fit.loadSamples[m];
        const double g = w > 0 && w >= least ? w / total : 0.0;
        h[(kRpmBins + m) * n + kUnknowns] = g;
        h[kUnknowns * n + kRpmBins + m] = g;
    }
    if (!solveLinearSystem(h, rhs)) return fit;
    for (int r = 0; r < kRpmBins; ++r)
        fit.rpmLog[r] = rhs[r];
    for (int m = 0; m < kLoadBins; ++m)
        fit.loadLog[m] = rhs[kRpmBins + m];
    fit.solved = true;
    return fit;
}

}  // namespace kvr
