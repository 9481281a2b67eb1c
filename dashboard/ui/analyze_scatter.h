// The Analyze tab's AFR picture: the measured AFR against RPM or MAP, with
// the target as a line. The analysis keeps its readings only as cells, so
// each point is one cell of the RPM × MAP grid: the weighted mean of its
// readings (the target at the cell's centre times their mean measured /
// target), drawn larger the more weight it has. The line is the target
// averaged over the cells with readings at each bin.
#pragma once

#include <QWidget>
#include <vector>

#include "dashboard/analysis/target_afr.h"
#include "dashboard/analysis/tune_analysis.h"

// One point: a cell's bin centre on the chosen axis, its mean measured AFR,
// and its weight in effective samples.
struct AfrPoint {
    double x = 0, afr = 0, weight = 0;
};

// The cells with readings as points, and the target per bin (NaN where the
// bin has none), against RPM (`byRpm`) or MAP.
std::vector<AfrPoint> cellAfrPoints(const kvr::TuneResult& result, const kvr::TargetAfr& target, bool byRpm);
std::vector<double> targetAfrLine(const kvr::TuneResult& result, const kvr::TargetAfr& target, bool byRpm);

class AnalyzeScatter : public QWidget {
    Q_OBJECT
public:
    explicit AnalyzeScatter(QWidget* parent = nullptr);

    // The result and the target it was judged against; nothing before the
    // first analysis. Both must outlive their showing here.
    void setResult(const kvr::TuneResult* result, const kvr::TargetAfr* target);
    void setByRpm(bool byRpm);
    bool byRpm() const { return byRpm_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const kvr::TuneResult* result_ = nullptr;
    const kvr::TargetAfr* target_ = nullptr;
    bool byRpm_ = true;
};
