// Cost of one recording tick of the log chart at the program's settings
// (870 x 373, 75-pixel grid, 300000-record limit), offscreen: AddRecord with
// its incremental drawing into the off-screen plot, and the same followed
// by the screen update it asks for. Fills 300000 records and goes on for
// 1000 more, so the trims of a full store (with their full redraws) are in
// the figures. Then times a complete repaint. Prints medians and worsts.
#include <QApplication>
#include <QFont>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "widgets/ab_trend.h"

namespace {

using Clock = std::chrono::steady_clock;

double microsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

// The 99.9th percentile tells a slow path from a stray descheduling,
// which on a shared machine can make any single run the worst.
void report(const char* what, const std::vector<double>& runs) {
    const auto worst = std::max_element(runs.begin(), runs.end());
    std::vector<double> sorted = runs;
    std::sort(sorted.begin(), sorted.end());
    std::printf("%-42s median %7.1f us  p99.9 %7.1f us  worst %8.1f us (run %td of %zu)\n", what,
                sorted[sorted.size() / 2], sorted[sorted.size() * 999 / 1000], *worst, worst - runs.begin(),
                runs.size());
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    double days = 45000.25;
    TAbTrend trend(nullptr, [&] { return days += 0.1 / 86400; });
    trend.setStartRecording(false);  // ticks come from this loop, not the clock
    kvr::TrendRecorder& r = trend.recorder();
    r.setInterval(100);
    r.setMaxRecords(300000);
    r.setGridXPixel(75);
    r.setLeftScaleCh(1);
    r.setAbsScaleCh(2);
    r.setLimitUpper({100, 0x800000, true, true});
    r.setLimitLower({10, 0x800000, false, false});
    QFont body(QStringLiteral("Arial"));
    body.setPixelSize(11);
    trend.setFont(body);
    QFont caption(QStringLiteral("Arial"));
    caption.setPixelSize(21);
    caption.setItalic(true);
    caption.setUnderline(true);
    trend.setCaptionFont(caption);
    trend.setCaption(QStringLiteral("Log Chart"));
    trend.resize(870, 373);
    trend.show();
    QApplication::processEvents();

    constexpr int kFill = 300000;
    constexpr int kBeyond = 1000;
    std::vector<double> addOnly;
    std::vector<double> addAndPaint;
    addOnly.reserve(kFill + kBeyond);
    addAndPaint.reserve(kFill + kBeyond);
    int trims = 0;
    QObject::connect(&trend, &TAbTrend::maxRecords, [&] { ++trims; });
    for (int i = 0; i < kFill + kBeyond; ++i) {
        for (int n = 1; n <= 8; ++n) {
            trend.channel(n).setValue(static_cast<float>(50 + 45 * std::sin(i * 0.01 * n)));
        }
        const auto start = Clock::now();
        trend.AddRecord();
        addOnly.push_back(microsSince(start));
        QApplication::processEvents();  // the paint the tick asked for
        addAndPaint.push_back(microsSince(start));
    }

    std::vector<double> repaints;
    for (int i = 0; i < 50; ++i) {
        const auto start = Clock::now();
        trend.fullRepaint();
        trend.repaint();
        repaints.push_back(microsSince(start));
    }

    std::printf("trend recorder: %d records stored, %d trims of a full store\n", trend.store().count(),
                trims);
    report("AddRecord (incl. off-screen drawing)", addOnly);
    report("AddRecord + screen update", addAndPaint);
    report("full repaint (layout, plot, widget paint)", repaints);
    return 0;
}
