#include <gtest/gtest.h>

#include "report_test_support.h"
#include "sheet_test_support.h"

namespace kvr {

void PrintTo(const ReportRule& r, std::ostream* os) {
    *os << "(" << r.x1 << "," << r.y1 << ")-(" << r.x2 << "," << r.y2 << ")";
}

namespace {

ValuesInfo infoOf(int version, bool fuelOnly = false) {
    ValuesInfo info;
    info.SwMajor = version / 100;
    info.SwMinor = version % 100;
    info.SwVersion = version;
    info.FuelOnly = fuelOnly;
    info.CylinderCount = 4;
    return info;
}

const ReportPage kA4{4960, 7016};      // A4 at 600 dpi
const ReportPage kLetter{5100, 6600};  // Letter at 600 dpi

TEST(ReportGeometryTest, RoundsSharesToNearestWithTiesToEven) {
    EXPECT_EQ(roundedShare(85, 5100), 434);  // 433.5
    EXPECT_EQ(roundedShare(95, 5100), 484);  // 484.5
    EXPECT_EQ(roundedShare(25, 5100), 128);  // 127.5
    EXPECT_EQ(roundedShare(870, 7016), 6104);
    EXPECT_EQ(roundedShare(20, 7016), 140);
}

TEST(ReportGeometryTest, A4PositionsFollowWidthAndHeight) {
    const ReportLayout layout = layoutValuesReport(kA4, SheetSet(), infoOf(3000), "T");
    const ReportGeometry& g = layout.geometry;
    EXPECT_EQ(g.lineStep, 87);
    EXPECT_EQ(g.left, 124);
    EXPECT_EQ(g.tableTop, 248);
    EXPECT_EQ(g.columnStep, 496);
    EXPECT_EQ(g.airStep, 546);
    EXPECT_EQ(g.optionsStep, 397);
    EXPECT_EQ(g.firstLine, 426);
    EXPECT_EQ(g.columnX, (std::array<int, 8>{124, 620, 1116, 1612, 2108, 2604, 3150, 3547}));
    EXPECT_TRUE(layout.title.x == 124 && layout.title.y == 140 && layout.title.text == "T");
    const std::vector<ReportRule> rules = {
        {546, 248, 546, 6104},   {1017, 248, 1017, 6104}, {1488, 248, 1488, 3368}, {1959, 248, 1959, 3368},
        {2505, 248, 2505, 6104}, {3100, 248, 3100, 6104}, {3497, 248, 3497, 6104}, {124, 421, 4712, 421}};
    EXPECT_EQ(layout.rules, rules);
}

TEST(ReportGeometryTest, LetterPositionsFollowWidthAndHeight) {
    const ReportLayout layout = layoutValuesReport(kLetter, SheetSet(), infoOf(3000), "T");
    const ReportGeometry& g = layout.geometry;
    EXPECT_EQ(g.lineStep, 82);
    EXPECT_EQ(g.left, 128);
    EXPECT_EQ(g.tableTop, 255);
    EXPECT_EQ(g.columnStep, 510);
    EXPECT_EQ(g.airStep, 561);
    EXPECT_EQ(g.optionsStep, 408);
    EXPECT_EQ(g.firstLine, 423);
    EXPECT_EQ(g.columnX, (std::array<int, 8>{128, 638, 1148, 1658, 2168, 2678, 3239, 3647}));
    EXPECT_EQ(layout.title.y, 132);
    const std::vector<ReportRule> rules = {
        {562, 255, 562, 5742},   {1046, 255, 1046, 5742}, {1530, 255, 1530, 3168}, {2014, 255, 2014, 3168},
        {2575, 255, 2575, 5742}, {3187, 255, 3187, 5742}, {3595, 255, 3595, 5742}, {128, 418, 4845, 418}};
    EXPECT_EQ(layout.rules, rules);
    EXPECT_EQ(reportPageMemoLines(kLetter),
              (std::vector<std::string>{"printer page width=5100", "printer page height=6600"}));
}

TEST(ReportLayoutTest, TablesRunDownTheirColumnsOneLineStepApart) {
    const ReportLayout layout = layoutValuesReport(kA4, selfNamingSheets(), infoOf(3000), "T");
    const auto& x = layout.geometry.columnX;
    const int y1 = 426, d = 87;
    EXPECT_TRUE(hasTextAt(layout, x[0], y1, rowLine(1, 0)));
    EXPECT_TRUE(hasTextAt(layout, x[0], y1 + 18 * d, rowLine(1, 18)));
    EXPECT_TRUE(hasTextAt(layout, x[0], y1 + 19 * d, rowLine(2, 0)));
    EXPECT_TRUE(hasTextAt(layout, x[1], y1 + 32 * d, rowLine(3 + 1, 0)));
    EXPECT_TRUE(hasTextAt(layout, x[1], y1 + 63 * d, rowLine(4, 31)));
    EXPECT_TRUE(hasTextAt(layout, x[2], y1 + 31 * d, rowLine(6, 31)));
    EXPECT_TRUE(hasTextAt(layout, x[3], y1 + 31 * d, rowLine(11, 31)));
    EXPECT_TRUE(hasTextAt(layout, x[4], y1 + 37 * d, rowLine(8, 18)));
    // Load ignition: four spaces between, one after.
    EXPECT_TRUE(hasTextAt(layout, x[5], y1 + 33 * d, "g10c0r1    g10c1r1 "));
    EXPECT_TRUE(hasTextAt(layout, x[6], y1 + 63 * d, rowLine(18, 31)));
    EXPECT_EQ(textCountAtX(layout, x[0]), 38 + 1);  // and the heading
    EXPECT_EQ(textCountAtX(layout, x[1]), 64 + 2);
    EXPECT_EQ(textCountAtX(layout, x[5]), 64 + 2);
}

TEST(ReportLayoutTest, EngineSettingsBlockCountsFromTheLastTemperatureLine) {
    const ReportLayout layout = layoutValuesReport(kLetter, selfNamingSheets(), infoOf(3000), "T");
    const int x = layout.geometry.columnX[2];
    const int last = 423 + 31 * 82, d = 82;
    EXPECT_TRUE(hasTextAt(layout, x, last + 4 * d, "START CYCLES     g12c0r0"));
    EXPECT_TRUE(hasTextAt(layout, x, last + 6 * d, rowLine(5, 0)));
    EXPECT_TRUE(hasTextAt(layout, x, last + 8 * d, rowLine(5, 2)));
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(hasTextAt(layout, x, last + (11 + i) * d, rowLine(14, 4 - i))) << i;
    EXPECT_TRUE(hasTextAt(layout, x, last + 18 * d, "FUELCUT/"));
    EXPECT_TRUE(hasTextAt(layout, x, last + 21 * d, rowLine(15, 2)));
    EXPECT_TRUE(hasTextAt(layout, x, last + 23 * d, rowLine(25, 0)));
    EXPECT_TRUE(hasTextAt(layout, x, last + 24 * d, rowLine(25, 1)));
    EXPECT_TRUE(hasTextAt(layout, x, last + 26 * d, "LEAN WITH PIN13/IGN ADV SWITCH"));
    EXPECT_TRUE(hasTextAt(layout, x, last + 27 * d, rowLine(24, 0)));
}

// Line index (in line steps from the first data line) of a text in the options column.
int optionsLine(const ReportLayout& layout, const std::string& text) {
    const ReportText* t = findText(layout, text);
    if (!t || t->x != layout.geometry.columnX[7]) return -1;
    return (t->y - layout.geometry.firstLine) / layout.geometry.lineStep;
}

TEST(ReportLayoutTest, OptionsBlockBeforeAndFromVersion3000) {
    const ReportLayout before = layoutValuesReport(kA4, selfNamingSheets(), infoOf(2999), "T");
    EXPECT_EQ(optionsLine(before, rowLine(16, 8)), 8);
    EXPECT_EQ(optionsLine(before, "IGNITION RELATED:"), 12);
    EXPECT_EQ(optionsLine(before, rowLine(13, 3)), 16);
    EXPECT_EQ(optionsLine(before, rowLine(13, 4)), 17);
    EXPECT_EQ(findText(before, rowLine(13, 5)), nullptr);
    EXPECT_EQ(optionsLine(before, "SETUP MODE:"), 19);
    EXPECT_EQ(optionsLine(before, rowLine(19, 24)), 44);
    EXPECT_EQ(optionsLine(before, "SYSTEM:"), 47);
    EXPECT_EQ(optionsLine(before, rowLine(20, 6)), 54);
    EXPECT_EQ(optionsLine(before, "FUEL TRIM"), 56);
    EXPECT_EQ(optionsLine(before, rowLine(21, 3)), 60);

    const ReportLayout from = layoutValuesReport(kA4, selfNamingSheets(), infoOf(3000), "T");
    for (int row = 4; row <= 7; ++row)
        EXPECT_EQ(optionsLine(from, rowLine(13, row)), 13 + row) << row;
    EXPECT_EQ(optionsLine(from, "SETUP MODE:"), 23);
    EXPECT_EQ(optionsLine(from, "SYSTEM:"), 51);
    EXPECT_EQ(optionsLine(from, rowLine(21, 3)), 64);
}

TEST(ReportLayoutTest, FuelOnlyModelDropsTheIgnitionColumns) {
    const ReportLayout layout = layoutValuesReport(kA4, selfNamingSheets(), infoOf(3000, true), "T");
    const ReportGeometry& g = layout.geometry;
    EXPECT_EQ(g.columnX[6], 1612 + 546);
    EXPECT_EQ(g.columnX[7], 1612 + 546 + 397);
    const std::vector<ReportRule> rules = {{546, 248, 546, 6104},   {1017, 248, 1017, 6104},
                                           {1488, 248, 1488, 3368}, {2083, 248, 2083, 6104},
                                           {2480, 248, 2480, 6104}, {124, 421, 4712, 421}};
    EXPECT_EQ(layout.rules, rules);
    for (int grid = 7; grid <= 10; ++grid)
        EXPECT_EQ(findText(layout, rowLine(grid, 0)), nullptr) << grid;
    EXPECT_EQ(findText(layout, "g9c0r0    g9c1r0 "), nullptr);
    for (const char* heading : {"RPM", "IGNITION", "IGN RET-ADV", "/LOAD", "IGNITION RELATED:"})
        EXPECT_EQ(findText(layout, heading), nullptr) << heading;
    EXPECT_TRUE(hasTextAt(layout, g.columnX[6], g.firstLine, rowLine(17, 0)));
    // Crank retard right under the last option row, the LOP rows after it.
    EXPECT_EQ(optionsLine(layout, rowLine(16, 8)), 8);
    EXPECT_EQ(optionsLine(layout, rowLine(13, 4)), 9);
    EXPECT_EQ(optionsLine(layout, rowLine(13, 7)), 12);
    EXPECT_EQ(findText(layout, rowLine(13, 0)), nullptr);
    EXPECT_EQ(optionsLine(layout, "SETUP MODE:"), 15);
    const ReportLayout older = layoutValuesReport(kA4, selfNamingSheets(), infoOf(2950, true), "T");
    EXPECT_EQ(optionsLine(older, "SETUP MODE:"), 11);
}

struct HeadingCase {
    std::uint8_t config5;
    std::uint8_t mapCode;
    const char* loadFirst;  // column 2, empty: no heading
    const char* loadSecond;
    const char* ignitionSecond;  // column 6 second line
};

TEST(ReportLayoutTest, LoadHeadingsFollowSensorAndSpecialScales) {
    const HeadingCase cases[] = {
        {0x00, 0x20, "MANIFOLD", "PRESSURE", "/LOAD"},
        {0x00, 0x40, "THROTTLE", "POS FUEL", "/LOAD (TP)"},
        {0x01, 0x20, "", "", ""},       // scale 1: no load headings, ignition keeps its first line only
        {0x20, 0x20, "", "", "/LOAD"},  // scale 2: column 6 keeps its second line
        {0x21, 0x20, "", "", "/LOAD"},  // bit 5 wins
    };
    for (const HeadingCase& c : cases) {
        ValuesInfo info = infoOf(3000);
        info.Config5Flags = c.config5;
        info.MapScale2 = (c.config5 & 0x20) != 0;
        info.MapScale1 = (c.config5 & 0x01) != 0 && !info.MapScale2;
        info.MapSensorCode = c.mapCode;
        const ReportLayout layout = layoutValuesReport(kA4, SheetSet(), info, "T");
        const ReportGeometry& g = layout.geometry;
        const int first = g.tableTop, second = g.tableTop + g.lineStep;
        SCOPED_TRACE(int(c.config5));
        int atLoad = 0, atIgnition = 0;
        for (const ReportText& t : layout.texts) {
            atLoad += t.x == g.columnX[1] && t.y <= second;
            atIgnition += t.x == g.columnX[5] && t.y <= second;
        }
        if (*c.loadFirst) {
            EXPECT_TRUE(hasTextAt(layout, g.columnX[1], first, c.loadFirst));
            EXPECT_TRUE(hasTextAt(layout, g.columnX[1], second, c.loadSecond));
        } else {
            EXPECT_EQ(atLoad, 0);
        }
        EXPECT_TRUE(hasTextAt(layout, g.columnX[5], first, "IGN RET-ADV"));
        if (*c.ignitionSecond) {
            EXPECT_TRUE(hasTextAt(layout, g.columnX[5], second, c.ignitionSecond));
        }
        EXPECT_EQ(atIgnition, *c.ignitionSecond ? 2 : 1);
    }
}

TEST(ReportLayoutTest, FuelTrimOnlyForFewerThanEightCylindersFromSoftware26) {
    struct Case {
        int version, cylinders;
        bool trim;
    };
    for (const Case c : {Case{2600, 4, true}, Case{2600, 6, true}, Case{2600, 8, false},
                         Case{3100, 999, false}, Case{2599, 4, false}}) {
        ValuesInfo info = infoOf(c.version);
        info.CylinderCount = c.cylinders;
        const ReportLayout layout = layoutValuesReport(kA4, selfNamingSheets(), info, "T");
        SCOPED_TRACE(c.cylinders);
        EXPECT_EQ(findText(layout, "FUEL TRIM") != nullptr, c.trim);
        EXPECT_EQ(findText(layout, rowLine(21, 0)) != nullptr, c.trim);
    }
}

TEST(ReportLayoutTest, DecodedImagesTakeTheirVariantFromTheImage) {
    Decode fuelOnly(imageOf(3000).setByte(byte::Config8, 1).setByte(byte::SensorConfig, 0x40));
    const ReportLayout layout =
        layoutValuesReport(kA4, fuelOnly.sheets.sheets(), fuelOnly.sheets.info(), "T");
    const ReportGeometry& g = layout.geometry;
    EXPECT_EQ(g.columnX[6], g.columnX[3] + g.airStep);
    EXPECT_TRUE(hasTextAt(layout, g.columnX[1], g.tableTop, "THROTTLE"));
    const ReportText* crank = findText(layout, "CRANK RETARD     FUEL ONLY");
    ASSERT_NE(crank, nullptr);
    EXPECT_EQ(crank->y, g.firstLine + 9 * g.lineStep);
    EXPECT_NE(findText(layout, "LOP CONTROL     FUEL ONLY"), nullptr);
}

TEST(ReportLayoutTest, EmptySheetsPrintCaptionsRulesAndSeparatingSpacesOnly) {
    const ReportLayout layout = layoutValuesReport(kLetter, SheetSet(), ValuesInfo(), "KVR");
    EXPECT_EQ(layout.title.text, "KVR");
    EXPECT_EQ(layout.rules.size(), 8u);
    int spaceLines = 0;
    for (const ReportText& t : layout.texts) {
        if (t.y < layout.geometry.firstLine) continue;  // headings
        if (t.text.find_first_not_of(' ') == std::string::npos) {
            ++spaceLines;
            EXPECT_EQ(t.text, "     ");
        } else {
            EXPECT_TRUE(t.text == "START CYCLES     " || t.text == "FUELCUT/" ||
                        t.text == "LEAN WITH PIN13/IGN ADV SWITCH" || t.text == "IGNITION RELATED:" ||
                        t.text == "SETUP MODE:" || t.text == "SYSTEM:")
                << t.text;
        }
    }
    // The tables and blocks, with no fuel trim: software 0 has none.
    EXPECT_EQ(spaceLines, 38 + 64 + 32 + 14 + 32 + 38 + 64 + 64 + 9 + 5 + 25 + 7);
}

}  // namespace
}  // namespace kvr
