#include "dashboard/values/report_layout.h"

#include "dashboard/values/report_blocks.h"

namespace kvr {

namespace {

constexpr std::uint8_t kThrottleSensor = 0x40;  // no MAP sensor: load is throttle position

bool specialLoadScale(const ValuesInfo& info) { return (info.Config5Flags & 0x21) != 0; }

// Vertical rules between the columns, each from the table top down; the short ones stop above the
// engine settings block that runs under columns 3 to 5.
void addColumnRules(ReportLayout& layout, bool fuelOnly) {
    const ReportPage& page = layout.page;
    const int top = layout.geometry.tableTop;
    const int longEnd = roundedShare(870, page.height);
    const int shortEnd = roundedShare(480, page.height);
    struct Step {
        int thousandths;
        bool longRule;
        bool ignitionOnly;
    };
    const Step steps[] = {{85, true, false}, {95, true, false},  {95, false, false}, {95, false, true},
                          {110, true, true}, {120, true, false}, {80, true, false}};
    int x = layout.geometry.left;
    for (const Step& step : steps) {
        if (step.ignitionOnly && fuelOnly) continue;
        x += roundedShare(step.thousandths, page.width);
        layout.rules.push_back({x, top, x, step.longRule ? longEnd : shortEnd});
    }
}

void addHeadings(ReportWriter& out, const ReportGeometry& g, const ValuesInfo& info) {
    const bool throttle = info.MapSensorCode == kThrottleSensor;
    const int first = g.tableTop;
    const int second = g.tableTop + g.lineStep;
    const auto& x = g.columnX;

    out.text(x[0], second, "RPM FUEL ");
    if (!specialLoadScale(info)) {
        out.text(x[1], first, throttle ? "THROTTLE" : "MANIFOLD");
        out.text(x[1], second, throttle ? "POS FUEL" : "PRESSURE");
    }
    out.text(x[2], first, "ENGINE");
    out.text(x[2], second, "TEMP");
    out.text(x[3], first, "START");
    out.text(x[3], second, "TEMP");
    if (!info.FuelOnly) {
        out.text(x[4], first, "RPM");
        out.text(x[4], second, "IGNITION");
        out.text(x[5], first, "IGN RET-ADV");
        if (!info.MapScale1) out.text(x[5], second, throttle ? "/LOAD (TP)" : "/LOAD");
    }
    out.text(x[6], first, "AIR");
    out.text(x[6], second, "TEMP");
    out.text(x[7], first, "OPTIONS");
    out.text(x[7], second, "& MISCELLANEOUS");
}

// A table split over two grids of `rows` rows each, printed as one column.
void addSplitTable(ReportWriter& out, int x, int top, int firstGrid, int rows, const char* gap = "     ",
                   const char* tail = "") {
    for (int i = 0; i < 2 * rows; ++i)
        out.gridRow(x, top, i, firstGrid + i / rows, i % rows, gap, tail);
}

}  // namespace

ReportLayout layoutValuesReport(const ReportPage& page, const SheetSet& sheets, const ValuesInfo& info,
                                const std::string& title) {
    ReportLayout layout;
    layout.page = page;
    layout.geometry = reportGeometry(page, info.FuelOnly);
    const ReportGeometry& g = layout.geometry;
    ReportWriter out(layout, sheets);

    layout.title = {g.left, g.titleTop, title};
    addColumnRules(layout, info.FuelOnly);
    addHeadings(out, g, info);
    layout.rules.push_back({g.left, g.tableTop + 2 * g.lineStep - 1, roundedShare(950, page.width),
                            g.tableTop + 2 * g.lineStep - 1});

    const int top = g.firstLine;
    const auto& x = g.columnX;
    addSplitTable(out, x[0], top, 1, 19);  // RPM fuel
    addSplitTable(out, x[1], top, 3, 32);  // load fuel
    out.gridRows(x[2], top, 0, 6, 0, 31);  // engine temperature
    addEngineSettingsBlock(out, x[2], top + 31 * g.lineStep);
    out.gridRows(x[3], top, 0, 11, 0, 31);  // start numbers
    if (!info.FuelOnly) {
        addSplitTable(out, x[4], top, 7, 19);               // RPM ignition
        addSplitTable(out, x[5], top, 9, 32, "    ", " ");  // load ignition
    }
    addSplitTable(out, x[6], top, 17, 32);  // air temperature
    addOptionsBlock(out, x[7], top, info);
    return layout;
}

std::vector<std::string> reportPageMemoLines(const ReportPage& page) {
    return {"printer page width=" + std::to_string(page.width),
            "printer page height=" + std::to_string(page.height)};
}

}  // namespace kvr
