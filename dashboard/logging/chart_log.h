// The log chart's log: the one place that decides what is recorded and
// keeps it. A sink of the session: each record updates the eight channels
// and the logging switch's rules; the link's state says whether the data is
// fresh. While the rules say so and the data is fresh it records: a sample
// of the channels every 100 ms into the record store, and into a journal on
// disk as it goes. Each time recording comes back on after a pause, the gap
// is marked with separators. The window's chart and kvrtool log both use
// it; the chart only views its store.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dashboard/decode/live_values.h"
#include "dashboard/logging/logging_rules.h"
#include "dashboard/logging/trend_store.h"
#include "dashboard/session/message_log.h"
#include "dashboard/session/record_sink.h"
#include "widgets/model/signal_settings.h"

namespace kvr {

class SampleJournal;
struct ValuesFile;

// A change of a chart channel's range (and unit), in the order made: the
// setters ignore some values depending on the current bounds, so a copy of
// the channels must replay the same requests to end up the same.
struct ChannelRangeRequest {
    int channel;  // 1..8
    float from;
    float to;
    std::string unit;  // empty: unchanged
};

// Applies a range request through the channel's setters, lower bound first.
void applyRangeRequest(TSignalSettings& c, const ChannelRangeRequest& r);
// A chart channel as the window designs it (range, unit, digits).
void designChartChannel(TSignalSettings& c, int channel);  // channel 1..8
void designChartChannels(TSignalSettings (&channels)[8]);

// A labelled moment in the log: placed by the user ("Mark", the M key, a
// signal to kvrtool), or by the log itself where a gap in the data ends.
struct ChartMarker {
    int number = 0;   // 0, 1, 2... in the order placed
    int record = 0;   // the store index of the record it sits on
    double time = 0;  // local date-time of that moment, days since 1899-12-30
    std::string text;
    bool gap = false;
};

class ChartLog : public RecordSink {
public:
    using Clock = std::function<double()>;  // local date-time, days since 1899-12-30
    static constexpr int kSampleIntervalMs = 100;

    explicit ChartLog(Clock now);
    ChartLog();
    // The time stamp of each sample; the system's local time unless a test says otherwise.
    Clock wallClock;
    ~ChartLog() override;
    ChartLog(const ChartLog&) = delete;
    ChartLog& operator=(const ChartLog&) = delete;

    // --- Channels -------------------------------------------------------------
    const TChSettings& channel(int n) const { return channels_.at(static_cast<size_t>(n - 1)); }
    void setChannelRange(int channel, float from, float to, const std::string& unit = {});
    // The eight channels' ranges and units, for readers of the log's digits.
    void copyChannels(TSignalSettings (&out)[8]) const;
    // Each channel's physical unit for the cursor read-out: rpm, volts while
    // the ECU sends O2 volts (none for an air/fuel ratio), the MAP sensor's
    // unit, degrees, counts, the air temperature's unit as the records give
    // it, percent. (The channels' own units are their short names.)
    std::array<std::string, 8> readoutUnits() const;
    // The MAP channel's unit, from the values image's sensor.
    void setMapUnit(const std::string& unit) { mapUnit_ = unit; }
    // Every range change since the views last took them, oldest first.
    std::vector<ChannelRangeRequest> rangeRequests;

    // --- What is recorded -------------------------------------------------------
    LoggingRules rules;
    // "Log Chart Enable": Stop, Go, TP >, RPM >. Switching on again after an
    // opened log was shown starts a new log (the caller asks first when the
    // shown one is unsaved).
    void setLoggingSwitch(int index);
    bool recording() const { return recording_; }
    bool linkLive() const { return linkLive_; }
    // The status line's word on it: "Logging..." once the rules start,
    // "Log Chart Cleared" after an erase.
    const std::string& note() const { return note_; }

    void onRecord(const LiveRecord& record) override;
    void onLinkChange(const LinkChange& change) override;

    // Recording went on or off (the window's clock registers or leaves).
    std::function<void(bool)> onRecordingChanged;
    // The store changed: a sample, separators, a clear, an opened log.
    std::function<void(StoreChange)> onStoreChanged;

    // --- Sampling ---------------------------------------------------------------
    // One sample of the eight channels, now; nothing unless recording.
    // Returns whether a record was appended.
    bool takeSample();
    // The same on a 100 ms rhythm of its own: the first sample one interval
    // after recording starts, then every interval (kvrtool's loop).
    bool sampleIfDue(int64_t nowMs);
    int64_t nextSampleMs() const { return nextSampleMs_; }

    // --- The log ------------------------------------------------------------------
    const TrendStore& store() const { return store_; }
    // Samples taken since the log was last saved, opened or erased.
    int unsavedRecords() const { return unsaved_; }
    void setUnsavedRecords(int n) { unsaved_ = n; }
    // 0 or the errno of the failure; nothing written is claimed as saved.
    int saveTo(const std::string& path) const;
    // Shows a log file for viewing: recording into it stops until the
    // logging switch is switched on again. 0 or the errno; `cutTail` gets
    // the bytes of a cut-short last record.
    int open(const std::string& path, size_t* cutTail = nullptr);
    bool showingOpenedLog() const { return showingOpened_; }
    // Why live data is not going into the log, for the window's status line:
    // "not recording (Log Chart: Stop)", or the threshold it waits for;
    // empty while it records, or when there is no live data to record.
    std::string notRecordingNote() const;
    // Empties the log (the journal stays; the caller decides about it).
    void clear();
    void markErased() { note_ = "Log Chart Cleared"; }

    // --- Markers --------------------------------------------------------------------
    const std::vector<ChartMarker>& markers() const { return markers_; }
    // Puts a numbered marker at the newest record, while recording; an empty
    // text becomes "Mark N". Returns the marker's index, or -1 when not
    // recording.
    int placeMarker(std::string text = {});
    void renameMarker(int index, const std::string& text);
    // The markers of an opened log, placed on its records by their times.
    void setMarkers(std::vector<ChartMarker> markers);
    // A marker was placed (the data log writes it after its newest row).
    std::function<void(const ChartMarker&)> onMarkerPlaced;
    // Markers were placed, renamed or replaced (views redraw them).
    std::function<void()> onMarkersChanged;
    // Keeps marker texts to one line: line breaks and tabs become spaces.
    static std::string markerText(const std::string& text);

    // --- The journal ----------------------------------------------------------------
    // kvrtool: every sample and gap also goes to this journal.
    void attachJournal(std::shared_ptr<SampleJournal> journal);
    // The window: a recovery journal opened in this folder at the first
    // sample, with a values file beside it kept in step with valuesForJournal.
    std::string recoveryDirectory;
    std::function<ValuesFile()> valuesForJournal;
    MessageLog* messages = nullptr;
    SampleJournal* journal() const { return journal_.get(); }
    // The recovery journal's file name for this log, chosen once per log (a
    // journal closed at a save comes back under the same name), so files
    // that go with it (the data log) can be named after it. Empty without a
    // recovery folder.
    std::string recoveryLogName();
    // Writes what the journal has queued and closes it; with `remove` the
    // file goes too.
    void closeJournal(bool remove);

private:
    void updateRecording();
    void markGap();
    void openRecoveryJournal();
    void writeJournalValues();
    void followMixtureUnit(const LiveRecord& r);
    void addMarker(ChartMarker marker);
    void markGapEnd();

    std::array<TChSettings, 8> channels_;
    LiveValues values_;
    std::string mixtureUnit_ = "AFR";
    std::string mapUnit_ = "inHg/psi";
    char airTempUnit_ = 'F';
    TrendStore store_;
    bool linkLive_ = false;
    bool recording_ = false;
    bool showingOpened_ = false;
    int64_t lastEventMs_ = 0;  // when the latest record or link change came
    int64_t nextSampleMs_ = 0;
    int unsaved_ = 0;
    std::string note_;
    std::vector<ChartMarker> markers_;
    // The last record recorded (0: none since the log began) and why the
    // recording stopped after it: a gap marker says both when it comes back.
    int64_t lastRecordedMs_ = 0;
    std::string pauseReason_;
    LinkState linkState_ = LinkState::Closed;
    std::shared_ptr<SampleJournal> journal_;
    std::string journalFailure_;
    std::string recoveryName_;
    std::string journalValues_;  // the image last written beside the recovery journal
    bool journalValuesWritten_ = false;
};

}  // namespace kvr
