// The "Log Chart" tab: the trend recorder ABTrend1 with its channel set,
// scale channels and panels, legend boxes, zoom, move and erase buttons, the
// logging trigger and the cursor read-out line; in the chart's caption row
// the time zoom and the "Live" button, and under its time labels the line
// that compares the cursor with the reference cursor.
#pragma once

#include <QObject>

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

    TAbTrend* ABTrend1;
    QSpinBox* SpinEdit4;  // left scale channel
    QLabel* Panel28;
    QLineEdit* Edit3;
    QSpinBox* SpinEdit3;  // right scale channel
    QLabel* Panel27;
    QLineEdit* Edit2;
    QPushButton* Button3;  // zoom in
    QPushButton* Button7;  // zoom out
    QPushButton* Button9;  // <<
    QPushButton* Button8;  // >>
    QPushButton* Button5;  // erase
    QPushButton* Button6;  // open log file
    QPushButton* SAVELOGFILE;
    QLabel* Label5;        // cursor read-out
    QPushButton* TimeZoomIn;
    QPushButton* TimeZoomOut;
    QLabel* TimeScaleLabel;
    QPushButton* LiveButton;  // checked while the chart follows the newest record
    QLabel* ReferenceLabel;   // the differences from the reference cursor
    QGroupBox* GroupBox2;  // legend
    QCheckBox* legend[8];
    QGroupBox* logselectbutton;
    QRadioButton* logselectItems[4];
    QSpinBox* SpinEdit1;
    QSpinBox* SpinEdit2;
    TAbLED* AbLED2;


signals:
    void eraseClicked();
    void openClicked();
    void saveClicked();

private:
    void GOSUB_LOGCHART_COLORS();
    // The chart log samples on the recording clock while it records.
    void followRecording(bool on);
    void ABTrend1NewCursorPos();
    void showReference();
    void showTimeScale();

    kvr::DashboardCore& core_;
    bool cursorHasRead_ = false;  // the cursor has been over a record
    bool onClock_ = false;
};
