// The window when the data stops, against kvrsim as its own process: a
// paused or silent link shows stale gauges and records nothing, a device
// that comes back through its path is reopened by itself, and a log that a
// crashed run left behind is offered at the next start.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <fstream>
#include <memory>

#include "dashboard/logging/log_files.h"
#include "dashboard/logging/recovery_logs.h"
#include "dashboard/logging/sample_journal.h"
#include "dashboard/ui/connection_bar.h"
#include "dashboard/ui/gauges_tab.h"
#include "dashboard/ui/log_chart_tab.h"
#include "dashboard/ui/main_window.h"
#include "dashboard/ui/stale_overlay.h"
#include "dashboard/ui/text_tabs.h"
#include "dashboard/ui/window_menu.h"
#include "default_values_image.h"
#include "support/port_environment.h"
#include "support/program_run.h"
#include "support/recording_dialogs.h"
#include "support/scratch_logs.h"
#include "support/sim_process.h"
#include "widgets/ab_led.h"
#include "widgets/ab_trend.h"

namespace {

int countLines(const MainWindow& form, const QString& part) {
    int n = 0;
    for (const QString& line : form.textTabs->textLog->toPlainText().split('\n'))
        n += line.contains(part);
    return n;
}

int separators(const TAbTrend* chart, int from = 0) {
    int n = 0;
    for (int i = from; i < chart->store().count(); ++i) n += chart->store().at(i).isSeparator();
    return n;
}

std::string tempDir() { return makeScratchDir("kvr-e2e-loss"); }

TEST(LinkLoss, PauseAndSilenceShowStaleGaugesAndRecordNothing) {
    SimProcess sim({"--setup-every", "0"});
    PortEnvironment env({{40, sim.device()}});
    kvr::TolkSerialPort port;
    RecordingDialogs dialogs;
    MainWindow form(port, dialogs);
    form.show();
    TAbTrend* chart = form.logChart->chart;
    // Live data on the chart's default "Stop": the status line says it is
    // not kept, and where to change that.
    form.connectionBar->openPortButton->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.linkStatus->text().contains("live data"); }, 8000));
    EXPECT_TRUE(form.linkStatus->text().endsWith("live data, not recording (Log Chart: Stop)"))
        << form.linkStatus->text().toStdString();
    EXPECT_EQ(chart->store().count(), 0);
    form.logChart->loggingSwitchItems[1]->setChecked(true);  // "Go"
    ASSERT_TRUE(QTest::qWaitFor([&] { return chart->store().count() >= 10; }, 8000));
    EXPECT_FALSE(form.gauges->staleOverlay->isVisible());
    EXPECT_TRUE(form.linkStatus->text().endsWith("live data")) << form.linkStatus->text().toStdString();

    // Pause: stale at once.
    form.connectionBar->pauseButton->click();
    EXPECT_TRUE(form.gauges->staleOverlay->isVisible());
    EXPECT_EQ(form.gauges->staleOverlay->mark(), "PAUSED");
    EXPECT_TRUE(form.linkStatus->text().contains("paused"));
    EXPECT_FALSE(form.gauges->receivingLamp->Checked()) << "RxData is off";
    const int paused = chart->store().count();
    QTest::qWait(1500);
    EXPECT_EQ(chart->store().count(), paused) << "nothing is recorded while paused";

    form.connectionBar->resumeButton->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return chart->store().count() >= paused + 10; }, 5000));
    EXPECT_EQ(separators(chart), 5) << "the pause shows as a gap";
    EXPECT_FALSE(form.gauges->staleOverlay->isVisible());

    // Silence: the ECU stops answering with the line up.
    sim.signal(SIGSTOP);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.gauges->staleOverlay->isVisible(); }, 1600))
        << "stale within the limit";
    EXPECT_EQ(form.gauges->staleOverlay->mark(), "NO DATA");
    const int silent = chart->store().count();
    QTest::qWait(2000);
    EXPECT_EQ(chart->store().count(), silent) << "no made-up samples";
    EXPECT_TRUE(form.linkStatus->text().contains("no live record for")) << form.linkStatus->text().toStdString();
    sim.signal(SIGCONT);
    ASSERT_TRUE(QTest::qWaitFor([&] { return chart->store().count() >= silent + 10; }, 5000));
    EXPECT_EQ(separators(chart), 10);
    EXPECT_FALSE(form.gauges->staleOverlay->isVisible());
    form.connectionBar->pauseButton->click();
}

TEST(LinkLoss, AVanishedDeviceIsReopenedThroughItsPathUntilClosed) {
    const std::string dir = tempDir(), link = dir + "/ecu";
    auto sim = std::make_unique<SimProcess>(
        std::vector<std::string>{"--fault", "hangup", "--fault-every", "25", "--setup-every", "0", "--link", link});
    PortEnvironment env({{40, link}});
    kvr::TolkSerialPort port;
    RecordingDialogs dialogs;
    MainWindow form(port, dialogs);
    TAbTrend* chart = form.logChart->chart;
    form.logChart->loggingSwitchItems[1]->setChecked(true);
    form.connectionBar->openPortButton->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return countLines(form, "COM40 link lost") == 1; }, 8000));
    EXPECT_TRUE(form.linkStatus->text().contains("went away")) << form.linkStatus->text().toStdString();
    EXPECT_EQ(form.gauges->staleOverlay->mark(), "NO DATA");
    const int before = chart->store().count();
    QTest::qWait(1200);
    EXPECT_EQ(countLines(form, "link lost"), 1) << "said once";
    EXPECT_EQ(chart->store().count(), before);

    sim = std::make_unique<SimProcess>(std::vector<std::string>{"--setup-every", "0", "--link", link});
    ASSERT_TRUE(QTest::qWaitFor([&] { return countLines(form, "COM40 link back after") == 1; }, 3000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return chart->store().count() >= before + 10; }, 5000));
    EXPECT_EQ(separators(chart, before - 1), 5) << "the gap is marked";

    // Gone again, and this time the user closes the port: no more reopening.
    sim.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return countLines(form, "COM40 link lost") == 2; }, 3000));
    form.connectionBar->closePortButton->click();
    sim = std::make_unique<SimProcess>(std::vector<std::string>{"--setup-every", "0", "--link", link});
    QTest::qWait(2500);
    EXPECT_EQ(countLines(form, "link back"), 1);
    EXPECT_FALSE(form.core().session.portOpen);
    EXPECT_EQ(form.gauges->staleOverlay->mark(), "NO DATA");
}

// A run that crashed left a journal and its values file in the state folder.
std::string leaveLog(int records) {
    const std::string dir = kvr::defaultRecoveryDirectory();
    std::string error;
    EXPECT_TRUE(kvr::makeRecoveryDirectory(dir, error)) << error;
    const std::string kvl = dir + "/log-20261208-101500-1.KVL";
    kvr::SampleJournal journal;
    EXPECT_TRUE(journal.open(kvl, error)) << error;
    for (int i = 0; i < records; ++i) {
        kvr::TrendRecord r;
        r.time = 46364.4 + i / 864000.0;
        r.digits[0] = static_cast<uint16_t>(1000 + i);
        journal.append(r);
    }
    journal.close();
    EXPECT_TRUE(kvr::writeValuesFile(dir + "/log-20261208-101500-1.KVV", kvr::ValuesFile{kvrsim::defaultValuesImage(), {"cold start"}}, error));
    return kvl;
}

TEST(LinkLoss, ALeftLogIsOfferedAtStartAndExitAsksBeforeDroppingIt) {
    const std::string kvl = leaveLog(12);
    PortEnvironment env;
    kvr::TolkSerialPort port;
    RecordingDialogs dialogs;
    dialogs.choices = {0};  // "Open"
    auto form = std::make_unique<MainWindow>(port, dialogs);
    form->show();
    TAbTrend* chart = form->logChart->chart;
    ASSERT_TRUE(QTest::qWaitFor([&] { return chart->store().count() == 12; }, 2000));
    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_TRUE(dialogs.questions[0].contains("12 records")) << dialogs.questions[0].toStdString();
    EXPECT_EQ(form->textTabs->notesEdit->toPlainText(), "cold start") << "its notes come with it";
    EXPECT_EQ(form->core().chartLog.unsavedRecords(), 12);

    dialogs.choices = {2};  // "Cancel"
    form->close();
    EXPECT_TRUE(form->isVisible()) << "cancel keeps the window open";
    EXPECT_TRUE(dialogs.questions.last().contains("not been saved"));
    EXPECT_TRUE(kvr::fileExists(kvl));

    dialogs.choices = {1};  // "Discard"
    form->menus->exitAction->trigger();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(kvr::fileExists(kvl)) << "an explicit discard removes the recovery log";
    form.reset();

    // Nothing left: the next start asks nothing.
    RecordingDialogs quiet;
    MainWindow next(port, quiet);
    QTest::qWait(50);
    EXPECT_TRUE(quiet.questions.isEmpty());
}

TEST(LinkLoss, ALogCutShortByACrashOpensWithItsWholeRecords) {
    const std::string dir = tempDir();
    const std::string kvl = leaveLog(7);
    const std::string cut = dir + "/cut.KVL";
    std::string bytes = fileBytes(kvl);
    bytes.resize(bytes.size() - 10);  // the seventh record lost its last ten bytes
    std::ofstream(cut, std::ios::binary) << bytes;
    PortEnvironment env;
    kvr::TolkSerialPort port;
    RecordingDialogs dialogs;
    dialogs.choices = {1};  // discard the left log offered at start
    MainWindow form(port, dialogs);
    QTest::qWait(20);
    dialogs.fileAnswers = {QString::fromStdString(cut)};
    form.logChart->openLogButton->click();
    EXPECT_EQ(form.logChart->chart->store().count(), 6);
    EXPECT_EQ(countLines(form, "was cut short (14 bytes)"), 1);
    EXPECT_FALSE(dialogs.informations.contains("Problem loading file.")) << dialogs.informations.join(";").toStdString();
}

}  // namespace
