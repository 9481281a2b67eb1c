// The window's keys and names: menu shortcuts that work from the keyboard,
// the F11 full-screen gauges view and back, an accessible name on every
// control, and the assembler listing in a fixed-pitch font.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>

#include <QAbstractSpinBox>
#include <QApplication>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include "dashboard/link/memory_serial_port.h"
#include "dashboard/ui/connection_bar.h"
#include "dashboard/ui/gauges_tab.h"
#include "dashboard/ui/main_window.h"
#include "dashboard/ui/text_tabs.h"
#include "dashboard/ui/window_menu.h"
#include "support/recording_dialogs.h"
#include "widgets/ab270_meter.h"
#include "widgets/ab_led.h"
#include "widgets/ab_trend.h"
#include "widgets/gauge.h"

namespace {

struct ShownWindow {
    kvr::MemorySerialPort port;
    RecordingDialogs dialogs;
    MainWindow form{port, dialogs};
    ShownWindow() {
        form.show();
        form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
    }
};

bool inMenus(const QMenuBar* bar, const QAction* action) {
    for (const QAction* top : bar->actions())
        if (top->menu() && top->menu()->actions().contains(const_cast<QAction*>(action))) return true;
    return false;
}

TEST(WindowKeys, MenuShortcutsAreShownAndWork) {
    ShownWindow w;
    MainWindow& form = w.form;
    const std::pair<QAction*, QKeySequence> shown[] = {
        {form.menus->openLogAction, QKeySequence("Ctrl+O")},
        {form.menus->saveLogAction, QKeySequence("Ctrl+S")},
        {form.menus->printValuesAction, QKeySequence("Ctrl+P")},
        {form.menus->exitAction, QKeySequence("Ctrl+Q")},
        {form.menus->fullScreenAction, QKeySequence("F11")},
    };
    for (const auto& [action, keys] : shown) {
        SCOPED_TRACE(action->text().toStdString());
        EXPECT_EQ(action->shortcut(), keys);
        EXPECT_TRUE(inMenus(form.menuBar(), action)) << "the menu shows the key beside the item";
    }

    QTest::keyClick(&form, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(w.dialogs.proposed.size(), 1) << "Ctrl+O asks for a log file";
    QTest::keyClick(&form, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(w.dialogs.printDialogs, 1) << "Ctrl+P opens the print dialog";
    QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(w.dialogs.proposed.size(), 2) << "Ctrl+S asks where to save";
    QTest::keyClick(&form, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(form.isVisible()) << "Ctrl+Q closes the window";
}

TEST(WindowKeys, F11ShowsTheGaugesAloneAndBack) {
    ShownWindow w;
    MainWindow& form = w.form;
    form.pages->setCurrentWidget(form.fuelTab);
    const QRect page = form.pages->geometry();
    ASSERT_EQ(page.width(), form.frameGeometry().width() - 30);

    QTest::keyClick(&form, Qt::Key_F11);
    EXPECT_TRUE(form.gaugesFullScreen());
    EXPECT_TRUE(form.menus->fullScreenAction->isChecked());
    EXPECT_EQ(form.pages->currentWidget(), form.gaugesTab);
    EXPECT_FALSE(form.menuBar()->isVisible());
    EXPECT_FALSE(form.pages->tabBar()->isVisible());
    EXPECT_FALSE(form.connectionBar->openPortButton->isVisible());
    EXPECT_EQ(form.pages->geometry(), form.centralWidget()->rect()) << "the gauges take the whole window";
    QApplication::processEvents();
    // The dials' block fills the page across or down, whatever the screen.
    const QWidget* gauges = form.gaugesTab;
    const double across = double(form.gauges->knockMeter->geometry().right() + 1) / gauges->width();
    const double down = double(form.gauges->knockMeter->geometry().bottom() + 1) / gauges->height();
    EXPECT_GT(std::max(across, down), 0.9) << across << " " << down;

    // F11 works with the menu bar out of sight, and Escape leaves too.
    QTest::keyClick(&form, Qt::Key_F11);
    EXPECT_FALSE(form.gaugesFullScreen());
    EXPECT_TRUE(form.menuBar()->isVisible());
    EXPECT_TRUE(form.pages->tabBar()->isVisible());
    EXPECT_TRUE(form.connectionBar->openPortButton->isVisible());
    EXPECT_FALSE(form.connectionBar->imageBytesButton->isVisible()) << "hidden controls stay hidden";
    EXPECT_EQ(form.pages->geometry().topLeft(), page.topLeft());
    EXPECT_EQ(form.pages->width(), form.frameGeometry().width() - 30) << "the resize rules hold again";

    form.menus->fullScreenAction->trigger();
    EXPECT_TRUE(form.gaugesFullScreen());
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_FALSE(form.gaugesFullScreen());
    EXPECT_FALSE(form.menus->fullScreenAction->isChecked());
}

TEST(WindowKeys, EveryControlHasAnAccessibleName) {
    ShownWindow w;
    std::vector<std::string> unnamed;
    for (QWidget* c : w.form.findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(c) || qobject_cast<QAbstractSpinBox*>(c) ||
                             qobject_cast<QComboBox*>(c) || qobject_cast<QLineEdit*>(c) ||
                             qobject_cast<QPlainTextEdit*>(c) || qobject_cast<QTableWidget*>(c) ||
                             qobject_cast<TAb270Meter*>(c) || qobject_cast<TAbLED*>(c) || qobject_cast<TGauge*>(c) ||
                             qobject_cast<TAbTrend*>(c);
        // Line edits inside spin boxes and combo boxes are parts, not controls,
        // and so are Qt's own helpers (the grids' corner button, the menu bar's
        // overflow button).
        if (!control || qobject_cast<QAbstractSpinBox*>(c->parentWidget()) ||
            qobject_cast<QComboBox*>(c->parentWidget()) || c->objectName().startsWith("qt_") ||
            QByteArray(c->metaObject()->className()) == "QTableCornerButton")
            continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(c);
        ASSERT_NE(a, nullptr);
        if (a->text(QAccessible::Name).trimmed().isEmpty())
            unnamed.push_back(std::string(c->metaObject()->className()) + " " + c->objectName().toStdString());
    }
    std::string list;
    for (const auto& u : unnamed) list += "\n  " + u;
    EXPECT_TRUE(unnamed.empty()) << list;
}

TEST(WindowKeys, AssemblerListingInFixedPitch) {
    kvr::MemorySerialPort port;
    RecordingDialogs dialogs;
    MainWindow form(port, dialogs);
    const QFontMetrics fm(form.textTabs->asmListing->font());
    EXPECT_EQ(fm.horizontalAdvance("iiiiiiii"), fm.horizontalAdvance("MMMMMMMM")) << "columns line up";
}

TEST(WindowKeys, F1ShowsAKeysPageThatListsEveryShortcut) {
    ShownWindow w;
    MainWindow& form = w.form;
    QTest::keyClick(&form, Qt::Key_F1);
    auto* page = form.findChild<QDialog*>("keysHelp");
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->isVisible());
    const QString text = page->findChild<QLabel*>("keysHelpText")->text();
    // Every shortcut the window has is on the page, so a new one cannot be
    // added without saying what it does.
    int shortcuts = 0;
    for (const QAction* action : form.findChildren<QAction*>()) {
        if (action->shortcut().isEmpty()) continue;
        ++shortcuts;
        const QString keys = action->shortcut().toString(QKeySequence::PortableText);
        EXPECT_TRUE(text.contains("<tt>" + keys.toHtmlEscaped() + "</tt>"))
            << keys.toStdString() << " (" << action->text().toStdString() << ") is not on the Keys page";
    }
    EXPECT_GE(shortcuts, 7);
    for (const char* chartKey : {"Home", "End", "Esc", "Right-click", "Double-click a marker"})
        EXPECT_TRUE(text.contains(chartKey)) << chartKey;
    QTest::keyClick(&form, Qt::Key_F1);
    EXPECT_EQ(form.findChildren<QDialog*>("keysHelp").size(), 1) << "one page, raised again";
}

}  // namespace
