#include "dashboard/ui/full_screen.h"

#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>

FullScreenGauges::FullScreenGauges(QMainWindow& window, QTabWidget* pages, QWidget* gaugesTab,
                                   QAction* toggle)
    : window_(window), pages_(pages), gaugesTab_(gaugesTab), toggle_(toggle) {}

void FullScreenGauges::checkToggle() {
    if (toggle_->isChecked() == on_) return;
    const QSignalBlocker quiet(toggle_);
    toggle_->setChecked(on_);
}

void FullScreenGauges::enter() {
    if (on_) return;
    on_ = true;
    checkToggle();
    QWidget* central = window_.centralWidget();
    wasMaximized_ = window_.isMaximized();
    windowGeometryBefore_ = window_.geometry();
    pagesGeometryBefore_ = pages_->geometry();
    pages_->setCurrentWidget(gaugesTab_);
    // Everything but the gauges goes out of sight: top bar, menu, tabs.
    hidden_.clear();
    for (QWidget* w : central->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w == pages_ || w->isHidden()) continue;
        w->hide();
        hidden_.push_back(w);
    }
    window_.menuBar()->hide();
    pages_->tabBar()->hide();
    pages_->setDocumentMode(true);
    window_.showFullScreen();
    // Without a window manager to honour the request, take the screen here.
    if (QScreen* s = window_.screen()) window_.setGeometry(s->geometry());
    pages_->setGeometry(central->rect());
}

void FullScreenGauges::leave() {
    if (!on_) return;
    on_ = false;
    checkToggle();
    for (const QPointer<QWidget>& w : hidden_)
        if (w) w->show();
    hidden_.clear();
    window_.menuBar()->show();
    pages_->tabBar()->show();
    pages_->setDocumentMode(false);
    pages_->setGeometry(pagesGeometryBefore_);
    if (wasMaximized_) {
        window_.showMaximized();
    } else {
        window_.showNormal();
        window_.setGeometry(windowGeometryBefore_);
    }
}
