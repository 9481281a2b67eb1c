// The window's controls keep the names of the window's design ("Form1" and
// its controls) as their object names, so a script or test tool that finds a
// control by such a name still finds it, and finds the control that the name
// stood for, on every page.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>

#include "dashboard/link/memory_serial_port.h"
#include "dashboard/ui/connection_bar.h"
#include "dashboard/ui/gauges_page.h"
#include "dashboard/ui/gauges_tab.h"
#include "dashboard/ui/log_chart_tab.h"
#include "dashboard/ui/main_window.h"
#include "dashboard/ui/stale_overlay.h"
#include "dashboard/ui/text_tabs.h"
#include "dashboard/ui/window_menu.h"
#include "support/recording_dialogs.h"
#include "widgets/ab270_meter.h"
#include "widgets/ab_led.h"
#include "widgets/ab_trend.h"
#include "widgets/gauge.h"

namespace {

struct DesignName {
    const char* name;       // the design's name, now the object name
    const char* className;  // what it must be
    const QObject* control;  // the member that took over the role
};

TEST(WindowObjectNames, EveryPageFindsItsControlsByTheirDesignNames) {
    kvr::MemorySerialPort port;
    RecordingDialogs dialogs;
    MainWindow form(port, dialogs);
    EXPECT_EQ(form.objectName(), "Form1");

    const ConnectionBar& bar = *form.connectionBar;
    const GaugesTab& gauges = *form.gauges;
    const LogChartTab& chart = *form.logChart;
    const TextTabs& texts = *form.textTabs;
    const WindowMenu& menus = *form.menus;
    const DesignName table[] = {
        // The bar above the tabs.
        {"OpenCommport", "QPushButton", bar.openPortButton},
        {"ComboBox1", "QComboBox", bar.portList},
        {"Button2", "QPushButton", bar.closePortButton},
        {"Stop", "QPushButton", bar.pauseButton},
        {"Button11", "QPushButton", bar.resumeButton},
        {"SpinEdit5", "QSpinBox", bar.dataIntervalEdit},
        {"FetchKVRVals", "QPushButton", bar.fetchValuesButton},
        {"Edit4", "QLineEdit", bar.titleEdit},
        {"Label6", "QLabel", bar.loggingStatusLabel},
        {"Button1", "QPushButton", bar.imageBytesButton},
        {"Button17", "QPushButton", bar.closeCom1Button},
        // The tabs.
        {"PageControl1", "QTabWidget", form.pages},
        {"TabGauges", "GaugesPage", form.gaugesTab},
        {"TabLogChart", "QWidget", form.logChartTab},
        {"TabAirTemp", "QWidget", form.airTempTab},
        {"TabUtilities", "QWidget", form.utilitiesTab},
        // Gauges: dials, labels, panels, lamps, in their roles.
        {"Ab270Meter1", "TAb270Meter", gauges.rpmMeter},
        {"Ab270Meter2", "TAb270Meter", gauges.mapMeter},
        {"Ab270Meter3", "TAb270Meter", gauges.mixtureMeter},
        {"Ab270Meter4", "TAb270Meter", gauges.throttleMeter},
        {"Ab270Meter5", "TAb270Meter", gauges.ignitionMeter},
        {"Ab270Meter6", "TAb270Meter", gauges.knockMeter},
        {"MP", "QLabel", gauges.mapLabel},
        {"AFR", "QLabel", gauges.mixtureLabel},
        {"INJPW", "QLabel", gauges.pulseWidthLabel},
        {"Label7", "QLabel", gauges.softwareVersionLabel},
        {"RPMSW", "QLabel", gauges.rpmSwitchPanel},
        {"RadFan", "QLabel", gauges.radiatorFanPanel},
        {"AbLED1", "TAbLED", gauges.checkLightLamp},
        {"AbLED3", "TAbLED", gauges.receivingLamp},
        {"AbLED4", "TAbLED", gauges.dataErrorLamp},
        {"Gauge2", "TGauge", gauges.queueGauge},
        {"staleOverlay", "StaleOverlay", gauges.staleOverlay},
        // Log Chart.
        {"ABTrend1", "TAbTrend", chart.chart},
        {"SpinEdit3", "QSpinBox", chart.rightScaleChannel},
        {"SpinEdit4", "QSpinBox", chart.leftScaleChannel},
        {"Panel27", "QLabel", chart.rightScalePanel},
        {"Edit3", "QLineEdit", chart.leftScaleName},
        {"Button3", "QPushButton", chart.zoomInButton},
        {"Button9", "QPushButton", chart.moveBackButton},
        {"Button5", "QPushButton", chart.eraseButton},
        {"Button6", "QPushButton", chart.openLogButton},
        {"SAVELOGFILE", "QPushButton", chart.saveLogButton},
        {"Label5", "QLabel", chart.cursorReadout},
        {"LiveButton", "QPushButton", chart.liveButton},
        {"GroupBox2", "QGroupBox", chart.legendBox},
        {"legend[4]", "QCheckBox", chart.legendChecks[4]},
        {"logselectbutton", "QGroupBox", chart.loggingSwitch},
        {"logselectItems[3]", "QRadioButton", chart.loggingSwitchItems[3]},
        {"SpinEdit1", "QSpinBox", chart.throttleThresholdEdit},
        {"SpinEdit2", "QSpinBox", chart.rpmThresholdEdit},
        {"AbLED2", "TAbLED", chart.loggingLamp},
        // Log Text, Notes, Utilities.
        {"Edit1", "QLineEdit", texts.savedFileEdit},
        {"LogToMemo", "QCheckBox", texts.echoLinesCheck},
        {"Button4", "QPushButton", texts.copyLogButton},
        {"ClearMemo", "QPushButton", texts.clearLogButton},
        {"Memo1", "QPlainTextEdit", texts.textLog},
        {"Memo2", "QPlainTextEdit", texts.notesEdit},
        {"Memo3", "QPlainTextEdit", texts.asmListing},
        {"Button10", "QPushButton", texts.copyListingButton},
        // The menus and the status line.
        {"OpenLogFile1", "QAction", menus.openLogAction},
        {"SaveAsm1", "QAction", menus.saveAsmAction},
        {"Exite1", "QAction", menus.exitAction},
        {"Rescancomports1", "QAction", menus.rescanPortsAction},
        {"FullScreenGauges1", "QAction", menus.fullScreenAction},
        {"linkStatus", "QLabel", form.linkStatus},
    };
    for (const auto& [name, className, control] : table) {
        SCOPED_TRACE(name);
        const QList<QObject*> found = form.findChildren<QObject*>(QString::fromLatin1(name));
        ASSERT_EQ(found.size(), 1) << "one control answers to the name";
        EXPECT_STREQ(found[0]->metaObject()->className(), className);
        EXPECT_EQ(found[0], control) << "the name stays with the control in its role";
    }
}

}  // namespace
