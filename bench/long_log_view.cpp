// The log chart on a 55-hour log (2,000,000 records) in the window, under
// whatever display the environment gives (the script runs it under Xvfb, a
// real X server, where painting costs what it costs a user):
// - opening the log through Open Log File and showing it whole (Fit),
//   painted;
// - painting the overview strip, its envelope drawn afresh and just its
//   window;
// - dragging the overview's window: frames a second, each frame a mouse
//   move handled and the chart and the strip painted.
// With --shots DIR it also saves the window whole, stacked, and zoomed into
// one pull, overlaid and stacked, as PNG files.
//   bench_long_log_view [--records N] [--shots DIR]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/long_log.h"
#include "dashboard/link/memory_serial_port.h"
#include "dashboard/ui/log_chart_tab.h"
#include "dashboard/ui/main_window.h"
#include "support/private_state.h"
#include "support/recording_dialogs.h"
#include "widgets/ab_trend.h"
#include "widgets/trend_overview_strip.h"

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void send(QWidget* w, QEvent::Type type, QPoint at) {
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, w->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

// Frames a second while the strip's window is dragged to and fro by `step`
// columns a frame, for `frames` frames.
double dragFramesPerSecond(TrendOverviewStrip* strip, int frames, int step) {
    const kvr::OverviewWindow w = strip->window();
    const int y = strip->height() / 2;
    int x = strip->stripRect().left() + (w.left + w.right) / 2;
    send(strip, QEvent::MouseButtonPress, QPoint(x, y));
    QApplication::processEvents();
    const int travel = strip->stripRect().width() / 3;
    int direction = 1, moved = 0;
    QElapsedTimer clock;
    clock.start();
    for (int f = 0; f < frames; ++f) {
        if (moved + step > travel) {
            direction = -direction;
            moved = 0;
        }
        moved += step;
        x += direction * step;
        send(strip, QEvent::MouseMove, QPoint(x, y));
        QApplication::processEvents();  // the chart's and the strip's paint
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    send(strip, QEvent::MouseButtonRelease, QPoint(x, y));
    QApplication::processEvents();
    return frames / seconds;
}

void save(MainWindow& form, const QString& dir, const char* name) {
    QApplication::processEvents();
    const QString file = dir + "/" + name;
    if (form.grab().save(file)) {
        std::printf("  saved %s\n", file.toUtf8().constData());
    } else {
        std::fprintf(stderr, "could not save %s\n", file.toUtf8().constData());
    }
}

// Open Log File and Fit, painted: three times; false when the log did not open.
bool measureOpen(MainWindow& form, RecordingDialogs& dialogs, const std::string& file, long long records) {
    LogChartTab& tab = *form.logChart;
    std::vector<double> opens;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer clock;
        clock.start();
        dialogs.fileAnswers = {QString::fromStdString(file)};
        tab.openLogButton->click();
        tab.fitButton->click();
        form.repaint();
        QApplication::processEvents();
        opens.push_back(clock.nsecsElapsed() / 1e9);
    }
    if (tab.chart->store().count() != records) {
        std::fprintf(stderr, "the log did not open: %d records\n", tab.chart->store().count());
        return false;
    }
    const kvr::RecordSpan whole = tab.chart->visibleRecords();
    std::printf("  Fit shows records %d..%d of %lld at %s\n", whole.first, whole.last, records,
                tab.timeScaleLabel->text().toUtf8().constData());
    std::printf("open and paint the whole log: best %.3f s, median %.3f s (target < 1)\n",
                *std::min_element(opens.begin(), opens.end()), median(opens));
    return true;
}

// The overview strip: its envelope drawn afresh (a new size makes it), and
// just the window over it, as in a drag.
void measureOverviewPaint(TrendOverviewStrip* strip, long long records) {
    std::vector<double> fresh, windowOnly;
    const QSize size = strip->size();
    for (int i = 0; i < 21; ++i) {
        strip->resize(size.width(), size.height() + (i % 2 == 0 ? -1 : 0));
        QElapsedTimer clock;
        clock.start();
        strip->repaint();
        fresh.push_back(clock.nsecsElapsed() / 1e6);
        clock.restart();
        strip->repaint();
        windowOnly.push_back(clock.nsecsElapsed() / 1e6);
    }
    strip->resize(size);
    std::printf("overview strip, envelope of %lld records drawn afresh: median %.2f ms, worst %.2f ms (target < 20)\n",
                records, median(fresh), *std::max_element(fresh.begin(), fresh.end()));
    std::printf("overview strip, window only: median %.2f ms\n", median(windowOnly));
}

// Dragging: zoomed into a pull (one record a pixel), and wider.
void measureDrags(LogChartTab& tab, long long records) {
    const struct {
        int64_t perPixel;
        const char* what;
    } zooms[] = {{1, "1 record/pixel"}, {100, "100 records/pixel"}, {1000, "1000 records/pixel"}};
    for (const auto& z : zooms) {
        tab.chart->showSpan(records / 2, records / 2 + z.perPixel * tab.chart->plotRect().width() - 1, false);
        QApplication::processEvents();
        const double fps = dragFramesPerSecond(tab.overviewStrip, 150, 3);
        std::printf("dragging the overview window at %s: %.0f frames/s (target >= 30)\n", z.what, fps);
    }
}

// One pull at 4 pixels a record, overlaid and stacked: the third drive's 50th pull.
void saveOnePull(MainWindow& form, const QString& shots, long long records) {
    LogChartTab& tab = *form.logChart;
    const int pull = 2 * (5 * 3600 * 10 + kvr::TrendStore::kSeparatorsPerBreak) + 50 * 2400 + 50;
    const int at = std::min<int>(pull, static_cast<int>(records) - 1);
    tab.chart->showSpan(at - 90, at + 90, false);
    save(form, shots, "long-log-pull.png");
    tab.stackedButton->click();
    save(form, shots, "long-log-pull-stacked.png");
}

}  // namespace

int main(int argc, char** argv) {
    const PrivateStateFolder state;  // no recovery logs of the user's offered
    long long records = 2000000;
    QString shots;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--records") == 0 && i + 1 < argc) records = std::atoll(argv[++i]);
        else if (std::strcmp(argv[i], "--shots") == 0 && i + 1 < argc) shots = argv[++i];
    }
    if (!shots.isEmpty() && !QDir().mkpath(shots)) {
        std::fprintf(stderr, "cannot make the folder %s\n", shots.toUtf8().constData());
        return 1;
    }
    QApplication app(argc, argv);
    const std::string file = QDir::tempPath().toStdString() + "/kvr-long-log-" + std::to_string(::getpid()) + ".KVL";
    if (!bench::writeLongLog(file, records)) {
        std::perror(file.c_str());
        return 1;
    }
    std::printf("log: %lld records, %.1f hours of driving, on %s\n", records,
                records * bench::kRecordSeconds / 3600, QGuiApplication::platformName().toUtf8().constData());

    kvr::MemorySerialPort port;
    RecordingDialogs dialogs;
    MainWindow form(port, dialogs);
    form.resize(900, 680);
    form.show();
    form.pages->setCurrentWidget(form.logChartTab);
    LogChartTab& tab = *form.logChart;
    for (int i = 0; i < 20; ++i) QApplication::processEvents();

    const bool opened = measureOpen(form, dialogs, file, records);
    std::remove(file.c_str());
    if (!opened) return 1;
    if (!shots.isEmpty()) save(form, shots, "long-log-whole.png");
    measureOverviewPaint(tab.overviewStrip, records);
    if (!shots.isEmpty()) {
        tab.stackedButton->click();
        save(form, shots, "long-log-stacked.png");
        tab.stackedButton->click();
    }
    measureDrags(tab, records);
    if (!shots.isEmpty()) saveOnePull(form, shots, records);
    return 0;
}
