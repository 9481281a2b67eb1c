// The Log Chart tab in the window at its design size, offscreen: the time
// zoom, "Live" and the reference line fit and cover nothing; "Live" and End
// bring following back after "<<"; the read-out shows the record's time and
// the differences from a reference cursor set by a click.
#include <gtest/gtest.h>

#include <QFile>

#include <QAction>
#include <QCheckBox>
#include <QClipboard>

#include <QTextBlock>

#include <QPlainTextEdit>
#include <QScrollBar>

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <cstdio>
#include <fstream>
#include <unistd.h>

#include "dashboard/link/memory_serial_port.h"
#include "dashboard/logging/cursor_readout.h"
#include "dashboard/logging/trend_record.h"
#include "dashboard/ui/log_chart_tab.h"
#include "dashboard/ui/main_window.h"
#include "dashboard/ui/window_menu.h"
#include "dashboard/ui/text_tabs.h"
#include "support/recording_dialogs.h"
#include "widgets/ab_led.h"
#include "widgets/ab_trend.h"

namespace {

struct Window {
    kvr::MemorySerialPort port;
    RecordingDialogs dialogs;
    MainWindow form{port, dialogs};

    Window() {
        form.resize(900, 680);
        form.show();
        form.pages->setCurrentWidget(form.logChartTab);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
        QCoreApplication::processEvents();
    }
    LogChartTab& tab() { return *form.logChart; }
    // Samples taken by the chart log, which the chart shows: "Go" on a
    // fresh link for as long as it takes, then the link goes quiet again.
    kvr::ChartLog& log() { return form.core().chartLog; }
    void startRecording() {
        log().setLoggingSwitch(kvr::kLogGo);
        log().onLinkChange(kvr::LinkChange{kvr::LinkState::Waiting, kvr::LinkState::Live, 0, 0});
        log().onRecord(kvr::LiveRecord{});
    }
    void stopRecording() { log().onLinkChange(kvr::LinkChange{kvr::LinkState::Live, kvr::LinkState::Waiting, 0, 0}); }
    void record(int samples) {
        startRecording();
        for (int i = 0; i < samples; ++i) log().takeSample();
        stopRecording();
    }
    TAbTrend& chart() { return *form.logChart->chart; }
    QPoint plotPoint(int column) { return chart().plotRect().topLeft() + QPoint(column, 40); }
};

// A log chart file of `records` records a tenth of a second apart from
// 12:00:00.000, RPM rising by 10 a record, the other channels at 500.
void writeChartFile(const std::string& file, int records) {
    std::ofstream out(file, std::ios::binary);
    for (int i = 0; i < records; ++i) {
        kvr::TrendRecord rec;
        rec.time = 45658.5 + i * 0.1 / 86400;
        rec.digits = {static_cast<uint16_t>(1000 + 10 * i), 500, 500, 500, 500, 500, 500, 500};
        unsigned char bytes[kvr::kTrendRecordBytes];
        kvr::encodeTrendRecord(rec, bytes);
        out.write(reinterpret_cast<const char*>(bytes), sizeof bytes);
    }
}

// The window-relative rectangle of a widget.
QRect inWindow(const QWidget* w) { return QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size()); }

// The controls a user sees and works: buttons, labels, spin boxes, the chart.
std::vector<QWidget*> visibleControls(QWidget* page) {
    std::vector<QWidget*> out;
    for (QWidget* w : page->findChildren<QWidget*>()) {
        if (!w->isVisible()) continue;
        if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QLabel*>(w) || qobject_cast<QAbstractSpinBox*>(w))
            out.push_back(w);
    }
    return out;
}

TEST(LogChartWindow, NewControlsFitTheirTextsAndCoverNothingAt900x680) {
    Window win;
    LogChartTab& tab = win.tab();
    TAbTrend& chart = win.chart();
    const std::vector<QWidget*> added = {tab.timeZoomInButton, tab.timeZoomOutButton, tab.timeScaleLabel,
                                         tab.liveButton, tab.referenceReadout};
    const QRect chartRect = inWindow(&chart);
    const QRect plot = chart.plotRect().translated(chartRect.topLeft());
    const QRect caption = chart.captionRect().translated(chartRect.topLeft());
    ASSERT_FALSE(caption.isEmpty());

    // Each scale text in the label, each reference line as long as it gets.
    for (int i = 0; i < kvr::timeScaleLevels() + 2; ++i)
        tab.timeZoomOutButton->click();
    EXPECT_EQ(tab.timeScaleLabel->text(), QStringLiteral("20000 records/pixel"));
    for (int i = 0; i < kvr::timeScaleLevels() + 2; ++i)
        tab.timeZoomInButton->click();
    EXPECT_EQ(tab.timeScaleLabel->text(), QStringLiteral("4 pixels/record"));
    QCoreApplication::processEvents();

    for (QWidget* w : added) {
        SCOPED_TRACE(w->accessibleName().toStdString());
        EXPECT_FALSE(w->accessibleName().isEmpty());
        const QRect r = inWindow(w);
        EXPECT_TRUE(chartRect.contains(r)) << "inside the chart";
        EXPECT_FALSE(r.intersects(plot)) << "off the data";
        EXPECT_FALSE(r.intersects(caption)) << "clear of the caption";
        EXPECT_LE(r.right(),
                  win.form.logChartTab->mapTo(&win.form, QPoint(win.form.logChartTab->width(), 0)).x());
        if (auto* b = qobject_cast<QPushButton*>(w)) {
            EXPECT_GE(b->width(), QFontMetrics(b->font()).horizontalAdvance(b->text()) + 8) << "text fits";
            EXPECT_GE(b->height(), QFontMetrics(b->font()).height()) << "text fits";
        }
        for (QWidget* other : visibleControls(win.form.logChartTab)) {
            if (other == w || other->isAncestorOf(w) || w->isAncestorOf(other) || other == &chart) continue;
            EXPECT_FALSE(r.intersects(inWindow(other)))
                << "overlaps " << other->metaObject()->className() << " \"" << other->accessibleName().toStdString()
                << "\"";
        }
    }
    QFontMetrics scale(tab.timeScaleLabel->font());
    for (int level = 0; level < kvr::timeScaleLevels(); ++level)
        EXPECT_LE(scale.horizontalAdvance(QString::fromStdString(kvr::timeScaleAt(level).text())),
                  tab.timeScaleLabel->width());

    // The longest reference line in range: every difference across its
    // channel's widest range, over a full store's 8 h 20 min.
    const float across[8] = {-15000, -13, -157, -60, -64, -310, -15, -120};
    const float none[8] = {};
    const QString longest = QString::fromStdString(kvr::referenceReadout(across, 45658.0, none, 45658.35));
    EXPECT_LE(QFontMetrics(tab.referenceReadout->font()).horizontalAdvance(longest),
              tab.referenceReadout->width())
        << longest.toStdString();
}

TEST(LogChartWindow, LiveAndEndFollowTheNewestRecordAgainAfterAMove) {
    Window win;
    LogChartTab& tab = win.tab();
    TAbTrend& chart = win.chart();
    kvr::TrendRecorder& r = chart.recorder();
    win.startRecording();
    for (int i = 0; i < 3000; ++i) win.log().takeSample();
    tab.apply();
    auto newestInView = [&] {
        const int64_t column = r.timeScale().columnOf(r.store().count() - 1 - r.firstShown());
        return column >= 0 && column <= r.plotColumns();
    };
    ASSERT_TRUE(tab.liveButton->isChecked()) << "following at start";
    ASSERT_TRUE(newestInView());

    tab.moveBackButton->click();  // "<<"
    EXPECT_FALSE(tab.liveButton->isChecked());
    const int parked = r.firstShown();
    for (int i = 0; i < 1000; ++i) win.log().takeSample();
    EXPECT_EQ(r.firstShown(), parked);
    EXPECT_FALSE(newestInView());

    tab.liveButton->click();
    EXPECT_TRUE(tab.liveButton->isChecked());
    EXPECT_TRUE(newestInView());
    EXPECT_TRUE(chart.hasFocus() || !QApplication::focusWidget()) << "the chart keeps the keys";
    for (int i = 0; i < 800; ++i) {
        win.log().takeSample();
        ASSERT_TRUE(newestInView()) << i;
    }
    tab.liveButton->click();
    EXPECT_TRUE(tab.liveButton->isChecked()) << "a second press keeps following";

    QTest::keyClick(&chart, Qt::Key_Left);
    EXPECT_FALSE(tab.liveButton->isChecked()) << "a key move shows in the button";
    QTest::keyClick(&chart, Qt::Key_End);
    EXPECT_TRUE(tab.liveButton->isChecked());
    EXPECT_TRUE(newestInView());

    // The data stops: the chart still shows the newest record, but nothing
    // new comes to follow, so Live is not lit, pressed or not.
    win.stopRecording();
    tab.apply();
    EXPECT_TRUE(chart.following());
    EXPECT_FALSE(tab.liveButton->isChecked());
    tab.liveButton->click();
    EXPECT_FALSE(tab.liveButton->isChecked());
    win.startRecording();
    tab.apply();
    EXPECT_TRUE(tab.liveButton->isChecked()) << "lit again when live data comes back";

    // Live data that the log does not record ("Stop") brings the chart nothing to follow.
    win.log().setLoggingSwitch(kvr::kLogStop);
    win.log().onRecord(kvr::LiveRecord{});
    ASSERT_FALSE(win.log().recording());
    tab.apply();
    EXPECT_FALSE(tab.liveButton->isChecked());
}

TEST(LogTextWindow, NewLinesStayInViewUnlessTheUserScrolledUp) {
    Window win;
    win.form.resize(900, 680);
    win.form.show();
    TextTabs& texts = *win.form.textTabs;
    QScrollBar* bar = texts.textLog->verticalScrollBar();
    auto append = [&](int count, const std::string& text) {
        std::vector<std::string> lines;
        for (int i = 0; i < count; ++i) lines.push_back(text + " " + std::to_string(i));
        texts.appendToLog(lines);
        QCoreApplication::processEvents();
    };
    // Lines that come while another page is shown are in view when the
    // Log Text tab is opened.
    win.form.pages->setCurrentWidget(win.form.gaugesTab);
    append(200, "scan");
    win.form.pages->setCurrentWidget(win.form.logTextTab);
    QCoreApplication::processEvents();
    append(1, "COM3 link back after 13 s");
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum()) << "following the newest line";
    win.form.pages->setCurrentWidget(win.form.gaugesTab);
    append(50, "while away");
    win.form.pages->setCurrentWidget(win.form.logTextTab);
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->value(), bar->maximum());

    bar->setValue(10);  // the user scrolls up to read
    append(5, "another line");
    EXPECT_EQ(bar->value(), 10) << "the view stays where the user put it";
}

TEST(LogChartWindow, TheReadOutEmptiesOffTheRecordsAndOnErase) {
    Window win;
    win.form.resize(900, 680);
    win.form.show();
    win.form.pages->setCurrentWidget(win.form.logChartTab);
    LogChartTab& tab = win.tab();
    win.record(100);  // 100 records at one a pixel: the rest of the plot is empty
    QCoreApplication::processEvents();
    const QString hint = "Log data, move mouse over Log Chart";
    QTest::mouseMove(&win.chart(), win.plotPoint(50));
    EXPECT_TRUE(tab.cursorReadout->text().startsWith("RPM= ")) << tab.cursorReadout->text().toStdString();
    QTest::mouseMove(&win.chart(), win.plotPoint(300));
    EXPECT_EQ(tab.cursorReadout->text(), hint) << "no record under the mouse";
    QTest::mouseMove(&win.chart(), win.plotPoint(40));
    ASSERT_TRUE(tab.cursorReadout->text().startsWith("RPM= "));

    win.dialogs.choices = {1};  // "Discard"
    tab.eraseButton->click();
    EXPECT_EQ(win.chart().store().count(), 0);
    EXPECT_EQ(tab.cursorReadout->text(), hint) << "the erased log's values go with it";
}

TEST(LogChartWindow, ReadOutShowsTheTimeAndTheDifferencesFromTheReference) {
    char dir[] = "/tmp/kvr-chart-window-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    const std::string file = std::string(dir) + "/run.KVL";
    // Records a tenth of a second apart from 12:00:00.000, RPM rising by 10 a record.
    writeChartFile(file, 400);
    Window win;
    LogChartTab& tab = win.tab();
    ASSERT_EQ(win.form.core().chartLog.open(file), 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(tab.referenceReadout->text().startsWith("Click the chart"))
        << "a hint until a reference is set";

    // Right of the data there is no record to read out: the hint stays.
    QTest::mouseMove(&win.chart(), win.plotPoint(600));
    EXPECT_EQ(tab.cursorReadout->text(), "Log data, move mouse over Log Chart");

    QTest::mouseMove(&win.chart(), win.plotPoint(50));
    EXPECT_TRUE(tab.cursorReadout->text().startsWith("RPM= 1500 rpm, MAP= "))
        << tab.cursorReadout->text().toStdString();
    EXPECT_TRUE(tab.cursorReadout->text().endsWith(", TIME= 12:00:05.000"))
        << tab.cursorReadout->text().toStdString();

    QTest::mouseClick(&win.chart(), Qt::LeftButton, Qt::NoModifier, win.plotPoint(50));
    EXPECT_TRUE(
        tab.referenceReadout->text().startsWith("REF= 12:00:05.000, dT= 0.000 s, dRPM= 0, dMAP= 0.00"))
        << tab.referenceReadout->text().toStdString();

    QTest::mouseMove(&win.chart(), win.plotPoint(80));
    EXPECT_TRUE(tab.cursorReadout->text().endsWith(", TIME= 12:00:08.000"));
    EXPECT_TRUE(
        tab.referenceReadout->text().startsWith("REF= 12:00:05.000, dT= +3.000 s, dRPM= +300, dMAP= 0.00"))
        << tab.referenceReadout->text().toStdString();
    QTest::mouseMove(&win.chart(), win.plotPoint(20));
    EXPECT_TRUE(tab.referenceReadout->text().startsWith("REF= 12:00:05.000, dT= -3.000 s, dRPM= -300"))
        << tab.referenceReadout->text().toStdString();

    // On a chart narrower than the line, the line is cut with "..." and
    // the whole of it is in the tool tip.
    win.chart().resize(420, win.chart().height());
    QTest::mouseMove(&win.chart(), win.plotPoint(21));
    const QString full = tab.referenceReadout->toolTip();
    EXPECT_TRUE(full.startsWith("REF= 12:00:05.000, dT= -2.900 s, dRPM= -290")) << full.toStdString();
    EXPECT_TRUE(tab.referenceReadout->text().endsWith(QChar(0x2026)))
        << tab.referenceReadout->text().toStdString();
    EXPECT_LE(tab.referenceReadout->fontMetrics().horizontalAdvance(tab.referenceReadout->text()),
              tab.referenceReadout->width());

    QTest::keyClick(&win.chart(), Qt::Key_Escape);
    EXPECT_TRUE(tab.referenceReadout->text().startsWith("Click the chart"));
    std::remove(file.c_str());
    ::rmdir(dir);
}

// A log opened while the chart records is shown for viewing: recording
// stops, the logging switch shows Stop, and switching logging on again
// starts a new log instead of appending to the opened one.
TEST(LogChartWindow, OpeningALogWhileRecordingShowsItAndGoStartsANewLog) {
    Window win;
    char dir[] = "/tmp/kvr-openview-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    const std::string file = std::string(dir) + "/old.KVL";
    writeChartFile(file, 30);
    win.tab().loggingSwitchItems[kvr::kLogGo]->click();
    win.log().onLinkChange(kvr::LinkChange{kvr::LinkState::Waiting, kvr::LinkState::Live, 0, 0});
    win.log().onRecord(kvr::LiveRecord{});
    ASSERT_TRUE(win.log().recording());
    for (int i = 0; i < 20; ++i) win.log().takeSample();

    win.dialogs.questions.clear();  // an offer of a log an earlier test left is not this test's
    win.dialogs.choices = {1};      // the 20 unsaved records: Discard
    win.dialogs.fileAnswers = {QString::fromStdString(file)};
    win.tab().openLogButton->click();
    ASSERT_EQ(win.dialogs.questions.size(), 1);
    EXPECT_TRUE(win.dialogs.questions[0].contains("20 records")) << win.dialogs.questions[0].toStdString();
    EXPECT_EQ(win.log().store().count(), 30) << "the opened log alone";
    EXPECT_FALSE(win.log().recording());
    EXPECT_TRUE(win.tab().loggingSwitchItems[kvr::kLogStop]->isChecked());
    EXPECT_FALSE(win.tab().loggingLamp->Checked());
    win.log().onRecord(kvr::LiveRecord{});
    EXPECT_FALSE(win.log().takeSample()) << "live data goes nowhere while a log is viewed";
    EXPECT_EQ(win.chart().recorder().store().count(), 30);

    win.tab().loggingSwitchItems[kvr::kLogGo]->click();
    win.log().onRecord(kvr::LiveRecord{});
    EXPECT_TRUE(win.log().recording());
    EXPECT_TRUE(win.log().takeSample());
    EXPECT_EQ(win.log().store().count(), 1) << "a new log";
    EXPECT_EQ(win.chart().recorder().store().count(), 1) << "the chart shows it";
    std::remove(file.c_str());
    ::rmdir(dir);
}

// The lines the text log shows (hidden details left out).
QStringList shownLines(const TextTabs& texts) {
    QStringList shown;
    for (QTextBlock b = texts.textLog->document()->begin(); b.isValid(); b = b.next())
        if (b.isVisible()) shown << b.text();
    return shown;
}

TEST(LogTextWindow, DetailsHidesTheScanAndFetchLinesWhichCopyAndSaveStillHold) {
    Window win;
    TextTabs& texts = *win.form.textTabs;
    win.form.pages->setCurrentWidget(win.form.logTextTab);
    // The start's port scan found nothing: 40 lines and a count, all details.
    ASSERT_FALSE(texts.detailsCheck->isChecked()) << "details hidden at start";
    const int scanLines = texts.textLog->document()->blockCount();
    ASSERT_GE(scanLines, 41);
    // A fetch and a link loss as the session reports them.
    std::vector<std::string> lines = {"COMPORT 3 OPENED", "SENDING D", "FETCH SERIAL TEXT", "SER BUFFER2250",
                                      "2244", ")" + std::string(1200, 'A') + " notes with spaces " + std::string(1024, 'B'),
                                      "^SETUP 31 04 05 0000     FC", "RESCALE LOGCHART16", "CONFIG5=0",
                                      "12:00:01 COM3 no data for 3.0 s", "12:00:14 COM3 link back after 13 s",
                                      "Saved file:/tmp/run1"};
    texts.appendToLog(lines);
    const QStringList watched = {"COMPORT 3 OPENED", "12:00:01 COM3 no data for 3.0 s",
                                 "12:00:14 COM3 link back after 13 s", "Saved file:/tmp/run1"};
    EXPECT_EQ(shownLines(texts), watched);

    texts.detailsCheck->click();
    EXPECT_EQ(shownLines(texts).size(), scanLines + 12);
    texts.detailsCheck->click();
    EXPECT_EQ(shownLines(texts), watched);

    // Copy and Save Text hold every line, hidden or not.
    const QString all = texts.textLog->toPlainText();
    EXPECT_EQ(all.split('\n').size(), scanLines + 12);
    texts.copyLogButton->click();
    EXPECT_EQ(QApplication::clipboard()->text(), all);
    char dir[] = "/tmp/kvr-savetext-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    const QString file = QString(dir) + "/text.txt";
    win.dialogs.fileAnswers = {file};
    win.form.menus->saveTextAction->trigger();
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(saved.readAll()), all + "\n");
    saved.remove();
    ::rmdir(dir);
    // Cancelled, nothing is written and nothing is said.
    win.dialogs.fileAnswers = {};
    win.form.menus->saveTextAction->trigger();
    EXPECT_TRUE(win.dialogs.warnings.isEmpty());
}

}  // namespace
