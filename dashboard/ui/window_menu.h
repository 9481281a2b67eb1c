// The window's menus: File (open, save, export, print, assembler listing,
// exit), ComPort (rescan), View (the full-screen gauges) and Help (keys). The window holds
// the actions too, so their keys work while the menu bar is hidden in the
// full-screen view; the M key's marker action lives on the window alone.
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
    QAction* exportAction;  // File > Export...
    QAction* printValuesAction;
    QAction* saveAsmAction;
    QAction* saveTextAction;  // File > Save Text Log...: the Log Text tab's every line
    QAction* exitAction;
    QAction* rescanPortsAction;
    QAction* fullScreenAction;  // F11: the gauges alone, full screen
    QAction* markAction;        // M: a marker on the log while it records
    QAction* keysAction;        // Help > Keys, F1: every key and mouse action
};
