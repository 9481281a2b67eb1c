// Moving over the chart log in the window: moves stop at the log's ends,
// "Fit" shows the whole log, and "Go to time" centres the chart on a time.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QWheelEvent>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

#include "dashboard/link/memory_serial_port.h"
#include "dashboard/logging/trend_record.h"
#include "dashboard/ui/log_chart_tab.h"
#include "dashboard/ui/main_window.h"
#include "support/recording_dialogs.h"
#include "widgets/ab_trend.h"
#include "widgets/trend_overview_strip.h"

namespace {

constexpr double kSecond = 1.0 / 86400;

struct Window {
    kvr::MemorySerialPort port;
    RecordingDialogs dialogs;
    MainWindow form{port, dialogs};
    std::string dir;

    Window() {
        form.resize(900, 680);
        form.show();
        form.pages->setCurrentWidget(form.logChartTab);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
        QCoreApplication::processEvents();
        char name[] = "/tmp/kvr-chartnav-XXXXXX";
        if (::mkdtemp(name)) dir = name;
    }
    ~Window() { ::rmdir(dir.c_str()); }
    LogChartTab& tab() { return *form.logChart; }
    TAbTrend& chart() { return *form.logChart->chart; }
    kvr::TrendRecorder& recorder() { return chart().recorder(); }

    // Opens a log of `records` records `step` seconds apart from `start`
    // (local days), channel 1 rising.
    void open(int records, double start = 45658.5, double step = 0.1) {
        const std::string file = dir + "/nav.KVL";
        {
            std::ofstream out(file, std::ios::binary);
            for (int i = 0; i < records; ++i) {
                kvr::TrendRecord rec;
                rec.time = start + i * step * kSecond;
                rec.digits = {static_cast<uint16_t>(i % 4000), 500, 500, 500, 500, 500, 500, 500};
                unsigned char bytes[kvr::kTrendRecordBytes];
                kvr::encodeTrendRecord(rec, bytes);
                out.write(reinterpret_cast<const char*>(bytes), sizeof bytes);
            }
        }
        dialogs.fileAnswers = {QString::fromStdString(file)};
        tab().openLogButton->click();
        std::remove(file.c_str());
        ASSERT_EQ(recorder().store().count(), records);
    }
    // Records wholly in the plot at the time zoom.
    int64_t capacity() { return recorder().timeScale().recordsWholeBefore(recorder().plotColumns()); }
    // Shift and the wheel: a move.
    void wheel(int delta) {
        const QPoint at = chart().plotRect().center();
        QWheelEvent event(at, chart().mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::ShiftModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&chart(), &event);
    }
};

TEST(ChartNavigationWindow, MovesStopAtTheNewestAndTheOldestRecord) {
    Window win;
    win.open(2000);
    TAbTrend& chart = win.chart();
    kvr::TrendRecorder& r = win.recorder();
    const int64_t lastFirst = r.store().count() - win.capacity();
    ASSERT_GT(lastFirst, 200);

    for (int i = 0; i < 40; ++i) QTest::keyClick(&chart, Qt::Key_Right);
    EXPECT_EQ(r.firstShown(), lastFirst) << "Right stops with the newest record at the right edge";
    EXPECT_EQ(chart.visibleRecords().last, r.store().count() - 1);
    for (int i = 0; i < 5; ++i) win.tab().moveForwardButton->click();
    EXPECT_EQ(r.firstShown(), lastFirst) << ">> too";
    for (int i = 0; i < 30; ++i) win.wheel(-120);
    EXPECT_EQ(r.firstShown(), lastFirst) << "the wheel too";

    win.wheel(120);
    EXPECT_EQ(r.firstShown(), lastFirst - r.GridXPixel()) << "a notch away goes back a grid column";
    for (int i = 0; i < 40; ++i) win.tab().moveBackButton->click();
    EXPECT_EQ(r.firstShown(), 0);
    QTest::keyClick(&chart, Qt::Key_Left);
    win.wheel(120);
    EXPECT_EQ(r.firstShown(), 0) << "nothing before the oldest record";
    QTest::keyClick(&chart, Qt::Key_Right);
    QTest::keyClick(&chart, Qt::Key_Home);
    EXPECT_EQ(r.firstShown(), 0);
    EXPECT_FALSE(chart.following());
}

TEST(ChartNavigationWindow, FitShowsTheWholeLogFromItsOldestRecord) {
    for (int records : {150, 700, 2000, 9000, 40000}) {
        SCOPED_TRACE(records);
        Window win;
        win.open(records);
        kvr::TrendRecorder& r = win.recorder();
        QTest::keyClick(&win.chart(), Qt::Key_End);  // following: Fit stops it
        win.tab().fitButton->click();
        EXPECT_EQ(r.firstShown(), 0);
        EXPECT_EQ(win.chart().visibleRecords().last, records - 1) << r.timeScale().text();
        EXPECT_FALSE(win.chart().following());
        EXPECT_EQ(win.tab().timeScaleLabel->text(), QString::fromStdString(r.timeScale().text()));
        // The finest such zoom: one step finer no longer holds it.
        if (r.timeZoomLevel() > 0) {
            EXPECT_LT(kvr::timeScaleAt(r.timeZoomLevel() - 1).recordsWholeBefore(r.plotColumns()), records);
        }

        // Key F does the same from anywhere and any zoom.
        win.tab().timeZoomInButton->click();
        QTest::keyClick(&win.chart(), Qt::Key_Right);
        QTest::keyClick(&win.chart(), Qt::Key_F);
        EXPECT_EQ(r.firstShown(), 0);
        EXPECT_EQ(win.chart().visibleRecords().last, records - 1);
    }
}

TEST(ChartNavigationWindow, GoToTimeCentresTheChartOnTheRecordAtThatTime) {
    Window win;
    // 23:50:00 to 00:20:00, a record a second.
    const double start = 45658 + (23 * 60 + 50) * 60 * kSecond;
    win.open(1801, start, 1.0);
    kvr::TrendRecorder& r = win.recorder();
    QLineEdit* edit = win.tab().goToTimeEdit;
    ASSERT_EQ(edit->objectName(), "goToTimeEdit");

    QTest::keyClick(&win.form, Qt::Key_G, Qt::ControlModifier);
    EXPECT_TRUE(edit->hasFocus()) << "Ctrl+G goes to the box";

    // Zoomed in, so that 900 records do not fit and the view must move.
    for (int i = 0; i < 2; ++i) win.tab().timeZoomInButton->click();
    QTest::keyClicks(edit, "00:05");
    QTest::keyClick(edit, Qt::Key_Return);
    const int middle = static_cast<int>(r.timeScale().recordAt(r.plotColumns() / 2));
    EXPECT_EQ(r.firstShown(), 900 - middle) << "record 900, 00:05:00 after midnight, in the middle";
    EXPECT_FALSE(win.chart().following());

    edit->clear();
    QTest::keyClicks(edit, "+90s");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(r.firstShown(), std::max(0, 90 - middle));
    const kvr::RecordSpan span = win.chart().visibleRecords();
    EXPECT_TRUE(span.first <= 90 && 90 <= span.last);

    // Near the end the chart stops at the newest record.
    edit->clear();
    QTest::keyClicks(edit, "2025-01-02 00:19:59");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(win.chart().visibleRecords().last, 1800);
    EXPECT_EQ(r.firstShown(), 1801 - win.capacity());

    // A time the log does not hold, or no time: the view stays and says why.
    const int before = r.firstShown();
    for (const char* text : {"12:00", "half past"}) {
        edit->clear();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_EQ(r.firstShown(), before) << text;
        EXPECT_FALSE(edit->toolTip().isEmpty());
    }
    EXPECT_TRUE(win.tab().cursorReadout->text().contains("no time")) << win.tab().cursorReadout->text().toStdString();
}

TEST(ChartNavigationWindow, FitAndGoToSitInTheCaptionRowClearOfTheCaptionAndThePlot) {
    Window win;
    TAbTrend& chart = win.chart();
    for (QWidget* w : {static_cast<QWidget*>(win.tab().fitButton), static_cast<QWidget*>(win.tab().goToTimeEdit),
                       static_cast<QWidget*>(win.tab().stackedButton)}) {
        SCOPED_TRACE(w->objectName().toStdString());
        const QRect r(w->mapTo(&chart, QPoint(0, 0)), w->size());
        EXPECT_TRUE(w->isVisible());
        EXPECT_TRUE(chart.rect().contains(r));
        EXPECT_FALSE(r.intersects(chart.plotRect()));
        EXPECT_FALSE(r.intersects(chart.captionRect()));
    }
    EXPECT_GE(win.tab().fitButton->width(),
              QFontMetrics(win.tab().fitButton->font()).horizontalAdvance(win.tab().fitButton->text()) + 8);
}

TEST(ChartNavigationWindow, StackedSwitchesByButtonAndKeyAndTheOverviewFollowsTheView) {
    Window win;
    win.open(20000);
    LogChartTab& tab = win.tab();
    ASSERT_FALSE(win.chart().Stacked()) << "the overlaid view is the default";
    tab.stackedButton->click();
    EXPECT_TRUE(win.chart().Stacked());
    EXPECT_TRUE(win.recorder().laneOf(1).has_value());
    win.chart().setFocus();
    QTest::keyClick(&win.chart(), Qt::Key_S);
    EXPECT_FALSE(win.chart().Stacked());
    EXPECT_FALSE(tab.stackedButton->isChecked()) << "the button follows the key";

    // The strip lines up under the plot and marks the view; a click on its
    // far right shows the log's end.
    TrendOverviewStrip& strip = *tab.overviewStrip;
    EXPECT_TRUE(strip.isVisible());
    EXPECT_GT(strip.y(), win.chart().y() + win.chart().height() - 1);
    EXPECT_LT(strip.y() + strip.height(), tab.rangeStatsLine->y() + 1);
    win.chart().showOldest();
    EXPECT_EQ(strip.window().left, 0);
    QTest::mouseClick(&strip, Qt::LeftButton, Qt::NoModifier,
                      QPoint(strip.stripRect().right(), strip.height() / 2));
    EXPECT_EQ(win.chart().visibleRecords().last, 19999);
    EXPECT_EQ(strip.window().right, strip.stripRect().width() - 1);
}

TEST(ChartNavigationWindow, TheLegendAndTheReadOutGiveEachChannelsRangeAndUnit) {
    Window win;
    win.open(100);
    LogChartTab& tab = win.tab();
    ASSERT_EQ(tab.leftScaleChannel->value(), 1);
    EXPECT_EQ(tab.legendChecks[0]->toolTip().toStdString(), "RPM: 0 to 10000 rpm (left scale)");
    const int right = tab.rightScaleChannel->value();
    EXPECT_TRUE(tab.legendChecks[right - 1]->toolTip().endsWith(" (right scale)"));
    const QString tip = tab.cursorReadout->toolTip();
    for (int n = 0; n < 8; ++n) EXPECT_TRUE(tip.contains(tab.legendChecks[n]->toolTip())) << n;
    QTest::mouseMove(&win.chart(), win.chart().plotRect().topLeft() + QPoint(50, 20));
    EXPECT_TRUE(tab.cursorReadout->text().startsWith("RPM= 50 rpm, MAP= ")) << tab.cursorReadout->text().toStdString();
    EXPECT_TRUE(tab.cursorReadout->text().contains(" DUTY= 60 %")) << tab.cursorReadout->text().toStdString();
}

}  // namespace
