// The Analyze tab's RPM × MAP map of the cells: the readings in each, their
// mean error against the target, or what the two fuel tables cannot give
// (the residual after the fit), painted as the report paints them.
#pragma once

#include <QWidget>

#include "dashboard/analysis/ui/tune_pictures.h"

class AnalyzeHeatView : public QWidget {
    Q_OBJECT
public:
    explicit AnalyzeHeatView(QWidget* parent = nullptr);

    // The result to show; nothing before the first analysis.
    void setResult(const kvr::TuneResult* result);
    void setPicture(kvr::CellPicture picture);
    kvr::CellPicture picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const kvr::TuneResult* result_ = nullptr;
    kvr::CellPicture picture_ = kvr::CellPicture::Hits;
};
