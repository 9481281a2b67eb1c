// A values image that passed its checksum, or came from a log, is decoded
// into the parameter sheets; the derived values feed the live decoder and
// the configuration adjusts the meters and the log chart.
#include "dashboard/dashboard_core.h"

namespace kvr {

void DashboardCore::FillParameterSheets() {
    const FillOutcome o = sheets.valuestogridcells(ValuesText, fillContext(ValuesSource, ValuesFileName, OpenedLogFile));
    for (const auto& line : o.memoLines) memo(line);
    if (!o.decoded) return;

    const ValuesInfo& info = sheets.info();
    CylinderCount = info.CylinderCount;
    SwVersion = info.SwVersion;
    Config5Flags = info.Config5Flags;
    MapSensorCode = info.MapSensorCode;

    const FillEffects& e = o.effects;
    display.meterSettings[4].visible = e.ignitionAndKnockMetersVisible;
    display.meterSettings[5].visible = e.ignitionAndKnockMetersVisible;
    display.meterSettings[1].from = static_cast<float>(e.mapMeterRange.from);
    display.meterSettings[1].to = static_cast<float>(e.mapMeterRange.to);
    setChartChannelRange(3, static_cast<float>(e.mapChannelRange.from), static_cast<float>(e.mapChannelRange.to));
    if (e.o2Channel) {
        setChartChannelRange(2, static_cast<float>(e.o2Channel->range.from), static_cast<float>(e.o2Channel->range.to),
                             e.o2Channel->unit);
    }
    if (e.rpmRange) {
        setChartChannelRange(1, 0, static_cast<float>(e.rpmRange->chartTop));
        display.meterSettings[0].to = static_cast<float>(e.rpmRange->meterTop);
        display.meterSettings[0].steps = e.rpmRange->meterSteps;
    }
    if (e.loadFuelPanelCaption) out.loadFuelPanelCaption = e.loadFuelPanelCaption;
    if (o.proposedTitle) out.Edit4Text = o.proposedTitle;
    ++out.sheetFills;
    ++display.revision;
}

}  // namespace kvr
