#include "dashboard/ui/log_chart_tab.h"

#include <QCheckBox>
#include <QEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTimer>
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "dashboard/dashboard_core.h"
#include "dashboard/logging/chart_view_channels.h"
#include "dashboard/logging/cursor_readout.h"
#include "dashboard/logging/range_stats.h"
#include "dashboard/ui/log_chart_design.h"
#include "dashboard/ui/placed_controls.h"
#include "widgets/ab_led.h"
#include "widgets/ab_trend.h"
#include "widgets/model/time_entry.h"
#include "widgets/model/trend_markers.h"
#include "widgets/recording_clock.h"
#include "widgets/trend_overview_strip.h"

namespace {

const char kCursorHint[] = "Log data, move mouse over Log Chart";

// The buttons and spin boxes above the chart are 22 pixels high; the chart
// takes the tab's width at design size.
constexpr int kRowHeight = 22;
constexpr int kChartTop = 76, kChartWidth = 870, kChartHeight = 373;

QPushButton* button(QWidget* parent, const QString& text, int x, int y, int w) {
    return placedButton(parent, text, x, y, w, kRowHeight);
}

QSpinBox* spinBox(QWidget* parent, int min, int max, int value, int x, int y, int w) {
    return placedSpinBox(parent, min, max, value, x, y, w, kRowHeight);
}

// A scale channel's panel, coloured as the channel's line.
QLabel* scalePanel(QWidget* page, const QString& caption, int x, int w) {
    auto* panel = new QLabel(caption, page);
    panel->setGeometry(x, 44, w, kRowHeight);
    panel->setAutoFillBackground(true);
    panel->setAlignment(Qt::AlignCenter);
    QFont font = panel->font();
    font.setPixelSize(10);  // "Right Scale CH>" whole in its 94 pixels
    panel->setFont(font);
    return panel;
}

// The name of a scale channel: kept, but hidden, since the panel's caption carries its text.
QLineEdit* hiddenName(QWidget* page) {
    auto* edit = new QLineEdit(page);
    edit->hide();
    edit->setReadOnly(true);
    return edit;
}

const char* const kFitHint = "Fit: zoom the time axis so the whole log fits the chart, from its oldest record (key F)";
const char* const kGoToHint =
    "Go to time (Ctrl+G): HH:MM[:SS], YYYY-MM-DD HH:MM[:SS], or from the log's start +1:30:00, +90s, +5m; "
    "Enter centres the chart on the record at or after it";

const char* const kReferenceHint = "Click the chart to set a reference cursor; right-click or Esc drops it.";

// The statistics line: two text rows, updated at most this often while
// records arrive or the view moves.
constexpr int kStatsRows = 2;
// The overview strip between the chart and the statistics line.
constexpr int kOverviewHeight = 30;
constexpr int kStatsPauseMs = 250;
const QString kStatsSeparator = QStringLiteral("   |   ");

// `parts` joined into at most `rows` lines no wider than `width`; what does
// not fit ends the last line in "...".
QString linesOf(const QStringList& parts, const QFontMetrics& fm, int width, int rows) {
    QStringList lines;
    QString line;
    for (const QString& part : parts) {
        const QString longer = line.isEmpty() ? part : line + kStatsSeparator + part;
        if (line.isEmpty() || fm.horizontalAdvance(longer) <= width || lines.size() == rows - 1) {
            line = longer;
        } else {
            lines << line;
            line = part;
        }
    }
    if (!line.isEmpty()) lines << line;
    for (QString& l : lines) l = fm.elidedText(l, Qt::ElideRight, width);
    return lines.join('\n');
}

// A button of the chart's own bar. It leaves the keyboard focus where it
// is (Tab still reaches it), so the chart keeps its keys after a click.
QPushButton* chartButton(QWidget* bar, const QString& text, const QString& name, const QString& tip) {
    auto* b = new QPushButton(text, bar);
    b->setAccessibleName(name);
    b->setToolTip(tip);
    b->setFocusPolicy(Qt::TabFocus);
    bar->layout()->addWidget(b);
    return b;
}

QWidget* chartBar(QWidget* chart, const QFont& font) {
    auto* bar = new QWidget(chart);
    bar->setFont(font);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    return bar;
}

}  // namespace

LogChartTab::LogChartTab(QWidget* page, kvr::DashboardCore& core) : QObject(page), core_(core) {
    buildTrigger(page);
    buildScaleRow(page);
    connectScaleRow();
    buildChart(page);
    // The time zoom on the left of the caption, "Live" on its right.
    QWidget* zoomBar = buildTimeZoomBar(page);
    QWidget* liveBar = buildLiveBar(page);
    chart->setHeaderWidgets(zoomBar, liveBar);
    buildReferenceReadout();
    buildRangeStatsLine();
    overviewStrip = new TrendOverviewStrip(chart, page);
    placeChartAndStats(kChartWidth, kChartHeight);
    connectChartBars();
    buildLegend(page);
    nameControls();
    colourScalePanels();
    showMarkers();
}

// Row 1: the logging trigger and its thresholds, the lamp, the files.
void LogChartTab::buildTrigger(QWidget* page) {
    loggingSwitch = new QGroupBox("Log Chart Enable", page);
    loggingSwitch->setGeometry(4, 0, 300, 40);
    const char* items[] = {"Stop", "Go", "TP >", "RPM >"};
    for (int i = 0; i < 4; ++i) {
        loggingSwitchItems[i] = new QRadioButton(items[i], loggingSwitch);
        loggingSwitchItems[i]->setGeometry(8 + i * 72, 17, 70, 20);
        connect(loggingSwitchItems[i], &QRadioButton::toggled, this, [this, i](bool on) {
            // Kept where it was when the user would not drop a shown log.
            if (on && !core_.setLoggingSwitch(i)) QTimer::singleShot(0, this, [this] { apply(); });
        });
    }
    loggingSwitchItems[0]->setChecked(true);
    placedLabel(page, "TP >", 310, 2);
    throttleThresholdEdit = spinBox(page, 0, 63, 20, 310, 17, 52);
    placedLabel(page, "RPM >", 366, 2);
    rpmThresholdEdit = spinBox(page, 10, 24000, 3000, 366, 17, 70);
    placedLabel(page, "LOGGING", 610, 48);
    loggingLamp = new TAbLED(page, 16, Qt::red);
    loggingLamp->move(668, 47);
    openLogButton = button(page, "Open Log File", 398, 44, 100);
    saveLogButton = button(page, "Save Log File", 502, 44, 100);
    saveLogButton->setToolTip("Save LogChart and also Saves KVR values.");
    kvr::LoggingRules& rules = core_.chartLog.rules;
    connect(throttleThresholdEdit, &QSpinBox::valueChanged, this,
            [&rules](int v) { rules.throttleThreshold = v; });
    connect(rpmThresholdEdit, &QSpinBox::valueChanged, this, [&rules](int v) { rules.rpmThreshold = v; });
    connect(openLogButton, &QPushButton::clicked, this, &LogChartTab::openClicked);
    connect(saveLogButton, &QPushButton::clicked, this, &LogChartTab::saveClicked);
}

// Row 2: scale channels, zoom, move, erase.
void LogChartTab::buildScaleRow(QWidget* page) {
    leftScaleChannel = spinBox(page, 1, 8, 1, 4, 44, 40);
    leftScalePanel = scalePanel(page, "<Left Scale CH", 48, 100);
    leftScaleName = hiddenName(page);
    zoomInButton = button(page, "+", 156, 44, 26);
    zoomOutButton = button(page, "-", 184, 44, 26);
    zoomInButton->setToolTip("Y Zoom in/out");
    zoomOutButton->setToolTip("Y Zoom in/out");
    moveBackButton = button(page, "<<", 216, 44, 30);
    moveBackButton->setToolTip("Move X: click once then hold enter key to rapid scroll");
    moveForwardButton = button(page, ">>", 248, 44, 30);
    moveForwardButton->setToolTip("Move X");
    eraseButton = button(page, "Erase Log Chart", 284, 44, 110);
    rightScalePanel = scalePanel(page, "Right Scale CH>", kChartWidth - 137, 94);
    rightScaleName = hiddenName(page);
    rightScaleChannel = spinBox(page, 1, 8, 2, kChartWidth - 42, 44, 40);
}

void LogChartTab::connectScaleRow() {
    connect(zoomInButton, &QPushButton::clicked, this, [this] { chart->ZoomYIn(); });
    connect(zoomOutButton, &QPushButton::clicked, this, [this] { chart->ZoomYOut(); });
    // 100 records at one record per column; 100 columns' worth at other time zooms.
    connect(moveBackButton, &QPushButton::clicked, this, [this] { chart->moveByColumns(-100); });
    connect(moveForwardButton, &QPushButton::clicked, this, [this] { chart->moveByColumns(100); });
    connect(eraseButton, &QPushButton::clicked, this, &LogChartTab::eraseClicked);
    connect(rightScaleChannel, &QSpinBox::valueChanged, this, [this] { colourScalePanels(); });
    connect(leftScaleChannel, &QSpinBox::valueChanged, this, [this](int ch) {
        chart->setLeftScaleCh(ch);
        colourScalePanels();
    });
}

// The chart, with the program's settings, showing the chart log's store;
// the cursor read-out under it.
void LogChartTab::buildChart(QWidget* page) {
    chart = new TAbTrend(page);
    chart->setGeometry(0, kChartTop, kChartWidth, kChartHeight);
    chart->setToolTip("LogChart");
    chart->setAccessibleDescription(
        "Left and Right move, + and - zoom the time axis, Home shows the oldest record, End follows the "
        "newest; a click sets the reference cursor, Esc drops it");
    designLogChart(chart);
    // The log samples, marks gaps and keeps every record, and says when it changed.
    chart->viewStore(core_.chartLog.store());
    core_.chartLog.onStoreChanged = [this](kvr::StoreChange change) {
        chart->storeChanged(change);
        // An opened or emptied log takes its markers and the read-out's
        // values with it.
        if (change == kvr::StoreChange::Opened || change == kvr::StoreChange::Cleared) {
            showMarkers();
            clearCursorValues();
        }
    };
    core_.chartLog.onRecordingChanged = [this](bool on) {
        followRecording(on);
        emit recordingChanged(on);
    };
    core_.chartLog.onMarkersChanged = [this] { showMarkers(); };
    connect(chart, &TAbTrend::newCursorPos, this, &LogChartTab::showCursorValues);
    connect(chart, &TAbTrend::markerLabelDoubleClicked, this, &LogChartTab::markerRenameAsked);

    cursorReadout = new QLabel(kCursorHint, page);
    cursorReadout->setGeometry(4, kChartTop + kChartHeight + 4, 860, 18);
}


// In the window's font like the other buttons.
QWidget* LogChartTab::buildTimeZoomBar(QWidget* page) {
    QWidget* bar = chartBar(chart, page->font());
    bar->layout()->addWidget(new QLabel("Time zoom", bar));
    timeZoomInButton =
        chartButton(bar, "+", "Time zoom in",
                    "Time zoom in: fewer records per pixel (key +, or Ctrl and the mouse wheel)");
    timeZoomOutButton = chartButton(bar, "-", "Time zoom out",
                                    "Time zoom out: more records per pixel, each column from its lowest to "
                                    "its highest value (key -, or Ctrl and the mouse wheel)");
    timeScaleLabel = new QLabel(bar);
    timeScaleLabel->setAccessibleName("Time scale");
    // Wide enough for the longest scale, so the bar keeps its size.
    int widest = 0;
    for (int level = 0; level < kvr::timeScaleLevels(); ++level) {
        widest = std::max(widest, timeScaleLabel->fontMetrics().horizontalAdvance(
                                      QString::fromStdString(kvr::timeScaleAt(level).text())));
    }
    timeScaleLabel->setMinimumWidth(widest + 4);
    bar->layout()->addWidget(timeScaleLabel);
    for (QPushButton* b : {timeZoomInButton, timeZoomOutButton}) b->setFixedWidth(b->sizeHint().height() + 4);
    fitButton = chartButton(bar, "Fit", "Fit whole log", kFitHint);
    fitButton->setFixedWidth(fitButton->fontMetrics().horizontalAdvance(fitButton->text()) + 16);
    return bar;
}

QWidget* LogChartTab::buildLiveBar(QWidget* page) {
    QWidget* bar = chartBar(chart, page->font());
    goToTimeEdit = new QLineEdit(bar);
    goToTimeEdit->setAccessibleName("Go to time");
    goToTimeEdit->setPlaceholderText("Go to time");
    goToTimeEdit->setToolTip(kGoToHint);
    goToTimeEdit->setFixedWidth(goToTimeEdit->fontMetrics().horizontalAdvance("2025-12-31 23:59:59") + 12);
    bar->layout()->addWidget(goToTimeEdit);
    connect(goToTimeEdit, &QLineEdit::returnPressed, this, &LogChartTab::goToTime);
    // Ctrl+G anywhere in the window while the tab shows goes to the box.
    auto* goToKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_G), page);
    goToKey->setContext(Qt::WindowShortcut);
    connect(goToKey, &QShortcut::activated, this, [this] {
        goToTimeEdit->setFocus(Qt::ShortcutFocusReason);
        goToTimeEdit->selectAll();
    });
    // Beside the caption on the right: the left bar reaches the caption already.
    stackedButton = chartButton(bar, "Stacked", "Stacked channels",
                                "Each shown channel in a lane of its own, with its own scale and unit (key S); "
                                "released, the channels share the plot");
    stackedButton->setCheckable(true);
    stackedButton->setFixedWidth(stackedButton->fontMetrics().horizontalAdvance(stackedButton->text()) + 16);
    markButton = chartButton(bar, "Mark", "Place marker",
                             "Place a numbered marker at the newest record (key M), while the log records; "
                             "double-click a marker's label to rename it");
    markButton->setFixedWidth(markButton->fontMetrics().horizontalAdvance(markButton->text()) + 16);
    connect(markButton, &QPushButton::clicked, this, &LogChartTab::markClicked);
    liveButton = chartButton(bar, "Live", "Live",
                             "Follow the newest record (key End); pressed in while the chart follows");
    liveButton->setCheckable(true);
    liveButton->setFixedWidth(liveButton->fontMetrics().horizontalAdvance(liveButton->text()) + 24);
    // Pressed in and green while following: a plain pressed-in button is
    // easy to miss.
    connect(liveButton, &QPushButton::toggled, this, [this](bool on) {
        QPalette pal = liveButton->parentWidget()->palette();
        if (on) {
            pal.setColor(QPalette::Button, QColor(0x2E, 0x7D, 0x32));
            pal.setColor(QPalette::ButtonText, Qt::white);
        }
        liveButton->setPalette(pal);
    });
    liveButton->setChecked(false);  // nothing to follow before live data comes
    return bar;
}

// Green only while the chart follows data that is still coming in: a loaded
// log, a closed port, a silent link or live data the log does not record
// ("Stop") has nothing new to follow, whatever the chart's view.
void LogChartTab::showLive() {
    const kvr::ChartLog& log = core_.chartLog;
    const bool live = chart->following() && log.linkLive() && log.recording() && !log.showingOpenedLog();
    if (liveButton->isChecked() != live) liveButton->setChecked(live);
}

// The chart's own font a pixel smaller, so that even differences across
// whole channel ranges over a full store fit the chart's width.
void LogChartTab::buildReferenceReadout() {
    referenceReadout = new QLabel(kReferenceHint);
    QFont font = chart->font();
    font.setPixelSize(std::max(8, font.pixelSize() - 1));
    referenceReadout->setFont(font);
    referenceReadout->setAccessibleName("Reference cursor read-out");
    chart->setFooterWidget(referenceReadout);
}

// Under the chart, in the read-out line's font; the whole list in its tool tip.
void LogChartTab::buildRangeStatsLine() {
    rangeStatsLine = new QLabel(chart->parentWidget());
    rangeStatsLine->setFont(referenceReadout->font());
    rangeStatsLine->setAccessibleName("Statistics of the records in view");
    rangeStatsLine->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    statsHeight_ = kStatsRows * QFontMetrics(rangeStatsLine->font()).height() + 2;
    statsPause_.setSingleShot(true);
    statsPause_.setInterval(kStatsPauseMs);
    connect(&statsPause_, &QTimer::timeout, this, [this] {
        if (!statsPending_) return;
        statsPending_ = false;
        showRangeStats();
        statsPause_.start();
    });
    connect(chart, &TAbTrend::viewChanged, this, &LogChartTab::rangeStatsDue);
    // Out of sight the line is not worked out; it catches up when shown.
    chart->installEventFilter(this);
}

// The line first: the chart's new size has the line worked out again, at its new width.
void LogChartTab::placeChartAndStats(int width, int height) {
    const int chartHeight = std::max(0, height - belowChartHeight());
    rangeStatsLine->setGeometry(4, kChartTop + chartHeight + kOverviewHeight + 2, std::max(0, width - 8),
                                statsHeight_);
    chart->setGeometry(0, kChartTop, width, chartHeight);
    // After the chart, whose plot it lines up with.
    overviewStrip->setGeometry(0, kChartTop + chartHeight + 1, width, kOverviewHeight);
}

void LogChartTab::connectChartBars() {
    connect(timeZoomInButton, &QPushButton::clicked, this, [this] {
        chart->zoomTimeIn();
        chart->setFocus();
    });
    connect(timeZoomOutButton, &QPushButton::clicked, this, [this] {
        chart->zoomTimeOut();
        chart->setFocus();
    });
    connect(liveButton, &QPushButton::clicked, this, [this] {
        chart->followNewest();
        // Pressing it while following keeps it pressed in (while there is live data).
        showLive();
        chart->setFocus();
    });
    connect(fitButton, &QPushButton::clicked, this, [this] {
        fitWholeLog();
        chart->setFocus();
    });
    connect(chart, &TAbTrend::fitted, this, &LogChartTab::showFit);
    connect(stackedButton, &QPushButton::toggled, this, [this](bool on) {
        chart->setStacked(on);
        chart->setFocus();
    });
    connect(chart, &TAbTrend::stackedChanged, stackedButton, &QPushButton::setChecked);
    connect(chart, &TAbTrend::followingChanged, this, &LogChartTab::showLive);
    connect(chart, &TAbTrend::timeScaleChanged, this, &LogChartTab::showTimeScale);
    connect(chart, &TAbTrend::referenceChanged, this, &LogChartTab::showReference);
    showTimeScale();
}


// The legend boxes show and hide lines; they sit beside the trigger.
void LogChartTab::buildLegend(QWidget* page) {
    legendBox = buildChartLegend(page, legendChecks);
    for (int i = 0; i < 8; ++i) {
        connect(legendChecks[i], &QCheckBox::toggled, this,
                [this, i](bool on) { chart->channel(i + 1).setVisible(on); });
    }
}

void LogChartTab::nameControls() {
    const std::pair<QObject*, const char*> controls[] = {
        {chart, "ABTrend1"},
        {leftScaleChannel, "SpinEdit4"},
        {leftScalePanel, "Panel28"},
        {leftScaleName, "Edit3"},
        {rightScaleChannel, "SpinEdit3"},
        {rightScalePanel, "Panel27"},
        {rightScaleName, "Edit2"},
        {zoomInButton, "Button3"},
        {zoomOutButton, "Button7"},
        {moveBackButton, "Button9"},
        {moveForwardButton, "Button8"},
        {eraseButton, "Button5"},
        {openLogButton, "Button6"},
        {saveLogButton, "SAVELOGFILE"},
        {cursorReadout, "Label5"},
        {timeZoomInButton, "TimeZoomIn"},
        {timeZoomOutButton, "TimeZoomOut"},
        {timeScaleLabel, "TimeScaleLabel"},
        {liveButton, "LiveButton"},
        {referenceReadout, "ReferenceLabel"},
        {markButton, "markButton"},
        {fitButton, "fitButton"},
        {stackedButton, "stackedButton"},
        {goToTimeEdit, "goToTimeEdit"},
        {rangeStatsLine, "rangeStatsLine"},
        {overviewStrip, "overviewStrip"},
        {legendBox, "GroupBox2"},
        {loggingSwitch, "logselectbutton"},
        {throttleThresholdEdit, "SpinEdit1"},
        {rpmThresholdEdit, "SpinEdit2"},
        {loggingLamp, "AbLED2"},
    };
    // The names "Form1"'s controls had, so anything that looks one up by it
    // still finds it; the boxes of arrays by their index.
    for (const auto& [control, name] : controls) control->setObjectName(name);
    for (int i = 0; i < 8; ++i) legendChecks[i]->setObjectName(QString("legend[%1]").arg(i));
    for (int i = 0; i < 4; ++i) loggingSwitchItems[i]->setObjectName(QString("logselectItems[%1]").arg(i));
    // Names for the controls whose text does not say what they are.
    const std::pair<QWidget*, const char*> names[] = {
        {chart, "Log chart"},
        {throttleThresholdEdit, "Log when throttle above"},
        {rpmThresholdEdit, "Log when RPM above"},
        {leftScaleChannel, "Left scale channel"},
        {rightScaleChannel, "Right scale channel"},
        {rightScaleName, "Right scale channel name"},
        {leftScaleName, "Left scale channel name"},
        {zoomInButton, "Zoom in"},
        {zoomOutButton, "Zoom out"},
        {moveBackButton, "Move back"},
        {moveForwardButton, "Move forward"},
        {loggingLamp, "Logging"},
        {cursorReadout, "Cursor values"},
    };
    for (const auto& [widget, name] : names) widget->setAccessibleName(name);
}

void LogChartTab::colourScalePanels() {
    chart->setAbsScaleCh(rightScaleChannel->value());
    colourScalePanel(rightScalePanel, rightScaleChannel->value());
    colourScalePanel(leftScalePanel, leftScaleChannel->value());
    showChannelRanges();
}

void LogChartTab::clearCursorValues() {
    cursorHasRead_ = false;
    cursorReadout->setText(kCursorHint);
}

void LogChartTab::showCursorValues() {
    const kvr::TVAtCursor& v = chart->ValueAtCursor();
    // Off the records (past the newest, or an empty log) there is nothing to
    // read out: old values would pass for the record under the mouse.
    if (!chart->recorder().cursorShown() || chart->store().empty()) {
        clearCursorValues();
        showReference();
        return;
    }
    const float values[8] = {v.ValueCh1, v.ValueCh2, v.ValueCh3, v.ValueCh4,
                             v.ValueCh5, v.ValueCh6, v.ValueCh7, v.ValueCh8};
    // Until the cursor has read a record there is no time to show (its
    // zero stamp is no separator's).
    cursorHasRead_ = cursorHasRead_ || v.DataValid || v.RecordNo > 0 || v.Time != 0;
    const kvr::ReadoutUnits units = core_.chartLog.readoutUnits();
    cursorReadout->setText(QString::fromStdString(cursorHasRead_ ? kvr::cursorReadout(values, v.Time, units)
                                                                 : kvr::cursorReadout(values, units)));
    showReference();
}

void LogChartTab::showReference() {
    const kvr::TrendRecorder& r = chart->recorder();
    if (!r.hasReference()) {
        referenceReadout->setText(kReferenceHint);
        referenceReadout->setToolTip(QString());
        return;
    }
    const kvr::TVAtCursor ref = r.referenceValues();
    const kvr::TVAtCursor& cur = chart->ValueAtCursor();
    float refValues[8], curValues[8];
    for (int n = 1; n <= 8; ++n) {
        refValues[n - 1] = ref.valueCh(n);
        curValues[n - 1] = cur.valueCh(n);
    }
    const QString line =
        QString::fromStdString(kvr::referenceReadout(curValues, cur.Time, refValues, ref.Time));
    // Values far off their scales (digits below a channel's foot) can make
    // the line longer than the chart is wide: it is cut with "..." then,
    // and the whole of it is the label's tool tip.
    const QFontMetrics fm(referenceReadout->font());
    const bool fits = fm.horizontalAdvance(line) <= referenceReadout->width();
    referenceReadout->setText(fits ? line : fm.elidedText(line, Qt::ElideRight, referenceReadout->width()));
    referenceReadout->setToolTip(fits ? QString() : line);
}

void LogChartTab::showTimeScale() {
    timeScaleLabel->setText(QString::fromStdString(chart->recorder().timeScale().text()));
}

void LogChartTab::fitWholeLog() { chart->fitWholeLog(); }

// The hint says when the log is too long to fit even at the widest zoom.
void LogChartTab::showFit(bool whole) {
    const QString tip = whole ? QString(kFitHint)
                              : QStringLiteral("The log is too long to fit the chart: showing it from its oldest "
                                               "record at the widest zoom, %1")
                                    .arg(QString::fromStdString(chart->recorder().timeScale().text()));
    fitButton->setToolTip(tip);
    if (!whole) cursorReadout->setText(tip);
}

// The record at or after the time typed, in the middle of the chart; what
// went wrong, or which day was taken, in the box's hint and the read-out line.
void LogChartTab::goToTime() {
    const std::string text = goToTimeEdit->text().toStdString();
    const std::optional<kvr::TimeEntry> entry = kvr::parseTimeEntry(text);
    QString note;
    if (!entry) {
        note = QStringLiteral("\"%1\" is no time: type HH:MM[:SS], YYYY-MM-DD HH:MM[:SS], +1:30:00, +90s or +5m")
                   .arg(goToTimeEdit->text());
    } else {
        const kvr::TimeEntryMatch match = kvr::findTimeEntry(core_.chartLog.store(), *entry);
        note = QString::fromStdString(match.message);
        if (match.record >= 0) {
            chart->showRecord(match.record);
            chart->setFocus();
        }
    }
    goToTimeEdit->setToolTip(note.isEmpty() ? QString(kGoToHint) : note + "\n\n" + kGoToHint);
    if (!note.isEmpty()) cursorReadout->setText(note);
}

LogChartTab::~LogChartTab() {
    core_.chartLog.onStoreChanged = nullptr;
    core_.chartLog.onRecordingChanged = nullptr;
    core_.chartLog.onMarkersChanged = nullptr;
    followRecording(false);
}

void LogChartTab::followRecording(bool on) {
    if (on == onClock_) return;
    onClock_ = on;
    if (on) {
        TAbFlashTimer::instance().registerClient(this, kvr::ChartLog::kSampleIntervalMs,
                                                 [this](uint32_t) { core_.chartLog.takeSample(); });
    } else if (TAbFlashTimer* clock = TAbFlashTimer::existing()) {
        // At shutdown the clock may be gone already; no new one is made.
        clock->unregisterClient(this);
    }
}

void LogChartTab::apply() {
    kvr::ChartLog& log = core_.chartLog;
    kvr::replayRangeRequests(chart->recorder(), log.rangeRequests);
    QRadioButton* chosen = loggingSwitchItems[log.rules.loggingSwitch];
    if (!chosen->isChecked()) {
        const QSignalBlocker quiet(chosen);
        chosen->setChecked(true);
    }
    loggingLamp->setLit(log.rules.on && log.recording());
    showLive();
    showChannelRanges();
}

// Overlaid, the channels share two scales: each legend box and the read-out
// say the range the channel is drawn on.
void LogChartTab::showChannelRanges() {
    const kvr::ReadoutUnits units = core_.chartLog.readoutUnits();
    QStringList lines;
    for (int n = 1; n <= 8; ++n) {
        const kvr::TChSettings& ch = chart->channel(n);
        const std::string name = legendChecks[n - 1]->text().toStdString();
        QString range = QString::fromStdString(
            kvr::channelRangeText(name, ch.ValueFrom(), ch.ValueTo(), units[static_cast<std::size_t>(n - 1)]));
        if (n == rightScaleChannel->value()) range += " (right scale)";
        if (n == leftScaleChannel->value()) range += " (left scale)";
        if (legendChecks[n - 1]->toolTip() != range) legendChecks[n - 1]->setToolTip(range);
        lines << range;
    }
    const QString tip = "Each channel drawn from the bottom to the top of the plot:\n" + lines.join('\n') +
                        "\n\"Stacked\" (key S) gives each shown channel a lane and a scale of its own.";
    if (cursorReadout->toolTip() != tip) cursorReadout->setToolTip(tip);
}

void LogChartTab::fitToWindow(const kvr::ResizeLayout& r) {
    placeChartAndStats(r.logChartWidth.value_or(chart->width()),
                       r.logChartHeight.value_or(chart->height() + belowChartHeight()));
    if (r.panel27Left) rightScalePanel->move(*r.panel27Left, rightScalePanel->y());
    if (r.spinEdit3Left) rightScaleChannel->move(*r.spinEdit3Left, rightScaleChannel->y());
    if (r.label5Top) cursorReadout->move(cursorReadout->x(), *r.label5Top);
}

// "1 Mark 1": the marker's number and its text; a gap's marker drawn apart.
void LogChartTab::showMarkers() {
    std::vector<kvr::TrendMarker> shown;
    for (const kvr::ChartMarker& m : core_.chartLog.markers()) {
        shown.push_back({m.record, std::to_string(m.number + 1) + " " + m.text,
                         m.gap ? kvr::TrendMarkerKind::Gap : kvr::TrendMarkerKind::User});
    }
    chart->setMarkers(std::move(shown));
}

int LogChartTab::belowChartHeight() const { return 1 + kOverviewHeight + 1 + statsHeight_; }

std::optional<std::pair<double, double>> LogChartTab::visibleSampleTimes() const {
    const kvr::RecordSpan span = chart->visibleRecords();
    const kvr::TrendStore& store = core_.chartLog.store();
    int first = span.first, last = span.last;
    // Separators carry no time of their own.
    while (first <= last && store.at(first).isSeparator()) ++first;
    while (last >= first && store.at(last).isSeparator()) --last;
    if (first > last) return std::nullopt;
    return std::make_pair(store.at(first).time, store.at(last).time);
}

void LogChartTab::rangeStatsDue() {
    if (statsPause_.isActive()) {
        statsPending_ = true;
        return;
    }
    showRangeStats();
    statsPause_.start();
}

void LogChartTab::showRangeStats() {
    if (!chart->isVisible()) {
        statsStale_ = true;
        return;
    }
    statsStale_ = false;
    const kvr::RecordSpan span = chart->visibleRecords();
    kvr::TSignalSettings channels[8];
    core_.chartLog.copyChannels(channels);
    const auto stats = kvr::rangeStats(core_.chartLog.store(), span.first, span.last, channels);
    QStringList parts;
    for (int n = 1; n <= 8; ++n) {
        if (!chart->channel(n).Visible()) continue;
        parts << QString::fromStdString(kvr::rangeStatsText(stats[static_cast<size_t>(n - 1)], channels[n - 1]));
    }
    const int samples = stats[0].samples;
    QString text;
    if (samples == 0) {
        text = QStringLiteral("No records in view");
    } else if (parts.isEmpty()) {
        text = QStringLiteral("No channel shown: tick one in the legend");
    } else {
        text = linesOf(parts, rangeStatsLine->fontMetrics(), rangeStatsLine->width(), kStatsRows);
    }
    if (rangeStatsLine->text() != text) rangeStatsLine->setText(text);
    const QString tip = samples == 0 ? QString()
                                     : QStringLiteral("%1 records in view:\n").arg(samples) + parts.join('\n');
    if (rangeStatsLine->toolTip() != tip) rangeStatsLine->setToolTip(tip);
}

bool LogChartTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched == chart && event->type() == QEvent::Show && statsStale_) showRangeStats();
    return QObject::eventFilter(watched, event);
}
