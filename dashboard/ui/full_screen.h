// The gauges alone on the whole screen (View menu, F11) and back: the menu,
// the bar above the tabs and the tab bar go out of sight, the tab widget
// takes the window, and leaving restores what was shown and the window's
// place.
#pragma once

#include <QPointer>
#include <QRect>
#include <vector>

class QAction;
class QMainWindow;
class QTabWidget;
class QWidget;

class FullScreenGauges {
public:
    // `toggle` is the checkable menu action; it follows the view.
    FullScreenGauges(QMainWindow& window, QTabWidget* pages, QWidget* gaugesTab, QAction* toggle);

    bool isOn() const { return on_; }
    void enter();
    // Leaves the view; the window then lays its pages out for its size again.
    void leave();

private:
    void checkToggle();

    QMainWindow& window_;
    QTabWidget* pages_;
    QWidget* gaugesTab_;
    QAction* toggle_;
    bool on_ = false;
    QRect pagesGeometryBefore_;
    QRect windowGeometryBefore_;
    bool wasMaximized_ = false;
    std::vector<QPointer<QWidget>> hidden_;
};
