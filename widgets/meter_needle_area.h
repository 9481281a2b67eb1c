// Where a dial meter's needle lies, as the few boxes a repaint of it covers,
// and what a move of the needle repaints. The needle is a thin kite from its
// tail through the hub to its tip; a slanted needle's bounding box is mostly
// face, so its area is a chain of short boxes along it.
//
// The boxes of the last two angles asked for are kept: a move asks for the
// old angle again, and the paint and a blink for the new one.
#pragma once

#include <QPointF>
#include <QRect>
#include <QRegion>
#include <vector>

class MeterNeedleArea {
public:
    // The dial the needle turns on (widget coordinates).
    struct Dial {
        QPointF centre;
        double outer = 0;   // radius of the face
        double scaleR = 0;  // radius of the scale line
        bool operator==(const Dial& o) const {
            return centre == o.centre && outer == o.outer && scaleR == o.scaleR;
        }
    };

    const std::vector<QRect>& boxes(const Dial& dial, double angle);
    QRegion region(const Dial& dial, double angle);
    bool touches(const Dial& dial, double angle, const QRegion& dirty);
    // What a needle moving from one angle to another repaints: piece by
    // piece, one box over both positions where that is no bigger than the
    // two boxes, else both. A short move then costs half the region
    // arithmetic of adding up both chains, and no more area.
    QRegion move(const Dial& dial, double from, double to);

    // How many times the boxes were worked out; for tests.
    int computed() const { return computed_; }

private:
    static std::vector<QRect> compute(const Dial& dial, double angle);

    struct Kept {
        Dial dial;
        double angle = 0;
        std::vector<QRect> boxes;
    };
    Kept kept_[2];
    int newer_ = 0;
    int computed_ = 0;
};
