// A GUI application without a display, for the commands that paint a PDF:
// Qt's fonts need one, and a command-line tool must run without a screen.
// While it lives, Qt's notes (a missing XDG_RUNTIME_DIR and the like), which
// would break the one-line stderr contract, are kept quiet; its critical
// messages go to stderr as "kvrtool COMMAND: ...".
#pragma once

#include <QGuiApplication>
#include <memory>

namespace kvrtool {

class HeadlessPainting {
public:
    explicit HeadlessPainting(const char* command);
    ~HeadlessPainting();
    HeadlessPainting(const HeadlessPainting&) = delete;
    HeadlessPainting& operator=(const HeadlessPainting&) = delete;

private:
    int argc_ = 1;
    char name_[8] = "kvrtool";
    char* argv_[2] = {name_, nullptr};
    QtMessageHandler previous_ = nullptr;
    std::unique_ptr<QGuiApplication> app_;
};

}  // namespace kvrtool
