// Start-up, shut-down and the pause / resume / fetch controls.
#include "dashboard/dashboard_core.h"

#include "dashboard/text_numbers.h"

namespace kvr {

DashboardCore::DashboardCore(SerialPort& port) : port_(port) {
    initialiseChartChannels(chartChannels);
    decodeValues = [this] { FillParameterSheets(); };
}

void DashboardCore::resetFramer() {
    LiveSum = 0;
    SetupSum = 0;
    ValuesSum = 0;
    CharCount = 0;
    LineBuffer.clear();
}

void DashboardCore::clearLinkState() {
    resetFramer();
    ValuesLoaded = false;
    NewRecord = false;
    SetupReceived = false;
}

void DashboardCore::FormCreate() {
    FetchState = 0;
    WindowTitle = std::string("KVR Dash & Logger ") + kVersionText +
                  "  -  reads, shows and logs; never writes to the ECU";
    PortOpen = false;
    SCANCOMPORTS();
    BaudRate = 57600;
    takePortChoice();
    clearLinkState();
    out.AbLED2 = false;
    display.meter[0] = 2.0f;
    ++display.revision;
}

void DashboardCore::FormClose() { port_.done(PortNumber); }

void DashboardCore::Exite1Click() { port_.done(PortNumber); }

void DashboardCore::StopClick() {
    out.Timer1Enabled = false;
    if (PortOpen) paused_ = true;
    sendStop();
    port_.rxClear(PortNumber);
}

void DashboardCore::Button11Click() {
    if (paused_) {
        paused_ = false;
        recordSinceOpen_ = false;
        openedMs_ = monotonicMs();
    }
    sendPoll();
    port_.rxClear(PortNumber);
    out.Timer1Enabled = true;
}

void DashboardCore::FetchKVRValsClick() {
    ChartRescaled = false;
    ValuesLoaded = false;
    sendValuesRequest();
    out.Timer1Interval = 600;
    ValuesSource = "ecu";
    if (onValuesFetchRequested) onValuesFetchRequested();
}

void DashboardCore::Button1Click() {
    for (const auto& line : debugButtonMemoLines(ValuesText)) memo(line);
    if (decodeValues) decodeValues();
}

}  // namespace kvr
