#include "dashboard/ui/full_screen.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>

#include "dashboard/display/window_layout.h"

namespace {

constexpr int kBadgeMargin = 8;       // from the page's top and right edges
constexpr int kNoteMs = 4000;         // how long a note stays
const QString kRecording = QStringLiteral("\u25CF REC");

}  // namespace

FullScreenGauges::FullScreenGauges(QMainWindow& window, QTabWidget* pages, QWidget* gaugesTab,
                                   QAction* toggle)
    : window_(window), pages_(pages), gaugesTab_(gaugesTab), toggle_(toggle) {
    // Red on black, large and bold: seen from across a workshop.
    badge_ = new QLabel(gaugesTab_);
    badge_->setObjectName("fullScreenRecording");
    badge_->setAccessibleName("Recording");
    badge_->setAutoFillBackground(true);
    QPalette pal = badge_->palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, QColor(0xFF, 0x30, 0x30));
    badge_->setPalette(pal);
    QFont font = badge_->font();
    font.setPixelSize(22);
    font.setBold(true);
    badge_->setFont(font);
    badge_->setMargin(4);
    badge_->hide();
    noteTimer_.setSingleShot(true);
    noteTimer_.setInterval(kNoteMs);
    QObject::connect(&noteTimer_, &QTimer::timeout, this, [this] {
        note_.clear();
        showBadge();
    });
    gaugesTab_->installEventFilter(this);
}

void FullScreenGauges::setRecording(bool on) {
    recording_ = on;
    showBadge();
}

void FullScreenGauges::showNote(const QString& text) {
    note_ = text;
    noteTimer_.start();
    showBadge();
}

void FullScreenGauges::showBadge() {
    QStringList parts;
    if (recording_) parts << kRecording;
    if (!note_.isEmpty()) parts << note_;
    const bool show = on_ && !parts.isEmpty();
    if (show) {
        badge_->setText(parts.join(QStringLiteral("  ")));
        badge_->adjustSize();
        // Top right; under the gauges instead where the page has room for
        // it there, so it covers no dial.
        const QSize page = gaugesTab_->size();
        const kvr::GaugesScale s = kvr::gaugesScale(page.width(), page.height());
        const int blockRight = s.left + static_cast<int>(kvr::kGaugesDesignWidth * s.factor);
        const int blockBottom = s.top + static_cast<int>(kvr::kGaugesDesignHeight * s.factor);
        int y = kBadgeMargin;
        if (page.width() - blockRight < badge_->width() + 2 * kBadgeMargin &&
            page.height() - blockBottom >= badge_->height() + 2 * kBadgeMargin)
            y = blockBottom + kBadgeMargin;
        badge_->move(std::max(0, page.width() - badge_->width() - kBadgeMargin), y);
        badge_->raise();
    }
    badge_->setVisible(show);
}

bool FullScreenGauges::eventFilter(QObject* watched, QEvent* event) {
    if (watched == gaugesTab_ && event->type() == QEvent::Resize && badge_->isVisible()) showBadge();
    return QObject::eventFilter(watched, event);
}

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
    showBadge();
}

void FullScreenGauges::leave() {
    if (!on_) return;
    on_ = false;
    checkToggle();
    showBadge();
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
