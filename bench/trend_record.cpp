// Cost of one recording tick of the log chart at the program's settings
// (870 x 373, 75-pixel grid, 300000-record limit), offscreen: AddRecord with
// its incremental drawing into the off-screen plot (and, beside it, the
// same followed by the screen update it asks for). The store is filled by
// ticks; 2000 ticks are timed from about 1k, 100k and 297k records, and
// 6000 more once the store is full, so that 80 trims are among them. Every
// 75th tick pages the view (the plot moves a grid column left) and every
// 75th trims the store; those ticks are also shown on their own. Then, with
// 300000 records stored, the widget is widened to 1920 pixels and a complete
// repaint (layout, plot, widget paint) is timed.
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
constexpr double kTickTargetMicros = 200;
constexpr double kRepaintTargetMicros = 10000;

double microsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

double percentile(std::vector<double> runs, double p) {
    std::sort(runs.begin(), runs.end());
    return runs[static_cast<std::size_t>(p * (runs.size() - 1))];
}

const char* verdict(bool pass) { return pass ? "PASS" : "OVER TARGET"; }

struct Band {
    const char* name;
    std::vector<double> ticks;       // AddRecord alone
    std::vector<double> withScreen;  // AddRecord and the paint it asked for
    std::vector<double> pages;       // ticks after which the view showed from another record
    std::vector<double> trims;       // ticks that trimmed the store
};

void configure(TAbTrend& trend) {
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
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    double days = 45000.25;
    TAbTrend trend(nullptr, [&] { return days += 0.1 / 86400; });
    configure(trend);
    trend.resize(870, 373);
    trend.show();
    QApplication::processEvents();

    int trims = 0;
    QObject::connect(&trend, &TAbTrend::maxRecords, [&] { ++trims; });
    int tick = 0;
    auto runTick = [&](Band* band) {
        for (int n = 1; n <= 8; ++n)
            trend.channel(n).setValue(static_cast<float>(50 + 45 * std::sin(tick * 0.01 * n)));
        ++tick;
        const int trimsBefore = trims;
        const int firstBefore = trend.recorder().firstShown();
        const auto start = Clock::now();
        trend.AddRecord();
        const double micros = microsSince(start);
        if (!band) return;
        QApplication::processEvents();  // the paint the tick asked for
        band->withScreen.push_back(microsSince(start));
        band->ticks.push_back(micros);
        if (trims != trimsBefore) band->trims.push_back(micros);
        if (trims != trimsBefore || trend.recorder().firstShown() != firstBefore) band->pages.push_back(micros);
    };

    Band bands[] = {{"from 1k records", {}, {}, {}, {}},
                    {"from 100k records", {}, {}, {}, {}},
                    {"from 297k records", {}, {}, {}, {}},
                    {"full store, trimming", {}, {}, {}, {}}};
    const int starts[] = {1000, 100000, 297000, 300001};
    const int lengths[] = {2000, 2000, 2000, 6000};
    const auto fillStart = Clock::now();
    for (int b = 0; b < 4; ++b) {
        while (trend.store().count() < starts[b] && trims == 0)
            runTick(nullptr);
        for (int i = 0; i < lengths[b]; ++i)
            runTick(&bands[b]);
    }
    QApplication::processEvents();
    const double fillSeconds = microsSince(fillStart) / 1e6;

    std::printf("recording tick at %d px wide (plot %d columns): %d ticks in %.1f s, %d records stored, "
                "%d trims\n",
                trend.width(), trend.plotRect().width(), tick, fillSeconds, trend.store().count(), trims);
    std::printf("  %-22s %8s %8s %8s | %-24s | %-20s | %s\n", "AddRecord, us", "median", "p99", "max",
                "view paged (or trimmed)", "trims", "with screen update");
    bool flat = true, under = true;
    const double baseline = percentile(bands[0].ticks, 0.5);
    for (const Band& b : bands) {
        const double med = percentile(b.ticks, 0.5), p99 = percentile(b.ticks, 0.99);
        std::printf("  %-22s %8.1f %8.1f %8.1f | %4zu, median %7.1f us | ", b.name, med, p99,
                    *std::max_element(b.ticks.begin(), b.ticks.end()), b.pages.size(),
                    b.pages.empty() ? 0.0 : percentile(b.pages, 0.5));
        if (b.trims.empty()) {
            std::printf("%-20s | ", "-");
        } else {
            std::printf("%3zu, median %5.1f us | ", b.trims.size(), percentile(b.trims, 0.5));
        }
        std::printf("median %.1f us\n", percentile(b.withScreen, 0.5));
        flat = flat && med < 2 * baseline + 5;
        under = under && p99 < kTickTargetMicros &&
                (b.trims.empty() || percentile(b.trims, 0.5) < kTickTargetMicros);
    }
    std::printf("  tick cost flat across store sizes (median within 2x of the 1k band): %s\n", verdict(flat));
    std::printf("  p99 and trim ticks under %.1f ms: %s\n", kTickTargetMicros / 1000, verdict(under));

    // A complete repaint of a wide window with a full store.
    trend.resize(1920, 373);
    QApplication::processEvents();
    std::vector<double> repaints;
    for (int i = 0; i < 30; ++i) {
        const auto start = Clock::now();
        trend.fullRepaint();
        trend.repaint();
        repaints.push_back(microsSince(start));
    }
    const double med = percentile(repaints, 0.5);
    std::printf("full repaint at %d px wide (plot %d columns), %d records: median %.2f ms, max %.2f ms "
                "(%zu runs), target < 10 ms: %s\n",
                trend.width(), trend.plotRect().width(), trend.store().count(), med / 1000,
                *std::max_element(repaints.begin(), repaints.end()) / 1000, repaints.size(),
                verdict(med < kRepaintTargetMicros));
    return 0;
}
