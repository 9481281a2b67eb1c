// TForm1: the main window. A thin layer: it builds the controls, forwards
// each event to the DashboardCore handler of the same name, and then shows
// what the core's outputs say.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <map>
#include <string>
#include <vector>

#include "dashboard/dashboard_core.h"
#include "dashboard/ui/sheet_grids.h"
#include "dashboard/user_prompts.h"
#include "dashboard/display/live_display.h"

class Dialogs;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QGroupBox;
class LogChartTab;
class StaleOverlay;
class TAb270Meter;
class TAbLED;
class TGauge;
class GaugesPage;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    TForm1(kvr::SerialPort& port, Dialogs& dialogs, QWidget* parent = nullptr);
    ~TForm1() override;

    kvr::DashboardCore& core() { return core_; }
    // The polling tick's handler (Timer1's timeout).
    void Timer1Timer();
    // Shows the core's outputs on the controls.
    void applyOutputs();
    // Shows the decoded live values on the Gauges tab (and the chart's channels).
    void applyDisplay();
    TAb270Meter* meter(int index) const;
    QLabel* panel(int index) const;

    // --- Controls (named as in the window's design) -----------------------
    QPushButton* OpenCommport;
    QComboBox* ComboBox1;
    QPushButton* Button2;
    QPushButton* Stop;
    QPushButton* Button11;
    QSpinBox* SpinEdit5;
    QLabel* Label6;
    QPushButton* FetchKVRVals;
    QLineEdit* Edit4;
    QPushButton* Button1;
    QPushButton* Button13;
    QPushButton* Button14;
    QPushButton* Button17;
    QTabWidget* PageControl1;
    QWidget* TabGauges;
    QWidget* TabLogChart;
    QWidget* TabLogText;
    QWidget* TabFuel;
    QWidget* TabIgnition;
    QWidget* TabOptions;
    QWidget* TabAirTemp;
    QWidget* TabNotes;
    QWidget* TabUtilities;
    // Gauges
    TAb270Meter* Ab270Meter1;
    TAb270Meter* Ab270Meter2;
    TAb270Meter* Ab270Meter3;
    TAb270Meter* Ab270Meter4;
    TAb270Meter* Ab270Meter5;
    TAb270Meter* Ab270Meter6;
    QLabel* MP;
    QLabel* ET;
    QLabel* INJPW;
    QLabel* AT;
    QLabel* KNOB;
    QLabel* DTY;
    QLabel* BATT;
    QLabel* AFR;
    QLabel* Label7;
    QLabel* FuelPump;
    QLabel* FastIdle;
    QLabel* RPMSW;
    QLabel* AuxIn;
    QLabel* RadFan;
    TAbLED* AbLED1;
    TAbLED* AbLED3;
    TAbLED* AbLED4;
    TGauge* Gauge2;
    // Log Chart
    LogChartTab* logChart;
    QGroupBox* logselectbutton;
    QRadioButton* logselectItems[4];
    QSpinBox* SpinEdit1;
    QSpinBox* SpinEdit2;
    TAbLED* AbLED2;
    // Log Text
    QLineEdit* Edit1;
    QCheckBox* LogToMemo;
    QPushButton* Button4;
    QPushButton* ClearMemo;
    QPlainTextEdit* Memo1;
    // Notes, Utilities
    QPlainTextEdit* Memo2;
    QPlainTextEdit* Memo3;
    QPushButton* Button10;  // "Copy text to Clipboard" (Utilities)
    // Menu
    QAction* OpenLogFile1;
    QAction* SaveLogFile1;
    QAction* PrintValues1;
    QAction* SaveAsm1;
    QAction* Exite1;
    QAction* Rescancomports1;
    QAction* FullScreenGauges1;  // View menu, F11: the gauges alone, full screen

    // The gauges alone on the whole screen, or the window as it was.
    void setGaugesFullScreen(bool on);
    bool gaugesFullScreen() const { return gaugesFullScreen_; }

    QTimer Timer1;
    SheetGrids sheetGrids;
    // Link health: the status line under the tabs, the veil over stale gauges.
    QLabel* linkStatus;
    StaleOverlay* staleOverlay;
    // Shows the link's state on the status line, the Gauges tab, the RxData
    // lamp and the chart's recording switch.
    void refreshLinkView();

    int logselectIndex() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildTopBar(QWidget* central);
    void buildMenu();
    void buildGaugesTab();
    void buildLogTextTab();
    void buildNotesAndUtilities();
    void FormResize();
    // Accessible names for the controls whose text does not say what they are.
    void nameControls();
    void SAVE_LOGFILE();
    void LOAD_LOGFILE();
    // Hands the title and notes to the core, as a save needs them.
    void collectSaveInputs();
    bool confirmExit();
    void PRINT_KVR_VALUES();
    void ValuestoASMfile1Click();
    // Runs a core handler, then shows its outputs.
    template <typename F>
    void handle(F&& f) {
        f();
        applyOutputs();
    }

    // The core's questions to the user, answered through the window's dialogs.
    class Prompts : public kvr::UserPrompts {
    public:
        Prompts(TForm1& form) : form_(form) {}
        std::optional<std::string> saveFileName(const std::string& proposed, const std::string& ext) override;
        std::optional<std::string> openFileName(const std::string& preset) override;
        void information(const std::string& text) override;
        int choose(const std::string& text, const std::vector<std::string>& buttons) override;

    private:
        TForm1& form_;
    };

    kvr::DashboardCore core_;
    Dialogs& dialogs_;
    GaugesPage* gaugesPage_ = nullptr;
    Prompts prompts_{*this};
    int sheetFillsShown_ = 0;
    int notesClearsShown_ = 0;
    uint64_t displayShown_ = ~0ull;
    kvr::MeterSettings meterSettingsShown_[6];
    uint32_t panelColorShown_[5] = {};
    std::vector<std::string> comboItemsShown_;
    std::map<const QLabel*, std::string> labelTextShown_;
    bool closing_ = false;
    bool exitConfirmed_ = false;
    // Ticks while the window runs, also while polling is paused.
    QTimer linkWatch_;
    // Fires when the newest record goes stale, so recording stops on time.
    QTimer staleTimer_;
    bool gaugesFullScreen_ = false;
    QRect pageGeometryBeforeFullScreen_;
    QRect geometryBeforeFullScreen_;
    bool wasMaximized_ = false;
    std::vector<QPointer<QWidget>> hiddenForFullScreen_;
};
