#include "dashboard/window_layout.h"

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
