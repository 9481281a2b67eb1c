#include "dashboard/logging/chart_log.h"

#include "dashboard/logging/log_files.h"
#include "dashboard/logging/recovery_logs.h"
#include "dashboard/logging/sample_journal.h"
#include "dashboard/logging/trend_file.h"
#include "widgets/model/trend_time.h"

namespace kvr {
namespace {

struct ChannelDesign {
    const char* unit;
    float from, to;
    int32_t digitalTo;
};

// Channel 1 records 1 rpm a digit; the others their span in 1000 steps.
constexpr ChannelDesign kChannels[8] = {
    {"RPM", 0, 10000, 10000}, {"AFR", 7, 20, 1000},        {"MP", -30, 30, 1000},   {"IGN", -50, 10, 1000},
    {"TP", 0, 64, 1000},      {"AIRTEMP", -60, 250, 1000}, {"KNOCK", 0, 15, 1000}, {"DUTY", 0, 120, 1000},
};

}  // namespace

void designChartChannel(TSignalSettings& c, int channel) {
    const ChannelDesign& d = kChannels[channel - 1];
    c.setDigitalTo(d.digitalTo);
    c.setValueUnit(d.unit);
    c.setValueFrom(d.from);
    c.setValueTo(d.to);
}

void designChartChannels(TSignalSettings (&channels)[8]) {
    for (int n = 1; n <= 8; ++n) designChartChannel(channels[n - 1], n);
}

void applyRangeRequest(TSignalSettings& c, const ChannelRangeRequest& r) {
    c.setValueFrom(r.from);
    c.setValueTo(r.to);
    if (!r.unit.empty()) c.setValueUnit(r.unit);
}

ChartLog::ChartLog() : ChartLog(localNowDays) {}

ChartLog::ChartLog(Clock now) : wallClock(std::move(now)) {
    for (int n = 1; n <= 8; ++n) designChartChannel(channels_[n - 1], n);
}

ChartLog::~ChartLog() = default;

void ChartLog::setChannelRange(int channel, float from, float to, const std::string& unit) {
    const ChannelRangeRequest request{channel, from, to, unit};
    applyRangeRequest(channels_.at(static_cast<size_t>(channel - 1)), request);
    rangeRequests.push_back(request);
}

void ChartLog::copyChannels(TSignalSettings (&out)[8]) const {
    for (int i = 0; i < 8; ++i) out[i] = channels_[i];
}

void ChartLog::setLoggingSwitch(int index) {
    const bool switchedOn = index != kLogStop && rules.loggingSwitch == kLogStop;
    rules.loggingSwitch = index;
    // An opened log is for viewing; recording again starts a new one.
    if (switchedOn && showingOpened_) {
        showingOpened_ = false;
        store_.clear();
        unsaved_ = 0;
        if (onStoreChanged) onStoreChanged(StoreChange::Cleared);
    }
}

// Channel 2 reads an air/fuel ratio or O2 volts, whichever the ECU sends:
// its range follows once per switch.
void ChartLog::followMixtureUnit(const LiveRecord& r) {
    if (r.mixtureSkipped) return;
    const char* unit = r.o2Form ? "O2V" : "AFR";
    if (mixtureUnit_ == unit) return;
    mixtureUnit_ = unit;
    if (r.o2Form)
        setChannelRange(2, 0, 1, unit);
    else
        setChannelRange(2, 7, 20, unit);
}

void ChartLog::onRecord(const LiveRecord& r) {
    lastEventMs_ = r.arrivalMs;
    values_.apply(r);
    followMixtureUnit(r);
    for (int i = 0; i < 8; ++i) channels_[i].setValue(values_.channel[i]);
    if (rules.judge(values_.throttle, values_.rpm)) note_ = "Logging...";
    updateRecording();
}

void ChartLog::onLinkChange(const LinkChange& change) {
    lastEventMs_ = change.atMs;
    linkLive_ = change.to == LinkState::Live;
    updateRecording();
}

// Records only while the rules say so, the data is fresh, and no opened
// log is being shown. Each switch back on marks the gap.
void ChartLog::updateRecording() {
    const bool on = rules.on && linkLive_ && !showingOpened_;
    if (on == recording_) return;
    recording_ = on;
    if (on) {
        nextSampleMs_ = lastEventMs_ + kSampleIntervalMs;
        markGap();
    }
    if (onRecordingChanged) onRecordingChanged(on);
}

// The break goes after the newest record, the last one before the gap, so
// each run of samples between separators is one stretch of fresh data.
void ChartLog::markGap() {
    if (store_.count() < 2) return;
    store_.appendSeparators();
    if (journal_ && journal_->isOpen()) journal_->appendGap(store_.back());
    if (onStoreChanged) onStoreChanged(StoreChange::Separators);
}

bool ChartLog::takeSample() {
    if (!recording_) return false;
    TrendRecord record;
    record.time = wallClock();
    for (int i = 0; i < 8; ++i) record.digits[i] = static_cast<uint16_t>(channels_[i].relativeDigit());
    store_.append(record);
    ++unsaved_;
    if (!journal_ || !journal_->isOpen()) openRecoveryJournal();
    if (journal_ && journal_->isOpen()) {
        journal_->append(record);
        writeJournalValues();
    }
    if (onStoreChanged) onStoreChanged(StoreChange::Appended);
    return true;
}

bool ChartLog::sampleIfDue(int64_t nowMs) {
    if (!recording_ || nowMs < nextSampleMs_) return false;
    // Due times keep their rhythm unless the caller fell far behind.
    nextSampleMs_ = nowMs - nextSampleMs_ > 1000 ? nowMs + kSampleIntervalMs : nextSampleMs_ + kSampleIntervalMs;
    return takeSample();
}

int ChartLog::saveTo(const std::string& path) const { return saveTrendFile(path, store_); }

int ChartLog::open(const std::string& path, size_t* cutTail) {
    store_.clear();
    size_t cut = 0;
    const int result = appendTrendFile(path, store_, &cut);
    if (cutTail) *cutTail = cut;
    showingOpened_ = true;
    unsaved_ = 0;
    // The switch goes back to Stop: switching it on again starts a new log.
    rules.on = false;
    rules.loggingSwitch = kLogStop;
    updateRecording();
    if (onStoreChanged) onStoreChanged(StoreChange::Opened);
    return result;
}

void ChartLog::clear() {
    store_.clear();
    unsaved_ = 0;
    if (onStoreChanged) onStoreChanged(StoreChange::Cleared);
}

void ChartLog::attachJournal(std::shared_ptr<SampleJournal> journal) { journal_ = std::move(journal); }

void ChartLog::openRecoveryJournal() {
    if (recoveryDirectory.empty() || !journalFailure_.empty()) return;
    std::string error;
    if (!journal_) journal_ = std::make_shared<SampleJournal>();
    if (makeRecoveryDirectory(recoveryDirectory, error) &&
        journal_->open(newRecoveryLogName(recoveryDirectory), error)) {
        journalValues_.clear();
        return;
    }
    // Said once: recording goes on, only without its safety copy.
    journalFailure_ = error;
    if (messages) messages->add("No recovery copy of the log can be written: " + error);
}

// A new image changes how the records read back: the values file beside a
// recovery journal follows it.
void ChartLog::writeJournalValues() {
    if (recoveryDirectory.empty() || !valuesForJournal) return;
    const ValuesFile values = valuesForJournal();
    if (values.valuesText == journalValues_ && journalValuesWritten_) return;
    std::string error;
    if (writeValuesFile(companionNameForSave(journal_->path()), values, error)) {
        journalValues_ = values.valuesText;
        journalValuesWritten_ = true;
    } else if (messages) {
        messages->add("Recovery values file not written: " + error);
    }
}

void ChartLog::closeJournal(bool remove) {
    if (!journal_) return;
    if (remove)
        journal_->closeAndRemove();
    else
        journal_->close();
    journalValuesWritten_ = false;
}

}  // namespace kvr
