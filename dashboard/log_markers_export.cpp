// Markers and export: a marker placed from the window or kvrtool goes into
// the chart log (drawn on the chart) and, through it, into the data log; an
// opened log's markers come back from its data log; an export reads the
// full-rate data log when there is one, else the chart's records.
#include <memory>

#include "dashboard/dashboard_core.h"
#include "dashboard/datalog/chart_store_reader.h"
#include "dashboard/datalog/msl_format.h"
#include "dashboard/logging/log_files.h"
#include "widgets/model/trend_time.h"

namespace kvr {

bool DashboardCore::placeMarker(const std::string& text) {
    const int index = chartLog.placeMarker(text);
    if (index < 0) {
        memo("No marker placed: the log is not recording");
        return false;
    }
    const ChartMarker& m = chartLog.markers()[static_cast<size_t>(index)];
    memo("Marker " + std::to_string(m.number + 1) + " at " + timeOfDayText(m.time) + ": " + m.text);
    return true;
}

std::string DashboardCore::dataLogFile() {
    if (dataLog.isOpen()) {
        dataLog.flush();
        return dataLog.path();
    }
    return openedDataLog_;
}

std::vector<std::string> DashboardCore::markerTexts() const {
    std::vector<std::string> texts;
    for (const ChartMarker& m : chartLog.markers()) texts.push_back(m.text);
    return texts;
}

// The markers of an opened log are in its data log: each goes on the chart
// at the time of the row it follows.
void DashboardCore::loadMarkersFrom(const std::string& path) {
    openedDataLog_.clear();
    if (!fileExists(path)) return;
    MslReader reader;
    std::string error;
    if (!reader.open(path, error)) {
        memo("Data log not read: " + error);
        return;
    }
    openedDataLog_ = path;
    const int64_t start = reader.header().startUnixMs;
    std::vector<ChartMarker> markers;
    LogItem item;
    while (reader.next(item)) {
        if (item.kind != LogItem::Marker) continue;
        ChartMarker m;
        m.text = item.marker.text;
        m.gap = m.text.compare(0, 5, "gap: ") == 0;
        m.time = localDaysFromUnixMs(start + static_cast<int64_t>(item.marker.seconds * 1000.0 + 0.5));
        markers.push_back(m);
    }
    if (!reader.error().empty()) memo("Data log " + path + ": " + reader.error());
    if (!reader.note().empty()) memo("Data log " + path + ": " + reader.note());
    chartLog.setMarkers(std::move(markers));
}

ExportResult DashboardCore::exportLog(const std::string& path, ExportFormat format, const ExportOptions& options) {
    ExportOptions o = options;
    o.markerTexts = markerTexts();
    if (const std::string rows = dataLogFile(); !rows.empty()) {
        MslReader reader;
        ExportResult failed;
        if (!reader.open(rows, failed.error)) return failed;
        return kvr::exportLog(reader, path, format, o);
    }
    TSignalSettings channels[8];
    chartLog.copyChannels(channels);
    std::vector<StoreMarker> markers;
    for (const ChartMarker& m : chartLog.markers()) markers.push_back({m.record, m.text});
    o.markerTexts.clear();
    ChartStoreReader reader(chartLog.store(), channels, mapFormOf(facts.config5Flags, facts.mapSensorCode),
                            std::move(markers), false);
    return kvr::exportLog(reader, path, format, o);
}

}  // namespace kvr
