#include "dashboard/ui/sheet_grids.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>

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
    f.setPixelSize(11);
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

}  // namespace

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
            small.setPixelSize(10);  // captions as long as "Engine Temp numbers" fit a 112-pixel grid
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
        if (filled) {
            for (size_t c = 0; c < l.filledColWidths.size(); ++c)
                g->setColumnWidth(static_cast<int>(c), l.filledColWidths[c]);
        }
    }
}

void SheetGrids::setPanelCaption(int gridNumber, const QString& caption) {
    for (auto it = panels_.rbegin(); it != panels_.rend(); ++it) {
        if (it->first <= gridNumber) {
            it->second->setText(caption);
            return;
        }
    }
}
