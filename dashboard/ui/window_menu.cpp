#include "dashboard/ui/window_menu.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include "dashboard/ui/keys_help.h"

WindowMenu::WindowMenu(QMainWindow* window) : QObject(window) {
    QMenuBar* bar = window->menuBar();
    QMenu* file = bar->addMenu("&File");
    openLogAction = file->addAction("&Open Log File");
    saveLogAction = file->addAction("&Save Log File");
    exportAction = file->addAction("&Export…");
    exportAction->setToolTip("Export the log, whole or as far as the chart shows it, as MSL, MLG or CSV");
    printValuesAction = file->addAction("Print KVR ecu Values");
    saveAsmAction = file->addAction("Save to &ASM file");
    saveTextAction = file->addAction("Save &Text Log…");
    saveTextAction->setObjectName("saveTextAction");
    saveTextAction->setToolTip("Save every line of the Log Text tab, the hidden details too, to a text file");
    exitAction = file->addAction("E&xit");
    openLogAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    saveLogAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    printValuesAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    exitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    QMenu* comPort = bar->addMenu("&ComPort");
    rescanPortsAction = comPort->addAction("Rescan Com ports");
    QMenu* view = bar->addMenu("&View");
    fullScreenAction = view->addAction("&Full Screen Gauges");
    fullScreenAction->setCheckable(true);
    fullScreenAction->setShortcut(QKeySequence(Qt::Key_F11));
    QMenu* help = bar->addMenu("&Help");
    keysAction = help->addAction("&Keys");
    keysAction->setShortcut(QKeySequence(Qt::Key_F1));
    keysAction->setObjectName("keysAction");
    connect(keysAction, &QAction::triggered, window, [window] { showKeysHelp(window); });
    // M marks the log from any page. It is no menu item: a letter key is
    // typed into a text box that has the focus instead.
    markAction = new QAction("Place marker", window);
    markAction->setShortcut(QKeySequence(Qt::Key_M));
    markAction->setShortcutContext(Qt::WindowShortcut);
    window->addActions({openLogAction, saveLogAction, exportAction, printValuesAction, exitAction, fullScreenAction,
                        markAction, keysAction});
    // The names "Form1"'s menu items had, so anything that looks one up by it still finds it.
    openLogAction->setObjectName("OpenLogFile1");
    saveLogAction->setObjectName("SaveLogFile1");
    printValuesAction->setObjectName("PrintValues1");
    saveAsmAction->setObjectName("SaveAsm1");
    exitAction->setObjectName("Exite1");
    rescanPortsAction->setObjectName("Rescancomports1");
    fullScreenAction->setObjectName("FullScreenGauges1");
    exportAction->setObjectName("exportAction");
    markAction->setObjectName("markAction");
}
