// Saving, opening and erasing the log: the chart file (.KVL) from the chart
// log's store, its companion values file (.KVV) with the values image and
// the notes, and the full-rate data log (.msl) with the markers.
#include <cstring>

#include "dashboard/dashboard_core.h"
#include "dashboard/datalog/msl_marker_copy.h"
#include "dashboard/logging/log_files.h"
#include "dashboard/logging/recovery_logs.h"
#include "dashboard/user_prompts.h"

namespace kvr {

bool DashboardCore::saveLog() {
    if (!prompts) return false;
    const std::string title = in.title;
    memo(title);
    const auto name = prompts->saveFileName(title + ".KVL", "KVL");
    // The dialog's close empties COM1's receive queue, as "CLR COMPRT" does.
    session.clearCom1Queue();
    if (!name) return false;

    if (const int r = chartLog.saveTo(*name); r != 0) {
        // Nothing is claimed as saved, and the companion is not written
        // without its chart file, so an older pair on disk stays a pair.
        prompts->information("Problem saving file.");
        memo("Log not saved: " + *name + ": " + std::strerror(r));
        return false;
    }
    out.savedFileText = "Saved file:" + *name;
    valuesFileName = withoutExtension(*name);
    const std::string companion = valuesFileName + ".KVV";
    std::string error;
    if (!writeValuesFile(companion, ValuesFile{session.valuesText, in.notes}, error)) {
        prompts->information("Problem saving file.\n" + error);
        memo("Values file not saved: " + error);
        return false;
    }
    // The full-rate rows go beside them, with the markers as now named.
    if (const std::string rows = dataLogFile(); !rows.empty()) {
        if (!copyMslWithMarkerTexts(rows, dataLogNameFor(*name), markerTexts(), error)) {
            prompts->information("Problem saving file.\n" + error);
            memo("Data log not saved: " + error);
            return false;
        }
        openedDataLog_ = dataLog.isOpen() ? std::string() : dataLogNameFor(*name);
    }
    memo("Saved file:" + valuesFileName);
    // The title box follows the name saved under, so the next save proposes it.
    out.proposedTitle = valuesFileName;
    // Saved under a real name: the recovery copies have done their work.
    // The data log goes on in its file while recording continues, so the
    // next save has every row.
    dataLog.markSaved();
    chartLog.setUnsavedRecords(0);
    chartLog.closeJournal(true);
    if (!recoveredLog_.empty() && recoveredLog_ != *name) removeLogPair(recoveredLog_);
    recoveredLog_.clear();
    return true;
}

void DashboardCore::openLog() {
    if (!prompts) return;
    if (!confirmLogMayBeDropped("Opening a log replaces")) return;
    session.valuesSource = "pcdisk";
    // Cancelling the dialog leaves the chart as it was.
    const auto name = prompts->openFileName("*.KVL");
    if (!name) return;
    logDiscarded();
    loadLog(*name);
}

void DashboardCore::loadLog(const std::string& name) {
    if (!prompts) return;
    session.valuesSource = "pcdisk";
    valuesFileName = name;
    openedLogFile = name;
    recoveredLog_.clear();
    // Shown for viewing: recording into it stops, and switching the logging
    // on again starts a new log.
    size_t cutTail = 0;
    if (chartLog.open(name, &cutTail) != 0) prompts->information("Problem loading file.");
    memo("Loaded file:" + name);
    loadMarkersFrom(dataLogNameFor(name));
    // A log cut short by a crash loads its whole records; the rest is said once.
    if (cutTail != 0)
        memo("The last record of " + name + " was cut short (" + std::to_string(cutTail) +
             " bytes); the whole records before it are loaded");

    const std::string companion = findCompanion(name);
    valuesFileName = companion.empty() ? companionNameByLastCharacter(name) : companion;
    if (companion.empty()) {
        prompts->information("No corresponding KVR values file found");
        return;
    }
    ValuesFile file;
    std::string error;
    if (!readValuesFile(companion, file, error)) {
        prompts->information("Problem loading file.\n" + error);
        memo("Values file not loaded: " + error);
        return;
    }
    session.valuesText = file.valuesText;
    // A short first line is kept as the image but is not a whole one: the
    // notes and sheets stay as they were.
    if (session.valuesText.size() < 2000) return;
    out.notes = file.notes;
    if (decodeValues) decodeValues();
}

void DashboardCore::eraseLog() {
    if (!confirmLogMayBeDropped("Erasing empties")) return;
    chartLog.clear();
    logDiscarded();
    openedDataLog_.clear();
    chartLog.markErased();
}

bool DashboardCore::setLoggingSwitch(int index) {
    // Recording again after an opened log starts a new one: a recovered log
    // that was never saved is asked about first.
    const bool newLog = index != kLogStop && chartLog.rules.loggingSwitch == kLogStop && chartLog.showingOpenedLog();
    if (newLog && !confirmLogMayBeDropped("Recording starts a new log and replaces")) return false;
    if (newLog) openedDataLog_.clear();
    chartLog.setLoggingSwitch(index);
    return true;
}

}  // namespace kvr
