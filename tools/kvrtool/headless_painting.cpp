#include "headless_painting.h"

#include <cstdio>
#include <cstdlib>

namespace kvrtool {
namespace {

const char* gCommand = "";

void quietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "kvrtool %s: %s\n", gCommand, qPrintable(message));
}

}  // namespace

HeadlessPainting::HeadlessPainting(const char* command) {
    gCommand = command;
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    previous_ = qInstallMessageHandler(quietQtMessages);
    app_ = std::make_unique<QGuiApplication>(argc_, argv_);
}

HeadlessPainting::~HeadlessPainting() {
    app_.reset();
    qInstallMessageHandler(previous_);
}

}  // namespace kvrtool
