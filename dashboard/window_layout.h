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
