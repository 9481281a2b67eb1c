// The tuning pictures' colours and where a heat map puts its cells.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cmath>

#include "dashboard/analysis/ui/tune_charts.h"

namespace kvr {
namespace {

TEST(TuneCharts, ErrorsRunFromBlueThroughWhiteToRedAndCountsDarken) {
    EXPECT_EQ(heatColour(0, HeatScale::Diverging, 0.1), QColor(Qt::white));
    const QColor lean = heatColour(0.1, HeatScale::Diverging, 0.1), rich = heatColour(-0.1, HeatScale::Diverging, 0.1);
    EXPECT_EQ(lean, QColor(Qt::red));
    EXPECT_EQ(rich, QColor(Qt::blue));
    EXPECT_EQ(heatColour(0.5, HeatScale::Diverging, 0.1), lean) << "full at the range";
    const QColor halfLean = heatColour(0.05, HeatScale::Diverging, 0.1);
    EXPECT_EQ(halfLean.red(), 255);
    EXPECT_GT(halfLean.green(), 100);
    EXPECT_LT(halfLean.green(), 155);
    EXPECT_LT(heatColour(100, HeatScale::Count, 100).lightness(), heatColour(10, HeatScale::Count, 100).lightness());
    EXPECT_EQ(heatColour(NAN, HeatScale::Count, 100), heatColour(NAN, HeatScale::Diverging, 1)) << "no data: grey";
}

TEST(TuneCharts, AHeatMapPutsRowZeroAtTheBottomAndColumnZeroAtTheLeft) {
    HeatGrid g;
    g.rows = 2;
    g.cols = 3;
    g.values = {0.1, NAN, NAN,     // row 0 (bottom): lean at the left
                NAN, NAN, -0.1};   // row 1 (top): rich at the right
    g.rowCentres = {-20, 0};
    g.colCentres = {1000, 2000, 3000};
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    paintHeatMap(p, QRectF(0, 0, 400, 300), "error", g, HeatScale::Diverging, 0.1, "inHg", "RPM");
    p.end();
    // Find the plot's red and blue cells.
    int redX = -1, redY = -1, blueX = -1, blueY = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c == QColor(Qt::red) && redX < 0) redX = x, redY = y;
            if (c == QColor(Qt::blue) && blueX < 0) blueX = x, blueY = y;
        }
    ASSERT_GE(redX, 0);
    ASSERT_GE(blueX, 0);
    EXPECT_LT(redX, blueX) << "column 0 left of column 2";
    EXPECT_GT(redY, blueY) << "row 0 below row 1";
}

}  // namespace
}  // namespace kvr
