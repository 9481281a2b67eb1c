// The dashboard's parts and how they meet: the session feeds the gauges and
// the chart log; a values image it receives is decoded here.
#include "dashboard/dashboard_core.h"

#include "dashboard/logging/log_files.h"
#include "dashboard/logging/recovery_logs.h"

namespace kvr {

DashboardCore::DashboardCore(SerialPort& port) : session(port, messages) {
    decodeValues = [this] { fillSheets(); };
    session.addSink(gauges);
    session.addSink(chartLog);
    // After the chart log, so each record is kept or not as the chart log
    // has just decided, and a gap's marker comes before the row after it.
    session.addSink(dataLog);
    dataLog.recording = [this] { return chartLog.recording(); };
    dataLog.messages = &messages;
    dataLog.newPath = [this]() -> std::string {
        const std::string name = chartLog.recoveryLogName();
        std::string error;
        if (name.empty() || !makeRecoveryDirectory(chartLog.recoveryDirectory, error)) return {};
        return dataLogNameFor(name);
    };
    chartLog.onMarkerPlaced = [this](const ChartMarker& m) { dataLog.mark(m.number, m.text); };
    session.onValuesImage = [this] {
        if (decodeValues) decodeValues();
        ++out.notesClears;  // notes belong to the image they were saved with
    };
    session.onValuesInUse = [this] { rescaleChart(); };
    chartLog.messages = &messages;
    chartLog.valuesForJournal = [this] { return ValuesFile{session.valuesText, in.notes}; };
}

void DashboardCore::start() {
    session.fetchState = 0;
    windowTitle = std::string("KVR Dash & Logger ") + kVersionText +
                  "  -  reads, shows and logs; never writes to the ECU";
    session.start();
    gauges.display.meter[kRpmMeter] = 2.0f;
    ++gauges.display.revision;
}

void DashboardCore::shutDown() { session.shutDown(); }

void DashboardCore::showImageBytes() {
    for (const auto& line : debugButtonMemoLines(session.valuesText)) memo(line);
    if (decodeValues) decodeValues();
}

}  // namespace kvr
