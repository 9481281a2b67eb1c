// The "Log Chart" tab: the chart log's view. The trend chart with its channel
// set, scale channels and panels, legend boxes, zoom, move and erase buttons,
// the logging trigger and the cursor read-out line; in the chart's caption
// row the time zoom and the "Live" button, and under its time labels the
// line that compares the cursor with the reference cursor.
#pragma once

#include <QObject>

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
    QPushButton* liveButton;   // checked while the chart follows the newest record
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
    void showReference();
    void showTimeScale();

    kvr::DashboardCore& core_;
    bool cursorHasRead_ = false;  // the cursor has been over a record
    bool onClock_ = false;
};
