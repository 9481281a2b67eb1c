#include "dashboard/analysis/ui/tune_pictures.h"

#include <algorithm>
#include <cmath>

namespace kvr {

HeatGrid cellGrid(const TuneResult& result, CellPicture picture) {
    HeatGrid g;
    g.rows = kLoadBins;
    g.cols = kRpmBins;
    g.values.assign(static_cast<size_t>(g.rows * g.cols), NAN);
    g.rowCentres.assign(result.current.loadCentres.begin(), result.current.loadCentres.end());
    g.colCentres.assign(result.current.rpmCentres.begin(), result.current.rpmCentres.end());
    for (int r = 0; r < kRpmBins; ++r)
        for (int m = 0; m < kLoadBins; ++m) {
            const CellStats& c = result.cells.at(r, m);
            double& v = g.values[static_cast<size_t>(m * g.cols + r)];
            const int readings = result.narrowBand ? c.rich + c.lean : c.samples;
            if (readings == 0) continue;
            switch (picture) {
            case CellPicture::Hits: v = readings; break;
            case CellPicture::MeanError:
                if (result.narrowBand)
                    v = (c.lean - c.rich) / static_cast<double>(readings) * 0.1;  // a direction, no size
                else if (c.meanRatio > 0)
                    v = std::log(c.meanRatio);
                break;
            case CellPicture::Residual:
                if (!result.narrowBand) v = c.residual;
                break;
            }
        }
    return g;
}

double hitsRange(const HeatGrid& hits) {
    std::vector<double> counts;
    for (double v : hits.values)
        if (std::isfinite(v) && v > 0) counts.push_back(v);
    if (counts.empty()) return 1;
    std::sort(counts.begin(), counts.end());
    return std::max(1.0, counts[counts.size() * 9 / 10]);
}

std::vector<double> binCentres(const TuneResult& result, bool rpmTable) {
    if (rpmTable) return {result.current.rpmCentres.begin(), result.current.rpmCentres.end()};
    return {result.current.loadCentres.begin(), result.current.loadCentres.end()};
}

std::vector<CurveSeries> tableCurves(const TuneResult& result, bool rpmTable) {
    CurveSeries now{QStringLiteral("current"), QColor(60, 60, 60), {}, false};
    CurveSeries after{QStringLiteral("suggested"), QColor(200, 40, 40), {}, true};
    const std::vector<BinSuggestion>& bins = rpmTable ? result.rpmBins : result.loadBins;
    const int count = rpmTable ? kRpmBins : kLoadBins;
    for (int i = 0; i < count; ++i) {
        const int current = rpmTable ? result.current.rpmNumbers[i] : result.current.loadNumbers[i];
        now.values.push_back(current);
        after.values.push_back(static_cast<size_t>(i) < bins.size() ? bins[static_cast<size_t>(i)].suggested : current);
    }
    return {now, after};
}

QString mapUnitText(const TuneResult& result) {
    return result.current.mapForm == MapForm::Absolute ? QStringLiteral("MAP inHg abs")
                                                       : QStringLiteral("MAP inHg/psi");
}

}  // namespace kvr
