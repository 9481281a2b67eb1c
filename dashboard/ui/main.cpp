// kvrdash: the KVR engine control unit's dashboard and data logger.
#include <QApplication>

#include <cstdio>
#include <cstring>

#include "dashboard/link/serial_port.h"
#include "dashboard/ui/dialogs.h"
#include "dashboard/ui/main_window.h"
#include "kvr_version.h"

namespace {

const char kUsage[] =
    "usage: kvrdash [--help] [--version] [Qt options]\n"
    "\n"
    "The KVR engine control unit's dashboard and data logger. It opens a serial\n"
    "port, fetches the ECU's configuration, shows the live records on meters and\n"
    "lamps, records eight channels on the log chart and saves them as .KVL and\n"
    ".KVV files. It never writes to the ECU.\n"
    "\n"
    "  -h, --help     show this text and exit\n"
    "  --version      show the version and exit\n"
    "\n"
    "Other arguments are Qt's own (for example -platform offscreen, -style NAME).\n"
    "The port list shows COM1 to COM40; COMn is the device in the environment\n"
    "variable TOLK_COMn when it is set, else the one in the port map file that\n"
    "'kvrtool ports --assign' writes, else /dev/ttyS*, /dev/ttyUSB*, /dev/ttyACM*\n"
    "in that order (see kvrdash(1)).\n";

// Answers --help and --version before QApplication exists, so both work
// without a display. Returns the exit status, or -1 to go on and start.
int answerInformationOptions(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) break;
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("kvrdash %s\n", KVR_PACKAGE_VERSION);
            return std::fflush(stdout) == 0 ? 0 : 1;
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (const int status = answerInformationOptions(argc, argv); status >= 0) return status;

    QApplication app(argc, argv);
    QApplication::setApplicationName("KVR Dash & Logger");
    QApplication::setApplicationVersion(KVR_PACKAGE_VERSION);
    QApplication::setDesktopFileName("kvrdash");
    kvr::TolkSerialPort port;
    QtDialogs dialogs;
    MainWindow window(port, dialogs);
    window.show();
    return QApplication::exec();
}
