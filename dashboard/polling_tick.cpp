// The polling tick: asks for the values image, keeps the ECU sending live
// records, runs the framer and hands each new good record on for decoding.
#include "dashboard/dashboard_core.h"
#include "tolk.h"

namespace kvr {

int DashboardCore::rxQueued() {
    const int n = port_.rxQue(PortNumber);
    if (n < 0) reportLostDevice(n);
    return n;
}

void DashboardCore::Timer1Timer() {
    if (reconnecting_) {
        tryReopen();
        if (reconnecting_) return;
    }
    int queued = 0;
    if (PortOpen) {
        queued = rxQueued();
        if (reconnecting_) return;  // the device went away just now
        out.Gauge2 = queued > 0 ? queued : 0;
    }
    if (queued < 10) out.AbLED3 = false;

    if (FetchState == 0 && !ValuesLoaded) {
        memo("SENDING D");
        sendValuesRequest();
        FetchState = 1;
        ValuesSource = "ecu";
        return;
    }
    if (ValuesLoaded && !ChartRescaled) {
        Rescale_Logchart();
        ChartRescaled = true;
    }
    if (ValuesLoaded && rxQueued() == 0) sendPoll();
    if (rxQueued() > 2) out.AbLED3 = true;
    if (FetchState == 1) {
        FETCH_SERIAL_TEXT();
        memo("FETCH SERIAL TEXT");
        memo("SER BUFFER" + std::to_string(rxQueued()));
        FetchState = 2;
    }
    if (FetchState > 1) FETCH_SERIAL_TEXT();
    if (!NewRecord) return;
    NewRecord = false;
    lastRecordMs_ = monotonicMs();
    recordSinceOpen_ = true;
    decodeLiveRecord();
    if (onLiveRecord) onLiveRecord();
}

}  // namespace kvr
