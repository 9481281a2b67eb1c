#include "dashboard/ui/gauges_page.h"

#include <QImage>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QTabWidget>

#include "dashboard/display/window_layout.h"
#include "widgets/ab_led.h"

GaugesPage::GaugesPage(QWidget* parent) : QWidget(parent) {}

void GaugesPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (autoFillBackground()) return;
    // An opaque page: repainting a needle then stops here and does not draw
    // the tab widget's frame beneath it every time. The page takes the colour
    // the style gives the tab pane, so it looks as any other tab.
    QColor pane = palette().color(QPalette::Window);
    for (QWidget* w = parentWidget(); w != nullptr; w = w->parentWidget()) {
        auto* tabs = qobject_cast<QTabWidget*>(w);
        if (tabs == nullptr) continue;
        QImage probe(64, 64, QImage::Format_ARGB32_Premultiplied);
        probe.fill(pane);
        QPainter p(&probe);
        QStyleOptionTabWidgetFrame frame;
        frame.initFrom(tabs);
        frame.rect = probe.rect();
        tabs->style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &p, tabs);
        p.end();
        pane = probe.pixelColor(32, 32);
        break;
    }
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pane);
    setPalette(pal);
    setAutoFillBackground(true);
}

void GaugesPage::place(QWidget* w, QRect design, int fontPixels) {
    placed_.push_back({w, design, fontPixels});
    apply(placed_.back());
}

void GaugesPage::setDesignFontPixels(QWidget* w, int fontPixels) {
    for (Placed& p : placed_) {
        if (p.widget != w) continue;
        p.fontPixels = fontPixels;
        apply(p);
    }
}

int GaugesPage::designFontPixels(const QWidget* w) const {
    for (const Placed& p : placed_)
        if (p.widget == w) return p.fontPixels;
    return 0;
}

void GaugesPage::relayout() {
    const kvr::GaugesScale s = kvr::gaugesScale(width(), height());
    scale_ = s.factor;
    left_ = s.left;
    top_ = s.top;
    for (const Placed& p : placed_) apply(p);
}

void GaugesPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
}

void GaugesPage::apply(const Placed& p) const {
    kvr::GaugesScale s;
    s.factor = scale_;
    s.left = left_;
    s.top = top_;
    const kvr::PageRect r = s.place({p.design.x(), p.design.y(), p.design.width(), p.design.height()});
    if (auto* lamp = qobject_cast<TAbLED*>(p.widget)) {
        // A lamp stays round: its size follows the smaller side.
        lamp->setLampSize(std::max(6, std::min(r.w, r.h) - 2));
        lamp->move(r.x, r.y);
    } else {
        p.widget->setGeometry(r.x, r.y, r.w, r.h);
    }
    if (p.fontPixels > 0) {
        const int px = s.fontPixels(p.fontPixels);
        if (p.widget->font().pixelSize() != px) {
            QFont f = p.widget->font();
            f.setPixelSize(px);
            p.widget->setFont(f);
        }
    }
}
