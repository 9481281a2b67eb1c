#include "dashboard/logging/chart_log.h"

#include <algorithm>
#include <cstdio>

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
        clear();
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

std::string ChartLog::notRecordingNote() const {
    if (recording_ || !linkLive_) return "";
    if (showingOpened_) return "not recording: an opened log is shown (Log Chart: Erase, or Go, records anew)";
    switch (rules.loggingSwitch) {
    case kLogStop: return "not recording (Log Chart: Stop)";
    case kLogThrottleAbove:
        return "not recording until throttle > " + std::to_string(rules.throttleThreshold) + " (Log Chart: TP >)";
    case kLogRpmAbove: return "not recording until RPM > " + std::to_string(rules.rpmThreshold) + " (Log Chart: RPM >)";
    default: return "";
    }
}

std::array<std::string, 8> ChartLog::readoutUnits() const {
    return {"rpm", mixtureUnit_ == "O2V" ? "V" : "", mapUnit_, "deg", "counts", std::string(1, airTempUnit_),
            "counts", "%"};
}

void ChartLog::onRecord(const LiveRecord& r) {
    lastEventMs_ = r.arrivalMs;
    values_.apply(r);
    followMixtureUnit(r);
    if (r.airTempUnit == 'C' || r.airTempUnit == 'F') airTempUnit_ = r.airTempUnit;
    for (int i = 0; i < 8; ++i) channels_[i].setValue(values_.channel[i]);
    if (rules.judge(values_.throttle, values_.rpm)) note_ = "Logging...";
    updateRecording();
    if (recording_) lastRecordedMs_ = r.arrivalMs;
}

void ChartLog::onLinkChange(const LinkChange& change) {
    lastEventMs_ = change.atMs;
    linkLive_ = change.to == LinkState::Live;
    linkState_ = change.to;
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
        markGapEnd();
    } else if (!linkLive_) {
        pauseReason_ = staleReason(linkState_);
    } else if (showingOpened_) {
        pauseReason_.clear();
    } else {
        pauseReason_ = rules.loggingSwitch == kLogStop ? "logging stopped" : "the logging rule paused recording";
    }
    if (onRecordingChanged) onRecordingChanged(on);
}

// Where recording comes back after a pause, a marker on the last record
// before it says why it stopped and for how long: "gap: the device went
// away, 3.1 s".
void ChartLog::markGapEnd() {
    if (lastRecordedMs_ == 0 || pauseReason_.empty()) return;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f s", static_cast<double>(lastEventMs_ - lastRecordedMs_) / 1000.0);
    ChartMarker m;
    m.text = "gap: " + pauseReason_ + ", " + seconds;
    m.gap = true;
    pauseReason_.clear();
    addMarker(std::move(m));
}

int ChartLog::placeMarker(std::string text) {
    if (!recording_) return -1;
    ChartMarker m;
    m.text = markerText(text);
    if (m.text.empty()) m.text = "Mark " + std::to_string(markers_.size() + 1);
    addMarker(std::move(m));
    return static_cast<int>(markers_.size()) - 1;
}

// A marker sits on the newest record: its time is now, its place in the
// store the newest sample (the one before the gap, for a gap's marker).
void ChartLog::addMarker(ChartMarker m) {
    m.number = static_cast<int>(markers_.size());
    m.time = wallClock();
    int last = store_.count() - 1;
    while (last > 0 && store_.at(last).isSeparator()) --last;
    m.record = std::max(last, 0);
    markers_.push_back(m);
    if (onMarkerPlaced) onMarkerPlaced(markers_.back());
    if (onMarkersChanged) onMarkersChanged();
}

void ChartLog::renameMarker(int index, const std::string& text) {
    if (index < 0 || index >= static_cast<int>(markers_.size())) return;
    const std::string t = markerText(text);
    if (t.empty() || t == markers_[static_cast<size_t>(index)].text) return;
    markers_[static_cast<size_t>(index)].text = t;
    if (onMarkersChanged) onMarkersChanged();
}

void ChartLog::setMarkers(std::vector<ChartMarker> markers) {
    // Each marker goes on the last sample at or before its time; the
    // separators' zero times are passed over.
    size_t next = 0;
    std::sort(markers.begin(), markers.end(), [](const ChartMarker& a, const ChartMarker& b) { return a.time < b.time; });
    int lastSample = 0;
    for (int i = 0; i < store_.count() && next < markers.size(); ++i) {
        const TrendRecord& r = store_.at(i);
        if (r.isSeparator()) continue;
        while (next < markers.size() && markers[next].time < r.time) markers[next++].record = lastSample;
        lastSample = i;
    }
    for (; next < markers.size(); ++next) markers[next].record = lastSample;
    for (size_t i = 0; i < markers.size(); ++i) markers[i].number = static_cast<int>(i);
    markers_ = std::move(markers);
    if (onMarkersChanged) onMarkersChanged();
}

std::string ChartLog::markerText(const std::string& text) {
    std::string t = text;
    for (char& c : t)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    const size_t first = t.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return t.substr(first, t.find_last_not_of(' ') - first + 1);
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
    lastRecordedMs_ = 0;
    recoveryName_.clear();
    const bool hadMarkers = !markers_.empty();
    markers_.clear();
    if (hadMarkers && onMarkersChanged) onMarkersChanged();
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
    lastRecordedMs_ = 0;
    pauseReason_.clear();
    recoveryName_.clear();
    const bool hadMarkers = !markers_.empty();
    markers_.clear();
    if (onStoreChanged) onStoreChanged(StoreChange::Cleared);
    if (hadMarkers && onMarkersChanged) onMarkersChanged();
}

void ChartLog::attachJournal(std::shared_ptr<SampleJournal> journal) { journal_ = std::move(journal); }

std::string ChartLog::recoveryLogName() {
    if (recoveryDirectory.empty()) return {};
    if (recoveryName_.empty()) recoveryName_ = newRecoveryLogName(recoveryDirectory);
    return recoveryName_;
}

void ChartLog::openRecoveryJournal() {
    if (recoveryDirectory.empty() || !journalFailure_.empty()) return;
    std::string error;
    if (!journal_) journal_ = std::make_shared<SampleJournal>();
    if (makeRecoveryDirectory(recoveryDirectory, error) && journal_->open(recoveryLogName(), error)) {
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
