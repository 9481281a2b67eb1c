// Prints where the dashboard window has its "Open Com Port" button and each
// tab, in window coordinates, for the gauges CPU benchmark to click on. It
// builds the same window on the same display, so fonts and style match the
// kvrdash under test. With WIDTH HEIGHT as arguments it first gives the
// window that size, so a script can reach the tabs of a resized window.
#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <cstdio>
#include <cstdlib>

#include "dashboard/link/memory_serial_port.h"
#include "dashboard/ui/connection_bar.h"
#include "dashboard/ui/dialogs.h"
#include "dashboard/ui/main_window.h"
#include "dashboard/ui/window_menu.h"
#include "support/private_state.h"

int main(int argc, char** argv) {
    const PrivateStateFolder state;  // no recovery logs of the user's offered
    QApplication app(argc, argv);
    kvr::MemorySerialPort port;
    QtDialogs dialogs;
    MainWindow form(port, dialogs);
    form.show();
    if (argc == 3) form.resize(std::atoi(argv[1]), std::atoi(argv[2]));
    QApplication::processEvents();
    auto print = [&](const char* what, const QWidget* w, QPoint centre) {
        const QPoint at = w->mapTo(&form, centre);
        std::printf("%s %d %d\n", what, at.x(), at.y());
    };
    print("open", form.connectionBar->openPortButton, form.connectionBar->openPortButton->rect().center());
    QTabBar* tabs = form.pages->tabBar();
    for (int i = 0; i < tabs->count(); ++i) {
        const QByteArray name = "tab:" + tabs->tabText(i).toUtf8().replace(' ', '_');
        print(name.constData(), tabs, tabs->tabRect(i).center());
    }
    std::printf("size %d %d\n", form.width(), form.height());
    // F11 shows the gauges alone, full screen.
    std::printf("fullscreen %s\n", form.menus->fullScreenAction->shortcut().toString().toUtf8().constData());
    return 0;
}
