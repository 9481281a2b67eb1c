// kvrdash: the KVR engine control unit's dashboard and data logger.
#include <QApplication>

#include "dashboard/serial_port.h"
#include "dashboard/ui/dialogs.h"
#include "dashboard/ui/tform1.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("KVR Dash & Logger");
    kvr::TolkSerialPort port;
    QtDialogs dialogs;
    TForm1 form(port, dialogs);
    form.show();
    return QApplication::exec();
}
