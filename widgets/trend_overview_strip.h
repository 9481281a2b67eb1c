// The overview strip under a trend chart: the chart's whole log in the
// strip's width, each column the lowest to highest value over its records
// of one channel (the left scale's, else the first shown: eight channels'
// bands would merge into one block at this width), breaks as grey lines
// and markers as ticks. The
// records the chart shows are a window on it: a click elsewhere centres the
// chart there, dragging the window moves the view, dragging its left or
// right edge zooms the time axis with the other edge held. The strip's
// columns line up with the chart's plot above it.
#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>

#include "widgets/model/trend_overview.h"

class TAbTrend;

class TrendOverviewStrip : public QWidget {
    Q_OBJECT
public:
    explicit TrendOverviewStrip(TAbTrend* chart, QWidget* parent = nullptr);

    // The strip's columns in widget coordinates (under the chart's plot).
    QRect stripRect() const;
    // The whole log against the strip's columns, and the chart's view on it.
    kvr::OverviewMap map() const;
    kvr::OverviewWindow window() const;
    // The drawn envelope (without the window), brought up to date first.
    const QImage& envelopeImage();

    QColor ColorWindow() const { return colorWindow_; }
    void setColorWindow(const QColor& c);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // What the envelope image was drawn from; a new one is drawn when it differs.
    struct Drawn {
        int64_t records = -1;
        double firstTime = 0, lastTime = 0;
        uint32_t visible = 0;  // the channel drawn
        uint64_t colours = 0;
        QSize size;
        uint64_t markers = 0;
        bool operator==(const Drawn& o) const {
            return records == o.records && firstTime == o.firstTime && lastTime == o.lastTime &&
                   visible == o.visible && colours == o.colours && size == o.size && markers == o.markers;
        }
    };
    Drawn currentState() const;
    // The channel the strip draws, 0 for none.
    int overviewChannel() const;
    void drawEnvelope();
    void drawMarkers(class QPainter& p, const kvr::OverviewMap& map);
    int columnAt(int x) const;
    void dragTo(int column);
    void showGripCursor(int column);

    TAbTrend* chart_;
    kvr::OverviewEnvelope envelope_;
    QImage image_;
    Drawn drawn_;
    QColor colorWindow_{0xFF, 0xFF, 0xFF};

    // A drag in progress: what was pressed and where the view was then.
    kvr::OverviewGrip grip_ = kvr::OverviewGrip::jump;
    bool dragging_ = false;
    int pressColumn_ = 0;
    int64_t pressFirst_ = 0;
    int64_t pressLast_ = 0;
};
