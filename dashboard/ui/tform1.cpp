#include "dashboard/ui/tform1.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>

#include "dashboard/ui/dialogs.h"
#include "dashboard/window_layout.h"
#include "widgets/ab_led.h"
#include "widgets/gauge.h"

namespace {

QString latin1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<int>(s.size())); }

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
    TabGauges = new QWidget;
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
    buildLogChartTab();
    buildLogTextTab();
    buildNotesAndUtilities();

    Timer1.setInterval(500);
    Timer1.stop();
    connect(&Timer1, &QTimer::timeout, this, [this] { handle([this] { core_.Timer1Timer(); }); });

    resize(kvr::kDesignWidth, kvr::kDesignHeight);
    // Start-up: the window sits at the screen's top-left corner.
    move(0, 0);
    core_.out.Timer1Enabled = false;
    core_.in.SpinEdit5Text = std::to_string(SpinEdit5->value());
    handle([this] { core_.FormCreate(); });
    setWindowTitle(latin1(core_.WindowTitle));
}

TForm1::~TForm1() = default;

void TForm1::buildMenu() {
    QMenu* file = menuBar()->addMenu("&File");
    OpenLogFile1 = file->addAction("&Open Log File");
    SaveLogFile1 = file->addAction("&Save Log File");
    PrintValues1 = file->addAction("Print KVR ecu Values");
    SaveAsm1 = file->addAction("Save to &ASM file");
    Exite1 = file->addAction("E&xit");
    QMenu* comPort = menuBar()->addMenu("&ComPort");
    Rescancomports1 = comPort->addAction("Rescan Com ports");
    connect(Exite1, &QAction::triggered, this, [this] {
        core_.Exite1Click();
        close();
    });
    connect(Rescancomports1, &QAction::triggered, this, [this] { handle([this] { core_.Rescancomports1Click(); }); });
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

    connect(OpenCommport, &QPushButton::clicked, this, [this] { handle([this] { core_.OpenCommportClick(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { handle([this] { core_.Button2Click(); }); });
    connect(Stop, &QPushButton::clicked, this, [this] { handle([this] { core_.StopClick(); }); });
    connect(Button11, &QPushButton::clicked, this, [this] { handle([this] { core_.Button11Click(); }); });
    connect(FetchKVRVals, &QPushButton::clicked, this, [this] { handle([this] { core_.FetchKVRValsClick(); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { handle([this] { core_.Button1Click(); }); });
    connect(Button13, &QPushButton::clicked, this, [this] { handle([this] { core_.Button13Click(); }); });
    connect(Button14, &QPushButton::clicked, this, [this] { handle([this] { core_.Button14Click(); }); });
    connect(Button17, &QPushButton::clicked, this, [this] { handle([this] { core_.Button17Click(); }); });
    // Only the user's choice counts; refilling the list after a scan is not a choice.
    connect(ComboBox1, &QComboBox::activated, this,
            [this](int index) { handle([this, index] { core_.ComboBox1Change(index); }); });
    connect(SpinEdit5, &QSpinBox::valueChanged, this, [this](int value) {
        handle([this, value] { core_.SpinEdit5Change(std::to_string(value)); });
    });
}

void TForm1::buildGaugesTab() {
    QWidget* t = TabGauges;
    label(t, "CHECK", 700, 432);
    label(t, "LIGHT", 700, 446);
    AbLED1 = new TAbLED(t, 16, Qt::red);
    AbLED1->move(746, 436);
    label(t, "RxData", 8, 432);
    AbLED3 = new TAbLED(t, 12, Qt::green);
    AbLED3->move(60, 433);
    Gauge2 = new TGauge(t);
    Gauge2->setGeometry(80, 433, 80, 12);
    Gauge2->setMaxValue(2048);
    Gauge2->setProgress(5);
    label(t, "Data Error", 8, 452);
    AbLED4 = new TAbLED(t, 12, Qt::red);
    AbLED4->move(80, 453);
}

void TForm1::buildLogChartTab() {
    QWidget* t = TabLogChart;
    logselectbutton = new QGroupBox("Log Chart Enable", t);
    logselectbutton->setGeometry(8, 4, 300, 46);
    const char* items[] = {"Stop", "Go", "TP >", "RPM >"};
    for (int i = 0; i < 4; ++i) {
        logselectItems[i] = new QRadioButton(items[i], logselectbutton);
        logselectItems[i]->setGeometry(8 + i * 72, 20, 70, 20);
        connect(logselectItems[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) core_.in.logselectbutton = i;
        });
    }
    logselectItems[0]->setChecked(true);
    SpinEdit1 = spinEdit(t, 0, 63, 20, 316, 22, 56);
    SpinEdit2 = spinEdit(t, 10, 24000, 3000, 380, 22, 72);
    label(t, "TP >", 316, 4);
    label(t, "RPM >", 380, 4);
    label(t, "LOGGING", 470, 26);
    AbLED2 = new TAbLED(t, 16, Qt::red);
    AbLED2->move(530, 25);
    connect(SpinEdit1, &QSpinBox::valueChanged, this, [this](int v) { core_.in.SpinEdit1 = v; });
    connect(SpinEdit2, &QSpinBox::valueChanged, this, [this](int v) { core_.in.SpinEdit2 = v; });
}

void TForm1::buildLogTextTab() {
    QWidget* t = TabLogText;
    Edit1 = new QLineEdit(t);
    Edit1->setGeometry(8, 8, 300, 22);
    LogToMemo = new QCheckBox("Enable KVR Text Logging", t);
    LogToMemo->move(320, 10);
    Button4 = button(t, "Copy Text to Clipboard", 520, 6, 160);
    ClearMemo = button(t, "Clear Text Window", 690, 6, 140);
    Memo1 = new QPlainTextEdit(t);
    Memo1->setGeometry(8, 40, kvr::kDesignWidth - 50, kvr::kDesignHeight - 230);
    Memo1->setReadOnly(true);
    Memo1->setMaximumBlockCount(0);  // keeps every line
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    connect(LogToMemo, &QCheckBox::toggled, this, [this](bool on) { core_.in.LogToMemo = on; });
    connect(ClearMemo, &QPushButton::clicked, Memo1, &QPlainTextEdit::clear);
    connect(Button4, &QPushButton::clicked, this, [this] {
        Memo1->selectAll();
        QApplication::clipboard()->setText(Memo1->toPlainText());
    });
}

void TForm1::buildNotesAndUtilities() {
    Memo2 = new QPlainTextEdit(TabNotes);
    Memo2->setGeometry(8, 8, kvr::kDesignWidth - 50, kvr::kDesignHeight - 190);
    Memo3 = new QPlainTextEdit(TabUtilities);
    Memo3->setGeometry(8, 40, kvr::kDesignWidth - 50, kvr::kDesignHeight - 230);
    Memo3->setLineWrapMode(QPlainTextEdit::NoWrap);
    CopyUtilities = button(TabUtilities, "Copy text to Clipboard", 8, 6, 170);
    connect(CopyUtilities, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(Memo3->toPlainText()); });
}

int TForm1::logselectIndex() const { return core_.in.logselectbutton; }

void TForm1::applyOutputs() {
    kvr::ControlOutputs& out = core_.out;
    for (const auto& line : out.memoLines) Memo1->appendPlainText(latin1(line));
    out.memoLines.clear();

    AbLED2->setLit(out.AbLED2);
    AbLED3->setLit(out.AbLED3);
    AbLED4->setLit(out.AbLED4);
    Gauge2->setProgress(out.Gauge2);

    if (out.ComboBox1Items != comboItemsShown_) {
        const QSignalBlocker quiet(ComboBox1);
        ComboBox1->clear();
        for (const auto& item : out.ComboBox1Items) ComboBox1->addItem(latin1(item));
        comboItemsShown_ = out.ComboBox1Items;
    }
    if (ComboBox1->currentIndex() != out.ComboBox1ItemIndex) {
        const QSignalBlocker quiet(ComboBox1);
        ComboBox1->setCurrentIndex(out.ComboBox1ItemIndex);
    }
    ComboBox1->setEnabled(out.ComboBox1Enabled);
    Rescancomports1->setEnabled(out.Rescancomports1Enabled);

    if (out.notesClears != notesClearsShown_) {
        Memo2->clear();
        notesClearsShown_ = out.notesClears;
    }

    if (Timer1.interval() != out.Timer1Interval) Timer1.setInterval(std::max(out.Timer1Interval, 1));
    if (out.Timer1Enabled && !Timer1.isActive() && !closing_) Timer1.start();
    if (!out.Timer1Enabled && Timer1.isActive()) Timer1.stop();

    // Boxes last: the lines that explain them are already in the log.
    std::vector<std::string> warnings;
    warnings.swap(out.warnings);
    for (const auto& text : warnings) dialogs_.warning(this, latin1(text));
}

void TForm1::closeEvent(QCloseEvent* event) {
    closing_ = true;
    Timer1.stop();
    core_.FormClose();
    event->accept();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TForm1::FormResize() {
    const kvr::ResizeLayout r = kvr::FormResize(frameGeometry().width(), frameGeometry().height());
    QRect page = PageControl1->geometry();
    if (r.pageControlWidth) page.setWidth(*r.pageControlWidth);
    if (r.pageControlHeight) page.setHeight(*r.pageControlHeight);
    PageControl1->setGeometry(page);
    QRect memo = Memo1->geometry();
    if (r.memo1Width) memo.setWidth(*r.memo1Width);
    if (r.memo1Height) memo.setHeight(*r.memo1Height);
    Memo1->setGeometry(memo);
}
