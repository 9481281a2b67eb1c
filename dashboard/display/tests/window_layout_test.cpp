// The layout arithmetic of the window: the Gauges page's scaling and the
// fitting of sheet columns to their texts.
#include <gtest/gtest.h>

#include <numeric>

#include "dashboard/display/window_layout.h"

namespace kvr {
namespace {

TEST(GaugesScale, TheBlockFitsThePageAndKeepsItsShape) {
    for (auto [w, h] : {std::pair{866, 470}, {1370, 865}, {600, 900}, {3000, 500}, {1920, 1080}}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        const GaugesScale s = gaugesScale(w, h);
        const PageRect block = s.place({0, 0, kGaugesDesignWidth, kGaugesDesignHeight});
        EXPECT_LE(block.x + block.w, w);
        EXPECT_LE(block.y + block.h, h);
        // One side is filled (to rounding), so the dials are as large as the page allows.
        EXPECT_TRUE(block.w >= w - 2 || block.h >= h - 2);
        EXPECT_NEAR(double(block.w) / block.h, double(kGaugesDesignWidth) / kGaugesDesignHeight, 0.02);
        // Centred across.
        EXPECT_LE(std::abs(block.x - (w - block.x - block.w)), 2);
    }
}

TEST(GaugesScale, NeighboursThatTouchNeverOverlap) {
    // Two design boxes side by side, at awkward scales: the right edge of one
    // is the left edge of the next after rounding too.
    for (int w = 500; w < 2500; w += 37) {
        const GaugesScale s = gaugesScale(w, w);
        const PageRect a = s.place({6, 1, 208, 208});
        const PageRect b = s.place({214, 1, 13, 208});
        EXPECT_EQ(a.x + a.w, b.x) << w;
    }
    EXPECT_EQ(gaugesScale(0, 400).factor, 1) << "an empty page keeps the design size";
    EXPECT_EQ(gaugesScale(1733, 940).fontPixels(10), 20);
    EXPECT_GE(gaugesScale(100, 50).fontPixels(10), 6) << "fonts stay readable";
}

TEST(FitColumns, ShortColumnsBorrowUnusedRoomThenSurplus) {
    // Enough unused room: only the short column grows.
    std::vector<int> w{100, 50, 40};
    EXPECT_TRUE(fitColumns(w, {60, 70, 30}, 230));
    EXPECT_EQ(w, (std::vector<int>{100, 70, 40}));

    // No unused room: the widest surplus gives first, and only down to its need.
    w = {100, 50, 40};
    EXPECT_TRUE(fitColumns(w, {60, 80, 35}, 190));
    EXPECT_EQ(w, (std::vector<int>{70, 80, 40}));
    EXPECT_EQ(std::accumulate(w.begin(), w.end(), 0), 190);

    // Texts that fit stay at their design widths...
    w = {100, 100};
    EXPECT_TRUE(fitColumns(w, {20, 20}, 250));
    EXPECT_EQ(w, (std::vector<int>{100, 100}));
    // ...unless the grid became too narrow for them: no scroll bar then.
    EXPECT_TRUE(fitColumns(w, {20, 60}, 150));
    EXPECT_EQ(w, (std::vector<int>{50, 100}));
}

TEST(FitColumns, ImpossibleFitsLeaveTheDesign) {
    std::vector<int> w{50, 50};
    EXPECT_FALSE(fitColumns(w, {60, 60}, 110));
    EXPECT_EQ(w, (std::vector<int>{50, 50}));
    EXPECT_FALSE(fitColumns(w, {10}, 110)) << "a column count that does not match";
    EXPECT_EQ(w, (std::vector<int>{50, 50}));
}

}  // namespace
}  // namespace kvr
