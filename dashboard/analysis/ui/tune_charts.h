// The pictures of a tuning result, painted with QPainter on any device: the
// window's Analyze tab and the PDF report draw the same ones. Each takes
// plain numbers (bin centres, values, a grid), so it knows nothing of how
// the analysis reached them.
#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

#include <vector>

class QPainter;

namespace kvr {

// One line of a curve chart: a value per bin (NaN: no point there).
struct CurveSeries {
    QString name;
    QColor colour;
    std::vector<double> values;
    bool dashed = false;
};

// Curves over bin centres `x` (the same count as each series' values), with
// axes, a title and a legend.
void paintCurves(QPainter& p, const QRectF& area, const QString& title, const QString& xUnit,
                 const std::vector<double>& x, const std::vector<CurveSeries>& series);

// A grid of cells, RPM across and MAP up: values[row * cols + col], NaN
// where there is nothing to show.
struct HeatGrid {
    int rows = 0, cols = 0;
    std::vector<double> values;
    std::vector<double> rowCentres;  // MAP bin centres (bottom to top)
    std::vector<double> colCentres;  // RPM bin centres (left to right)
};

// How a value becomes a colour: counts shade from pale to dark blue;
// signed errors run from blue (rich: measured below target, less fuel
// wanted) through white to red (lean: more fuel wanted), full at ±range.
enum class HeatScale { Count, Diverging };
QColor heatColour(double value, HeatScale scale, double range);

void paintHeatMap(QPainter& p, const QRectF& area, const QString& title, const HeatGrid& grid, HeatScale scale,
                  double range, const QString& rowUnit, const QString& colUnit);

}  // namespace kvr
