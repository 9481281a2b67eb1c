// The dashboard without its window: one session over the port, the gauges'
// display model and the chart log as the session's sinks, the parameter
// sheets decoded from the values image, and the log's files. The window
// shows what these say and forwards its controls' events to them; tests and
// kvrtool drive the same objects without a window.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dashboard/datalog/data_log.h"
#include "dashboard/datalog/log_export.h"
#include "dashboard/display/gauge_readings.h"
#include "dashboard/logging/chart_log.h"
#include "dashboard/session/session.h"
#include "dashboard/values/parameter_sheets.h"

namespace kvr {

class UserPrompts;

// What the window holds that saving a log needs.
struct WindowInputs {
    std::string title;               // the title box: the proposed log file name
    std::vector<std::string> notes;  // the lines of the Notes memo
};

// What the dashboard asks of the window beyond the session's and the
// sinks' state; the window carries each out and clears it.
struct WindowOutputs {
    std::optional<std::string> savedFileText;         // the Log Text tab's file box
    std::optional<std::vector<std::string>> notes;    // new lines for the Notes memo
    std::optional<std::string> proposedTitle;         // a title for the title box
    std::optional<std::string> loadFuelPanelCaption;  // the panel above the load fuel table
    int notesClears = 0;  // times the Notes memo was emptied
    int sheetFills = 0;   // times the sheets were filled
};

// What the values image's decode found that the live data needs.
struct ImageFacts {
    int32_t cylinderCount = 0;
    int32_t softwareVersion = 0;
    uint8_t config5Flags = 0;
    uint8_t mapSensorCode = 0;
};

class DashboardCore {
public:
    explicit DashboardCore(SerialPort& port);
    DashboardCore(const DashboardCore&) = delete;
    DashboardCore& operator=(const DashboardCore&) = delete;

    MessageLog messages;  // the text log's new lines and the boxes to show
    Session session;
    GaugeReadings gauges;
    ChartLog chartLog;
    // Every record in full while the chart log records, as an MSL file
    // beside the recovery journal (kvrtool: beside its log).
    DataLog dataLog;
    ParameterSheets sheets;
    ImageFacts facts;
    UserPrompts* prompts = nullptr;
    WindowInputs in;
    WindowOutputs out;

    // How a values image is decoded (fillSheets unless a test says otherwise),
    // and how a fill learns the time and file dates.
    std::function<void()> decodeValues;
    std::function<FillContext(const std::string& source, const std::string& valuesFile,
                              const std::string& openedFile)>
        fillContext = systemFillContext;

    // --- The program ------------------------------------------------------------
    void start();     // the window comes up: scan the ports, take the last
    void shutDown();  // the window closes: the port too
    std::string windowTitle;

    // --- The values image -------------------------------------------------------
    // Decodes the image text into the sheets and the image facts, and adjusts
    // the meters and the log chart to the ECU's configuration.
    void fillSheets();
    // The chart's pressure channel follows the MAP sensor and CONFIG5.
    void rescaleChart();
    // The hidden button: image bytes at 108-109 in the text log, decode again.
    void showImageBytes();
    std::string valuesFileName;  // the values file of the log last saved or opened
    std::string openedLogFile;   // the chart file last chosen in the open dialog

    // --- The log's files ----------------------------------------------------------
    bool saveLog();
    void openLog();                       // asks first, then the open dialog
    void loadLog(const std::string& name);  // opens a named log for viewing
    void eraseLog();
    // "Log Chart Enable": false when the user kept a shown log that was not
    // saved (the switch then stays where it was).
    bool setLoggingSwitch(int index);
    // Asks "Save / Discard / Cancel" when the chart holds unsaved records.
    // True: go on (saved, discarded or nothing to lose); false: stop.
    bool confirmLogMayBeDropped(const std::string& action);
    // The log is thrown away on purpose: its recovery copy goes too.
    void logDiscarded();
    // At start-up: offers each recovery log left by a run that ended without saving.
    void offerRecoveredLogs();
    // Writes what is queued for the recovery log and closes it; it stays on
    // disk only when it holds unsaved records.
    void closeRecoveryLog();

    // --- Markers and export ---------------------------------------------------------
    // "Mark", the M key: a numbered marker at the newest record while
    // recording. False (and a status note) when not recording.
    bool placeMarker(const std::string& text = {});
    // The full-rate data log behind the chart: the one being written, or the
    // one that came with an opened log; empty when there is none.
    std::string dataLogFile();
    // Exports the log: the full-rate data log when there is one, else the
    // chart's records. `from`/`to` cut it (the chart's visible range).
    ExportResult exportLog(const std::string& path, ExportFormat format, const ExportOptions& options);
    // Puts the markers of a data log on the chart's records (an opened log's).
    void loadMarkersFrom(const std::string& dataLogPath);

    void memo(const std::string& line) { messages.add(line); }

private:
    std::vector<std::string> markerTexts() const;
    // Whether the log (chart or data log) holds anything not saved.
    bool logUnsaved() const;

    std::string recoveredLog_;  // a recovery log now shown in the chart
    std::string openedDataLog_;  // the .msl that came with the log now shown
};

// The version text shown in the caption.
inline constexpr const char* kVersionText = "V6.3";

}  // namespace kvr
