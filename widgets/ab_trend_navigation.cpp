// Moving the trend chart's view over the log: moves that stop at its ends,
// fitting the whole log in the plot, and showing a chosen record.
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "widgets/ab_trend.h"
#include "widgets/model/trend_navigation.h"

int64_t TAbTrend::wholeRecordsInPlot() const {
    return recorder_.timeScale().recordsWholeBefore(recorder_.plotColumns());
}

void TAbTrend::moveFirstTo(int64_t first) {
    const int64_t current = recorder_.firstShown();
    const int64_t target =
        kvr::clampedFirstShown(current, first, recorder_.store().count(), wholeRecordsInPlot());
    recorder_.MoveX(static_cast<int>(target - current), isVisible());
    retrackMouse();
}

void TAbTrend::MoveX(int count) { moveFirstTo(int64_t{recorder_.firstShown()} + count); }

void TAbTrend::moveByColumns(int columns) {
    const int64_t records = recorder_.timeScale().recordsAcross(std::abs(int64_t{columns}));
    const int64_t count = std::min<int64_t>(records, INT_MAX);
    moveFirstTo(int64_t{recorder_.firstShown()} + (columns < 0 ? -count : count));
}

void TAbTrend::showOldest() { moveFirstTo(0); }

bool TAbTrend::fitWholeLog() {
    const kvr::FitLevel fit = kvr::fitLevel(recorder_.store().count(), recorder_.plotColumns());
    // Following stops first, so the zoom keeps the view where it is
    // rather than paging to the newest record.
    recorder_.MoveX(0, isVisible());
    if (recorder_.setTimeZoomLevel(fit.level, 0)) emit timeScaleChanged();
    moveFirstTo(0);
    emit fitted(fit.fits);
    return fit.fits;
}

void TAbTrend::showRecord(int index) {
    const int64_t middle = recorder_.timeScale().recordAt(recorder_.plotColumns() / 2);
    moveFirstTo(int64_t{index} - middle);
}

void TAbTrend::showFrom(int64_t first) { moveFirstTo(first); }

void TAbTrend::showSpan(int64_t first, int64_t last, bool keepLast) {
    if (last < first) return;
    const kvr::FitLevel fit = kvr::fitLevel(last - first + 1, recorder_.plotColumns());
    recorder_.MoveX(0, isVisible());
    if (recorder_.setTimeZoomLevel(fit.level, 0)) emit timeScaleChanged();
    moveFirstTo(keepLast ? last + 1 - wholeRecordsInPlot() : first);
}
