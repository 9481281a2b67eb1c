// TAbTrend: the eight-channel strip-chart recorder. Each tick of the
// recording clock appends a sample of the channels' current digits to the
// record store; one pixel column shows one record, newest to the right.
// The plot is drawn into an off-screen image incrementally: a new record
// draws only its own column; when the view pages by whole grid columns the
// drawing moves left and only the columns it uncovers are drawn; all of it
// is redrawn only when a setting or the size changes. The rules and the store live in
// kvr::TrendRecorder; this class draws, and connects the recorder to the
// clock, the mouse and the keys.
//
// For analysis: a time zoom (several records per column, drawn as each
// column's lowest to highest value, or several columns per record), a way
// back to following the newest record, and a reference cursor set by a
// click. Keys while the chart has the focus: Left/Right move, +/- zoom the
// time axis, Home shows the oldest record, End follows the newest, F fits
// the whole log, S stacks the channels in lanes and back, Escape drops the reference; Ctrl and the mouse wheel zoom
// the time axis round the pointer, Shift and the wheel (or a sideways
// wheel) move it. The hint (tool tip) shows over the caption only, so it never
// covers the data under the pointer.
//
// Markers: labelled vertical lines at chosen records, drawn over the plot
// at any zoom while their records are in view; a double-click on a label
// asks the owner to rename it.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <vector>

#include "widgets/model/trend_markers.h"
#include "widgets/model/trend_recorder.h"
#include "widgets/model/trend_zoom.h"

// How the cursor line combines with the plot under it.
enum class TPenMode { pmCopy, pmNot, pmXor, pmNotXor, pmMask, pmNotMask, pmMerge };

class TAbTrend : public QWidget {
    Q_OBJECT
public:
    explicit TAbTrend(QWidget* parent = nullptr, kvr::TrendRecorder::Clock clock = kvr::localNowDays);
    ~TAbTrend() override;

    // Channels 1..8 (Channel1 .. Channel8).
    kvr::TChSettings& channel(int n) { return recorder_.channel(n); }
    kvr::TChSettings& Channel1() { return channel(1); }
    kvr::TChSettings& Channel2() { return channel(2); }
    kvr::TChSettings& Channel3() { return channel(3); }
    kvr::TChSettings& Channel4() { return channel(4); }
    kvr::TChSettings& Channel5() { return channel(5); }
    kvr::TChSettings& Channel6() { return channel(6); }
    kvr::TChSettings& Channel7() { return channel(7); }
    kvr::TChSettings& Channel8() { return channel(8); }

    // The recorder's rules and properties (StartRecording, Interval,
    // MaxRecords, Flow, GridXPixel, scales, options, limits ...); the
    // shortcuts below are the ones the window uses most.
    kvr::TrendRecorder& recorder() { return recorder_; }
    const kvr::TrendRecorder& recorder() const { return recorder_; }
    // The records, oldest first, for exporting.
    const kvr::TrendStore& store() const { return recorder_.store(); }

    bool StartRecording() const { return recorder_.StartRecording(); }
    void setStartRecording(bool on) { recorder_.setStartRecording(on); }
    int AbsScaleCh() const { return recorder_.AbsScaleCh(); }
    void setAbsScaleCh(int ch) { recorder_.setAbsScaleCh(ch); }
    int LeftScaleCh() const { return recorder_.LeftScaleCh(); }
    void setLeftScaleCh(int ch) { recorder_.setLeftScaleCh(ch); }
    const kvr::TRecInfo& RecordInfo() const { return recorder_.RecordInfo(); }
    const kvr::TVAtCursor& ValueAtCursor() const { return recorder_.ValueAtCursor(); }

    // Drawing settings; each change repaints.
    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);
    QFont CaptionFont() const { return captionFont_; }
    void setCaptionFont(const QFont& font);
    QColor ColorCursorLine() const { return colorCursorLine_; }
    void setColorCursorLine(const QColor& c);
    TPenMode CursorLinePenMode() const { return cursorLinePenMode_; }
    void setCursorLinePenMode(TPenMode mode);
    QColor ColorGrid() const { return colorGrid_; }
    void setColorGrid(const QColor& c);
    QColor ColorSeparator() const { return colorSeparator_; }
    void setColorSeparator(const QColor& c);
    QColor ColorTime() const { return colorTime_; }
    void setColorTime(const QColor& c);
    // The plot's background (the inner bevel's colour).
    QColor ColorPlot() const { return colorPlot_; }
    void setColorPlot(const QColor& c);
    // Qt date-time format of the time labels ("hh:mm:ss.zzz"); empty: HH:MM:SS.
    QString TimeFormat() const { return timeFormat_; }
    void setTimeFormat(const QString& format);

    // The stacked view: each shown channel in a lane of its own with its own
    // scale, unit and colour; off, the channels share the plot (the default).
    // Key S switches it. Emits stackedChanged.
    bool Stacked() const { return recorder_.stacked(); }
    void setStacked(bool on);

    void Clear();
    // 0 on success, else the OS error number (2: no such file).
    int SaveToFile(const QString& fileName) const;
    int LoadFromFile(const QString& fileName, bool clearFirst = false);
    void ZoomYIn() { recorder_.ZoomYIn(); }
    void ZoomYOut() { recorder_.ZoomYOut(); }
    // Moves the view by `count` records and stops following. A move stops
    // with the newest record in the plot's last column and with the oldest
    // in its first: the plot never scrolls off the log.
    void MoveX(int count);

    // MoveX by the records `columns` pixel columns show at the time zoom:
    // 100 columns are 100 records at one record per column.
    void moveByColumns(int columns);
    // Home and End: the oldest record at the left (following stops), and
    // following the newest record again.
    void showOldest();
    void followNewest();
    bool following() const { return recorder_.Flow(); }
    // Fit (key F): the finest time zoom at which the whole log fits the
    // plot, shown from its oldest record (following stops). Returns false
    // when even the widest zoom cannot hold it; the widest is taken then.
    // Emits fitted.
    bool fitWholeLog();
    // The record `index` in the middle of the plot as far as the log's
    // ends allow (following stops).
    void showRecord(int index);
    // The view from record `first` on, as far as the log's ends allow
    // (following stops).
    void showFrom(int64_t first);
    // Records first .. last in the plot: the finest time zoom that holds
    // them, with `first` at the left, or `last` at the right when
    // `keepLast` (following stops). Emits timeScaleChanged when the zoom
    // changes.
    void showSpan(int64_t first, int64_t last, bool keepLast);
    // One step of the time zoom, round the cursor's column (the plot's
    // middle without a cursor).
    void zoomTimeIn();
    void zoomTimeOut();
    // The reference cursor at a plot column; dropped by clearReference.
    bool setReferenceAt(int column);
    void clearReference();
    QColor ColorReferenceLine() const { return colorReferenceLine_; }
    void setColorReferenceLine(const QColor& c);

    // The markers to draw, each on its record of the store; the chart keeps
    // a copy and repaints.
    void setMarkers(std::vector<kvr::TrendMarker> markers);
    const std::vector<kvr::TrendMarker>& markers() const { return markers_; }
    // The marker whose label is at `pos` (widget coordinates), or -1.
    int markerAt(const QPoint& pos) const;
    QColor ColorMarker() const { return colorMarker_; }
    void setColorMarker(const QColor& c);
    QColor ColorGapMarker() const { return colorGapMarker_; }
    void setColorGapMarker(const QColor& c);
    // The records the plot shows now.
    kvr::RecordSpan visibleRecords() const;

    // Controls that live in the chart: `left` and `right` stand in the
    // caption row at the ends of the plot's width, `footer` on a row of its
    // own under the time labels. The chart lays them out; it does not own
    // more of them than being their parent.
    void setHeaderWidgets(QWidget* left, QWidget* right);
    void setFooterWidget(QWidget* footer);
    // Where the caption is drawn (the hint shows over it).
    QRect captionRect() const;

    // One recording tick's work; the clock calls it, benchmarks too.
    void AddRecord();
    // Shows a store that another part owns and fills, and that part's
    // changes to it: an append draws just the new columns.
    void viewStore(const kvr::TrendStore& store);
    void storeChanged(kvr::StoreChange change);
    // Lays out and redraws everything.
    void fullRepaint();

    // The plot area in widget coordinates, and the off-screen plot.
    QRect plotRect() const { return plotRect_; }
    const QImage& plotImage() const { return plot_; }

signals:
    void newCursorPos();  // OnNewCursorPos: ValueAtCursor changed
    void maxRecords();    // OnMaxRecords: the store is about to be trimmed
    void recNoChanged();  // OnRecNoChanged: RecordInfo changed
    void interval();      // OnInterval: a recording tick appended a record
    void followingChanged(bool following);
    void timeScaleChanged();
    void referenceChanged();
    // The records in view or their drawing changed: a move, a zoom, new
    // records, a new size.
    void viewChanged();
    void stackedChanged(bool stacked);
    // fitWholeLog ran (key F or the owner): whether the whole log fits.
    void fitted(bool whole);
    // A marker's label was double-clicked (its index in markers()).
    void markerLabelDoubleClicked(int marker);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void presentNewRecords();
    void onClockTick();
    void registerWithClock(bool on, int intervalMs);
    void layoutPlot();
    void placeChildren();
    void zoomTimeAt(int steps, int column);
    // The view from record `first` on, as far as the log's ends allow.
    void moveFirstTo(int64_t first);
    // Records that fit wholly in the plot's columns at the time zoom.
    int64_t wholeRecordsInPlot() const;
    // Reads the cursor again where the mouse last was, after the records
    // under it changed.
    void retrackMouse();
    int scaleWidth(int channel) const;
    // Draws what the recorder's plan says into the off-screen plot and says
    // how much of it changed.
    int drawPlan();
    // The background of the plot's columns from `fromColumn` on.
    void drawBackground(int fromColumn);
    void scrollPlot(int columns);
    void drawRecords(int from, int to);
    void drawChannelLines(QPainter& p, const std::vector<kvr::ColumnTrace>& traces, int from);
    void trackMouse(const QPoint& pos);
    void updateCursorColumn(int column);
    void paintScale(QPainter& p, int channel, const QRect& column);
    // The stacked view's background: each lane with its own grid.
    void drawLaneBackground(QPainter& p);
    // The stacked view's scales: each lane's top and bottom values on the
    // left, its unit on the right, in the channel's colour.
    void paintLaneScales(QPainter& p);
    void paintTimeLabels(QPainter& p);
    void paintCursorLine(QPainter& p);
    void paintReferenceLine(QPainter& p);
    void paintMarkers(QPainter& p);
    // The labels of the markers in view, in plot coordinates.
    std::vector<kvr::MarkerLabel> markerLabels() const;
    // Each marker's label text as drawn (cut to fit) and its box's width,
    // worked out when the markers or the font change.
    void measureMarkerLabels();
    QString timeLabel(double days) const;
    // Whether the time labels carry the date (view or log over midnight).
    bool labelsNeedDate() const;

    kvr::TrendRecorder recorder_;
    QImage plot_;
    QRect plotRect_;
    QRect leftScaleRect_;
    QRect rightScaleRect_;
    int headerHeight_ = 0;

    QString caption_ = QStringLiteral("AbTrend");
    QFont captionFont_;
    QColor colorCursorLine_{0x00, 0xFF, 0x00};
    TPenMode cursorLinePenMode_ = TPenMode::pmNotMask;
    QColor colorGrid_;
    QColor colorSeparator_;
    QColor colorTime_;
    QColor colorPlot_{Qt::black};
    QColor colorReferenceLine_{0xFF, 0x80, 0x00};
    QColor colorMarker_{0xFF, 0x5C, 0xE6};
    QColor colorGapMarker_{0xA0, 0xA0, 0xA0};
    std::vector<kvr::TrendMarker> markers_;
    std::vector<QString> markerTexts_;
    std::vector<int> markerWidths_;
    QPointer<QWidget> headerLeft_;
    QPointer<QWidget> headerRight_;
    QPointer<QWidget> footer_;
    int footerHeight_ = 0;
    QPoint lastMouse_{-1, -1};
    int wheelSteps_ = 0;  // eighths of a degree not yet turned into zoom steps
    int wheelMoveSteps_ = 0;  // the same, not yet turned into moves
    QString timeFormat_;
    bool registered_ = false;
    // Columns the drawing has moved left in all, which the dots of the
    // horizontal grid lines follow, so a moved drawing matches a fresh one.
    int dotShift_ = 0;
};
