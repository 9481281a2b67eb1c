// Saving and opening a log: the chart file (.KVL) through the log chart, and
// its companion values file (.KVV) with the values image and the notes.
#include <sys/stat.h>

#include <cstring>

#include "dashboard/dashboard_core.h"
#include "dashboard/logging/log_chart.h"
#include "dashboard/logging/log_files.h"
#include "dashboard/logging/recovery_logs.h"
#include "dashboard/logging/sample_journal.h"
#include "dashboard/user_prompts.h"

namespace kvr {

void DashboardCore::SAVE_LOGFILE() { saveLog(); }

bool DashboardCore::saveLog() {
    if (!chart || !prompts) return false;
    const std::string title = in.Edit4Text;
    memo(title);
    const auto name = prompts->saveFileName(title + ".KVL", "KVL");
    // The dialog's close empties COM1's receive queue, as "CLR COMPRT" does.
    Button13Click();
    if (!name) return false;

    if (const int r = chart->SaveToFile(*name); r != 0) {
        // Nothing is claimed as saved, and the companion is not written
        // without its chart file, so an older pair on disk stays a pair.
        prompts->information("Problem saving file.");
        memo("Log not saved: " + *name + ": " + std::strerror(r));
        return false;
    }
    ValuesFileName = *name;
    out.Edit1Text = "Saved file:" + *name;
    ValuesFileName = withoutExtension(*name);
    const std::string companion = ValuesFileName + ".KVV";
    std::string error;
    if (!writeValuesFile(companion, ValuesFile{ValuesText, in.notes}, error)) {
        prompts->information("Problem saving file.\n" + error);
        memo("Values file not saved: " + error);
        return false;
    }
    memo("Saved file:" + ValuesFileName);
    // Saved under a real name: the recovery copies have done their work.
    unsavedRecords_ = 0;
    if (journal_) journal_->closeAndRemove();
    if (!recoveredLog_.empty() && recoveredLog_ != *name) removeLogPair(recoveredLog_);
    recoveredLog_.clear();
    return true;
}

void DashboardCore::LOAD_LOGFILE() {
    if (!chart || !prompts) return;
    if (!confirmLogMayBeDropped("Opening a log replaces")) return;
    ValuesSource = "pcdisk";
    chart->Clear();
    logDiscarded();
    const auto name = prompts->openFileName("*.KVL");
    if (!name) return;
    loadLog(*name);
}

void DashboardCore::loadLog(const std::string& chosen) {
    if (!chart || !prompts) return;
    const std::string* name = &chosen;
    ValuesSource = "pcdisk";
    ValuesFileName = *name;
    OpenedLogFile = *name;
    unsavedRecords_ = 0;
    recoveredLog_.clear();
    if (chart->LoadFromFile(*name) != 0) prompts->information("Problem loading file.");
    // Loading switches the chart's recording off; the logging rules start it
    // again from there.
    display.recording = false;
    out.AbLED2 = false;
    memo("Loaded file:" + *name);
    // A log cut short by a crash loads its whole records; the rest is said once.
    struct stat st {};
    if (::stat(name->c_str(), &st) == 0 && st.st_size % 24 != 0)
        memo("The last record of " + *name + " was cut short (" + std::to_string(st.st_size % 24) +
             " bytes); the whole records before it are loaded");

    const std::string companion = findCompanion(*name);
    ValuesFileName = companion.empty() ? companionNameByLastCharacter(*name) : companion;
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
    ValuesText = file.valuesText;
    // A short first line is kept as the image but is not a whole one: the
    // notes and sheets stay as they were.
    if (ValuesText.size() < 2000) return;
    out.notes = file.notes;
    if (decodeValues) decodeValues();
}

}  // namespace kvr

namespace kvr {

void DashboardCore::Button5Click() {
    if (!confirmLogMayBeDropped("Erasing empties")) return;
    if (chart) chart->Clear();
    logDiscarded();
    display.Label6 = "Log Chart Cleared";
    ++display.revision;
}

}  // namespace kvr
