// The window's menus: File (open, save, print, assembler listing, exit),
// ComPort (rescan) and View (the full-screen gauges). The window holds the
// actions too, so their keys work while the menu bar is hidden in the
// full-screen view.
#pragma once

#include <QObject>

class QAction;
class QMainWindow;

class WindowMenu : public QObject {
    Q_OBJECT
public:
    explicit WindowMenu(QMainWindow* window);

    QAction* openLogAction;
    QAction* saveLogAction;
    QAction* printValuesAction;
    QAction* saveAsmAction;
    QAction* exitAction;
    QAction* rescanPortsAction;
    QAction* fullScreenAction;  // F11: the gauges alone, full screen
};
