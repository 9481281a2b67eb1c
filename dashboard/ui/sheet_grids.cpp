#include "dashboard/ui/sheet_grids.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <QLabel>
#include <QTableWidget>
#include <QEvent>
#include <algorithm>
#include <functional>

#include "dashboard/display/window_layout.h"

namespace {

QColor gridColour(kvr::GridColour c, const QWidget* w) {
    switch (c) {
    case kvr::GridColour::Menu: return w->palette().color(QPalette::Window).lighter(104);
    case kvr::GridColour::ButtonFace: return w->palette().color(QPalette::Button);
    default: return Qt::white;
    }
}

QTableWidget* makeGrid(QWidget* parent, const kvr::SheetGridLayout& l) {
    auto* g = new QTableWidget(l.rows, l.cols, parent);
    g->setObjectName(QString("StringGrid%1").arg(l.number));
    g->setAccessibleName(QString::fromUtf8(l.panelCaption ? l.panelCaption : "") + QString(" (grid %1)").arg(l.number));
    g->setGeometry(l.left, l.top, l.width, l.height);
    g->horizontalHeader()->hide();
    g->verticalHeader()->hide();
    g->verticalHeader()->setMinimumSectionSize(kvr::kSheetRowHeight);
    g->verticalHeader()->setDefaultSectionSize(kvr::kSheetRowHeight);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionMode(QAbstractItemView::NoSelection);
    g->setFocusPolicy(Qt::NoFocus);
    g->setWordWrap(false);
    QFont f("Arial");
    f.setPixelSize(SheetGrids::kSheetFontPixels);
    g->setFont(f);
    for (int c = 0; c < l.cols; ++c) g->setColumnWidth(c, l.defaultColWidth);
    if (!l.scrollBars) {
        g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        g->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    QPalette pal = g->palette();
    pal.setColor(QPalette::Base, gridColour(l.colour, parent));
    g->setPalette(pal);
    for (int r = 0; r < l.rows; ++r)
        for (int c = 0; c < l.cols; ++c) g->setItem(r, c, new QTableWidgetItem);
    return g;
}

// Calls back whenever the watched page changes size.
class PageResizeWatch : public QObject {
public:
    PageResizeWatch(QWidget* page, std::function<void()> onResize)
        : QObject(page), onResize_(std::move(onResize)) {
        page->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Resize) onResize_();
        return false;
    }

private:
    std::function<void()> onResize_;
};

}  // namespace

void SheetGrids::keepInsidePage(QWidget* page) {
    // The right-hand grids of the design reach a few pixels past a tab page
    // as Qt's styles draw it: they give up those pixels (their columns refit)
    // rather than lose their right-hand frame and column ends.
    for (const kvr::SheetGridLayout& l : kvr::sheetGridLayouts()) {
        QTableWidget* g = grids_.at(l.number);
        if (g->parentWidget() != page) continue;
        const int width = std::max(20, std::min(l.width, page->width() - l.left - 1));
        if (g->width() == width) continue;
        g->resize(width, g->height());
        auto design = designWidths_.find(l.number);
        if (design != designWidths_.end()) fitTexts(g, design->second);
    }
    for (auto& [number, panel] : panels_) {
        if (panel->parentWidget() != page) continue;
        const int right = page->width() - 1;
        const int width = std::min(panelWidths_[number], right - panel->x());
        if (panel->width() != width) {
            panel->resize(width, panel->height());
            fitCaption(panel);
        }
    }
}

void SheetGrids::build(QWidget* fuel, QWidget* ignition, QWidget* options, QWidget* airTemp) {
    auto page = [&](kvr::SheetTab t) {
        switch (t) {
        case kvr::SheetTab::Fuel: return fuel;
        case kvr::SheetTab::Ignition: return ignition;
        case kvr::SheetTab::Options: return options;
        default: return airTemp;
        }
    };
    int panelOwner = 0;
    QRect panelBox;
    auto closePanel = [&] {
        if (panelOwner == 0) return;
        panels_[panelOwner]->setGeometry(panelBox.left(), std::max(0, panelBox.top() - 19), panelBox.width(), 18);
        panelWidths_[panelOwner] = panelBox.width();
        fitCaption(panels_[panelOwner]);
    };
    for (const kvr::SheetGridLayout& l : kvr::sheetGridLayouts()) {
        QWidget* parent = page(l.tab);
        grids_[l.number] = makeGrid(parent, l);
        const QRect box(l.left, l.top, l.width, l.height);
        if (l.panelCaption != nullptr || panelOwner == 0 || grids_[panelOwner]->parentWidget() != parent) {
            closePanel();
            auto* p = new QLabel(QString::fromUtf8(l.panelCaption ? l.panelCaption : ""), parent);
            p->setAlignment(Qt::AlignCenter);
            p->setFrameStyle(QFrame::Panel | QFrame::Raised);
            QFont small = p->font();
            small.setPixelSize(kPanelFontPixels);
            p->setFont(small);
            if (l.panelHint) p->setToolTip(QString::fromUtf8(l.panelHint));
            panels_[l.number] = p;
            panelOwner = l.number;
            panelBox = box;
        } else {
            panelBox = panelBox.united(box);
        }
    }
    closePanel();
    for (QWidget* page : {fuel, ignition, options, airTemp})
        new PageResizeWatch(page, [this, page] { keepInsidePage(page); });
}

void SheetGrids::apply(const kvr::SheetSet& sheets, bool filled) {
    for (const kvr::SheetGridLayout& l : kvr::sheetGridLayouts()) {
        QTableWidget* g = grids_.at(l.number);
        const kvr::SheetGrid& model = sheets.grid(l.number);
        for (int r = 0; r < l.rows; ++r) {
            for (int c = 0; c < l.cols; ++c) {
                const QString text = QString::fromStdString(model.cell(c, r));
                QTableWidgetItem* item = g->item(r, c);
                if (item->text() != text) item->setText(text);
            }
        }
        std::vector<int>& design = designWidths_[l.number];
        if (design.empty()) design.assign(l.cols, l.defaultColWidth);
        if (filled) {
            for (size_t c = 0; c < l.filledColWidths.size() && c < design.size(); ++c)
                design[c] = l.filledColWidths[c];
        }
        fitTexts(g, design);
    }
}

void SheetGrids::fitCaption(QLabel* panel) {
    // A caption longer than its grids are wide gets a smaller font (down to
    // the smallest the grids use) rather than losing its ends.
    QFont f = panel->font();
    const int room = panel->contentsRect().width() - 2;
    for (int pixels = kPanelFontPixels; pixels >= kSheetMinFontPixels; --pixels) {
        f.setPixelSize(pixels);
        if (QFontMetrics(f).horizontalAdvance(panel->text()) <= room || pixels == kSheetMinFontPixels) break;
    }
    if (f.pixelSize() != panel->font().pixelSize()) panel->setFont(f);
}

int SheetGrids::cellTextPadding(const QTableWidget* g) {
    // The item delegate keeps this margin on each side of a cell's text, and
    // the grid line takes one pixel.
    // Three more: the view lays a text out slightly wider than its advance
    // and elides it at the last pixel.
    const int margin = g->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, g) + 1;
    return 2 * margin + 1 + 3;
}

int SheetGrids::textRoom(const QTableWidget* g) {
    int room = g->width() - 2 * g->frameWidth();
    const bool rowsOverflow = g->rowCount() * kvr::kSheetRowHeight > g->height() - 2 * g->frameWidth();
    if (rowsOverflow && g->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
        room -= g->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, g);
    return room;
}

void SheetGrids::fitTexts(QTableWidget* g, const std::vector<int>& designWidths) {
    // Fonts on Linux run wider than the design widths allow for: columns
    // borrow unused room first, and only then does the font get smaller.
    const int room = textRoom(g);
    const int pad = cellTextPadding(g);
    for (int pixels = kSheetFontPixels; pixels >= kSheetMinFontPixels; --pixels) {
        QFont f = g->font();
        f.setPixelSize(pixels);
        const QFontMetrics fm(f);
        std::vector<int> needed(designWidths.size(), 0);
        for (int c = 0; c < g->columnCount(); ++c)
            for (int r = 0; r < g->rowCount(); ++r)
                if (const QTableWidgetItem* item = g->item(r, c); item && !item->text().isEmpty())
                    needed[c] = std::max(needed[c], fm.horizontalAdvance(item->text()) + pad);
        std::vector<int> widths = designWidths;
        if (!kvr::fitColumns(widths, needed, room) && pixels > kSheetMinFontPixels) continue;
        if (g->font().pixelSize() != pixels) g->setFont(f);
        for (int c = 0; c < g->columnCount(); ++c)
            if (g->columnWidth(c) != widths[c]) g->setColumnWidth(c, widths[c]);
        return;
    }
}

void SheetGrids::setPanelCaption(int gridNumber, const QString& caption) {
    for (auto it = panels_.rbegin(); it != panels_.rend(); ++it) {
        if (it->first <= gridNumber) {
            it->second->setText(caption);
            fitCaption(it->second);
            return;
        }
    }
}
