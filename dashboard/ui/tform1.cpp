#include "dashboard/ui/tform1.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QFile>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QStatusBar>
#include <QTextCursor>
#include <QTabWidget>
#include <QTableWidget>

#include "dashboard/logging/log_files.h"
#include "dashboard/ui/dialogs.h"
#include "dashboard/ui/gauges_page.h"
#include "dashboard/values/asm_listing.h"
#include "dashboard/values/ui/report_output.h"
#include "dashboard/logging/recovery_logs.h"
#include "dashboard/ui/log_chart_tab.h"
#include "dashboard/ui/stale_overlay.h"
#include "dashboard/display/window_layout.h"
#include "widgets/ab270_meter.h"
#include "widgets/ab_led.h"
#include "widgets/ab_trend.h"
#include "widgets/gauge.h"

namespace {

QString latin1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<int>(s.size())); }

constexpr int kNotesMaxLength = 600;

QLabel* label(QWidget* parent, const QString& text, int x, int y) {
    auto* l = new QLabel(text, parent);
    l->move(x, y);
    l->adjustSize();
    return l;
}

QPushButton* button(QWidget* parent, const QString& text, int x, int y, int w, int h = 25) {
    auto* b = new QPushButton(text, parent);
    b->setGeometry(x, y, w, h);
    return b;
}

QSpinBox* spinEdit(QWidget* parent, int min, int max, int value, int x, int y, int w) {
    auto* s = new QSpinBox(parent);
    s->setRange(min, max);
    s->setValue(value);
    s->setGeometry(x, y, w, 24);
    return s;
}

}  // namespace

TForm1::TForm1(kvr::SerialPort& port, Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), core_(port), dialogs_(dialogs) {
    setWindowTitle("KVR Dashboard");
    auto* central = new QWidget(this);
    setCentralWidget(central);
    buildMenu();
    buildTopBar(central);

    PageControl1 = new QTabWidget(central);
    PageControl1->setGeometry(8, 62, kvr::kDesignWidth - 30, kvr::kDesignHeight - 135);
    gaugesPage_ = new GaugesPage;
    TabGauges = gaugesPage_;
    TabLogChart = new QWidget;
    TabLogText = new QWidget;
    TabFuel = new QWidget;
    TabIgnition = new QWidget;
    TabOptions = new QWidget;
    TabAirTemp = new QWidget;
    TabNotes = new QWidget;
    TabUtilities = new QWidget;
    PageControl1->addTab(TabGauges, "Gauges");
    PageControl1->addTab(TabLogChart, "Log Chart");
    PageControl1->addTab(TabLogText, "Log Text");
    PageControl1->addTab(TabFuel, "Fuel");
    PageControl1->addTab(TabIgnition, "Ignition");
    PageControl1->addTab(TabOptions, "Options");
    PageControl1->addTab(TabAirTemp, "Air Temp");
    PageControl1->addTab(TabNotes, "Notes");
    PageControl1->addTab(TabUtilities, "Utilities");
    PageControl1->setCurrentWidget(TabGauges);
    buildGaugesTab();
    logChart = new LogChartTab(TabLogChart, core_);
    logselectbutton = logChart->logselectbutton;
    for (int i = 0; i < 4; ++i) logselectItems[i] = logChart->logselectItems[i];
    SpinEdit1 = logChart->SpinEdit1;
    SpinEdit2 = logChart->SpinEdit2;
    AbLED2 = logChart->AbLED2;
    connect(logChart, &LogChartTab::openClicked, this, &TForm1::LOAD_LOGFILE);
    connect(logChart, &LogChartTab::saveClicked, this, &TForm1::SAVE_LOGFILE);
    connect(logChart, &LogChartTab::eraseClicked, this, [this] { handle([this] { core_.eraseLog(); }); });
    buildLogTextTab();
    buildNotesAndUtilities();
    sheetGrids.build(TabFuel, TabIgnition, TabOptions, TabAirTemp);
    core_.prompts = &prompts_;
    core_.session.onValuesRequested = [this] { sheetGrids.grid(23)->item(0, 0)->setText(QString()); };

    Timer1.setInterval(500);
    Timer1.stop();
    connect(&Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);

    linkStatus = new QLabel(this);
    linkStatus->setAccessibleName("Link status");
    statusBar()->addWidget(linkStatus, 1);
    staleOverlay = new StaleOverlay(TabGauges);
    core_.chartLog.recoveryDirectory = kvr::defaultRecoveryDirectory();
    linkWatch_.setInterval(250);
    connect(&linkWatch_, &QTimer::timeout, this, &TForm1::refreshLinkView);
    linkWatch_.start();
    staleTimer_.setSingleShot(true);
    connect(&staleTimer_, &QTimer::timeout, this, &TForm1::refreshLinkView);

    nameControls();
    // Below the design size the fixed-position tabs would overlap their controls.
    setMinimumSize(kvr::kDesignWidth, kvr::kDesignHeight);
    resize(kvr::kDesignWidth, kvr::kDesignHeight);
    // Start-up: the window sits at the screen's top-left corner.
    move(0, 0);
    core_.session.dataIntervalText = std::to_string(SpinEdit5->value());
    handle([this] { core_.start(); });
    setWindowTitle(latin1(core_.windowTitle));
    // Once the window is up: a log that a crashed run left behind is offered.
    QTimer::singleShot(0, this, [this] { handle([this] { core_.offerRecoveredLogs(); }); });
}

TForm1::~TForm1() = default;

namespace {
QString fromFileName(const std::string& name) { return QFile::decodeName(QByteArray::fromStdString(name)); }
std::string toFileName(const QString& name) { return QFile::encodeName(name).toStdString(); }
}  // namespace

std::optional<std::string> TForm1::Prompts::saveFileName(const std::string& proposed, const std::string& ext) {
    const auto name = form_.dialogs_.saveFileName(&form_, fromFileName(proposed), QString::fromStdString(ext), {});
    if (!name) return std::nullopt;
    return toFileName(*name);
}

std::optional<std::string> TForm1::Prompts::openFileName(const std::string& preset) {
    const auto name = form_.dialogs_.openFileName(&form_, QString::fromStdString(preset));
    if (!name) return std::nullopt;
    return toFileName(*name);
}

void TForm1::Prompts::information(const std::string& text) {
    form_.applyOutputs();  // the log lines that lead up to the box come first
    form_.dialogs_.information(&form_, latin1(text));
}

int TForm1::Prompts::choose(const std::string& text, const std::vector<std::string>& buttons) {
    form_.applyOutputs();
    QStringList captions;
    for (const auto& b : buttons) captions << QString::fromStdString(b);
    return form_.dialogs_.choose(&form_, QString::fromStdString(text),
                                 captions);
}

void TForm1::SAVE_LOGFILE() {
    collectSaveInputs();
    handle([this] { core_.saveLog(); });
}

void TForm1::collectSaveInputs() {
    core_.in.title = Edit4->text().toStdString();
    core_.in.notes.clear();
    const QString notes = Memo2->toPlainText();
    if (!notes.isEmpty()) {
        for (const QString& line : notes.split('\n')) core_.in.notes.push_back(line.toLatin1().toStdString());
    }
}

void TForm1::LOAD_LOGFILE() {
    collectSaveInputs();  // the question before replacing the chart may save it
    handle([this] { core_.openLog(); });
}

void TForm1::PRINT_KVR_VALUES() {
    QPrinter printer(QPrinter::HighResolution);
    if (!dialogs_.print(this, printer)) return;  // cancelled: no job begins
    const kvr::ReportOutcome o = kvr::printValuesReport(
        printer, kvr::ReportSource{core_.sheets.sheets(), core_.sheets.info(), Edit4->text().toStdString()});
    for (const auto& line : o.memoLines) core_.memo(line);
    applyOutputs();
    if (!o.printed) dialogs_.information(this, "Printing failed: " + QString::fromStdString(o.error));
}

void TForm1::ValuestoASMfile1Click() {
    const kvr::AsmListing listing =
        kvr::buildAsmListing(core_.session.valuesText, core_.sheets.separators(), kvr::localNow());
    Memo3->clear();
    QStringList lines;
    for (const auto& line : listing.lines) lines << latin1(line);
    Memo3->setPlainText(lines.join('\n'));
    if (!listing.complete()) {
        core_.memo(listing.failure);
        applyOutputs();
        return;
    }
    const auto name = dialogs_.saveFileName(this, QString(), kvr::kAsmDefaultSuffix, kvr::kAsmFileFilter);
    if (!name) return;
    std::string error;
    if (!kvr::writeFileReplacing(toFileName(*name), kvr::asmFileText(listing.lines), error)) {
        dialogs_.information(this, "Problem saving file.\n" + latin1(error));
    }
}

void TForm1::Timer1Timer() {
    handle([this] { core_.session.tick(); });
}

void TForm1::buildMenu() {
    QMenu* file = menuBar()->addMenu("&File");
    OpenLogFile1 = file->addAction("&Open Log File");
    SaveLogFile1 = file->addAction("&Save Log File");
    PrintValues1 = file->addAction("Print KVR ecu Values");
    SaveAsm1 = file->addAction("Save to &ASM file");
    Exite1 = file->addAction("E&xit");
    OpenLogFile1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    SaveLogFile1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    PrintValues1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    Exite1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    QMenu* comPort = menuBar()->addMenu("&ComPort");
    Rescancomports1 = comPort->addAction("Rescan Com ports");
    QMenu* view = menuBar()->addMenu("&View");
    FullScreenGauges1 = view->addAction("&Full Screen Gauges");
    FullScreenGauges1->setCheckable(true);
    FullScreenGauges1->setShortcut(QKeySequence(Qt::Key_F11));
    connect(FullScreenGauges1, &QAction::toggled, this, &TForm1::setGaugesFullScreen);
    // The window holds the actions too, so their keys work while the menu bar
    // is hidden in the full-screen view.
    addActions({OpenLogFile1, SaveLogFile1, PrintValues1, Exite1, FullScreenGauges1});
    connect(SaveLogFile1, &QAction::triggered, this, &TForm1::SAVE_LOGFILE);
    connect(PrintValues1, &QAction::triggered, this, &TForm1::PRINT_KVR_VALUES);
    connect(SaveAsm1, &QAction::triggered, this, &TForm1::ValuestoASMfile1Click);
    connect(OpenLogFile1, &QAction::triggered, this, &TForm1::LOAD_LOGFILE);
    connect(Exite1, &QAction::triggered, this, [this] {
        if (!confirmExit()) return;
        exitConfirmed_ = true;
        core_.shutDown();
        close();
    });
    connect(Rescancomports1, &QAction::triggered, this, [this] { handle([this] { core_.session.scanPorts(); }); });
}

void TForm1::buildTopBar(QWidget* c) {
    OpenCommport = button(c, "Open Com Port", 8, 4, 108);
    ComboBox1 = new QComboBox(c);
    ComboBox1->setGeometry(120, 4, 69, 25);
    Button2 = button(c, "Close Com Port", 194, 4, 108);
    Stop = button(c, "Pause", 310, 4, 64);
    Button11 = button(c, "Resume", 378, 4, 64);
    label(c, "Data", 450, 0);
    label(c, "Interval", 450, 14);
    SpinEdit5 = spinEdit(c, 45, 9999, 45, 500, 4, 62);
    label(c, "mS", 566, 8);
    FetchKVRVals = button(c, "Fetch Values from KVR ECU", 592, 4, 190);
    label(c, "Title/Filename:", 8, 37);
    Edit4 = new QLineEdit(c);
    Edit4->setGeometry(100, 34, 420, 22);
    Label6 = label(c, "", 530, 37);
    Label6->hide();
    Button1 = button(c, "Button1", 600, 33, 60, 22);
    Button13 = button(c, "CLR COMPRT", 600, 33, 80, 22);
    Button14 = button(c, "SER GET CHAR", 600, 33, 80, 22);
    Button17 = button(c, "SIODONE COMPRT", 600, 33, 80, 22);
    for (QPushButton* hidden : {Button1, Button13, Button14, Button17}) hidden->hide();

    connect(OpenCommport, &QPushButton::clicked, this, [this] { handle([this] { core_.session.openChosenPort(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { handle([this] { core_.session.closePort(); }); });
    connect(Stop, &QPushButton::clicked, this, [this] { handle([this] { core_.session.pause(); }); });
    connect(Button11, &QPushButton::clicked, this, [this] { handle([this] { core_.session.resume(); }); });
    connect(FetchKVRVals, &QPushButton::clicked, this, [this] { handle([this] { core_.session.fetchValues(); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { handle([this] { core_.showImageBytes(); }); });
    connect(Button13, &QPushButton::clicked, this, [this] { handle([this] { core_.session.clearCom1Queue(); }); });
    connect(Button14, &QPushButton::clicked, this, [this] { handle([this] { core_.session.readCom1Text(); }); });
    connect(Button17, &QPushButton::clicked, this, [this] { handle([this] { core_.session.closeCom1(); }); });
    // Only the user's choice counts; refilling the list after a scan is not a choice.
    connect(ComboBox1, &QComboBox::activated, this,
            [this](int index) { handle([this, index] { core_.session.choosePort(index); }); });
    connect(SpinEdit5, &QSpinBox::valueChanged, this, [this](int value) {
        handle([this, value] { core_.session.setDataInterval(std::to_string(value)); });
    });
}

namespace {

// Sets up a dial as the design has it.
void designMeter(TAb270Meter* m, const kvr::MeterSettings& s, const char* valueFormat, int subSteps,
                 float limitUpper, float limitLower) {
    kvr::MeterModel& model = m->model();
    auto& signal = model.SignalSettings();
    signal.setValueUnit(s.unit);
    signal.setValueFrom(s.from);
    signal.setValueTo(s.to);
    signal.setValueFormat(valueFormat);
    model.ScaleSettings.Steps = s.steps;
    model.ScaleSettings.SubSteps = subSteps;
    model.ScaleSettings.ValueFormat = s.scaleFormat;
    model.setLimitUpper(limitUpper);
    model.setLimitLower(limitLower);
    m->settingsChanged();
}

QLabel* valueLabel(QWidget* parent, int x, int y, int w, int h, int pixels) {
    auto* l = new QLabel(parent);
    l->setGeometry(x, y, w, h);
    QFont f = l->font();
    f.setPixelSize(pixels);
    f.setItalic(true);
    f.setBold(true);
    l->setFont(f);
    return l;
}

QLabel* optionPanel(QWidget* parent, const QString& caption, int x, int y) {
    auto* p = new QLabel(caption, parent);
    p->setGeometry(x, y, 84, 24);
    p->setAlignment(Qt::AlignCenter);
    QFont f = p->font();
    f.setPixelSize(10);
    f.setBold(true);
    p->setFont(f);
    p->setFrameStyle(QFrame::Panel | QFrame::Raised);
    p->setAutoFillBackground(true);
    QPalette pal = p->palette();
    pal.setColor(QPalette::Window, QColor(128, 128, 128));
    p->setPalette(pal);
    return p;
}

}  // namespace

void TForm1::buildGaugesTab() {
    GaugesPage* t = gaugesPage_;
    const kvr::LiveDisplay& d = core_.gauges.display;
    // Every control goes on the page through place(), which scales its design
    // geometry (and font) with the page.
    auto caption = [t](const QString& text, int x, int y) {
        auto* l = new QLabel(text, t);
        l->adjustSize();
        const int px = QFontInfo(l->font()).pixelSize();
        // A little spare width: text does not widen exactly in step with the font.
        t->place(l, QRect(x, y, l->width() + 4, l->height()), px);
        return l;
    };
    Ab270Meter1 = new TAb270Meter(t);
    Ab270Meter3 = new TAb270Meter(t);
    Ab270Meter2 = new TAb270Meter(t);
    Ab270Meter5 = new TAb270Meter(t);
    Ab270Meter4 = new TAb270Meter(t);
    Ab270Meter6 = new TAb270Meter(t);
    // A dial is a 208-pixel circle centred in its 220 x 208 box; the boxes of
    // the third and fourth dials overlap by 10 pixels, so each is placed as
    // its circle's square, which no other control overlaps.
    const std::pair<TAb270Meter*, QPoint> dials[6] = {
        {Ab270Meter1, {0, 1}}, {Ab270Meter3, {221, 1}}, {Ab270Meter2, {442, 1}},
        {Ab270Meter5, {652, 1}}, {Ab270Meter4, {0, 210}}, {Ab270Meter6, {652, 210}},
    };
    for (const auto& [dial, at] : dials) t->place(dial, QRect(at.x() + 6, at.y(), 208, 208));
    designMeter(Ab270Meter1, d.meterSettings[0], "##0.0", 4, 8000, 0.0001f);
    designMeter(Ab270Meter2, d.meterSettings[1], "##0.0", 5, 65, -32);
    designMeter(Ab270Meter3, d.meterSettings[2], "#0.0", 4, 255, 0.0001f);
    designMeter(Ab270Meter4, d.meterSettings[3], "##0.0", 4, 255, 0.0001f);
    designMeter(Ab270Meter5, d.meterSettings[4], "##0.0", 4, 255, 0.0001f);
    designMeter(Ab270Meter6, d.meterSettings[5], "##0.0", 5, 15, -1);
    Ab270Meter3->model().sectors[0] = {0x00FF00, 230, 500};
    Ab270Meter3->model().sectors[1] = {0xFFFF00, 500, 650};
    Ab270Meter3->model().sectors[2] = {0xFF0000, 650, 1000};
    Ab270Meter5->model().sectors[0] = {0xFFFF00, 0, 333};
    Ab270Meter5->model().sectors[1] = {0x00FF00, 334, 819};
    Ab270Meter5->model().sectors[2] = {0xFF0000, 820, 1000};
    for (auto& s : Ab270Meter4->model().sectors) s.color = 0x00FF00;
    Ab270Meter6->minMaxInSectorColors = false;
    Ab270Meter1->scalePixelSize = 16;
    Ab270Meter1->boldScale = true;
    Ab270Meter1->unitPixelSize = 16;
    Ab270Meter1->unitColor = Qt::red;
    Ab270Meter1->italicUnit = true;
    for (int i = 0; i < 6; ++i) {
        meterSettingsShown_[i] = d.meterSettings[i];
        meter(i)->setValue(d.meter[i]);
    }

    // The middle panel: MAP and mixture texts, the value labels, options.
    auto value = [t](int x, int y, int w, int h, int pixels) {
        QLabel* l = valueLabel(t, x, y, w, h, pixels);
        t->place(l, QRect(x, y, w, h), pixels);
        return l;
    };
    MP = value(226, 214, 210, 34, 27);
    AFR = value(440, 214, 208, 34, 27);
    const char* captions[6] = {"ENG TEMP ", "INJ PW ", "AIR TEMP ", "MIX KNOB ", "INJ DUTY ", "BATT VOLTS"};
    QLabel** values[6] = {&ET, &INJPW, &AT, &KNOB, &DTY, &BATT};
    for (int i = 0; i < 6; ++i) {
        const int x = 226 + (i % 2) * 214, y = 254 + (i / 2) * 30;
        caption(captions[i], x, y + 8);
        *values[i] = value(x + 84, y, 126, 28, 20);
    }
    caption("KVR SW  VER", 226, 352);
    Label7 = value(310, 346, 120, 26, 18);
    Label7->setText(QString::fromStdString(d.softwareVersion));
    caption("OPTIONS ", 226, 384);
    auto option = [t](const QString& text, int x, int y) {
        QLabel* p = optionPanel(t, text, x, y);
        // 9 pixels leave "RPM Relay OFF" a margin inside its 84-pixel panel.
        t->place(p, QRect(x, y, 84, 24), 9);
        return p;
    };
    FuelPump = option("FuelPump", 226, 378 + 20);
    FastIdle = option("FastIdle", 312, 398);
    RPMSW = option("RPM Relay", 398, 398);
    AuxIn = option("Aux Input", 484, 398);
    RadFan = option("Rad Fan", 570, 398);
    for (int i = 0; i < 5; ++i) panelColorShown_[i] = kvr::kGray;

    caption("CHECK", 700, 432);
    caption("LIGHT", 700, 446);
    AbLED1 = new TAbLED(t, 16, Qt::red);
    t->place(AbLED1, QRect(746, 436, 18, 18));
    caption("RxData", 8, 432);
    AbLED3 = new TAbLED(t, 12, Qt::green);
    t->place(AbLED3, QRect(60, 433, 14, 14));
    Gauge2 = new TGauge(t);
    t->place(Gauge2, QRect(80, 433, 80, 12));
    Gauge2->setMaxValue(2048);
    Gauge2->setProgress(5);
    caption("Data Error", 8, 452);
    AbLED4 = new TAbLED(t, 12, Qt::red);
    t->place(AbLED4, QRect(80, 453, 14, 14));
}

TAb270Meter* TForm1::meter(int index) const {
    TAb270Meter* const meters[6] = {Ab270Meter1, Ab270Meter2, Ab270Meter3, Ab270Meter4, Ab270Meter5, Ab270Meter6};
    return meters[index];
}

QLabel* TForm1::panel(int index) const {
    QLabel* const panels[5] = {FuelPump, FastIdle, RPMSW, AuxIn, RadFan};
    return panels[index];
}

void TForm1::applyDisplay() {
    const kvr::LiveDisplay& d = core_.gauges.display;
    if (d.revision == displayShown_) return;
    displayShown_ = d.revision;
    for (int i = 0; i < 6; ++i) {
        TAb270Meter* m = meter(i);
        const kvr::MeterSettings& want = d.meterSettings[i];
        kvr::MeterSettings& shown = meterSettingsShown_[i];
        if (want.unit != shown.unit || want.from != shown.from || want.to != shown.to ||
            want.scaleFormat != shown.scaleFormat || want.steps != shown.steps) {
            // In the order the change is made: unit, scale format, steps, range.
            auto& signal = m->model().SignalSettings();
            signal.setValueUnit(want.unit);
            m->model().ScaleSettings.ValueFormat = want.scaleFormat;
            m->model().ScaleSettings.Steps = want.steps;
            signal.setValueFrom(want.from);
            signal.setValueTo(want.to);
            m->settingsChanged();
            shown = want;
        }
        if (want.visible != m->isVisible()) m->setVisible(want.visible);
        m->setValue(d.meter[i]);
    }
    // Most texts stay the same from one record to the next: compare with what
    // was last shown before building a QString, and touch a label only on a change.
    auto setText = [this](QLabel* l, const std::string& text) {
        std::string& shown = labelTextShown_[l];
        if (shown == text && !shown.empty()) return;
        shown = text;
        const QString t = QString::fromStdString(text);
        if (l->text() != t) l->setText(t);
    };
    setText(MP, d.mapText);
    if (gaugesPage_->designFontPixels(MP) != d.mapFontSize) gaugesPage_->setDesignFontPixels(MP, d.mapFontSize);
    setText(ET, d.engineTemp);
    setText(INJPW, d.pulseWidth);
    setText(AT, d.airTemp);
    setText(KNOB, d.knob);
    setText(DTY, d.duty);
    setText(BATT, d.battery);
    setText(AFR, d.mixture);
    setText(Label7, d.softwareVersion);
    setText(Label6, core_.chartLog.note());
    AbLED1->setLit(d.checkLight);
    for (int i = 0; i < 5; ++i) {
        setText(panel(i), d.panels[i].text);
        if (panelColorShown_[i] != d.panels[i].color) {
            QPalette pal = panel(i)->palette();
            const uint32_t c = d.panels[i].color;
            pal.setColor(QPalette::Window, QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
            panel(i)->setPalette(pal);
            panelColorShown_[i] = c;
        }
    }
}

void TForm1::buildLogTextTab() {
    QWidget* t = TabLogText;
    Edit1 = new QLineEdit(t);
    Edit1->setGeometry(8, 8, 300, 22);
    LogToMemo = new QCheckBox("Enable KVR Text Logging", t);
    LogToMemo->move(320, 10);
    LogToMemo->adjustSize();
    Button4 = button(t, "Copy Text to Clipboard", 520, 6, 160);
    ClearMemo = button(t, "Clear Text Window", 690, 6, 140);
    Memo1 = new QPlainTextEdit(t);
    Memo1->setGeometry(8, 40, kvr::kDesignWidth - 50, kvr::kDesignHeight - 230);
    Memo1->setReadOnly(true);
    Memo1->setMaximumBlockCount(0);  // keeps every line
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    connect(LogToMemo, &QCheckBox::toggled, this, [this](bool on) { core_.session.echoLines = on; });
    connect(ClearMemo, &QPushButton::clicked, Memo1, &QPlainTextEdit::clear);
    connect(Button4, &QPushButton::clicked, this, [this] {
        Memo1->selectAll();
        QApplication::clipboard()->setText(Memo1->toPlainText());
    });
}

void TForm1::buildNotesAndUtilities() {
    Memo2 = new QPlainTextEdit(TabNotes);
    Memo2->setGeometry(8, 8, kvr::kDesignWidth - 50, kvr::kDesignHeight - 190);
    // The notes hold at most 600 characters, as the values file keeps them.
    connect(Memo2, &QPlainTextEdit::textChanged, this, [this] {
        const QString text = Memo2->toPlainText();
        if (text.size() <= kNotesMaxLength) return;
        const QSignalBlocker quiet(Memo2);
        Memo2->setPlainText(text.left(kNotesMaxLength));
        Memo2->moveCursor(QTextCursor::End);
    });
    Memo3 = new QPlainTextEdit(TabUtilities);
    Memo3->setGeometry(8, 40, kvr::kDesignWidth - 50, kvr::kDesignHeight - 230);
    Memo3->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The listing's columns line up only in a fixed-pitch font.
    Memo3->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Button10 = button(TabUtilities, "Copy text to Clipboard", 8, 6, 170);
    connect(Button10, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(Memo3->toPlainText()); });
}

int TForm1::logselectIndex() const { return core_.chartLog.rules.loggingSwitch; }

void TForm1::applyOutputs() {
    kvr::WindowOutputs& out = core_.out;
    const kvr::SessionStatus& status = core_.session.status;
    applyDisplay();
    for (const auto& line : core_.messages.lines) Memo1->appendPlainText(latin1(line));
    core_.messages.lines.clear();

    logChart->apply();
    // RxData shows data arriving; stale data is none.
    AbLED3->setLit(status.receiving && core_.session.linkLive());
    if (core_.session.linkLive())
        staleTimer_.start(static_cast<int>(
            std::max<int64_t>(1, core_.session.staleAtMs() - core_.session.monotonicMs() + 1)));
    refreshLinkView();
    AbLED4->setLit(status.dataError);
    Gauge2->setProgress(status.queueFill);

    if (status.ports != comboItemsShown_) {
        const QSignalBlocker quiet(ComboBox1);
        ComboBox1->clear();
        for (const auto& item : status.ports) ComboBox1->addItem(latin1(item));
        comboItemsShown_ = status.ports;
    }
    if (ComboBox1->currentIndex() != status.portIndex) {
        const QSignalBlocker quiet(ComboBox1);
        ComboBox1->setCurrentIndex(status.portIndex);
    }
    ComboBox1->setEnabled(status.portChoiceEnabled);
    Rescancomports1->setEnabled(status.rescanEnabled);

    if (out.notesClears != notesClearsShown_) {
        Memo2->clear();
        notesClearsShown_ = out.notesClears;
    }
    if (out.notes) {
        QStringList lines;
        for (const auto& line : *out.notes) lines << latin1(line);
        Memo2->setPlainText(lines.join('\n').left(kNotesMaxLength));
        out.notes.reset();
    }
    if (out.savedFileText) {
        Edit1->setText(latin1(*out.savedFileText));
        out.savedFileText.reset();
    }
    if (out.proposedTitle) {
        Edit4->setText(latin1(*out.proposedTitle));
        out.proposedTitle.reset();
    }
    if (out.sheetFills != sheetFillsShown_) {
        sheetGrids.apply(core_.sheets.sheets(), true);
        sheetFillsShown_ = out.sheetFills;
    }
    if (out.loadFuelPanelCaption) {
        sheetGrids.setPanelCaption(3, QString::fromStdString(*out.loadFuelPanelCaption));
        out.loadFuelPanelCaption.reset();
    }

    if (Timer1.interval() != status.tickIntervalMs) Timer1.setInterval(std::max(status.tickIntervalMs, 1));
    if (status.tickRunning && !Timer1.isActive() && !closing_) Timer1.start();
    if (!status.tickRunning && Timer1.isActive()) Timer1.stop();

    // Boxes last: the lines that explain them are already in the log.
    std::vector<std::string> warnings;
    warnings.swap(core_.messages.warnings);
    for (const auto& text : warnings) dialogs_.warning(this, latin1(text));
}

bool TForm1::confirmExit() {
    collectSaveInputs();
    bool go = false;
    handle([this, &go] { go = core_.confirmLogMayBeDropped("Exiting closes"); });
    return go;
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!exitConfirmed_ && !confirmExit()) {
        event->ignore();
        return;
    }
    exitConfirmed_ = true;
    closing_ = true;
    linkWatch_.stop();
    staleTimer_.stop();
    core_.closeRecoveryLog();
    Timer1.stop();
    core_.shutDown();
    event->accept();
}

void TForm1::refreshLinkView() {
    core_.session.checkLink();
    const kvr::LinkState state = core_.session.linkState();
    const QString reason = QString::fromStdString(core_.session.linkStatusText());
    if (linkStatus->text() != reason) linkStatus->setText(reason);
    staleOverlay->setMark(QString::fromLatin1(kvr::staleMark(state)), reason);
    if (state != kvr::LinkState::Live) AbLED3->setLit(false);
    logChart->apply();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TForm1::keyPressEvent(QKeyEvent* event) {
    if (gaugesFullScreen_ && event->key() == Qt::Key_Escape) {
        setGaugesFullScreen(false);
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TForm1::setGaugesFullScreen(bool on) {
    if (on == gaugesFullScreen_) return;
    gaugesFullScreen_ = on;
    if (FullScreenGauges1->isChecked() != on) {
        const QSignalBlocker quiet(FullScreenGauges1);
        FullScreenGauges1->setChecked(on);
    }
    QWidget* central = centralWidget();
    if (on) {
        wasMaximized_ = isMaximized();
        geometryBeforeFullScreen_ = geometry();
        pageGeometryBeforeFullScreen_ = PageControl1->geometry();
        PageControl1->setCurrentWidget(TabGauges);
        // Everything but the gauges goes out of sight: top bar, menu, tabs.
        hiddenForFullScreen_.clear();
        for (QWidget* w : central->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (w == PageControl1 || w->isHidden()) continue;
            w->hide();
            hiddenForFullScreen_.push_back(w);
        }
        menuBar()->hide();
        PageControl1->tabBar()->hide();
        PageControl1->setDocumentMode(true);
        showFullScreen();
        // Without a window manager to honour the request, take the screen here.
        if (QScreen* s = screen()) setGeometry(s->geometry());
        PageControl1->setGeometry(central->rect());
    } else {
        for (const QPointer<QWidget>& w : hiddenForFullScreen_)
            if (w) w->show();
        hiddenForFullScreen_.clear();
        menuBar()->show();
        PageControl1->tabBar()->show();
        PageControl1->setDocumentMode(false);
        PageControl1->setGeometry(pageGeometryBeforeFullScreen_);
        if (wasMaximized_) {
            showMaximized();
        } else {
            showNormal();
            setGeometry(geometryBeforeFullScreen_);
        }
        FormResize();
    }
}

void TForm1::nameControls() {
    const std::pair<QWidget*, const char*> names[] = {
        {ComboBox1, "Com port"},
        {SpinEdit5, "Data interval in milliseconds"},
        {Edit4, "Title and file name"},
        {Edit1, "Saved file"},
        {Memo1, "Text log"},
        {Memo2, "Notes"},
        {Memo3, "Assembler listing"},
        {Ab270Meter1, "RPM meter"},
        {Ab270Meter2, "Manifold pressure meter"},
        {Ab270Meter3, "Mixture meter"},
        {Ab270Meter4, "Throttle meter"},
        {Ab270Meter5, "Ignition meter"},
        {Ab270Meter6, "Knock meter"},
        {MP, "Manifold pressure"},
        {AFR, "Mixture"},
        {ET, "Engine temperature"},
        {INJPW, "Injector pulse width"},
        {AT, "Air temperature"},
        {KNOB, "Mixture knob"},
        {DTY, "Injector duty"},
        {BATT, "Battery volts"},
        {Label7, "KVR software version"},
        {AbLED1, "Check light"},
        {AbLED3, "Receiving data"},
        {AbLED4, "Data error"},
        {Gauge2, "Receive queue"},
        {logChart->ABTrend1, "Log chart"},
        {logChart->SpinEdit1, "Log when throttle above"},
        {logChart->SpinEdit2, "Log when RPM above"},
        {logChart->SpinEdit4, "Left scale channel"},
        {logChart->SpinEdit3, "Right scale channel"},
        {logChart->Edit2, "Right scale channel name"},
        {logChart->Edit3, "Left scale channel name"},
        {logChart->Button3, "Zoom in"},
        {logChart->Button7, "Zoom out"},
        {logChart->Button9, "Move back"},
        {logChart->Button8, "Move forward"},
        {logChart->AbLED2, "Logging"},
        {logChart->Label5, "Cursor values"},
    };
    for (const auto& [widget, name] : names) widget->setAccessibleName(name);
}

void TForm1::FormResize() {
    if (gaugesFullScreen_) {
        PageControl1->setGeometry(centralWidget()->rect());
        return;
    }
    const kvr::ResizeLayout r = kvr::FormResize(frameGeometry().width(), frameGeometry().height());
    QRect page = PageControl1->geometry();
    if (r.pageControlWidth) page.setWidth(*r.pageControlWidth);
    if (r.pageControlHeight) page.setHeight(*r.pageControlHeight);
    PageControl1->setGeometry(page);
    QRect memo = Memo1->geometry();
    if (r.memo1Width) memo.setWidth(*r.memo1Width);
    if (r.memo1Height) memo.setHeight(*r.memo1Height);
    Memo1->setGeometry(memo);
    TAbTrend* chart = logChart->ABTrend1;
    chart->resize(r.logChartWidth.value_or(chart->width()), r.logChartHeight.value_or(chart->height()));
    if (r.panel27Left) logChart->Panel27->move(*r.panel27Left, logChart->Panel27->y());
    if (r.spinEdit3Left) logChart->SpinEdit3->move(*r.spinEdit3Left, logChart->SpinEdit3->y());
    if (r.label5Top) logChart->Label5->move(logChart->Label5->x(), *r.label5Top);
}
