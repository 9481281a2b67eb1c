// Markers, the statistics line and export in the window, offscreen: "Mark"
// and the M key place numbered markers while the log records from the
// simulator and nothing when it does not; M typed into a text box stays a
// letter; a marker's label is found under the pointer and renamed by a
// double-click; the line under the chart gives the records in view their
// minimum, mean and maximum; File > Export writes the visible range or the
// whole log; the full-screen gauges say when the log records.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

#include "dashboard/link/memory_serial_port.h"
#include "dashboard/logging/trend_record.h"
#include "dashboard/ui/connection_bar.h"
#include "dashboard/ui/full_screen.h"
#include "dashboard/ui/log_chart_tab.h"
#include "dashboard/ui/main_window.h"
#include "dashboard/ui/text_tabs.h"
#include "dashboard/ui/window_menu.h"
#include "default_values_image.h"
#include "ecu_simulator.h"
#include "support/csv_rows.h"
#include "support/recording_dialogs.h"
#include "support/scratch_logs.h"
#include "widgets/ab_trend.h"

namespace {

// The window's dialogs, with answers for the text box too.
struct AnsweringDialogs : RecordingDialogs {
    QStringList textLabels;   // what the text boxes asked
    QStringList textAnswers;  // the texts "entered", in order; none left cancels

    std::optional<QString> textInput(QWidget*, const QString& label, const QString&) override {
        textLabels << label;
        if (textAnswers.isEmpty()) return std::nullopt;
        return textAnswers.takeFirst();
    }
};

// The window at its design size on the Log Chart tab, active, so its keys
// reach it.
struct Window {
    kvr::MemorySerialPort port;
    AnsweringDialogs dialogs;
    MainWindow form{port, dialogs};

    Window() {
        form.resize(900, 680);
        form.show();
        form.pages->setCurrentWidget(form.logChartTab);
        form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        dialogs.questions.clear();  // an offer of a log an earlier test left is not this test's
    }
    LogChartTab& tab() { return *form.logChart; }
    TAbTrend& chart() { return *form.logChart->chart; }
    kvr::ChartLog& log() { return form.core().chartLog; }
    const std::vector<kvr::ChartMarker>& markers() { return log().markers(); }

    // "Go" on a fresh link, `samples` samples, without the serial line.
    void startRecording() {
        tab().loggingSwitchItems[kvr::kLogGo]->click();
        log().onLinkChange(kvr::LinkChange{kvr::LinkState::Waiting, kvr::LinkState::Live, 0, 0});
        log().onRecord(kvr::LiveRecord{});
        ASSERT_TRUE(log().recording());
    }
    // "Stop", judged at the next record.
    void stopRecording() {
        tab().loggingSwitchItems[kvr::kLogStop]->click();
        log().onRecord(kvr::LiveRecord{});
    }
    void sample(int samples) {
        for (int i = 0; i < samples; ++i) log().takeSample();
    }
    // The point of the plot at `column`, `down` pixels under its top.
    QPoint plotPoint(int column, int down) { return chart().plotRect().topLeft() + QPoint(column, down); }
    QPoint recordPoint(int record, int down) { return plotPoint(record - chart().recorder().firstShown(), down); }
};

// A log chart file of `records` records a tenth of a second apart from
// 12:00:00: channel 1 (RPM, one digit a revolution) from `rpm(i)`, the
// others from `other(i)`.
template <typename Rpm, typename Other>
void writeChartFile(const std::string& file, int records, Rpm rpm, Other other) {
    std::ofstream out(file, std::ios::binary);
    for (int i = 0; i < records; ++i) {
        kvr::TrendRecord rec;
        rec.time = 45658.5 + i * 0.1 / 86400;
        rec.digits[0] = static_cast<uint16_t>(rpm(i));
        for (size_t c = 1; c < rec.digits.size(); ++c) rec.digits[c] = static_cast<uint16_t>(other(i, c));
        unsigned char bytes[kvr::kTrendRecordBytes];
        kvr::encodeTrendRecord(rec, bytes);
        out.write(reinterpret_cast<const char*>(bytes), sizeof bytes);
    }
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The rows of a CSV export under its header row.
int csvDataRows(const std::string& path) {
    const std::vector<CsvRow> rows = csvRows(readFile(path));
    return rows.empty() ? -1 : static_cast<int>(rows.size()) - 1;
}

TEST(MarkersWindow, MarkAndTheMKeyPlaceNumberedMarkersWhileTheSimulatorIsRecorded) {
    Window win;
    MainWindow& form = win.form;
    win.port.resetResults[0] = 1;
    form.connectionBar->openPortButton->click();
    ASSERT_TRUE(form.core().session.portOpen);
    win.tab().loggingSwitchItems[kvr::kLogGo]->click();
    win.chart().setFocus();  // where the user last clicked: no text box
    kvrsim::SimulatorSettings settings;
    settings.setupEvery = 0;
    kvrsim::EcuSimulator sim(kvrsim::defaultValuesImage(), kvrsim::EngineModel(kvrsim::EngineSettings{}), settings);
    auto drive = [&](double from, double to) {
        for (double t = from; t < to; t += 0.1) {
            form.pollTimer.stop();  // ticks are driven by hand here
            form.pollTick();
            sim.receive(win.port.takeWritten(), t);
            win.port.feed(sim.takeOutput());
            win.log().takeSample();
        }
    };
    drive(0, 3);
    ASSERT_TRUE(win.log().recording()) << "live records with Go";
    const int recorded = win.log().store().count();
    ASSERT_GT(recorded, 10);

    QTest::keyClick(&form, Qt::Key_M);
    drive(3, 4);
    win.tab().markButton->click();
    ASSERT_EQ(win.markers().size(), 2u);
    EXPECT_EQ(win.markers()[0].number, 0);
    EXPECT_EQ(win.markers()[1].number, 1);
    EXPECT_EQ(win.markers()[0].text, "Mark 1");
    EXPECT_EQ(win.markers()[1].text, "Mark 2");
    EXPECT_EQ(win.markers()[0].record, recorded - 1) << "on the newest record when placed";
    EXPECT_GT(win.markers()[1].record, win.markers()[0].record);
    ASSERT_EQ(win.chart().markers().size(), 2u) << "the chart draws them";
    EXPECT_EQ(win.chart().markers()[1].label, "2 Mark 2");
    EXPECT_EQ(win.chart().markers()[1].kind, kvr::TrendMarkerKind::User);
    EXPECT_TRUE(form.statusNote->text().startsWith("Marker 2 at ")) << form.statusNote->text().toStdString();

    win.tab().loggingSwitchItems[kvr::kLogStop]->click();
    drive(4, 5);
    ASSERT_FALSE(win.log().recording());
    QTest::keyClick(&form, Qt::Key_M);
    win.tab().markButton->click();
    EXPECT_EQ(win.markers().size(), 2u) << "no marker without recording";
    EXPECT_EQ(win.chart().markers().size(), 2u);
    EXPECT_EQ(form.statusNote->text(), "No marker placed: the log is not recording");
}

TEST(MarkersWindow, MTypedIntoATextBoxIsALetterAndNoMarker) {
    Window win;
    MainWindow& form = win.form;
    win.startRecording();
    win.sample(5);

    form.pages->setCurrentWidget(form.notesTab);
    QPlainTextEdit* notes = form.textTabs->notesEdit;
    notes->setFocus();
    QTest::keyClicks(notes, "mM");
    EXPECT_EQ(notes->toPlainText(), "mM");
    QLineEdit* title = form.connectionBar->titleEdit;
    title->setFocus();
    QTest::keyClick(title, Qt::Key_M);
    EXPECT_TRUE(title->text().endsWith("m")) << title->text().toStdString();
    form.pages->setCurrentWidget(form.logChartTab);
    win.tab().rpmThresholdEdit->setFocus();
    QTest::keyClick(win.tab().rpmThresholdEdit, Qt::Key_M);
    EXPECT_TRUE(win.markers().empty()) << "the letter went to the text box";

    // Away from text boxes the key marks the log.
    win.chart().setFocus();
    QTest::keyClick(&win.chart(), Qt::Key_M);
    EXPECT_EQ(win.markers().size(), 1u);
}

TEST(MarkersWindow, ALabelIsFoundUnderThePointerAndADoubleClickRenamesItsMarker) {
    Window win;
    win.startRecording();
    win.sample(100);
    win.form.placeMarker();
    win.sample(100);
    win.form.placeMarker();
    win.sample(100);
    ASSERT_EQ(win.markers().size(), 2u);
    const int first = win.markers()[0].record, second = win.markers()[1].record;
    ASSERT_EQ(second - first, 100);
    TAbTrend& chart = win.chart();

    // Each label starts just right of its line in the top row.
    EXPECT_EQ(chart.markerAt(win.recordPoint(first, 5) + QPoint(5, 0)), 0);
    EXPECT_EQ(chart.markerAt(win.recordPoint(second, 5) + QPoint(5, 0)), 1);
    EXPECT_EQ(chart.markerAt(win.recordPoint(first, 5) + QPoint(-3, 0)), -1) << "left of the line";
    EXPECT_EQ(chart.markerAt(win.recordPoint(first + 70, 5)), -1) << "between the labels";
    EXPECT_EQ(chart.markerAt(win.recordPoint(first, 60) + QPoint(5, 0)), -1) << "under the label";

    win.dialogs.textAnswers = {"Full throttle\tpull"};
    QTest::mouseDClick(&chart, Qt::LeftButton, Qt::NoModifier, win.recordPoint(second, 5) + QPoint(6, 0));
    ASSERT_EQ(win.dialogs.textLabels.size(), 1);
    EXPECT_EQ(win.dialogs.textLabels[0], "Text of marker 2:");
    EXPECT_EQ(win.markers()[1].text, "Full throttle pull");
    EXPECT_EQ(win.markers()[0].text, "Mark 1") << "the other keeps its text";
    EXPECT_EQ(chart.markers()[1].label, "2 Full throttle pull") << "the chart shows the new text";
    EXPECT_FALSE(chart.recorder().hasReference()) << "a click on a label sets no reference";

    // Cancelled: the text stays. Off the labels a double-click asks nothing.
    QTest::mouseDClick(&chart, Qt::LeftButton, Qt::NoModifier, win.recordPoint(first, 5) + QPoint(6, 0));
    EXPECT_EQ(win.markers()[0].text, "Mark 1");
    QTest::mouseDClick(&chart, Qt::LeftButton, Qt::NoModifier, win.recordPoint(first + 70, 80));
    EXPECT_EQ(win.dialogs.textLabels.size(), 2);
}

// Waits, events running, until the statistics line starts with `text`: it is
// worked out again a few times a second at most.
bool lineStartsWith(const QLabel* line, const QString& text) {
    return QTest::qWaitFor([&] { return line->text().startsWith(text); }, 2000);
}

bool tipStartsWith(const QLabel* line, const QString& text) {
    return QTest::qWaitFor([&] { return line->toolTip().startsWith(text); }, 2000);
}

TEST(MarkersWindow, TheLineUnderTheChartGivesTheRecordsInView) {
    const std::string dir = makeScratchDir("kvr-stats");
    const std::string file = dir + "/ramp.KVL";
    // RPM 1000, 1002, 1004 ...; MAP's channel steady at 500 digits.
    const int records = 2000;
    writeChartFile(file, records, [](int i) { return 1000 + 2 * i; }, [](int, size_t) { return 500; });
    Window win;
    LogChartTab& tab = win.tab();
    ASSERT_EQ(win.log().open(file), 0);
    ASSERT_EQ(win.chart().recorder().firstShown(), 0);
    const int columns = win.chart().plotRect().width();
    ASSERT_LT(columns, records);

    auto rpmFigures = [](int from, int to) {
        return QString("RPM min %1 mean %2 max %3")
            .arg(1000 + 2 * from)
            .arg(static_cast<double>(1000 + from + to), 0, 'f', 1)
            .arg(1000 + 2 * to);
    };
    QLabel* line = tab.rangeStatsLine;
    EXPECT_TRUE(lineStartsWith(line, rpmFigures(0, columns - 1))) << line->text().toStdString();
    EXPECT_EQ(line->text().count('\n'), 1) << "two rows";
    EXPECT_TRUE(line->toolTip().contains(rpmFigures(0, columns - 1)));

    // The view moves: the figures follow.
    tab.moveForwardButton->click();
    const int firstShown = win.chart().recorder().firstShown();
    ASSERT_EQ(firstShown, 100);
    EXPECT_TRUE(lineStartsWith(line, rpmFigures(100, 100 + columns - 1))) << line->text().toStdString();
    // Zoomed out far enough the rest of the log is in view.
    for (int i = 0; i < 4; ++i) tab.timeZoomOutButton->click();
    const kvr::RecordSpan zoomedOut = win.chart().visibleRecords();
    ASSERT_EQ(zoomedOut.last, records - 1);
    EXPECT_TRUE(lineStartsWith(line, rpmFigures(zoomedOut.first, records - 1))) << line->text().toStdString();

    // A hidden channel leaves the line.
    tab.legendChecks[0]->click();
    EXPECT_TRUE(tipStartsWith(line, QString("%1 records in view:\nAFR min").arg(records - zoomedOut.first)))
        << line->toolTip().toStdString();
    for (int i = 1; i < 8; ++i) tab.legendChecks[i]->click();
    EXPECT_TRUE(lineStartsWith(line, "No channel shown")) << line->text().toStdString();

    // Erased: nothing in view.
    for (QCheckBox* box : tab.legendChecks) box->click();
    win.log().clear();
    EXPECT_TRUE(lineStartsWith(line, "No records in view")) << line->text().toStdString();

    // Recording (the recording clock samples too): the line follows the
    // records as they come, separators left out.
    auto samples = [&] {
        int n = 0;
        for (const kvr::TrendRecord& r : win.log().store().records()) n += r.isSeparator() ? 0 : 1;
        return n;
    };
    win.startRecording();
    win.sample(3);
    win.stopRecording();
    ASSERT_GE(samples(), 3);
    EXPECT_TRUE(tipStartsWith(line, QString("%1 records in view").arg(samples()))) << line->toolTip().toStdString();
    win.startRecording();
    win.sample(4);
    win.stopRecording();
    ASSERT_GE(samples(), 7);
    ASSERT_GT(win.log().store().count(), samples()) << "a gap between the runs";
    EXPECT_TRUE(tipStartsWith(line, QString("%1 records in view").arg(samples()))) << line->toolTip().toStdString();
    QDir(QString::fromStdString(dir)).removeRecursively();
}

TEST(MarkersWindow, ExportWritesTheVisibleRangeOrTheWholeLog) {
    const std::string dir = makeScratchDir("kvr-export");
    const std::string file = dir + "/ramp.KVL";
    const int records = 2000;
    writeChartFile(file, records, [](int i) { return 1000 + 2 * i; }, [](int, size_t) { return 500; });
    Window win;
    ASSERT_EQ(win.log().open(file), 0);
    win.tab().moveForwardButton->click();
    const kvr::RecordSpan inView = win.chart().visibleRecords();
    ASSERT_EQ(inView.first, 100);
    ASSERT_LT(inView.last, records - 1);
    AnsweringDialogs& dialogs = win.dialogs;

    dialogs.choices = {1};  // Visible range
    dialogs.fileAnswers = {QString::fromStdString(dir + "/visible.csv")};
    win.form.menus->exportAction->trigger();
    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_TRUE(dialogs.warnings.isEmpty()) << dialogs.warnings.join('\n').toStdString();
    EXPECT_EQ(csvDataRows(dir + "/visible.csv"), inView.last - inView.first + 1);
    const std::vector<CsvRow> rows = csvRows(readFile(dir + "/visible.csv"));
    ASSERT_GT(rows.size(), 2u);
    EXPECT_EQ(rows[1][2], std::to_string(1000 + 2 * inView.first)) << "RPM of the first record in view";
    EXPECT_TRUE(win.form.statusNote->text().startsWith(
        QString("Exported %1 rows").arg(inView.last - inView.first + 1)))
        << win.form.statusNote->text().toStdString();

    dialogs.choices = {0};  // Whole log
    dialogs.fileAnswers = {QString::fromStdString(dir + "/whole.csv")};
    win.form.menus->exportAction->trigger();
    EXPECT_EQ(csvDataRows(dir + "/whole.csv"), records);

    // Cancelled at the question, or at the file: nothing written.
    dialogs.choices = {2};
    dialogs.fileAnswers = {QString::fromStdString(dir + "/cancelled.csv")};
    win.form.menus->exportAction->trigger();
    dialogs.choices = {0};
    dialogs.fileAnswers.clear();
    win.form.menus->exportAction->trigger();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir + "/cancelled.csv")));

    // A name of no format, and a folder that is not there: a box says so.
    dialogs.choices = {0, 0};
    dialogs.fileAnswers = {QString::fromStdString(dir + "/log.txt"),
                           QString::fromStdString(dir + "/missing/log.csv")};
    win.form.menus->exportAction->trigger();
    win.form.menus->exportAction->trigger();
    ASSERT_EQ(dialogs.warnings.size(), 2);
    EXPECT_TRUE(dialogs.warnings[0].contains("log.txt")) << dialogs.warnings[0].toStdString();
    EXPECT_TRUE(dialogs.warnings[1].startsWith("Export failed")) << dialogs.warnings[1].toStdString();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir + "/log.txt")));
    QDir(QString::fromStdString(dir)).removeRecursively();
}

TEST(MarkersWindow, TheFullScreenGaugesShowWhileTheLogRecords) {
    Window win;
    MainWindow& form = win.form;
    QTest::keyClick(&form, Qt::Key_F11);
    ASSERT_TRUE(form.gaugesFullScreen());
    QLabel* badge = form.findChild<QLabel*>("fullScreenRecording");
    ASSERT_NE(badge, nullptr);
    EXPECT_FALSE(badge->isVisible()) << "not recording";

    win.startRecording();
    win.sample(3);
    EXPECT_TRUE(badge->isVisible());
    EXPECT_TRUE(badge->text().contains("REC")) << badge->text().toStdString();
    EXPECT_TRUE(form.rect().contains(QRect(badge->mapTo(&form, QPoint(0, 0)), badge->size())))
        << "on the screen";

    // M works with the gauges alone, and the badge tells the marker.
    QTest::keyClick(&form, Qt::Key_M);
    ASSERT_EQ(win.markers().size(), 1u);
    EXPECT_TRUE(badge->text().contains("1 Mark 1")) << badge->text().toStdString();
    if (const QByteArray shots = qgetenv("KVR_SCREENSHOT_DIR"); !shots.isEmpty()) {
        QApplication::processEvents();
        form.grab().save(QString::fromLocal8Bit(shots) + "/full_screen_recording.png");
    }

    win.stopRecording();
    ASSERT_FALSE(win.log().recording());
    EXPECT_FALSE(badge->text().contains("REC")) << badge->text().toStdString();
    form.fullScreen().showNote(QString());
    EXPECT_FALSE(badge->isVisible()) << "stopped";

    win.startRecording();
    EXPECT_TRUE(badge->isVisible());
    QTest::keyClick(&form, Qt::Key_F11);
    EXPECT_FALSE(badge->isVisible()) << "only with the gauges alone";
}

// Rows of the plot below the labels' band, at widget column `x` of the
// chart, painted in `colour`.
int rowsIn(const QImage& chart, const QRect& plot, int x, const QColor& colour) {
    int rows = 0;
    for (int y = plot.top() + 50; y <= plot.bottom(); ++y)
        if (chart.pixelColor(x, y) == colour) ++rows;
    return rows;
}

// Markers on a log opened for viewing: lines at their records at each time
// zoom, none for a record out of view. The Log Chart tab is left as a
// picture to look at: /tmp/markers_chart.png, or in KVR_SCREENSHOT_DIR.
TEST(MarkersWindow, MarkersAreDrawnAtTheirRecordsAtEveryZoom) {
    const std::string dir = makeScratchDir("kvr-picture");
    const std::string file = dir + "/pull.KVL";
    // A run: RPM swinging between 1500 and 5500, the other lines their own waves.
    writeChartFile(
        file, 1200, [](int i) { return 3500 + 2000 * std::sin(i * 0.01); },
        [](int i, size_t c) {
            return 500 + 350 * std::sin(i * 0.004 * static_cast<double>(c) + static_cast<double>(c));
        });
    Window win;
    TAbTrend& chart = win.chart();
    ASSERT_EQ(win.log().open(file), 0);
    const kvr::TrendStore& store = win.log().store();
    std::vector<kvr::ChartMarker> markers;
    const std::pair<int, const char*> placed[] = {
        {120, "Mark 1"}, {150, "Full throttle pull"}, {400, "gap: logging stopped, 12.5 s"}, {640, "Mark 4"}};
    for (const auto& [record, text] : placed) {
        kvr::ChartMarker m;
        m.time = store.at(record).time;
        m.text = text;
        m.gap = std::string(text).rfind("gap: ", 0) == 0;
        markers.push_back(m);
    }
    win.log().setMarkers(markers);
    ASSERT_EQ(chart.markers().size(), 4u);
    EXPECT_EQ(chart.markers()[2].kind, kvr::TrendMarkerKind::Gap);
    EXPECT_EQ(chart.markers()[3].record, 640);

    const QRect plot = chart.plotRect();
    const int span = plot.height() - 50;
    // The column of a record at the chart's time zoom, worked out here.
    auto xOf = [&](int record) {
        const kvr::TimeScale& scale = chart.recorder().timeScale();
        const int offset = record - chart.recorder().firstShown();
        return plot.left() + (scale.pixelsPerRecord > 1 ? offset * scale.pixelsPerRecord
                                                        : offset / scale.recordsPerColumn);
    };
    // The plot's columns that hold a user marker's line.
    auto userLines = [&](const QImage& image) {
        std::vector<int> columns;
        for (int x = plot.left(); x <= plot.right(); ++x)
            if (rowsIn(image, plot, x, chart.ColorMarker()) > span * 3 / 4) columns.push_back(x);
        return columns;
    };
    auto expectLines = [&](const char* zoom) {
        SCOPED_TRACE(zoom);
        const QImage image = chart.grab().toImage();
        // Marks 1 and 2 share a column from 10 records a column on.
        const std::vector<int> columns = userLines(image);
        ASSERT_FALSE(columns.empty());
        EXPECT_EQ(columns.back(), xOf(640)) << "Mark 4, one pixel wide";
        EXPECT_EQ(columns.front(), xOf(120));
        EXPECT_EQ(rowsIn(image, plot, xOf(640) + 3, chart.ColorMarker()), 0) << "one pixel wide";
        const int dashes = rowsIn(image, plot, xOf(400), chart.ColorGapMarker());
        EXPECT_GT(dashes, span / 4) << "the gap's line, dashed";
        EXPECT_LT(dashes, span * 3 / 4) << "the gap's line, dashed";
    };
    expectLines("1 record/pixel");
    win.tab().timeZoomOutButton->click();
    win.tab().timeZoomOutButton->click();
    win.tab().timeZoomOutButton->click();
    ASSERT_EQ(chart.recorder().timeScale().recordsPerColumn, 10);
    expectLines("10 records/pixel");
    for (int i = 0; i < 5; ++i) win.tab().timeZoomInButton->click();
    ASSERT_EQ(chart.recorder().timeScale().pixelsPerRecord, 4);
    // Records 380 to 574 in view: the gap's marker, and no user marker's.
    chart.recorder().MoveX(380 - chart.recorder().firstShown(), true);
    ASSERT_EQ(chart.recorder().firstShown(), 380);
    ASSERT_LT(chart.visibleRecords().last, 640);
    const QImage zoomedIn = chart.grab().toImage();
    EXPECT_TRUE(userLines(zoomedIn).empty());
    EXPECT_GT(rowsIn(zoomedIn, plot, xOf(400), chart.ColorGapMarker()), span / 4);

    chart.recorder().MoveX(-chart.recorder().firstShown(), true);
    for (int i = 0; i < 2; ++i) win.tab().timeZoomOutButton->click();
    win.tab().showRangeStats();
    QApplication::processEvents();
    const QByteArray shots = qgetenv("KVR_SCREENSHOT_DIR");
    const QString picture =
        shots.isEmpty() ? QString("/tmp/markers_chart.png") : QString::fromLocal8Bit(shots) + "/markers_chart.png";
    EXPECT_TRUE(win.form.logChartTab->grab().save(picture));
    QDir(QString::fromStdString(dir)).removeRecursively();
}

}  // namespace
