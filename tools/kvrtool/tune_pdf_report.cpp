// kvrtool tune --report: the tuning pictures as a PDF, painted as the window
// paints them.
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

#include "command_output.h"
#include "dashboard/analysis/ui/tune_report.h"
#include "tune_report.h"

namespace kvrtool {
namespace {

// Qt's notes (a missing XDG_RUNTIME_DIR and the like) would break the
// one-line stderr contract; only its critical messages get through.
void quietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "kvrtool tune: %s\n", qPrintable(message));
}

}  // namespace

bool writeTuneReportPdf(const std::string& path, const kvr::TuneResult& result, const std::string& title) {
    // Fonts need a GUI application, and a command-line tool must run without a display.
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(quietQtMessages);
    int argc = 1;
    char name[] = "kvrtool";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    const QByteArray pdf = kvr::tuneReportPdf(result, title);
    if (pdf.isEmpty()) {
        std::fprintf(stderr, "kvrtool tune: the report could not be painted\n");
        return false;
    }
    return writeCommandOutput("tune", path, pdf.toStdString());
}

}  // namespace kvrtool
