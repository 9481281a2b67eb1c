// Pixel-by-pixel comparison of two drawings, for tests that check an
// incremental repaint against a fresh one.
#pragma once

#include <QImage>
#include <QPoint>

// Pixels where two images of the same size differ; `first` gets the first.
inline int differingPixels(const QImage& a, const QImage& b, QPoint& first) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y) && n++ == 0) first = QPoint(x, y);
    return n;
}
