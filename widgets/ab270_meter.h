// TAb270Meter: a round meter whose needle sweeps 270 degrees, from lower
// left (225 degrees) clockwise to lower right (-45 degrees), with a scale,
// three coloured sectors, the reading as text, a unit, min/max marks, and a
// needle that blinks red and yellow on overflow or past a limit.
#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRegion>
#include <QWidget>
#include <string>

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
    // How often the static face (bevel, scale, sectors, numbers, unit) has
    // been drawn; it is drawn once per size and settings, not per value.
    int faceRenders() const { return faceRenders_; }
    // The part of the widget a change of value repaints: the needle at both
    // positions, the reading and the min/max marks that moved.
    QRegion lastValueRegion() const { return lastValueRegion_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    // What the face is drawn from; a cached face is good while this is equal.
    struct FaceKey {
        QSize size;
        QColor background;  // invalid: transparent corners
        qreal pixelRatio = 0;
        QFont font;
        QColor scaleColor, unitColor;
        int unitPixelSize = 0, scalePixelSize = 0;
        bool boldScale = false, italicUnit = false, opSector = false;
        int steps = 0, subSteps = 0;
        std::string unit, scaleFormat;
        float from = 0, to = 0;
        uint32_t sectors[9] = {};
        bool operator==(const FaceKey& o) const;
    };
    // What a value change can alter.
    struct ValueState {
        double needleAngle = 0;
        std::string text;
        bool hasMinMax = false;
        float min = 0, max = 0;
    };
    struct Geometry {
        QPointF centre;
        double side, outer, scaleR;
    };
    Geometry dialGeometry() const;
    FaceKey faceKey() const;
    QColor backdrop() const;
    ValueState valueState() const;
    void paintFace(QPainter& p, const Geometry& g) const;
    QRegion needleRegion(const Geometry& g, double angle) const;
    QRect readingRect(const Geometry& g) const;
    QRect markRect(const Geometry& g, float value) const;
    double markAngle(float value) const;
    void followBlinking();

    kvr::MeterModel model_;
    bool blinkConnected_ = false;
    bool blinkRed_ = false;
    QPixmap face_;
    FaceKey faceKey_;
    int faceRenders_ = 0;
    QRegion lastValueRegion_;
    ValueState shown_;  // as of the last value or settings change
};
