// The dashboard's parts and how they meet: the session feeds the gauges and
// the chart log; a values image it receives is decoded here.
#include "dashboard/dashboard_core.h"

#include "dashboard/logging/log_files.h"

namespace kvr {

DashboardCore::DashboardCore(SerialPort& port) : session(port, messages) {
    decodeValues = [this] { fillSheets(); };
    session.addSink(gauges);
    session.addSink(chartLog);
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
