// The dashboard window, offscreen, against the ECU simulator running as its
// own process on a pseudo-terminal: the whole conversation through the tolk
// library.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTest>

#include "dashboard/ui/tform1.h"
#include "support/port_environment.h"
#include "support/recording_dialogs.h"
#include "support/sim_process.h"
#include "widgets/ab_led.h"

namespace {

int countLines(const TForm1& form, const QString& prefix) {
    int n = 0;
    for (const QString& line : form.Memo1->toPlainText().split('\n')) n += line.startsWith(prefix);
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
    TForm1 form(port, dialogs);
    ASSERT_EQ(form.core().PortName, "COM40");

    form.OpenCommport->click();
    ASSERT_TRUE(form.core().PortOpen);
    EXPECT_EQ(countLines(form, "COMPORT 40 OPENED"), 1);
    // The open asks for the image, and so does the first tick: two arrive.
    ASSERT_TRUE(waitUntil([&] { return form.core().ValuesLoaded && countLines(form, "2243") == 2; }, 5000))
        << form.Memo1->toPlainText().toStdString();
    EXPECT_EQ(form.core().ValuesSource, "ecu");
    EXPECT_EQ(form.sheetGrids.grid(20)->item(4, 1)->text(), "31.0") << "the software version on the sheets";
    EXPECT_EQ(form.Label7->text(), ".....") ;

    // Polling: records arrive, decode, and each good one is acknowledged.
    ASSERT_TRUE(waitUntil([&] { return form.core().display.revision > 30; }, 5000));
    EXPECT_EQ(form.Label7->text(), "31.0");
    EXPECT_GT(form.core().Rpm, 500);
    EXPECT_FALSE(form.AbLED4->Checked());
    EXPECT_GE(countLines(form, "^ RCVD"), 1) << "setup lines come now and then";
    EXPECT_EQ(countLines(form, "checksum error"), 0);

    form.Stop->click();  // Pause
    EXPECT_FALSE(form.Timer1.isActive());
    const auto paused = form.core().display.revision;
    QTest::qWait(300);
    EXPECT_EQ(form.core().display.revision, paused);

    form.Button11->click();  // Resume: polling goes on, no new values request
    EXPECT_TRUE(form.Timer1.isActive());
    ASSERT_TRUE(waitUntil([&] { return form.core().display.revision > paused + 10; }, 5000));
    EXPECT_EQ(countLines(form, "2243"), 2);

    form.FetchKVRVals->click();  // the image again
    ASSERT_TRUE(waitUntil([&] { return countLines(form, "2243") == 3 && form.core().ValuesLoaded; }, 5000));
    const auto refetched = form.core().display.revision;
    ASSERT_TRUE(waitUntil([&] { return form.core().display.revision > refetched + 5; }, 5000));

    form.Button2->click();  // Close
    EXPECT_FALSE(form.core().PortOpen);
    EXPECT_FALSE(form.Timer1.isActive());
    EXPECT_TRUE(dialogs.warnings.isEmpty());
}

TEST(EndToEnd, SpoiltRecordsLightTheErrorLampAndPollingGoesOn) {
    SimProcess sim({"--fault", "checksum", "--fault-every", "3", "--setup-every", "0"});
    PortEnvironment env({{40, sim.device()}});
    kvr::TolkSerialPort port;
    RecordingDialogs dialogs;
    TForm1 form(port, dialogs);
    form.OpenCommport->click();
    ASSERT_TRUE(waitUntil([&] { return countLines(form, "checksum error....!$") >= 3; }, 8000));
    ASSERT_TRUE(waitUntil([&] { return form.core().display.revision > 20; }, 5000)) << "polling goes on";
    form.Button2->click();
}

TEST(EndToEnd, ALineThatGoesDeadIsReportedOnceAndThePortCloses) {
    SimProcess sim({"--fault", "hangup", "--fault-every", "15", "--setup-every", "0"});
    PortEnvironment env({{40, sim.device()}});
    kvr::TolkSerialPort port;
    RecordingDialogs dialogs;
    TForm1 form(port, dialogs);
    form.OpenCommport->click();
    ASSERT_TRUE(waitUntil([&] { return countLines(form, "COM40 stopped answering") == 1; }, 8000));
    QTest::qWait(300);
    EXPECT_EQ(countLines(form, "COM40 stopped answering"), 1);
    EXPECT_TRUE(form.Timer1.isActive()) << "the window keeps running";
    EXPECT_TRUE(form.AbLED4->Checked());
    form.Button2->click();
    EXPECT_FALSE(form.core().PortOpen);
}

}  // namespace
