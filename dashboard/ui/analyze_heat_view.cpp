#include "dashboard/ui/analyze_heat_view.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

// Full colour at 10 % of error, as the report.
constexpr double kErrorRange = 0.1;

QString titleOf(kvr::CellPicture picture, bool narrowBand) {
    switch (picture) {
    case kvr::CellPicture::Hits: return QStringLiteral("Readings per cell");
    case kvr::CellPicture::MeanError:
        return narrowBand ? QStringLiteral("Rich (blue) or lean (red) by cell")
                          : QStringLiteral("Mean error: red ran lean (wants fuel), blue rich; full at 10 %");
    case kvr::CellPicture::Residual: return QStringLiteral("Residual the tables cannot give; full at 10 %");
    }
    return {};
}

}  // namespace

AnalyzeHeatView::AnalyzeHeatView(QWidget* parent) : QWidget(parent) {
    setObjectName("cellMap");
    setAccessibleName("Cell map");
    setMinimumSize(200, 140);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void AnalyzeHeatView::setResult(const kvr::TuneResult* result) {
    result_ = result;
    update();
}

void AnalyzeHeatView::setPicture(kvr::CellPicture picture) {
    picture_ = picture;
    update();
}

void AnalyzeHeatView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    p.setPen(palette().text().color());
    if (result_ == nullptr) {
        p.drawText(rect(), Qt::AlignCenter, QStringLiteral("no analysis yet"));
        return;
    }
    const kvr::HeatGrid grid = kvr::cellGrid(*result_, picture_);
    const bool hits = picture_ == kvr::CellPicture::Hits;
    kvr::paintHeatMap(p, QRectF(rect()).adjusted(2, 2, -4, -2), titleOf(picture_, result_->narrowBand), grid,
                      hits ? kvr::HeatScale::Count : kvr::HeatScale::Diverging, hits ? kvr::hitsRange(grid) : kErrorRange,
                      kvr::mapUnitText(*result_), QStringLiteral("RPM"));
}
