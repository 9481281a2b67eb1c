// The window's port scan and open on real pseudo-terminals through the tolk
// library, offscreen.
#include <gtest/gtest.h>
#include <sys/file.h>

#include <QComboBox>
#include <QAction>
#include <QPlainTextEdit>
#include <QPushButton>

#include "dashboard/ui/connection_bar.h"
#include "dashboard/ui/main_window.h"
#include "dashboard/ui/text_tabs.h"
#include "dashboard/ui/window_menu.h"
#include "serial/tests/pty_pair.h"
#include "support/port_environment.h"
#include "support/recording_dialogs.h"

namespace {

QStringList memoLines(const MainWindow& form) { return form.textTabs->textLog->toPlainText().split('\n'); }

TEST(WindowPorts, ScanWithNoPortsListsNothing) {
    PortEnvironment none;
    kvr::TolkSerialPort port;
    RecordingDialogs dialogs;
    MainWindow form(port, dialogs);
    const QStringList memo = memoLines(form);
    ASSERT_EQ(memo.size(), 41);
    EXPECT_EQ(memo[0], "COM PORT 1 NOT AVAILABLE -103");
    EXPECT_EQ(memo[40], "There are 0 Com ports available");
    EXPECT_EQ(form.connectionBar->portList->count(), 0);
    EXPECT_EQ(form.connectionBar->portList->currentIndex(), -1);
    EXPECT_FALSE(form.pollTimer.isActive());
    EXPECT_TRUE(form.windowTitle().startsWith("KVR Dash & Logger V6.3"));
}

TEST(WindowPorts, ScanListsPresentPortsAndPreselectsTheLast) {
    PtyPair com2(1), com5(4);
    PortEnvironment env({{2, com2.path()}, {5, com5.path()}});
    kvr::TolkSerialPort port;
    RecordingDialogs dialogs;
    MainWindow form(port, dialogs);
    const QStringList memo = memoLines(form);
    EXPECT_EQ(memo[1], "COM PORT 2 AVAILABLE 1");
    EXPECT_EQ(memo[4], "COM PORT 5 AVAILABLE 1");
    EXPECT_EQ(memo[40], "There are 2 Com ports available");
    ASSERT_EQ(form.connectionBar->portList->count(), 2);
    EXPECT_EQ(form.connectionBar->portList->itemText(0), "COM2");
    EXPECT_EQ(form.connectionBar->portList->currentText(), "COM5");
    EXPECT_EQ(form.core().session.portNumber, 4);
    EXPECT_FALSE(form.core().session.portOpen);

    // The ports were closed again after the scan: another program can take them.
    int fd = ::open(com5.path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    ::close(fd);
}

TEST(WindowPorts, PortHeldElsewhereWarnsInUse) {
    PtyPair com3(2);
    PortEnvironment env({{3, com3.path()}});
    kvr::TolkSerialPort port;
    RecordingDialogs dialogs;
    MainWindow form(port, dialogs);
    ASSERT_EQ(form.connectionBar->portList->currentText(), "COM3");

    // Another program takes the port between the scan and the click.
    int holder = ::open(com3.path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    form.connectionBar->openPortButton->click();
    ::close(holder);

    EXPECT_EQ(dialogs.warnings, QStringList{"Com3 port in use"});
    EXPECT_EQ(memoLines(form).last(), "port#=2");
    EXPECT_FALSE(form.core().session.portOpen);
    EXPECT_FALSE(form.pollTimer.isActive());
    EXPECT_TRUE(form.connectionBar->portList->isEnabled());
}

TEST(WindowPorts, OpenSendsTheRequestAndLocksTheChoiceUntilClosed) {
    PtyPair com3(2);
    PortEnvironment env({{3, com3.path()}});
    kvr::TolkSerialPort port;
    RecordingDialogs dialogs;
    MainWindow form(port, dialogs);
    form.connectionBar->openPortButton->click();
    ASSERT_TRUE(form.core().session.portOpen);
    EXPECT_EQ(com3.receive(3), (std::vector<unsigned char>{13, 'D', 13}));
    EXPECT_TRUE(form.pollTimer.isActive());
    EXPECT_EQ(form.pollTimer.interval(), 500);
    EXPECT_FALSE(form.connectionBar->portList->isEnabled());
    EXPECT_FALSE(form.menus->rescanPortsAction->isEnabled());
    EXPECT_EQ(memoLines(form).last(), "D REQUEST SENT");
    EXPECT_TRUE(dialogs.warnings.isEmpty());

    form.connectionBar->closePortButton->click();
    EXPECT_FALSE(form.core().session.portOpen);
    EXPECT_FALSE(form.pollTimer.isActive());
    EXPECT_TRUE(form.connectionBar->portList->isEnabled());
    EXPECT_TRUE(form.menus->rescanPortsAction->isEnabled());
    EXPECT_EQ(memoLines(form).last(), "Closing Comport, com3");
}

}  // namespace
