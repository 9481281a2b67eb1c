// The main window's state and behaviour without the window: the connection
// state machine, the port handling, the ECU link framer and the polling tick.
// TForm1 owns one of these, forwards its event handlers to the methods of the
// same names, and then shows what the outputs below say. Tests and kvrtool
// drive it directly.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dashboard/link_state.h"
#include "dashboard/live_display.h"
#include "dashboard/serial_port.h"
#include "dashboard/values/parameter_sheets.h"
#include "widgets/model/signal_settings.h"

namespace kvr {

// What the window's controls hold that the behaviour reads.
class LogChart;
class SampleJournal;
class UserPrompts;
struct TrendRecord;

struct ControlInputs {
    std::string SpinEdit5Text = "45";  // data interval, ms (45..9999)
    bool LogToMemo = false;             // "Enable KVR Text Logging"
    int logselectbutton = 0;            // "Log Chart Enable": Stop, Go, TP >, RPM >
    int SpinEdit1 = 20;                 // throttle threshold
    int SpinEdit2 = 3000;               // RPM threshold
    std::string Edit4Text;              // title: proposed log file name
    std::vector<std::string> notes;     // the lines of the Notes memo
};

// A change of a log chart channel's range (and unit), in the order made: the
// chart's setters ignore some values depending on the current bounds, so a
// copy of the chart must replay the same requests to end up the same.
struct ChannelRangeRequest {
    int channel;  // 1..8
    float from;
    float to;
    std::string unit;  // empty: unchanged
};

// What the behaviour sets on the window's controls, and one-off requests
// the window carries out (and then clears).
struct ControlOutputs {
    std::vector<std::string> memoLines;  // lines to append to Memo1, oldest first
    std::vector<std::string> warnings;   // modal warning boxes to show, in order
    bool AbLED2 = false;                 // LOGGING
    bool AbLED3 = false;                 // RxData
    bool AbLED4 = false;                 // Data Error
    int Gauge2 = 5;                      // receive-queue fill
    bool Timer1Enabled = false;
    int Timer1Interval = 500;
    std::vector<std::string> ComboBox1Items;
    int ComboBox1ItemIndex = -1;
    bool ComboBox1Enabled = true;
    bool Rescancomports1Enabled = true;
    int notesClears = 0;  // times Memo2 was emptied
    std::vector<ChannelRangeRequest> channelRanges;  // to replay on the chart
    std::optional<std::string> Edit1Text;             // new text for Edit1
    std::optional<std::vector<std::string>> notes;    // new lines for the Notes memo
    std::optional<std::string> Edit4Text;             // a proposed title
    std::optional<std::string> loadFuelPanelCaption;  // the panel above StringGrid3
    int sheetFills = 0;                               // times the sheets were refilled
};

class DashboardCore {
public:
    // Decoding a good values image into the sheets, and a new live record into
    // the display, are done by the values and live-display code; the core
    // calls them through these hooks at the moments the link defines.
    std::function<void()> decodeValues;      // decode ValuesText: FillParameterSheets by default
    std::function<void()> onValuesFetchRequested;  // "Fetch Values": empty StringGrid23
    std::function<void()> onLiveRecord;      // a record was decoded into `display`

    explicit DashboardCore(SerialPort& port);

    // Set by the window: the log chart and the user's dialogs.
    LogChart* chart = nullptr;
    UserPrompts* prompts = nullptr;

    // --- Handlers, named after the window's -------------------------------
    void FormCreate();
    void FormClose();
    void Exite1Click();
    void Timer1Timer();
    void StopClick();        // "Pause"
    void Button11Click();    // "Resume"
    void FetchKVRValsClick();
    void SpinEdit5Change(const std::string& text);
    void SCANCOMPORTS();
    void Rescancomports1Click() { SCANCOMPORTS(); }
    void ComboBox1Change(int itemIndex);
    void OpenCommportClick();
    void COMPORT_OPEN();
    void Button2Click();   // "Close Com Port"
    void Button13Click();  // "CLR COMPRT"
    void Button14Click();  // "SER GET CHAR"
    void Button17Click();  // "SIODONE COMPRT"
    void Button1Click();   // diagnostic: image bytes at 108-109, decode again
    void SAVE_LOGFILE();
    void LOAD_LOGFILE();
    void Button5Click();  // "Erase Log Chart"
    // Decodes ValuesText into the sheets and the derived values, and adjusts
    // the meters and the log chart to the ECU's configuration.
    void FillParameterSheets();

    // --- The link ------------------------------------------------------------
    void FETCH_SERIAL_TEXT();
    void FIX_IGNITION_DATA();
    void LOG_FREQUENCY();
    void sendValuesRequest();  // "D" CR
    void sendPoll();           // "Q" CR
    void sendStop();           // "S" CR

    // The tick's decoding of LiveRecord into the values and `display`.
    void decodeLiveRecord();

    // Sets a chart channel's range (lower bound first) and, when given, its
    // unit, through the channel's setters; the request is also queued for
    // the window's chart.
    void setChartChannelRange(int channel, float from, float to, const std::string& unit = {});
    void Rescale_Logchart();

    // --- Link health --------------------------------------------------------
    // Milliseconds of a monotonic clock; the system's unless a test sets it.
    std::function<int64_t()> monotonicMs = steadyClockMs;
    // Where the link stands now, and the one line that says so.
    LinkState linkState() const;
    std::string linkStatusText() const;
    bool linkLive() const { return linkState() == LinkState::Live; }
    // A record older than this is stale: 1 s, or twice the data interval.
    int64_t freshnessLimitMs() const;
    // When the data of a live link goes stale, if nothing new comes (ms of monotonicMs).
    int64_t staleAtMs() const { return lastRecordMs_ + freshnessLimitMs(); }
    // The chart records only while the logging rules say so and the data is fresh.
    bool recordingNow() const { return display.recording && linkLive(); }
    bool reconnecting() const { return reconnecting_; }

    // --- Keeping the log safe --------------------------------------------------
    // Where recovery logs go; empty: none are written. The window sets it.
    std::string recoveryDirectory;
    // Records the chart took since it was last saved, loaded or erased.
    int unsavedRecords() const { return unsavedRecords_; }
    // The chart appended a record / inserted a gap's separators.
    void chartRecordAppended(const TrendRecord& record);
    void chartGapMarked(const TrendRecord& before);
    // Asks "Save / Discard / Cancel" when the chart holds unsaved records.
    // True: go on (saved, discarded or nothing to lose); false: stop.
    bool confirmLogMayBeDropped(const std::string& action);
    // The chart is being thrown away on purpose: drop the recovery log too.
    void logDiscarded();
    // At start-up: offers each recovery log left by a run that ended without saving.
    void offerRecoveredLogs();
    // Writes what is still queued for the recovery log and stops its writer.
    void closeRecoveryLog();
    // Opens a log as "Open Log File" does once a name is chosen.
    void loadLog(const std::string& name);

    // Appends one line to the message log.
    void memo(const std::string& line) { out.memoLines.push_back(line); }

    ControlInputs in;
    ControlOutputs out;
    LiveDisplay display;
    // The log chart's channels as the program has set them (ranges, units).
    TSignalSettings chartChannels[8];
    // The parameter sheets and the values derived from the image.
    ParameterSheets sheets;
    // How a fill learns the time and file dates; the system's unless a test sets it.
    std::function<FillContext(const std::string& source, const std::string& valuesFile,
                              const std::string& openedFile)>
        fillContext = systemFillContext;

    // --- State (the window's fields) -------------------------------------------
    int32_t PortNumber = 0;
    bool PortOpen = false;
    std::string PortName;
    int32_t BaudRate = 57600;
    std::string LineBuffer;
    int32_t LastChar = 0;
    uint16_t CharCount = 0;
    uint8_t LiveSum = 0;
    uint8_t SetupSum = 0;
    int32_t ValuesSum = 0;
    std::string LiveRecord;
    bool NewRecord = false;
    std::string SetupLine;
    bool SetupReceived = false;
    std::string ValuesText;
    bool ValuesLoaded = false;
    std::string ValuesSource;
    std::string ValuesFileName;
    std::string OpenedLogFile;  // the chart file last chosen in the open dialog
    int32_t FetchState = 0;
    bool ChartRescaled = false;
    std::string WindowTitle;
    std::string O2Mode;
    double Rpm = 0, MapValue = 0, AfrValue = 0, O2Volts = 0, InjPulseMs = 0;
    int32_t RpmPeriod = 0, Ignition = 0, KnockCount = 0;
    uint8_t ThrottlePos = 0, OutputFlags = 0;
    std::string DutyText;
    // From the values image (set by its decode).
    int32_t CylinderCount = 0, SwVersion = 0;
    uint8_t Config5Flags = 0, MapSensorCode = 0;

private:
    void clearLinkState();
    void resetFramer();  // the receive framer's sums and line
    void takePortChoice();
    void closeAndChoose();
    int rxQueued();
    void reportLostDevice(int result);
    void tryReopen();
    void resetLinkWatch();
    bool saveLog();
    void openRecoveryLog();
    void writeRecoveryValues();
    // Handles the completed line in LineBuffer. False: the framer stops here.
    bool handleLine();
    bool handleLiveRecord();
    bool handleSetupLine();
    bool handleImageText();
    void decodeSpeed();
    void decodeManifoldPressure();
    void decodeMixture();
    void setUpMixtureMeter(const char* mode, const char* unit, const char* scaleFormat, int steps, float from,
                           float to);
    void decodeLabels();
    void decodeOutputs();
    void applyLoggingRules();

    SerialPort& port_;
    bool deviceLost_ = false;  // the lost-device line was written for this open
    bool lineCut_ = false;     // the line being received was cut at the limit
    // Link health.
    bool paused_ = false;        // "Pause" stopped the polling
    bool reconnecting_ = false;  // the device went away; reopening it every second
    int64_t lastRecordMs_ = 0;   // when the newest good live record was decoded
    int64_t openedMs_ = 0;       // when polling (re)started: open, reopen or resume
    bool recordSinceOpen_ = false;
    int64_t lostMs_ = 0;         // when the device went away
    int64_t nextReopenMs_ = 0;
    // The unsaved log and its recovery copy.
    int unsavedRecords_ = 0;
    std::shared_ptr<SampleJournal> journal_;
    std::string journalFailure_;   // why no recovery log could be written, once
    std::string recoveredLog_;     // a recovery log now shown in the chart
    std::string recoveryValues_;   // the image last written beside the recovery log
};

// Applies a range request through the channel's setters, lower bound first.
void applyRangeRequest(TSignalSettings& c, const ChannelRangeRequest& r);

// The log chart's eight channels as the window designs them.
void designChartChannel(TSignalSettings& c, int channel);  // channel 1..8
void initialiseChartChannels(TSignalSettings (&channels)[8]);

// "COM1".."COM40" to 0..39; -1 for any other text.
int portNumberFromName(const std::string& name);

// The version text shown in the caption.
inline constexpr const char* kVersionText = "V6.3";

}  // namespace kvr
