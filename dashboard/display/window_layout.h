// How the main window's big controls follow the window's size. Plain
// arithmetic so it can be checked without a window.
#pragma once

#include <optional>

namespace kvr {

// The controls that follow the window's outer width and height.
struct ResizeLayout {
    std::optional<int> pageControlWidth, logChartWidth, panel27Left, spinEdit3Left, memo1Width;
    std::optional<int> pageControlHeight, logChartHeight, label5Top, memo1Height;
};

// Only a width above 600 and a height above 500 move anything; at or below
// a threshold the design sizes in that dimension stay.
ResizeLayout FormResize(int outerWidth, int outerHeight);

// The window's size at design time.
inline constexpr int kDesignWidth = 900;
inline constexpr int kDesignHeight = 680;

}  // namespace kvr

namespace kvr {

// The Gauges page scales its design arrangement as one block: every control
// keeps its place relative to the others and grows or shrinks with the page.
struct PageRect {
    int x = 0, y = 0, w = 0, h = 0;
};

struct GaugesScale {
    double factor = 1;
    int left = 0, top = 0;  // where the scaled block starts (centred across)
    PageRect place(const PageRect& design) const;
    // A font's pixel size on the scaled page (at least 6).
    int fontPixels(int designPixels) const;
};

// The block every Gauges control lies in, at design size.
inline constexpr int kGaugesDesignWidth = 866;
inline constexpr int kGaugesDesignHeight = 470;

// The largest uniform scale at which the design block fits the page.
GaugesScale gaugesScale(int pageWidth, int pageHeight);

}  // namespace kvr

#include <vector>

namespace kvr {

// Column widths that show every cell of a grid whole. `widths` holds the
// design widths, `needed` what each column's texts need, `available` the room
// inside the grid. Short columns grow, first into room the columns leave
// unused, then by taking from columns wider than their texts need; columns
// wider than the grid give up their surplus the same way. Returns
// false and leaves `widths` as it was when the texts cannot all fit.
bool fitColumns(std::vector<int>& widths, const std::vector<int>& needed, int available);

}  // namespace kvr
