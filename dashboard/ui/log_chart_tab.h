// The "Log Chart" tab: the chart log's view. The trend chart with its channel
// set, scale channels and panels, legend boxes, zoom, move and erase buttons,
// the logging trigger and the cursor read-out line; in the chart's caption
// row the time zoom, "Fit", "Stacked", "Go to time", "Mark" and "Live", and under its
// time labels the line that compares the cursor with the reference cursor.
// The chart draws the log's markers. Under it the overview strip shows the
// whole log with the view as a window on it, and a line gives each shown
// channel's minimum, mean and maximum over the records in view.
#pragma once

#include <QObject>
#include <QTimer>
#include <optional>
#include <utility>

#include "dashboard/display/window_layout.h"
#include "dashboard/logging/trend_store.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QWidget;
class TAbLED;
class TAbTrend;
class TrendOverviewStrip;

namespace kvr {
class DashboardCore;
}

class LogChartTab : public QObject {
    Q_OBJECT
public:
    LogChartTab(QWidget* page, kvr::DashboardCore& core);
    ~LogChartTab() override;

    // Shows the chart log's state: channel ranges as they were requested,
    // the logging switch, and the LOGGING lamp.
    void apply();
    // The chart, its right scale and the read-out follow the window's size.
    void fitToWindow(const kvr::ResizeLayout& r);
    // The times (local days) of the first and last sample in view; nothing
    // when the chart shows none.
    std::optional<std::pair<double, double>> visibleSampleTimes() const;
    // Works the statistics line out now for the records in view (the chart
    // asks for it at most a few times a second by itself).
    void showRangeStats();

    TAbTrend* chart;
    QSpinBox* leftScaleChannel;
    QLabel* leftScalePanel;
    QLineEdit* leftScaleName;  // hidden: the panel's caption carries its text
    QSpinBox* rightScaleChannel;
    QLabel* rightScalePanel;
    QLineEdit* rightScaleName;  // hidden, as the left one
    QPushButton* zoomInButton;
    QPushButton* zoomOutButton;
    QPushButton* moveBackButton;     // <<
    QPushButton* moveForwardButton;  // >>
    QPushButton* eraseButton;
    QPushButton* openLogButton;
    QPushButton* saveLogButton;
    QLabel* cursorReadout;
    QPushButton* timeZoomInButton;
    QPushButton* timeZoomOutButton;
    QLabel* timeScaleLabel;
    QPushButton* liveButton;   // checked while the chart follows live data as it comes
    QPushButton* markButton;   // a marker at the newest record, while the log records
    QPushButton* fitButton;    // the whole log in the plot (key F)
    QPushButton* stackedButton;  // pressed in: a lane per shown channel (key S)
    QLineEdit* goToTimeEdit;   // a time or an offset to centre the view on (Ctrl+G)
    QLabel* rangeStatsLine;    // min, mean and max of each shown channel over the records in view
    TrendOverviewStrip* overviewStrip;  // the whole log under the chart, the view as a window on it
    QLabel* referenceReadout;  // the differences from the reference cursor
    QGroupBox* legendBox;
    QCheckBox* legendChecks[8];  // show and hide channels 1..8
    QGroupBox* loggingSwitch;    // "Log Chart Enable": Stop, Go, TP >, RPM >
    QRadioButton* loggingSwitchItems[4];
    QSpinBox* throttleThresholdEdit;
    QSpinBox* rpmThresholdEdit;
    TAbLED* loggingLamp;

signals:
    void eraseClicked();
    void openClicked();
    void saveClicked();
    void markClicked();
    // A marker's label was double-clicked: its index in the chart log's markers.
    void markerRenameAsked(int marker);
    void recordingChanged(bool on);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTrigger(QWidget* page);
    void buildScaleRow(QWidget* page);
    void connectScaleRow();
    void buildChart(QWidget* page);
    QWidget* buildTimeZoomBar(QWidget* page);
    QWidget* buildLiveBar(QWidget* page);
    void buildReferenceReadout();
    void connectChartBars();
    void buildLegend(QWidget* page);
    void nameControls();
    void colourScalePanels();
    // The chart log samples on the recording clock while it records.
    void followRecording(bool on);
    void showCursorValues();
    // Each channel's range in its legend box's and the read-out's tool tips.
    void showChannelRanges();
    void clearCursorValues();
    void showLive();
    void showReference();
    void showTimeScale();
    void fitWholeLog();
    void showFit(bool whole);
    void goToTime();
    void buildRangeStatsLine();
    // The chart, the overview strip and the statistics line under it share `height`.
    void placeChartAndStats(int width, int height);
    int belowChartHeight() const;
    void showMarkers();
    // The view changed: the statistics now, or once the last update is a
    // moment old.
    void rangeStatsDue();

    kvr::DashboardCore& core_;
    bool cursorHasRead_ = false;  // the cursor has been over a record
    bool onClock_ = false;
    QTimer statsPause_;          // runs for a moment after each statistics update
    bool statsPending_ = false;  // the view changed during the pause
    bool statsStale_ = false;    // the view changed while the chart was out of sight
    int statsHeight_ = 0;
};
