#include "dashboard/ui/file_commands.h"

#include <QLineEdit>
#include <QPrinter>
#include <utility>

#include "dashboard/dashboard_core.h"
#include "dashboard/logging/log_files.h"
#include "dashboard/ui/connection_bar.h"
#include "dashboard/ui/dialogs.h"
#include "dashboard/ui/qt_strings.h"
#include "dashboard/ui/text_tabs.h"
#include "dashboard/values/asm_listing.h"
#include "dashboard/values/ui/report_output.h"

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
