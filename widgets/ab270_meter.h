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

#include "widgets/meter_needle_area.h"
#include "widgets/meter_reading_cache.h"
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
    // positions, the pixels the old and the new reading take, the min/max
    // marks that moved and any mark those reach.
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
        QString text;
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
    static MeterNeedleArea::Dial needleDial(const Geometry& g) { return {g.centre, g.outer, g.scaleR}; }
    // `dirty` and every min/max mark it reaches.
    QRegion withWholeMarks(const Geometry& g, QRegion dirty) const;
    void paintReading(QPainter& p, const Geometry& g, const QRegion& dirty);
    // Whether readings come from the cache, and its look for the face now.
    bool readingsCached() const;
    MeterReadingCache::Look readingLook(const Geometry& g) const;
    // What a change of reading repaints: the pixels either text takes where
    // the cache knows them, else the whole strip the reading may cover.
    QRegion readingChange(const Geometry& g, const QString& from, const QString& to);
    // The reading's text, formatted again only when the value or the format changed.
    const QString& readingText() const;
    QFont readingFont(const Geometry& g) const;
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
    MeterNeedleArea needle_;
    MeterReadingCache readings_;
    struct ReadingText {
        float value = 0;
        std::string format;
        QString text;
        bool valid = false;
    };
    mutable ReadingText readingText_;
};
