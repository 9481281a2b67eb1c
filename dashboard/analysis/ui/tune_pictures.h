// A tuning result as the pictures show it: the two tables before and after
// as curves, and the RPM × MAP grids of hits, mean error and what the two
// tables cannot represent.
#pragma once

#include <QString>

#include <vector>

#include "dashboard/analysis/tune_analysis.h"
#include "dashboard/analysis/ui/tune_charts.h"

namespace kvr {

enum class CellPicture { Hits, MeanError, Residual };

// One value per cell, MAP bins up and RPM bins across: readings nearest the
// cell (Hits), the weighted mean log(measured / target) (MeanError: above 0
// the engine wants more fuel), or the part the fit leaves (Residual). NaN
// where a cell has no readings.
HeatGrid cellGrid(const TuneResult& result, CellPicture picture);

// The current and suggested numbers of the RPM table (or the load table),
// suggested only where a bin changes.
// The count at which a hits map is full colour: the 90th percentile of the
// cells with readings, so the few idle cells that hold most readings do not
// leave every other cell pale.
double hitsRange(const HeatGrid& hits);

std::vector<CurveSeries> tableCurves(const TuneResult& result, bool rpmTable);
std::vector<double> binCentres(const TuneResult& result, bool rpmTable);

// The MAP unit of the result's map ("inHg/psi", "inHg abs").
QString mapUnitText(const TuneResult& result);

}  // namespace kvr
