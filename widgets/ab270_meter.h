// TAb270Meter: a round meter whose needle sweeps 270 degrees, from lower
// left (225 degrees) clockwise to lower right (-45 degrees), with a scale,
// three coloured sectors, the reading as text, a unit, min/max marks, and a
// needle that blinks red and yellow on overflow or past a limit.
#pragma once

#include <QColor>
#include <QWidget>

#include "widgets/model/meter_model.h"

class TAb270Meter : public QWidget {
    Q_OBJECT
public:
    explicit TAb270Meter(QWidget* parent = nullptr);
    ~TAb270Meter() override;

    kvr::MeterModel& model() { return model_; }
    const kvr::MeterModel& model() const { return model_; }

    float Value() const { return model_.Value(); }
    void setValue(float v);
    // After changing ranges, scale or sectors through model().
    void settingsChanged();

    QColor scaleColor = Qt::green;  // lime
    QColor pointerColor = Qt::red;
    int unitPixelSize = 27;
    int scalePixelSize = 12;
    bool boldScale = false;
    QColor unitColor = Qt::black;
    bool italicUnit = false;
    bool minMaxInSectorColors = true;

    bool isBlinking() const { return blinkConnected_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void followBlinking();

    kvr::MeterModel model_;
    bool blinkConnected_ = false;
    bool blinkRed_ = false;
};
