// The needle's area: a move repaints both positions and no more than the
// two chains take; the boxes of the last two angles are kept, and a dial of
// another size gets its own.
#include <gtest/gtest.h>

#include <QRegion>

#include "widgets/meter_needle_area.h"

namespace {

const MeterNeedleArea::Dial kDial{QPointF(110, 104), 100, 80};

qint64 pixels(const QRegion& r) {
    qint64 a = 0;
    for (const QRect& box : r) a += qint64(box.width()) * box.height();
    return a;
}

qint64 pixels(const std::vector<QRect>& boxes) {
    qint64 a = 0;
    for (const QRect& box : boxes) a += qint64(box.width()) * box.height();
    return a;
}

TEST(MeterNeedleArea, AMoveCoversBothPositionsAndNoMore) {
    for (const auto& [from, to] : std::vector<std::pair<double, double>>{
             {225, 224.73}, {180, 178.1}, {90, 92.7}, {10, 9.46}, {-44.73, -45}, {225, -45}, {200, 20}}) {
        SCOPED_TRACE(std::to_string(from) + " -> " + std::to_string(to));
        MeterNeedleArea area;
        const QRegion both = area.region(kDial, from) + area.region(kDial, to);
        const QRegion moved = area.move(kDial, from, to);
        EXPECT_TRUE((both - moved).isEmpty()) << "all of both positions is repainted";
        EXPECT_LE(pixels(moved), pixels(area.boxes(kDial, from)) + pixels(area.boxes(kDial, to)))
            << "a far move is not one big box over the face between";
    }
    MeterNeedleArea area;
    const QRegion at = area.region(kDial, 135);
    EXPECT_TRUE(at.contains(QPoint(110, 104))) << "the hub";
    EXPECT_TRUE(at.contains(QPoint(110 - 50, 104 - 50))) << "along the needle towards the scale";
    EXPECT_FALSE(at.contains(QPoint(110 + 50, 104 - 50))) << "not the face on the other side";
}

TEST(MeterNeedleArea, KeepsTheLastTwoAnglesOfItsDial) {
    MeterNeedleArea area;
    area.move(kDial, 100, 101);  // the move, then its paint and a blink
    area.touches(kDial, 101, QRegion(0, 0, 10, 10));
    area.region(kDial, 101);
    EXPECT_EQ(area.computed(), 2);
    area.move(kDial, 101, 102);
    area.move(kDial, 102, 103);
    EXPECT_EQ(area.computed(), 4) << "each move works out the new angle only";

    // A resized dial: the same angles, other boxes.
    const MeterNeedleArea::Dial bigger{QPointF(140, 130), 126, 100.8};
    const QRegion before = area.region(kDial, 103);
    const QRegion after = area.region(bigger, 103);
    EXPECT_EQ(area.computed(), 5);
    EXPECT_NE(before, after);
    EXPECT_TRUE(after.contains(QPoint(140, 130)));
}

}  // namespace
