// The gauges alone on the whole screen (View menu, F11) and back: the menu,
// the bar above the tabs and the tab bar go out of sight, the tab widget
// takes the window, and leaving restores what was shown and the window's
// place. While the view is on, a "REC" badge at the page's right edge (in
// its top corner, or under the gauges where there is room) says that the
// log records, and shows a note for a few seconds (the marker just placed).
#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QTimer>
#include <vector>

class QAction;
class QLabel;
class QMainWindow;
class QTabWidget;
class QWidget;

class FullScreenGauges : public QObject {
    Q_OBJECT
public:
    // `toggle` is the checkable menu action; it follows the view.
    FullScreenGauges(QMainWindow& window, QTabWidget* pages, QWidget* gaugesTab, QAction* toggle);

    bool isOn() const { return on_; }
    void enter();
    // Leaves the view; the window then lays its pages out for its size again.
    void leave();

    // Whether the log records now.
    void setRecording(bool on);
    // A short note beside the badge for a few seconds.
    void showNote(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void checkToggle();
    // The badge's text, visibility and place.
    void showBadge();

    QMainWindow& window_;
    QTabWidget* pages_;
    QWidget* gaugesTab_;
    QAction* toggle_;
    QLabel* badge_;
    bool on_ = false;
    bool recording_ = false;
    QString note_;
    QTimer noteTimer_;
    QRect pagesGeometryBefore_;
    QRect windowGeometryBefore_;
    bool wasMaximized_ = false;
    std::vector<QPointer<QWidget>> hidden_;
};
