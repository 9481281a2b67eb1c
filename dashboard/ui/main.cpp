// kvrdash: the KVR engine control unit's dashboard and data logger.
#include <QApplication>

#include <cstdio>
#include <cstdlib>
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

const char kNoDisplay[] =
    "kvrdash: no graphical session to show the window on (%s).\n"
    "kvrdash needs a desktop session (X11 or Wayland). To log without one, use\n"
    "'kvrtool log --port COMn --seconds S -o NAME' (see kvrtool(1)).\n";

// Qt gives up on a missing display with a fatal message and abort(), which a
// user reads as a crash (status 134, "reinstalling the application may
// fix..."). While the application starts, a fatal message says what is
// wrong instead and exits with status 1.
QtMessageHandler previousHandler = nullptr;
void startupMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        std::fprintf(stderr, kNoDisplay, "the display could not be opened");
        std::_Exit(1);
    }
    if (previousHandler) previousHandler(type, context, text);
}

// Whether Qt is left to pick the platform (no -platform argument, no
// QT_QPA_PLATFORM) and there is no display for it to pick.
bool noDisplayAtAll(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strncmp(argv[i], "-platform=", 10) == 0) return false;
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform) return false;
    auto set = [](const char* name) { return std::getenv(name) && *std::getenv(name); };
    return !set("DISPLAY") && !set("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char** argv) {
    if (const int status = answerInformationOptions(argc, argv); status >= 0) return status;
    if (noDisplayAtAll(argc, argv)) {
        std::fprintf(stderr, kNoDisplay, "DISPLAY and WAYLAND_DISPLAY are not set");
        return 1;
    }

    previousHandler = qInstallMessageHandler(startupMessages);
    QApplication app(argc, argv);
    qInstallMessageHandler(previousHandler);
    QApplication::setApplicationName("KVR Dash & Logger");
    QApplication::setApplicationVersion(KVR_PACKAGE_VERSION);
    QApplication::setDesktopFileName("kvrdash");
    kvr::TolkSerialPort port;
    QtDialogs dialogs;
    MainWindow window(port, dialogs);
    window.show();
    return QApplication::exec();
}
