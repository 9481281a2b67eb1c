// The main window: the menus, the connection bar and the tabs, each a page
// of its own that builds and names its controls. The window forwards the
// pages' commands to the DashboardCore and then carries the core's state
// (the session, the gauges' display model, the chart log, the window
// requests) onto the pages.
#pragma once

#include <QMainWindow>
#include <QTimer>
#include <memory>

#include "dashboard/dashboard_core.h"
#include "dashboard/ui/sheet_grids.h"
#include "dashboard/ui/window_prompts.h"

class AnalyzeTab;
class ConnectionBar;
class Dialogs;
class FileCommands;
class FullScreenGauges;
class GaugesTab;
class LogChartTab;
class QLabel;
class QTabWidget;
class TextTabs;
class WindowMenu;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(kvr::SerialPort& port, Dialogs& dialogs, QWidget* parent = nullptr);
    ~MainWindow() override;

    kvr::DashboardCore& core() { return core_; }
    // The polling tick (pollTimer's timeout).
    void pollTick();
    // Shows the core's state on the pages.
    void applyOutputs();
    // Shows the decoded live values on the Gauges tab.
    void applyDisplay();
    // Shows the link's state on the status line, the Gauges tab, the RxData
    // lamp and the chart's recording switch.
    void refreshLinkView();
    // The gauges alone on the whole screen, or the window as it was.
    void setGaugesFullScreen(bool on);
    bool gaugesFullScreen() const;
    FullScreenGauges& fullScreen() { return *fullScreen_; }
    // "Mark" and the M key: a marker on the log while it records.
    void placeMarker();
    // Asks for a marker's new text (its index in the chart log's markers).
    void renameMarker(int index);
    // File > Export...
    void exportLog();

    WindowMenu* menus;
    ConnectionBar* connectionBar;
    QTabWidget* pages;
    QWidget* gaugesTab;  // a GaugesPage
    QWidget* logChartTab;
    QWidget* logTextTab;
    QWidget* fuelTab;
    QWidget* ignitionTab;
    QWidget* optionsTab;
    QWidget* airTempTab;
    QWidget* notesTab;
    QWidget* utilitiesTab;
    QWidget* analyzeTab;
    GaugesTab* gauges;
    LogChartTab* logChart;
    TextTabs* textTabs;  // Log Text, Notes, Utilities
    SheetGrids sheetGrids;  // Fuel, Ignition, Options, Air Temp
    AnalyzeTab* analyze;    // suggested fuel numbers from the data log
    QLabel* linkStatus;  // the status line under the tabs: the link's health
    QLabel* statusNote;  // beside it for a while: what a command just did
    QTimer pollTimer;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildPages(QWidget* central);
    void buildStatusLine();
    void connectCommands();
    void exitProgram();
    // The pages and the chart follow the window's size.
    void fitToWindow();
    void showLinkHealth();
    void showWindowRequests();
    void showSheets();
    void followPollingTick();
    void showWarnings();
    // Shows `text` beside the link's health for a few seconds.
    void showNote(const QString& text);
    // Runs a core handler, then shows its outputs.
    template <typename F>
    void handle(F&& f) {
        f();
        applyOutputs();
    }

    kvr::DashboardCore core_;
    Dialogs& dialogs_;
    WindowPrompts prompts_;
    std::unique_ptr<FileCommands> files_;
    std::unique_ptr<FullScreenGauges> fullScreen_;
    int sheetFillsShown_ = 0;
    int notesClearsShown_ = 0;
    bool closing_ = false;
    bool exitConfirmed_ = false;
    // Ticks while the window runs, also while polling is paused.
    QTimer linkWatch_;
    // Fires when the newest record goes stale, so recording stops on time.
    QTimer staleTimer_;
    QTimer noteTimer_;
};
