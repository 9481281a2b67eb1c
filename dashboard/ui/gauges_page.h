// The Gauges tab's page: it keeps each control's design geometry and font
// size and, whenever the page changes size, scales the whole arrangement to
// the largest size that fits (see kvr::gaugesScale).
#pragma once

#include <QRect>
#include <QWidget>
#include <vector>

class GaugesPage : public QWidget {
    Q_OBJECT
public:
    explicit GaugesPage(QWidget* parent = nullptr);

    // Places `w` at `design` (page coordinates at design size) from now on.
    // A `fontPixels` above 0 is the control's font size at design size.
    void place(QWidget* w, QRect design, int fontPixels = 0);
    // Changes a placed control's design font size (the shown size follows
    // the page's scale).
    void setDesignFontPixels(QWidget* w, int fontPixels);
    int designFontPixels(const QWidget* w) const;
    double scale() const { return scale_; }
    // Lays the controls out again for the current size.
    void relayout();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct Placed {
        QWidget* widget;
        QRect design;
        int fontPixels;
    };
    void apply(const Placed& p) const;

    std::vector<Placed> placed_;
    double scale_ = 1;
    int left_ = 0, top_ = 0;
};
