// TGauge: a horizontal bar with its fill in per cent.
#pragma once

#include <QWidget>

class TGauge : public QWidget {
    Q_OBJECT
public:
    explicit TGauge(QWidget* parent = nullptr);

    int MinValue() const { return min_; }
    int MaxValue() const { return max_; }
    int Progress() const { return progress_; }
    int percent() const;

    void setMinValue(int v);
    void setMaxValue(int v);
    // Stores v clamped to MinValue..MaxValue; repaints when the shown
    // percentage changes.
    void setProgress(int v);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    int min_ = 0;
    int max_ = 100;
    int progress_ = 0;
};
