// Keeping the log safe: the question before unsaved records are thrown
// away, and the offer to open what a crashed run left behind. The chart log
// writes the recovery copy itself as it records.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "dashboard/dashboard_core.h"
#include "dashboard/logging/recovery_logs.h"
#include "dashboard/user_prompts.h"

namespace kvr {
namespace {

// "729 records (1 min 31 s)": the span from the first of the unsaved
// samples to the last, as the recovery prompt gives it for the same records.
std::string recordsText(const TrendStore& store, int records) {
    std::vector<double> times;
    for (int i = std::max(0, store.count() - records); i < store.count(); ++i) times.push_back(store.at(i).time);
    return std::to_string(records) + " records (" + logDurationText(recordSpanSeconds(times)) + ")";
}

}  // namespace

bool DashboardCore::logUnsaved() const { return chartLog.unsavedRecords() > 0 || dataLog.unsavedRows() > 0; }

bool DashboardCore::confirmLogMayBeDropped(const std::string& action) {
    if (!logUnsaved() || !prompts) return true;
    const int64_t rows = dataLog.unsavedRows();
    const std::string dataRows = rows > 0 ? " and " + std::to_string(rows) + " full-rate data log rows" : "";
    const std::string text = "The log chart holds " + recordsText(chartLog.store(), chartLog.unsavedRecords()) + dataRows +
                             " that have not been saved. " + action + " the chart.\n\nSave the log first?";
    switch (prompts->choose(text, {"Save", "Discard", "Cancel"})) {
    case 0: return saveLog();
    case 1:
        logDiscarded();
        return true;
    default: return false;
    }
}

void DashboardCore::logDiscarded() {
    chartLog.setUnsavedRecords(0);
    chartLog.closeJournal(true);
    dataLog.discard();
    if (!recoveredLog_.empty()) removeLogPair(recoveredLog_);
    recoveredLog_.clear();
}

void DashboardCore::closeRecoveryLog() {
    // Nothing unsaved: the copy is not needed. Otherwise it stays for the
    // next start to offer.
    const bool keep = logUnsaved();
    chartLog.closeJournal(!keep);
    if (keep)
        dataLog.close();
    else
        dataLog.discard();
}

void DashboardCore::offerRecoveredLogs() {
    if (chartLog.recoveryDirectory.empty() || !prompts) return;
    for (const LeftLog& log : findLeftLogs(chartLog.recoveryDirectory)) {
        const int choice = prompts->choose(leftLogQuestion(log), {"Open", "Discard", "Later"});
        if (choice == 1) {
            removeLogPair(log.chartFile);
            memo("Recovery log discarded: " + log.chartFile);
        } else if (choice == 0) {
            loadLog(log.chartFile);
            // Shown as loaded but not yet saved under a name of the user's.
            recoveredLog_ = log.chartFile;
            chartLog.setUnsavedRecords(log.records);
            memo("Recovery log opened: " + log.chartFile);
            return;  // one at a time; the others are offered at the next start
        }
    }
}

}  // namespace kvr
