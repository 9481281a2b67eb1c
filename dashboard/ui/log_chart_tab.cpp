#include "dashboard/ui/log_chart_tab.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QStyle>
#include <QTimer>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <algorithm>

#include "dashboard/dashboard_core.h"
#include "dashboard/logging/chart_view_channels.h"
#include "dashboard/logging/cursor_readout.h"
#include "widgets/ab_led.h"
#include "widgets/ab_trend.h"
#include "widgets/recording_clock.h"

namespace {

// Line colours of channels 1..8.
constexpr uint32_t kLineColours[8] = {0xFF0000, 0x00FF00, 0xFFFFFF, 0x00FFFF, 0x808080, 0x0000FF, 0xFFFF00, 0x800080};
// Scale panel colours by channel: as the lines, but silver for throttle.
constexpr uint32_t kPanelColours[8] = {0xFF0000, 0x00FF00, 0xFFFFFF, 0x00FFFF, 0xC0C0C0, 0x0000FF, 0xFFFF00, 0x800080};

struct Legend {
    const char* caption;
    uint32_t box;
};

QColor rgb(uint32_t c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

// Dark text on light colours, white on dark ones (by perceived brightness).
QColor readableOn(uint32_t c) {
    const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    return (299 * r + 587 * g + 114 * b) / 1000 >= 140 ? QColor(Qt::black) : QColor(Qt::white);
}

void colourPanel(QLabel* panel, uint32_t c) {
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, rgb(c));
    pal.setColor(QPalette::WindowText, readableOn(c));
    panel->setPalette(pal);
}

QPushButton* button(QWidget* parent, const QString& text, int x, int y, int w) {
    auto* b = new QPushButton(text, parent);
    b->setGeometry(x, y, w, 22);
    return b;
}

const char* const kReferenceHint = "Click the chart to set a reference cursor; right-click or Esc drops it.";

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
    // Row 1: the logging trigger and its thresholds, the lamp, the files.
    logselectbutton = new QGroupBox("Log Chart Enable", page);
    logselectbutton->setGeometry(4, 0, 300, 40);
    const char* items[] = {"Stop", "Go", "TP >", "RPM >"};
    for (int i = 0; i < 4; ++i) {
        logselectItems[i] = new QRadioButton(items[i], logselectbutton);
        logselectItems[i]->setGeometry(8 + i * 72, 17, 70, 20);
        connect(logselectItems[i], &QRadioButton::toggled, this, [this, i](bool on) {
            // Kept where it was when the user would not drop a shown log.
            if (on && !core_.setLoggingSwitch(i)) QTimer::singleShot(0, this, [this] { apply(); });
        });
    }
    logselectItems[0]->setChecked(true);
    auto spin = [&](int min, int max, int value, int x, int y, int w) {
        auto* s = new QSpinBox(page);
        s->setRange(min, max);
        s->setValue(value);
        s->setGeometry(x, y, w, 22);
        return s;
    };
    auto text = [&](const QString& t, int x, int y) {
        auto* l = new QLabel(t, page);
        l->move(x, y);
        l->adjustSize();
        return l;
    };
    text("TP >", 310, 2);
    SpinEdit1 = spin(0, 63, 20, 310, 17, 52);
    text("RPM >", 366, 2);
    SpinEdit2 = spin(10, 24000, 3000, 366, 17, 70);
    text("LOGGING", 610, 48);
    AbLED2 = new TAbLED(page, 16, Qt::red);
    AbLED2->move(668, 47);
    Button6 = button(page, "Open Log File", 398, 44, 100);
    SAVELOGFILE = button(page, "Save Log File", 502, 44, 100);
    SAVELOGFILE->setToolTip("Save LogChart and also Saves KVR values.");
    connect(SpinEdit1, &QSpinBox::valueChanged, this, [this](int v) { core_.chartLog.rules.throttleThreshold = v; });
    connect(SpinEdit2, &QSpinBox::valueChanged, this, [this](int v) { core_.chartLog.rules.rpmThreshold = v; });
    connect(Button6, &QPushButton::clicked, this, &LogChartTab::openClicked);
    connect(SAVELOGFILE, &QPushButton::clicked, this, &LogChartTab::saveClicked);

    // Row 2: scale channels, zoom, move, erase.
    SpinEdit4 = spin(1, 8, 1, 4, 44, 40);
    Panel28 = new QLabel("<Left Scale CH", page);
    Panel28->setGeometry(48, 44, 100, 22);
    Panel28->setAutoFillBackground(true);
    Panel28->setAlignment(Qt::AlignCenter);
    QFont panelFont = Panel28->font();
    panelFont.setPixelSize(10);  // "Right Scale CH>" whole in its 94 pixels
    Panel28->setFont(panelFont);
    Edit3 = new QLineEdit(page);
    Edit3->hide();  // the panel's caption carries its text
    Edit3->setReadOnly(true);
    Button3 = button(page, "+", 156, 44, 26);
    Button7 = button(page, "-", 184, 44, 26);
    Button3->setToolTip("Y Zoom in/out");
    Button7->setToolTip("Y Zoom in/out");
    Button9 = button(page, "<<", 216, 44, 30);
    Button9->setToolTip("Move X: click once then hold enter key to rapid scroll");
    Button8 = button(page, ">>", 248, 44, 30);
    Button8->setToolTip("Move X");
    Button5 = button(page, "Erase Log Chart", 284, 44, 110);
    Panel27 = new QLabel("Right Scale CH>", page);
    Panel27->setGeometry(870 - 137, 44, 94, 22);
    Panel27->setAutoFillBackground(true);
    Panel27->setAlignment(Qt::AlignCenter);
    Panel27->setFont(panelFont);
    Edit2 = new QLineEdit(page);
    Edit2->hide();
    Edit2->setReadOnly(true);
    SpinEdit3 = spin(1, 8, 2, 870 - 42, 44, 40);
    connect(Button3, &QPushButton::clicked, this, [this] { ABTrend1->ZoomYIn(); });
    connect(Button7, &QPushButton::clicked, this, [this] { ABTrend1->ZoomYOut(); });
    // 100 records at one record per column; 100 columns' worth at other time zooms.
    connect(Button9, &QPushButton::clicked, this, [this] { ABTrend1->moveByColumns(-100); });
    connect(Button8, &QPushButton::clicked, this, [this] { ABTrend1->moveByColumns(100); });
    connect(Button5, &QPushButton::clicked, this, &LogChartTab::eraseClicked);
    connect(SpinEdit3, &QSpinBox::valueChanged, this, [this] { GOSUB_LOGCHART_COLORS(); });
    connect(SpinEdit4, &QSpinBox::valueChanged, this, [this](int ch) {
        ABTrend1->setLeftScaleCh(ch);
        GOSUB_LOGCHART_COLORS();
    });

    // The chart, with the program's settings.
    ABTrend1 = new TAbTrend(page);
    ABTrend1->setGeometry(0, 76, 870, 373);
    ABTrend1->setToolTip("LogChart");
    ABTrend1->setAccessibleName("Log Chart");
    ABTrend1->setAccessibleDescription(
        "Left and Right move, + and - zoom the time axis, Home shows the oldest record, End follows the newest; "
        "a click sets the reference cursor, Esc drops it");
    kvr::TrendRecorder& r = ABTrend1->recorder();
    for (int n = 1; n <= 8; ++n) {
        kvr::TChSettings& c = ABTrend1->channel(n);
        kvr::designChartChannel(c, n);
        c.setColor(kLineColours[n - 1]);
    }
    ABTrend1->setCaption("Log Chart");
    QFont caption("Arial");
    caption.setPixelSize(21);
    caption.setItalic(true);
    caption.setUnderline(true);
    ABTrend1->setCaptionFont(caption);
    QFont body("Arial");
    body.setPixelSize(11);
    ABTrend1->setFont(body);
    r.setLimitUpper(kvr::TTrendLimit{100, 0x800000, true, true});
    r.setLimitLower(kvr::TTrendLimit{10, 0x800000, false, false});
    r.setLeftScaleCh(1);
    r.setCursorLine(true);
    ABTrend1->setCursorLinePenMode(TPenMode::pmNotMask);
    ABTrend1->setColorGrid(QColor(0x80, 0x80, 0x80));
    ABTrend1->setColorTime(QColor(0xC0, 0xC0, 0xC0));
    ABTrend1->setColorSeparator(QColor(0xC0, 0xC0, 0xC0));
    r.setFillChannelNo(0);
    r.setFlow(true);
    r.setGridXPixel(75);
    r.setInterval(100);
    r.setInterval2(100);
    r.setOptions(kvr::opCaption | kvr::opGrid | kvr::opCursorOnRec | kvr::opSeparator | kvr::opTime |
                 kvr::opLeftScale | kvr::opRightScale);
    r.setStartRecording(false);
    // The chart shows the chart log's store; the log samples, marks gaps
    // and keeps every record, and says when it changed.
    ABTrend1->viewStore(core_.chartLog.store());
    core_.chartLog.onStoreChanged = [this](kvr::StoreChange change) { ABTrend1->storeChanged(change); };
    core_.chartLog.onRecordingChanged = [this](bool on) { followRecording(on); };
    connect(ABTrend1, &TAbTrend::newCursorPos, this, &LogChartTab::ABTrend1NewCursorPos);

    Label5 = new QLabel("Log data, move mouse over Log Chart", page);
    Label5->setGeometry(4, 76 + 373 + 4, 860, 18);

    // The time zoom on the left of the caption, "Live" on its right, in the
    // window's font like the other buttons.
    QWidget* zoomBar = chartBar(ABTrend1, page->font());
    auto* zoomCaption = new QLabel("Time zoom", zoomBar);
    zoomBar->layout()->addWidget(zoomCaption);
    TimeZoomIn = chartButton(zoomBar, "+", "Time zoom in",
                             "Time zoom in: fewer records per pixel (key +, or Ctrl and the mouse wheel)");
    TimeZoomOut = chartButton(zoomBar, "-", "Time zoom out",
                              "Time zoom out: more records per pixel, each column from its lowest to its "
                              "highest value (key -, or Ctrl and the mouse wheel)");
    TimeScaleLabel = new QLabel(zoomBar);
    TimeScaleLabel->setAccessibleName("Time scale");
    // Wide enough for the longest scale, so the bar keeps its size.
    int widest = 0;
    for (int level = 0; level < kvr::timeScaleLevels(); ++level) {
        widest = std::max(widest, TimeScaleLabel->fontMetrics().horizontalAdvance(
                                      QString::fromStdString(kvr::timeScaleAt(level).text())));
    }
    TimeScaleLabel->setMinimumWidth(widest + 4);
    zoomBar->layout()->addWidget(TimeScaleLabel);
    for (QPushButton* b : {TimeZoomIn, TimeZoomOut}) b->setFixedWidth(b->sizeHint().height() + 4);

    QWidget* liveBar = chartBar(ABTrend1, page->font());
    LiveButton = chartButton(liveBar, "Live", "Live",
                             "Follow the newest record (key End); pressed in while the chart follows");
    LiveButton->setCheckable(true);
    // Pressed in and green while following: a plain pressed-in button is
    // easy to miss.
    connect(LiveButton, &QPushButton::toggled, this, [this](bool on) {
        QPalette pal = LiveButton->parentWidget()->palette();
        if (on) {
            pal.setColor(QPalette::Button, QColor(0x2E, 0x7D, 0x32));
            pal.setColor(QPalette::ButtonText, Qt::white);
        }
        LiveButton->setPalette(pal);
    });
    LiveButton->setChecked(ABTrend1->following());
    ABTrend1->setHeaderWidgets(zoomBar, liveBar);

    // The chart's own font a pixel smaller, so that even differences across
    // whole channel ranges over a full store fit the chart's width.
    ReferenceLabel = new QLabel(kReferenceHint);
    QFont referenceFont = ABTrend1->font();
    referenceFont.setPixelSize(std::max(8, referenceFont.pixelSize() - 1));
    ReferenceLabel->setFont(referenceFont);
    ReferenceLabel->setAccessibleName("Reference cursor read-out");
    ABTrend1->setFooterWidget(ReferenceLabel);

    connect(TimeZoomIn, &QPushButton::clicked, this, [this] {
        ABTrend1->zoomTimeIn();
        ABTrend1->setFocus();
    });
    connect(TimeZoomOut, &QPushButton::clicked, this, [this] {
        ABTrend1->zoomTimeOut();
        ABTrend1->setFocus();
    });
    connect(LiveButton, &QPushButton::clicked, this, [this] {
        ABTrend1->followNewest();
        // Pressing it while following keeps it pressed in.
        LiveButton->setChecked(ABTrend1->following());
        ABTrend1->setFocus();
    });
    connect(ABTrend1, &TAbTrend::followingChanged, LiveButton, &QPushButton::setChecked);
    connect(ABTrend1, &TAbTrend::timeScaleChanged, this, &LogChartTab::showTimeScale);
    connect(ABTrend1, &TAbTrend::referenceChanged, this, &LogChartTab::showReference);
    showTimeScale();

    // The legend boxes show and hide lines; they sit beside the trigger.
    GroupBox2 = new QGroupBox("Legend, Show/Hide", page);
    GroupBox2->setGeometry(442, 0, 424, 42);
    QFont small = GroupBox2->font();
    small.setPixelSize(10);
    const Legend legends[8] = {
        {"RPM", 0xFF0000},
        {"Air/Fuel Ratio", 0x00FF00},
        {"Map", 0xFFFFFF},
        {"Ignition Timing", 0x00FFFF},
        {"Throttle Position", 0x808080},
        {"AIR TEMP", 0x0000FF},
        {"Knock", 0xFFFF00},
        {"Injector Duty Cyc", 0x800080},
    };
    // Four columns, each as wide as its longer caption needs; what is left of
    // the box is shared out evenly.
    const QFontMetrics fm(small);
    const int indicator = GroupBox2->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, GroupBox2) +
                          GroupBox2->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, GroupBox2) + 6;
    int columnWidth[4] = {};
    for (int i = 0; i < 8; ++i)
        columnWidth[i % 4] = std::max(columnWidth[i % 4], fm.horizontalAdvance(legends[i].caption) + indicator);
    const int inner = GroupBox2->width() - 8;
    const int spare = std::max(0, inner - (columnWidth[0] + columnWidth[1] + columnWidth[2] + columnWidth[3])) / 4;
    for (int i = 0; i < 8; ++i) {
        int x = 4;
        for (int c = 0; c < i % 4; ++c) x += columnWidth[c] + spare;
        legend[i] = new QCheckBox(legends[i].caption, GroupBox2);
        legend[i]->setFont(small);
        legend[i]->setGeometry(x, 12 + (i / 4) * 15, columnWidth[i % 4] + spare - 2, 14);
        legend[i]->setChecked(true);
        legend[i]->setStyleSheet(QString("QCheckBox { background-color: %1; color: %2; }")
                                     .arg(rgb(legends[i].box).name(), readableOn(legends[i].box).name()));
        connect(legend[i], &QCheckBox::toggled, this, [this, i](bool on) { ABTrend1->channel(i + 1).setVisible(on); });
    }
    GOSUB_LOGCHART_COLORS();
}

void LogChartTab::GOSUB_LOGCHART_COLORS() {
    ABTrend1->setAbsScaleCh(SpinEdit3->value());
    colourPanel(Panel27, kPanelColours[SpinEdit3->value() - 1]);
    colourPanel(Panel28, kPanelColours[SpinEdit4->value() - 1]);
}

void LogChartTab::ABTrend1NewCursorPos() {
    const kvr::TVAtCursor& v = ABTrend1->ValueAtCursor();
    const float values[8] = {v.ValueCh1, v.ValueCh2, v.ValueCh3, v.ValueCh4,
                             v.ValueCh5, v.ValueCh6, v.ValueCh7, v.ValueCh8};
    // Until the cursor has read a record there is no time to show (its
    // zero stamp is no separator's).
    cursorHasRead_ = cursorHasRead_ || v.DataValid || v.RecordNo > 0 || v.Time != 0;
    Label5->setText(QString::fromStdString(cursorHasRead_ ? kvr::cursorReadout(values, v.Time)
                                                          : kvr::cursorReadout(values)));
    showReference();
}

void LogChartTab::showReference() {
    const kvr::TrendRecorder& r = ABTrend1->recorder();
    if (!r.hasReference()) {
        ReferenceLabel->setText(kReferenceHint);
        ReferenceLabel->setToolTip(QString());
        return;
    }
    const kvr::TVAtCursor ref = r.referenceValues();
    const kvr::TVAtCursor& cur = ABTrend1->ValueAtCursor();
    float refValues[8], curValues[8];
    for (int n = 1; n <= 8; ++n) {
        refValues[n - 1] = ref.valueCh(n);
        curValues[n - 1] = cur.valueCh(n);
    }
    const QString line = QString::fromStdString(kvr::referenceReadout(curValues, cur.Time, refValues, ref.Time));
    // Values far off their scales (digits below a channel's foot) can make
    // the line longer than the chart is wide: it is cut with "..." then,
    // and the whole of it is the label's tool tip.
    const QFontMetrics fm(ReferenceLabel->font());
    const bool fits = fm.horizontalAdvance(line) <= ReferenceLabel->width();
    ReferenceLabel->setText(fits ? line : fm.elidedText(line, Qt::ElideRight, ReferenceLabel->width()));
    ReferenceLabel->setToolTip(fits ? QString() : line);
}

void LogChartTab::showTimeScale() {
    TimeScaleLabel->setText(QString::fromStdString(ABTrend1->recorder().timeScale().text()));
}

LogChartTab::~LogChartTab() {
    core_.chartLog.onStoreChanged = nullptr;
    core_.chartLog.onRecordingChanged = nullptr;
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
    kvr::replayRangeRequests(ABTrend1->recorder(), log.rangeRequests);
    QRadioButton* chosen = logselectItems[log.rules.loggingSwitch];
    if (!chosen->isChecked()) {
        const QSignalBlocker quiet(chosen);
        chosen->setChecked(true);
    }
    AbLED2->setLit(log.rules.on && log.recording());
}

