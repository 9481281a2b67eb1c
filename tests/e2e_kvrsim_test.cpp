// The dashboard window, offscreen, against the ECU simulator running as its
// own process on a pseudo-terminal: the whole conversation through the tolk
// library.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <fstream>

#include "dashboard/logging/log_files.h"
#include "dashboard/ui/connection_bar.h"
#include "dashboard/ui/gauges_tab.h"
#include "dashboard/ui/log_chart_tab.h"
#include "dashboard/ui/main_window.h"
#include "dashboard/ui/text_tabs.h"
#include "support/data_log_read.h"
#include "support/port_environment.h"
#include "support/recording_dialogs.h"
#include "support/sim_process.h"
#include "widgets/ab_led.h"
#include "widgets/ab_trend.h"

namespace {

int countLines(const MainWindow& form, const QString& prefix) {
    int n = 0;
    for (const QString& line : form.textTabs->textLog->toPlainText().split('\n'))
        n += line.startsWith(prefix);
    return n;
}

// Runs the event loop until `done` holds or `ms` pass.
template <typename Done>
bool waitUntil(Done done, int ms) {
    return QTest::qWaitFor(done, ms);
}

TEST(EndToEnd, OpenFetchPollPauseResumeFetchClose) {
    SimProcess sim({"--setup-every", "0.5"});
    PortEnvironment env({{40, sim.device()}});
    kvr::TolkSerialPort port;
    RecordingDialogs dialogs;
    MainWindow form(port, dialogs);
    ASSERT_EQ(form.core().session.portName, "COM40");

    form.connectionBar->openPortButton->click();
    ASSERT_TRUE(form.core().session.portOpen);
    EXPECT_EQ(countLines(form, "COMPORT 40 OPENED"), 1);
    // The open asks for the image, and so does the first tick: two arrive.
    ASSERT_TRUE(
        waitUntil([&] { return form.core().session.valuesLoaded && countLines(form, "2243") == 2; }, 5000))
        << form.textTabs->textLog->toPlainText().toStdString();
    EXPECT_EQ(form.core().session.valuesSource, "ecu");
    EXPECT_EQ(form.sheetGrids.grid(20)->item(4, 1)->text(), "31.0") << "the software version on the sheets";
    EXPECT_EQ(form.gauges->softwareVersionLabel->text(), ".....");

    // Polling: records arrive, decode, and each good one is acknowledged.
    ASSERT_TRUE(waitUntil([&] { return form.core().gauges.display.revision > 30; }, 5000));
    EXPECT_EQ(form.gauges->softwareVersionLabel->text(), "31.0");
    EXPECT_GT(form.core().gauges.values.rpm, 500);
    EXPECT_FALSE(form.gauges->dataErrorLamp->Checked());
    EXPECT_GE(countLines(form, "^ RCVD"), 1) << "setup lines come now and then";
    EXPECT_EQ(countLines(form, "checksum error"), 0);

    form.connectionBar->pauseButton->click();  // Pause
    EXPECT_FALSE(form.pollTimer.isActive());
    const auto paused = form.core().gauges.display.revision;
    QTest::qWait(300);
    EXPECT_EQ(form.core().gauges.display.revision, paused);

    form.connectionBar->resumeButton->click();  // Resume: polling goes on, no new values request
    EXPECT_TRUE(form.pollTimer.isActive());
    ASSERT_TRUE(waitUntil([&] { return form.core().gauges.display.revision > paused + 10; }, 5000));
    EXPECT_EQ(countLines(form, "2243"), 2);

    form.connectionBar->fetchValuesButton->click();  // the image again
    ASSERT_TRUE(waitUntil([&] { return countLines(form, "2243") == 3 && form.core().session.valuesLoaded; }, 5000));
    const auto refetched = form.core().gauges.display.revision;
    ASSERT_TRUE(waitUntil([&] { return form.core().gauges.display.revision > refetched + 5; }, 5000));

    form.connectionBar->closePortButton->click();  // Close
    EXPECT_FALSE(form.core().session.portOpen);
    EXPECT_FALSE(form.pollTimer.isActive());
    EXPECT_TRUE(dialogs.warnings.isEmpty());
}

TEST(EndToEnd, SpoiltRecordsLightTheErrorLampAndPollingGoesOn) {
    SimProcess sim({"--fault", "checksum", "--fault-every", "3", "--setup-every", "0"});
    PortEnvironment env({{40, sim.device()}});
    kvr::TolkSerialPort port;
    RecordingDialogs dialogs;
    MainWindow form(port, dialogs);
    form.connectionBar->openPortButton->click();
    ASSERT_TRUE(waitUntil([&] { return countLines(form, "checksum error....!$") >= 3; }, 8000));
    ASSERT_TRUE(waitUntil([&] { return form.core().gauges.display.revision > 20; }, 5000)) << "polling goes on";
    form.connectionBar->closePortButton->click();
}

TEST(EndToEnd, RecordSaveEraseAndOpenALog) {
    SimProcess sim({"--setup-every", "0"});
    PortEnvironment env({{40, sim.device()}});
    kvr::TolkSerialPort port;
    RecordingDialogs dialogs;
    MainWindow form(port, dialogs);
    form.show();
    char dir[] = "/tmp/kvr-e2e-log-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    const QString base = QString(dir) + "/run1";

    form.logChart->loggingSwitchItems[1]->setChecked(true);  // "Go"
    form.connectionBar->openPortButton->click();
    TAbTrend* chart = form.logChart->chart;
    ASSERT_TRUE(waitUntil([&] { return static_cast<size_t>(chart->store().count()) >= 20; }, 8000));
    EXPECT_TRUE(form.logChart->loggingLamp->Checked());
    form.textTabs->notesEdit->setPlainText("pull 1\ncold morning");
    // A marker from the Mark button, renamed as a double-click on its label would.
    form.logChart->markButton->click();
    ASSERT_EQ(form.core().chartLog.markers().size(), 1u);
    form.core().chartLog.renameMarker(0, "third gear");
    ASSERT_TRUE(waitUntil([&] { return static_cast<size_t>(chart->store().count()) >= 25; }, 3000));

    form.connectionBar->titleEdit->setText(base);
    dialogs.fileAnswers = {base + ".KVL"};
    form.logChart->saveLogButton->click();
    const size_t saved = static_cast<size_t>(chart->store().count());
    ASSERT_TRUE(dialogs.informations.isEmpty()) << dialogs.informations.join(";").toStdString();
    EXPECT_EQ(dialogs.proposed.last(), base + ".KVL");
    EXPECT_EQ(dialogs.filters.last(), "KVR log chart files (*.KVL);;All files (*)");
    std::ifstream kvl((base + ".KVL").toStdString(), std::ios::binary | std::ios::ate);
    const auto bytes = static_cast<size_t>(kvl.tellg());
    EXPECT_EQ(bytes % 24, 0u);
    EXPECT_GE(bytes / 24, saved) << "every record up to the save";
    kvr::ValuesFile companion;
    std::string error;
    ASSERT_TRUE(kvr::readValuesFile((base + ".KVV").toStdString(), companion, error)) << error;
    EXPECT_EQ(companion.valuesText, form.core().session.valuesText);
    EXPECT_EQ(companion.notes, (std::vector<std::string>{"pull 1", "cold morning"}));
    EXPECT_EQ(form.textTabs->savedFileEdit->text(), "Saved file:" + base + ".KVL");
    // Every record in full beside them, with the marker as renamed.
    const DataLogContents rows = readDataLog((base + ".msl").toStdString());
    ASSERT_TRUE(rows.opened) << rows.error;
    EXPECT_GT(rows.rows.size() * 2, saved * 3) << "every record: about two for each 100 ms sample at 45 ms";
    ASSERT_EQ(rows.markers.size(), 1u);
    EXPECT_EQ(rows.markers[0].text, "third gear");

    form.connectionBar->closePortButton->click();  // close the port, then erase and open the log again
    form.logChart->eraseButton->click();
    EXPECT_EQ(static_cast<size_t>(chart->store().count()), 0u);
    form.textTabs->notesEdit->clear();
    dialogs.fileAnswers = {base + ".KVL"};
    form.logChart->openLogButton->click();
    EXPECT_EQ(static_cast<size_t>(chart->store().count()), bytes / 24);
    EXPECT_FALSE(chart->StartRecording()) << "loading leaves recording off";
    EXPECT_EQ(form.core().session.valuesSource, "pcdisk");
    EXPECT_EQ(form.textTabs->notesEdit->toPlainText(), "pull 1\ncold morning");
    ASSERT_EQ(form.core().chartLog.markers().size(), 1u) << "the marker comes back from the data log";
    EXPECT_EQ(form.core().chartLog.markers()[0].text, "third gear");
    // The sheets come back from the log's values file.
    EXPECT_EQ(form.sheetGrids.grid(22)->item(2, 1)->text(), "PC DISK");
    EXPECT_EQ(form.sheetGrids.grid(23)->item(0, 0)->text(), base + ".KVV");
    EXPECT_EQ(form.sheetGrids.grid(20)->item(4, 1)->text(), "31.0");
    EXPECT_TRUE(dialogs.informations.isEmpty()) << dialogs.informations.join(";").toStdString();

    // Open again and cancel the dialog: the chart, its title and the Live
    // button stay as they were (a loaded log has no live data to follow).
    const int shown = chart->store().count();
    const QString title = form.connectionBar->titleEdit->text();
    dialogs.fileAnswers = {QString()};
    form.logChart->openLogButton->click();
    EXPECT_EQ(chart->store().count(), shown);
    EXPECT_EQ(form.connectionBar->titleEdit->text(), title);
    form.logChart->apply();
    EXPECT_FALSE(form.logChart->liveButton->isChecked());

    if (const QByteArray shots = qgetenv("KVR_SCREENSHOT_DIR"); !shots.isEmpty()) {
        form.pages->setCurrentWidget(form.logChartTab);
        QTest::qWait(50);
        form.grab().save(QString::fromLocal8Bit(shots) + "/logchart.png");
        form.pages->setCurrentWidget(form.fuelTab);
        form.grab().save(QString::fromLocal8Bit(shots) + "/fuel.png");
        form.pages->setCurrentWidget(form.optionsTab);
        form.grab().save(QString::fromLocal8Bit(shots) + "/options.png");
    }
    std::system(("rm -rf " + std::string(dir)).c_str());
}

}  // namespace
