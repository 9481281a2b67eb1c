#include "dashboard/display/window_layout.h"

namespace kvr {

ResizeLayout FormResize(int w, int h) {
    ResizeLayout r;
    if (w > 600) {
        r.pageControlWidth = w - 30;
        r.logChartWidth = *r.pageControlWidth - 16;
        r.panel27Left = *r.logChartWidth - 137;
        r.spinEdit3Left = *r.logChartWidth - 42;
        r.memo1Width = *r.pageControlWidth - 20;
    }
    if (h > 500) {
        r.pageControlHeight = h - 135;
        r.logChartHeight = *r.pageControlHeight - 132;
        r.label5Top = *r.logChartHeight + 80;
        r.memo1Height = h - 230;
    }
    return r;
}

}  // namespace kvr

#include <algorithm>
#include <cmath>

namespace kvr {

PageRect GaugesScale::place(const PageRect& d) const {
    // Edges are scaled, not sizes, so neighbours that touch at design size
    // still touch and never overlap after rounding.
    const auto at = [this](int v) { return static_cast<int>(std::lround(v * factor)); };
    const int x0 = left + at(d.x), y0 = top + at(d.y);
    const int x1 = left + at(d.x + d.w), y1 = top + at(d.y + d.h);
    return {x0, y0, std::max(1, x1 - x0), std::max(1, y1 - y0)};
}

int GaugesScale::fontPixels(int designPixels) const {
    return std::max(6, static_cast<int>(std::lround(designPixels * factor)));
}

GaugesScale gaugesScale(int pageWidth, int pageHeight) {
    GaugesScale s;
    if (pageWidth <= 0 || pageHeight <= 0) return s;
    s.factor = std::min(static_cast<double>(pageWidth) / kGaugesDesignWidth,
                        static_cast<double>(pageHeight) / kGaugesDesignHeight);
    s.left = std::max(0, static_cast<int>((pageWidth - kGaugesDesignWidth * s.factor) / 2));
    s.top = 0;
    return s;
}

}  // namespace kvr

#include <numeric>

namespace kvr {

bool fitColumns(std::vector<int>& widths, const std::vector<int>& needed, int available) {
    if (widths.size() != needed.size()) return false;
    const int need = std::accumulate(needed.begin(), needed.end(), 0);
    if (need > available) return false;
    bool short_ = false;
    for (size_t c = 0; c < widths.size(); ++c) short_ |= widths[c] < needed[c];
    std::vector<int> w = widths;
    const int used = std::accumulate(w.begin(), w.end(), 0);
    // Every text fits and the columns fit the grid: the design stays as it is.
    if (!short_ && used <= available) return true;
    int spare = available - used;  // may be negative when the design overfills the grid
    for (size_t c = 0; c < w.size(); ++c) {
        if (w[c] >= needed[c]) continue;
        const int grow = needed[c] - w[c];
        w[c] = needed[c];
        spare -= grow;
    }
    // Still too wide: the columns with room to give shrink towards their needs,
    // the widest surplus first.
    while (spare < 0) {
        size_t donor = w.size();
        int surplus = 0;
        for (size_t c = 0; c < w.size(); ++c) {
            if (w[c] - needed[c] > surplus) {
                surplus = w[c] - needed[c];
                donor = c;
            }
        }
        if (donor == w.size()) return false;  // cannot happen when need <= available
        const int give = std::min(surplus, -spare);
        w[donor] -= give;
        spare += give;
    }
    widths = w;
    return true;
}

}  // namespace kvr
