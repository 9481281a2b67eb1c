#include "dashboard/ui/file_commands.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QPrinter>
#include <string>
#include <utility>

#include "dashboard/dashboard_core.h"
#include "dashboard/logging/log_files.h"
#include "dashboard/ui/connection_bar.h"
#include "dashboard/ui/dialogs.h"
#include "dashboard/ui/qt_strings.h"
#include "dashboard/ui/text_tabs.h"
#include "dashboard/values/asm_listing.h"
#include "dashboard/values/ui/report_output.h"
#include "widgets/model/trend_time.h"

namespace {

const char* const kExportFilter = "MSL data log (*.msl);;MLG binary log (*.mlg);;CSV text (*.csv)";
enum ExportRange { kWholeLog, kVisibleRange };

}  // namespace

FileCommands::FileCommands(QWidget& window, kvr::DashboardCore& core, Dialogs& dialogs,
                           const ConnectionBar& bar, TextTabs& texts, std::function<void()> showOutputs)
    : window_(window),
      core_(core),
      dialogs_(dialogs),
      bar_(bar),
      texts_(texts),
      showOutputs_(std::move(showOutputs)) {}

void FileCommands::collectSaveInputs() {
    core_.in.title = bar_.titleEdit->text().toStdString();
    core_.in.notes = texts_.notes();
}

void FileCommands::saveLog() {
    collectSaveInputs();
    core_.saveLog();
    showOutputs_();
}

void FileCommands::openLog() {
    collectSaveInputs();  // the question before replacing the chart may save it
    core_.openLog();
    showOutputs_();
}

void FileCommands::exportLog(const std::optional<std::pair<double, double>>& visibleTimes) {
    kvr::ExportOptions options;
    if (visibleTimes) {
        const int range = dialogs_.choose(&window_, "Export the whole log, or only the records the chart shows?",
                                          {"Whole log", "Visible range", "Cancel"});
        if (range != kWholeLog && range != kVisibleRange) return;
        if (range == kVisibleRange) {
            // A millisecond wider each way: the log keeps whole milliseconds,
            // and the first and last record shown must not round out of it.
            options.from.unixMs = kvr::unixMsFromLocalDays(visibleTimes->first) - 1;
            options.to.unixMs = kvr::unixMsFromLocalDays(visibleTimes->second) + 1;
        }
    }
    QString proposed = QFileInfo(bar_.titleEdit->text().trimmed()).completeBaseName();
    if (proposed.isEmpty()) proposed = "log";
    const auto name = dialogs_.saveFileName(&window_, proposed + ".msl", "msl", kExportFilter);
    if (!name) return;
    const std::string path = toFileName(*name);
    const std::optional<kvr::ExportFormat> format = kvr::exportFormatOfPath(path);
    if (!format) {
        dialogs_.warning(&window_, "Nothing exported: \"" + QFileInfo(*name).fileName() +
                                       "\" names no format.\nChoose a name ending in .msl, .mlg or .csv.");
        return;
    }
    const kvr::ExportResult result = core_.exportLog(path, *format, options);
    std::string line;
    if (result.ok) {
        line = "Exported " + std::to_string(result.rows) + " rows and " + std::to_string(result.markers) +
               " markers as " + QString(kvr::exportFormatName(*format)).toUpper().toStdString() + " to " + path;
    } else {
        line = "Export to " + path + " failed: " + result.error;
    }
    core_.memo(line);
    showOutputs_();
    if (onNote) onNote(latin1(line));
    if (!result.ok) dialogs_.warning(&window_, "Export failed.\n" + latin1(result.error));
}

void FileCommands::printValues() {
    QPrinter printer(QPrinter::HighResolution);
    if (!dialogs_.print(&window_, printer)) return;  // cancelled: no job begins
    const std::string title = bar_.titleEdit->text().toStdString();
    const kvr::ReportOutcome o =
        kvr::printValuesReport(printer, kvr::ReportSource{core_.sheets.sheets(), core_.sheets.info(), title});
    for (const auto& line : o.memoLines) core_.memo(line);
    showOutputs_();
    if (!o.printed) dialogs_.information(&window_, "Printing failed: " + QString::fromStdString(o.error));
}

void FileCommands::saveAsmFile() {
    const kvr::AsmListing listing =
        kvr::buildAsmListing(core_.session.valuesText, core_.sheets.separators(), kvr::localNow());
    texts_.showAsmListing(listing.lines);
    if (!listing.complete()) {
        core_.memo(listing.failure);
        showOutputs_();
        return;
    }
    const auto name = dialogs_.saveFileName(&window_, QString(), kvr::kAsmDefaultSuffix, kvr::kAsmFileFilter);
    if (!name) return;
    std::string error;
    if (!kvr::writeFileReplacing(toFileName(*name), kvr::asmFileText(listing.lines), error)) {
        dialogs_.information(&window_, "Problem saving file.\n" + latin1(error));
    }
}

bool FileCommands::confirmExit() {
    collectSaveInputs();
    const bool go = core_.confirmLogMayBeDropped("Exiting closes");
    showOutputs_();
    return go;
}
