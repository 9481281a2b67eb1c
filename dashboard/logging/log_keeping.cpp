// Keeping the log safe: the recovery copy written while the chart records,
// the question before unsaved records are thrown away, and the offer to open
// what a crashed run left behind.
#include <cstdio>

#include "dashboard/dashboard_core.h"
#include "dashboard/logging/log_chart.h"
#include "dashboard/logging/log_files.h"
#include "dashboard/logging/recovery_logs.h"
#include "dashboard/logging/sample_journal.h"
#include "dashboard/user_prompts.h"

namespace kvr {

namespace {

// "1234 records (2 min 3 s at 10 a second)"
std::string recordsText(int records) {
    const int seconds = records / 10;  // the chart samples every 100 ms
    char text[96];
    if (seconds >= 60)
        std::snprintf(text, sizeof text, "%d records (about %d min %d s)", records, seconds / 60, seconds % 60);
    else
        std::snprintf(text, sizeof text, "%d records (about %d s)", records, seconds);
    return text;
}

}  // namespace

void DashboardCore::openRecoveryLog() {
    if (recoveryDirectory.empty() || !journalFailure_.empty()) return;
    std::string error;
    if (!journal_) journal_ = std::make_shared<SampleJournal>();
    if (makeRecoveryDirectory(recoveryDirectory, error) &&
        journal_->open(newRecoveryLogName(recoveryDirectory), error)) {
        writeRecoveryValues();
        return;
    }
    // Said once: recording goes on, only without its safety copy.
    journalFailure_ = error;
    memo("No recovery copy of the log can be written: " + error);
}

void DashboardCore::writeRecoveryValues() {
    if (!journal_ || !journal_->isOpen()) return;
    std::string error;
    if (writeValuesFile(companionNameForSave(journal_->path()), ValuesFile{ValuesText, in.notes}, error))
        recoveryValues_ = ValuesText;
    else
        memo("Recovery values file not written: " + error);
}

void DashboardCore::chartRecordAppended(const TrendRecord& record) {
    ++unsavedRecords_;
    if (!journal_ || !journal_->isOpen()) openRecoveryLog();
    if (!journal_ || !journal_->isOpen()) return;
    journal_->append(record);
    // A new image changes how the records read back: keep the copy in step.
    if (ValuesText != recoveryValues_) writeRecoveryValues();
}

void DashboardCore::chartGapMarked(const TrendRecord& before) {
    if (journal_ && journal_->isOpen()) journal_->appendGap(before);
}

bool DashboardCore::confirmLogMayBeDropped(const std::string& action) {
    if (unsavedRecords_ == 0 || !prompts) return true;
    const std::string text = "The log chart holds " + recordsText(unsavedRecords_) +
                             " that have not been saved. " + action +
                             " the chart.\n\nSave the log first?";
    switch (prompts->choose(text, {"Save", "Discard", "Cancel"})) {
    case 0: return saveLog();
    case 1:
        logDiscarded();
        return true;
    default: return false;
    }
}

void DashboardCore::logDiscarded() {
    unsavedRecords_ = 0;
    if (journal_) journal_->closeAndRemove();
    if (!recoveredLog_.empty()) removeLogPair(recoveredLog_);
    recoveredLog_.clear();
}

void DashboardCore::closeRecoveryLog() {
    if (!journal_) return;
    // Nothing unsaved: the copy is not needed. Otherwise it stays for the
    // next start to offer.
    if (unsavedRecords_ == 0)
        journal_->closeAndRemove();
    else
        journal_->close();
}

void DashboardCore::offerRecoveredLogs() {
    if (recoveryDirectory.empty() || !prompts || !chart) return;
    for (const LeftLog& log : findLeftLogs(recoveryDirectory)) {
        const int choice = prompts->choose(leftLogQuestion(log), {"Open", "Discard", "Later"});
        if (choice == 1) {
            removeLogPair(log.chartFile);
            memo("Recovery log discarded: " + log.chartFile);
        } else if (choice == 0) {
            chart->Clear();
            loadLog(log.chartFile);
            // Shown as loaded but not yet saved under a name of the user's.
            recoveredLog_ = log.chartFile;
            unsavedRecords_ = log.records;
            memo("Recovery log opened: " + log.chartFile);
            return;  // one at a time; the others are offered at the next start
        }
    }
}

}  // namespace kvr
