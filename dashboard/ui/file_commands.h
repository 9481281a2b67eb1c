// The window's file commands: saving and opening a log (the title box names
// it, the notes go with it), exporting it (whole or the chart's visible
// range, as MSL, MLG or CSV), printing the values report, and writing the
// values image's assembler listing; and the question before exiting with a
// log that was not saved.
#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <utility>

class ConnectionBar;
class Dialogs;
class TextTabs;
class QWidget;

namespace kvr {
class DashboardCore;
}

class FileCommands {
public:
    // `showOutputs` shows what a command changed.
    FileCommands(QWidget& window, kvr::DashboardCore& core, Dialogs& dialogs, const ConnectionBar& bar,
                 TextTabs& texts, std::function<void()> showOutputs);

    void saveLog();
    // Asks before replacing a chart that was not saved, then for the file.
    void openLog();
    // Asks whole log or visible range (when the chart shows samples: the
    // local times of the first and last), then for the file; its extension
    // says the format.
    void exportLog(const std::optional<std::pair<double, double>>& visibleTimes);
    void printValues();
    void saveAsmFile();
    // True when exiting may go on (the log saved, dropped, or nothing to lose).
    bool confirmExit();
    // A command's outcome in a line, for the status line.
    std::function<void(const QString&)> onNote;

private:
    // Hands the title and notes to the core, as a save needs them.
    void collectSaveInputs();

    QWidget& window_;
    kvr::DashboardCore& core_;
    Dialogs& dialogs_;
    const ConnectionBar& bar_;
    TextTabs& texts_;
    std::function<void()> showOutputs_;
};
