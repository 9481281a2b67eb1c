#include "dashboard/ui/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "dashboard/display/window_layout.h"
#include "dashboard/logging/recovery_logs.h"
#include "dashboard/ui/analyze_tab.h"
#include "dashboard/ui/connection_bar.h"
#include "dashboard/ui/dialogs.h"
#include "dashboard/ui/file_commands.h"
#include "dashboard/ui/full_screen.h"
#include "dashboard/ui/gauges_page.h"
#include "dashboard/ui/gauges_tab.h"
#include "dashboard/ui/log_chart_tab.h"
#include "dashboard/ui/qt_strings.h"
#include "dashboard/ui/text_tabs.h"
#include "dashboard/ui/window_menu.h"

MainWindow::MainWindow(kvr::SerialPort& port, Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent),
      core_(port),
      dialogs_(dialogs),
      prompts_(*this, dialogs, [this] { applyOutputs(); }) {
    // The name the window had, so anything that looks it up by it still finds it.
    setObjectName("Form1");
    setWindowTitle("KVR Dashboard");
    auto* central = new QWidget(this);
    setCentralWidget(central);
    menus = new WindowMenu(this);
    connectionBar = new ConnectionBar(central, core_, [this] { applyOutputs(); });
    buildPages(central);
    files_ = std::make_unique<FileCommands>(*this, core_, dialogs_, *connectionBar, *textTabs,
                                            [this] { applyOutputs(); });
    fullScreen_ = std::make_unique<FullScreenGauges>(*this, pages, gaugesTab, menus->fullScreenAction);
    buildStatusLine();
    files_->onNote = [this](const QString& text) { showNote(text); };
    connectCommands();
    core_.prompts = &prompts_;
    core_.session.onValuesRequested = [this] { sheetGrids.grid(23)->item(0, 0)->setText(QString()); };

    pollTimer.setInterval(500);
    pollTimer.stop();
    connect(&pollTimer, &QTimer::timeout, this, &MainWindow::pollTick);
    core_.chartLog.recoveryDirectory = kvr::defaultRecoveryDirectory();
    linkWatch_.setInterval(250);
    connect(&linkWatch_, &QTimer::timeout, this, &MainWindow::refreshLinkView);
    linkWatch_.start();
    staleTimer_.setSingleShot(true);
    connect(&staleTimer_, &QTimer::timeout, this, &MainWindow::refreshLinkView);

    // Below the design size the fixed-position tabs would overlap their controls.
    setMinimumSize(kvr::kDesignWidth, kvr::kDesignHeight);
    resize(kvr::kDesignWidth, kvr::kDesignHeight);
    // Start-up: the window sits at the screen's top-left corner.
    move(0, 0);
    core_.session.dataIntervalText = std::to_string(connectionBar->dataIntervalEdit->value());
    handle([this] { core_.start(); });
    setWindowTitle(latin1(core_.windowTitle));
    // Once the window is up: a log that a crashed run left behind is offered.
    QTimer::singleShot(0, this, [this] { handle([this] { core_.offerRecoveredLogs(); }); });
}

// The pages go first, while the core they show is still there.
MainWindow::~MainWindow() {
    core_.session.removeSink(*gauges);
    delete centralWidget();
}

void MainWindow::buildPages(QWidget* central) {
    pages = new QTabWidget(central);
    pages->setGeometry(8, 62, kvr::kDesignWidth - 30, kvr::kDesignHeight - 135);
    auto* gaugesPage = new GaugesPage;
    gaugesTab = gaugesPage;
    logChartTab = new QWidget;
    logTextTab = new QWidget;
    fuelTab = new QWidget;
    ignitionTab = new QWidget;
    optionsTab = new QWidget;
    airTempTab = new QWidget;
    notesTab = new QWidget;
    utilitiesTab = new QWidget;
    analyzeTab = new QWidget;
    // Analyze goes last, so the older tabs keep their places.
    const std::pair<QWidget*, const char*> tabs[] = {
        {gaugesTab, "Gauges"}, {logChartTab, "Log Chart"}, {logTextTab, "Log Text"},
        {fuelTab, "Fuel"},     {ignitionTab, "Ignition"},  {optionsTab, "Options"},
        {airTempTab, "Air Temp"}, {notesTab, "Notes"},     {utilitiesTab, "Utilities"},
        {analyzeTab, "Analyze"},
    };
    for (const auto& [tab, caption] : tabs) pages->addTab(tab, caption);
    pages->setCurrentWidget(gaugesTab);
    gauges = new GaugesTab(gaugesPage, core_.gauges.display);
    // After the gauges' model, which the core registered first.
    core_.session.addSink(*gauges);
    logChart = new LogChartTab(logChartTab, core_);
    textTabs = new TextTabs(logTextTab, notesTab, utilitiesTab, core_);
    sheetGrids.build(fuelTab, ignitionTab, optionsTab, airTempTab);
    analyze = new AnalyzeTab(analyzeTab, core_, dialogs_);
    // The names "Form1"'s tabs had, so anything that looks one up by it still finds it.
    const std::pair<QWidget*, const char*> names[] = {
        {pages, "PageControl1"},    {gaugesTab, "TabGauges"},     {logChartTab, "TabLogChart"},
        {logTextTab, "TabLogText"}, {fuelTab, "TabFuel"},         {ignitionTab, "TabIgnition"},
        {optionsTab, "TabOptions"}, {airTempTab, "TabAirTemp"},   {notesTab, "TabNotes"},
        {utilitiesTab, "TabUtilities"}, {analyzeTab, "TabAnalyze"},
    };
    for (const auto& [widget, name] : names) widget->setObjectName(name);
}

void MainWindow::buildStatusLine() {
    linkStatus = new QLabel(this);
    linkStatus->setObjectName("linkStatus");
    linkStatus->setAccessibleName("Link status");
    statusBar()->addWidget(linkStatus, 1);
    statusNote = new QLabel(this);
    statusNote->setObjectName("statusNote");
    statusNote->setAccessibleName("Last command");
    statusBar()->addPermanentWidget(statusNote);
    noteTimer_.setSingleShot(true);
    noteTimer_.setInterval(6000);
    connect(&noteTimer_, &QTimer::timeout, statusNote, &QLabel::clear);
}

void MainWindow::showNote(const QString& text) {
    statusNote->setText(text);
    noteTimer_.start();
}

void MainWindow::connectCommands() {
    connect(logChart, &LogChartTab::openClicked, this, [this] { files_->openLog(); });
    connect(menus->saveTextAction, &QAction::triggered, this, [this] { textTabs->saveText(dialogs_, this); });
    connect(logChart, &LogChartTab::saveClicked, this, [this] { files_->saveLog(); });
    connect(logChart, &LogChartTab::eraseClicked, this, [this] { handle([this] { core_.eraseLog(); }); });
    connect(menus->openLogAction, &QAction::triggered, this, [this] { files_->openLog(); });
    connect(menus->saveLogAction, &QAction::triggered, this, [this] { files_->saveLog(); });
    connect(menus->printValuesAction, &QAction::triggered, this, [this] { files_->printValues(); });
    connect(menus->saveAsmAction, &QAction::triggered, this, [this] { files_->saveAsmFile(); });
    connect(menus->exitAction, &QAction::triggered, this, &MainWindow::exitProgram);
    connect(menus->rescanPortsAction, &QAction::triggered, this,
            [this] { handle([this] { core_.session.scanPorts(); }); });
    connect(menus->fullScreenAction, &QAction::toggled, this, &MainWindow::setGaugesFullScreen);
    connect(menus->exportAction, &QAction::triggered, this, &MainWindow::exportLog);
    connect(menus->markAction, &QAction::triggered, this, &MainWindow::placeMarker);
    connect(logChart, &LogChartTab::markClicked, this, &MainWindow::placeMarker);
    connect(logChart, &LogChartTab::markerRenameAsked, this, &MainWindow::renameMarker);
    connect(logChart, &LogChartTab::recordingChanged, this, [this](bool on) {
        fullScreen_->setRecording(on);
        refreshLinkView();
    });
    connect(analyze, &AnalyzeTab::noted, this, &MainWindow::showNote);
}

void MainWindow::placeMarker() {
    const size_t linesBefore = core_.messages.lines.size();
    const bool placed = core_.placeMarker();
    // The core's own line on it goes on the status line too.
    if (core_.messages.lines.size() > linesBefore) showNote(latin1(core_.messages.lines.back()));
    if (placed) {
        const kvr::ChartMarker& m = core_.chartLog.markers().back();
        fullScreen_->showNote(QString::number(m.number + 1) + " " + latin1(m.text));
    } else {
        fullScreen_->showNote("not recording");
    }
    applyOutputs();
}

void MainWindow::renameMarker(int index) {
    const std::vector<kvr::ChartMarker>& markers = core_.chartLog.markers();
    if (index < 0 || index >= static_cast<int>(markers.size())) return;
    const kvr::ChartMarker& m = markers[static_cast<size_t>(index)];
    const auto text =
        dialogs_.textInput(this, QString("Text of marker %1:").arg(m.number + 1), latin1(m.text));
    if (!text) return;
    core_.chartLog.renameMarker(index, text->toLatin1().toStdString());
}

void MainWindow::exportLog() { files_->exportLog(logChart->visibleSampleTimes()); }

void MainWindow::exitProgram() {
    if (!files_->confirmExit()) return;
    exitConfirmed_ = true;
    core_.shutDown();
    close();
}

void MainWindow::pollTick() {
    handle([this] { core_.session.tick(); });
}

void MainWindow::applyDisplay() {
    // The logging note changes with the records, so it is shown with them.
    if (gauges->show(core_.gauges.display)) connectionBar->showLoggingNote(core_.chartLog.note());
}

void MainWindow::applyOutputs() {
    applyDisplay();
    textTabs->appendToLog(core_.messages.lines);
    logChart->apply();
    showLinkHealth();
    connectionBar->showPorts(core_.session.status);
    menus->rescanPortsAction->setEnabled(core_.session.status.rescanEnabled);
    showWindowRequests();
    showSheets();
    followPollingTick();
    // Boxes last: the lines that explain them are already in the log.
    showWarnings();
}

void MainWindow::showLinkHealth() {
    const kvr::SessionStatus& status = core_.session.status;
    // RxData shows data arriving; stale data is none.
    gauges->showReceiving(status.receiving && core_.session.linkLive());
    if (core_.session.linkLive())
        staleTimer_.start(static_cast<int>(
            std::max<int64_t>(1, core_.session.staleAtMs() - core_.session.monotonicMs() + 1)));
    refreshLinkView();
    gauges->showLinkErrors(status.dataError, status.queueFill);
}

void MainWindow::refreshLinkView() {
    core_.session.checkLink();
    const kvr::LinkState state = core_.session.linkState();
    const QString reason = QString::fromStdString(core_.session.linkStatusText());
    // Live data that the log does not keep says so where the user looks: the
    // chart's "Stop" is the default, and easy to miss.
    const std::string note = state == kvr::LinkState::Live ? core_.chartLog.notRecordingNote() : std::string();
    const QString status = note.empty() ? reason : reason + ", " + QString::fromStdString(note);
    if (linkStatus->text() != status) linkStatus->setText(status);
    gauges->showLinkState(state, reason);
    logChart->apply();
}

void MainWindow::showWindowRequests() {
    kvr::WindowOutputs& out = core_.out;
    if (out.notesClears != notesClearsShown_) {
        textTabs->clearNotes();
        notesClearsShown_ = out.notesClears;
    }
    if (out.notes) {
        textTabs->setNotes(*out.notes);
        out.notes.reset();
    }
    if (out.savedFileText) {
        textTabs->showSavedFile(*out.savedFileText);
        out.savedFileText.reset();
    }
    if (out.proposedTitle) {
        connectionBar->titleEdit->setText(latin1(*out.proposedTitle));
        out.proposedTitle.reset();
    }
}

void MainWindow::showSheets() {
    kvr::WindowOutputs& out = core_.out;
    if (out.sheetFills != sheetFillsShown_) {
        sheetGrids.apply(core_.sheets.sheets(), true);
        sheetFillsShown_ = out.sheetFills;
    }
    if (out.loadFuelPanelCaption) {
        sheetGrids.setPanelCaption(3, QString::fromStdString(*out.loadFuelPanelCaption));
        out.loadFuelPanelCaption.reset();
    }
}

void MainWindow::followPollingTick() {
    const kvr::SessionStatus& status = core_.session.status;
    if (pollTimer.interval() != status.tickIntervalMs)
        pollTimer.setInterval(std::max(status.tickIntervalMs, 1));
    if (status.tickRunning && !pollTimer.isActive() && !closing_) pollTimer.start();
    if (!status.tickRunning && pollTimer.isActive()) pollTimer.stop();
}

void MainWindow::showWarnings() {
    std::vector<std::string> warnings;
    warnings.swap(core_.messages.warnings);
    for (const auto& text : warnings) dialogs_.warning(this, latin1(text));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!exitConfirmed_ && !files_->confirmExit()) {
        event->ignore();
        return;
    }
    exitConfirmed_ = true;
    closing_ = true;
    linkWatch_.stop();
    staleTimer_.stop();
    core_.closeRecoveryLog();
    pollTimer.stop();
    core_.shutDown();
    event->accept();
}

bool MainWindow::gaugesFullScreen() const { return fullScreen_->isOn(); }

void MainWindow::setGaugesFullScreen(bool on) {
    if (on == fullScreen_->isOn()) return;
    if (on) {
        fullScreen_->enter();
    } else {
        fullScreen_->leave();
        fitToWindow();
    }
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (fullScreen_->isOn() && event->key() == Qt::Key_Escape) {
        setGaugesFullScreen(false);
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    fitToWindow();
}

void MainWindow::fitToWindow() {
    if (fullScreen_->isOn()) {
        pages->setGeometry(centralWidget()->rect());
        return;
    }
    const kvr::ResizeLayout r = kvr::FormResize(frameGeometry().width(), frameGeometry().height());
    QRect page = pages->geometry();
    if (r.pageControlWidth) page.setWidth(*r.pageControlWidth);
    if (r.pageControlHeight) page.setHeight(*r.pageControlHeight);
    pages->setGeometry(page);
    textTabs->fitToWindow(r);
    logChart->fitToWindow(r);
}
