// A values image that passed its checksum, or came with a log, is decoded
// into the parameter sheets; what it says of the ECU feeds the live decode,
// and its configuration adjusts the meters and the log chart.
#include "dashboard/dashboard_core.h"
#include "dashboard/values/chart_rescale.h"

namespace kvr {

void DashboardCore::fillSheets() {
    const FillOutcome o =
        sheets.valuestogridcells(session.valuesText, fillContext(session.valuesSource, valuesFileName, openedLogFile));
    for (const auto& line : o.memoLines) memo(line);
    if (!o.decoded) return;

    const ValuesInfo& info = sheets.info();
    facts = ImageFacts{info.CylinderCount, info.SwVersion, info.Config5Flags, info.MapSensorCode};
    session.softwareVersion = facts.softwareVersion;
    gauges.config5Flags = facts.config5Flags;
    gauges.mapSensorCode = facts.mapSensorCode;
    const MapForm mapForm = mapFormOf(facts.config5Flags, facts.mapSensorCode);
    dataLog.setImage(mapForm, facts.softwareVersion);
    chartLog.setMapUnit(mapUnit(mapForm));

    const FillEffects& e = o.effects;
    MeterSettings* meters = gauges.display.meterSettings;
    meters[kIgnitionMeter].visible = e.ignitionAndKnockMetersVisible;
    meters[kKnockMeter].visible = e.ignitionAndKnockMetersVisible;
    meters[kMapMeter].from = static_cast<float>(e.mapMeterRange.from);
    meters[kMapMeter].to = static_cast<float>(e.mapMeterRange.to);
    chartLog.setChannelRange(3, static_cast<float>(e.mapChannelRange.from), static_cast<float>(e.mapChannelRange.to));
    if (e.o2Channel) {
        chartLog.setChannelRange(2, static_cast<float>(e.o2Channel->range.from),
                                 static_cast<float>(e.o2Channel->range.to), e.o2Channel->unit);
    }
    if (e.rpmRange) {
        chartLog.setChannelRange(1, 0, static_cast<float>(e.rpmRange->chartTop));
        meters[kRpmMeter].to = static_cast<float>(e.rpmRange->meterTop);
        meters[kRpmMeter].steps = e.rpmRange->meterSteps;
    }
    if (e.loadFuelPanelCaption) out.loadFuelPanelCaption = e.loadFuelPanelCaption;
    if (o.proposedTitle) out.proposedTitle = o.proposedTitle;
    ++out.sheetFills;
    ++gauges.display.revision;
}

void DashboardCore::rescaleChart() {
    const ChartRescale r = Rescale_Logchart(facts.mapSensorCode, facts.config5Flags);
    for (const auto& line : r.memoLines) memo(line);
    chartLog.setChannelRange(3, static_cast<float>(r.range.from), static_cast<float>(r.range.to));
}

}  // namespace kvr
