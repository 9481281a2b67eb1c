#include <gtest/gtest.h>

#include "dashboard/values/label_tables.h"
#include "sheet_test_support.h"

namespace kvr {
namespace {

TEST(ParameterSheetsTest, CylinderCountIsReadAsDecimalDigits) {
    Decode twelve(imageOf(2910).setPair(byte::Cylinders, "0C").setByte(byte::TrimCyl4 + 1, 25).setByte(byte::TrimPresent, 1));
    EXPECT_EQ(twelve.sheets.info().CylinderCount, 999);
    EXPECT_TRUE(twelve.logged("CYL=999"));
    EXPECT_EQ(twelve.cell(20, 1, 0), "12");
    EXPECT_EQ(twelve.cell(21, 1, 3), "N/A");
    EXPECT_EQ(twelve.cell(21, 1, 2), "");  // rows 0-2 are for fewer than 8 cylinders

    Decode ten(imageOf(2910).setPair(byte::Cylinders, "10"));
    EXPECT_EQ(ten.sheets.info().CylinderCount, 10);
    EXPECT_EQ(ten.cell(20, 1, 0), "16");
}

TEST(ParameterSheetsTest, SixCylinderSecondBankRenamesTheTrimRows) {
    Decode d(imageOf(2910).setPair(byte::Cylinders, "06").setByte(byte::Config5, 0x10).setByte(byte::TrimCyl4 + 3, 18)
                 .setByte(byte::TrimPresent, 1));
    EXPECT_EQ(d.cell(21, 0, 0), "CYL #4");
    EXPECT_EQ(d.cell(21, 1, 0), "-2%");
    EXPECT_EQ(d.cell(21, 0, 2), "CYL #6");
    EXPECT_EQ(d.cell(21, 1, 3), "N/A");
    EXPECT_EQ(d.cell(21, 0, 3), "");  // label of row 3 is left alone
}

TEST(ParameterSheetsTest, MissingTrimShowsNotApplicableFrom2902) {
    Decode present(imageOf(2901).setByte(byte::TrimCyl4, 21));
    EXPECT_EQ(present.cell(21, 1, 3), "+11%");
    Decode missing(imageOf(2902).setByte(byte::TrimCyl4, 21));
    for (int row = 0; row < 4; ++row) EXPECT_EQ(missing.cell(21, 1, row), "N/A");
}

TEST(ParameterSheetsTest, SpecialLoadScaleKeepsTheMapSensorCode) {
    Decode d(imageOf(3000).setByte(byte::SensorConfig, 0x20));
    EXPECT_EQ(d.sheets.info().MapSensorCode, 0x20);
    d.run(imageOf(3000).setByte(byte::SensorConfig, 0x30).setByte(byte::Config5, 0x21).text());
    const ValuesInfo& info = d.sheets.info();
    EXPECT_EQ(info.MapSensorCode, 0x20);
    EXPECT_TRUE(info.MapScale2);
    EXPECT_FALSE(info.MapScale1);
    EXPECT_EQ(info.LoadLabels[0], "  0.1");
    EXPECT_EQ(d.cell(3, 0, 4), "  4.0");
    EXPECT_EQ(d.cell(19, 1, 1), "4 BAR");
    EXPECT_EQ(d.outcome.effects.mapMeterRange, (ValueRange{0, 125}));
    EXPECT_EQ(d.outcome.effects.mapChannelRange, (ValueRange{0, 125}));
    EXPECT_FALSE(d.outcome.effects.loadFuelPanelCaption);
    const std::vector<std::string> start(d.outcome.memoLines.begin(), d.outcome.memoLines.begin() + 3);
    EXPECT_EQ(start, (std::vector<std::string>{"KVR SW VER=3000", "RESCALE LOGCHART32", "CONFIG5=33"}));
}

TEST(ParameterSheetsTest, MapSensorSetsMeterChartAndThrottleCaptions) {
    Decode d(imageOf(3000).setByte(byte::SensorConfig, 0x40));
    EXPECT_EQ(d.outcome.effects.mapMeterRange, (ValueRange{1, 64}));
    EXPECT_EQ(d.outcome.effects.mapChannelRange, (ValueRange{0, 64}));
    EXPECT_EQ(d.outcome.effects.loadFuelPanelCaption, "Throttle Position Fuel numbers");
    EXPECT_EQ(d.cell(14, 0, 0), "CL TP HI");
    EXPECT_EQ(d.cell(14, 0, 1), "CL TP LO");
    EXPECT_EQ(d.cell(19, 1, 1), "NONE, TPS");
    EXPECT_EQ(d.cell(3, 0, 0), "    1");
    d.run(imageOf(3000).setByte(byte::SensorConfig, 0x10).text());
    EXPECT_EQ(d.cell(14, 0, 0), "CL MAP HI");
    EXPECT_EQ(d.outcome.effects.loadFuelPanelCaption, "Manifold Pressure Fuel numbers");
}

TEST(ParameterSheetsTest, OneBarInSensorUsesTheOneBarTableAt2900AndItsOwnAt2901) {
    Decode at2900(imageOf(2900).setByte(byte::SensorConfig, 0x50));
    EXPECT_EQ(at2900.cell(3, 0, 0), "-28.8");
    Decode at2901(imageOf(2901).setByte(byte::SensorConfig, 0x50));
    EXPECT_EQ(at2901.cell(3, 0, 0), " 3.72");
    EXPECT_EQ(at2901.cell(4, 0, 31), " 31.1");
}

TEST(ParameterSheetsTest, TablesSplitOverTwoGridsMapEachBinToItsRow) {
    ValuesImageBuilder image = imageOf(3000);
    for (int j = 0; j < 64; ++j) {
        image.setByte(byte::LoadFuelFirst + j, j);
        image.setByte(byte::AirTempFirst + j, 100 + j);
    }
    for (int r = 0; r < 38; ++r) {
        image.setByte(byte::RpmFuelLast - r, r);
        image.setByte(byte::IgnitionRpmLast - r, 200 + r);
    }
    Decode d(image.setByte(byte::SensorConfig, 0x33));  // 3 bar MAP, GM/CHT F
    EXPECT_EQ(d.cell(1, 0, 18), " 5000");
    EXPECT_EQ(d.cell(1, 1, 18), "18");
    EXPECT_EQ(d.cell(2, 0, 0), " 5250");
    EXPECT_EQ(d.cell(2, 1, 0), "19");
    EXPECT_EQ(d.cell(2, 1, 18), "37");
    EXPECT_EQ(d.cell(8, 0, 0), " 5250");
    EXPECT_EQ(d.cell(8, 1, 0), "219");
    EXPECT_EQ(d.cell(3, 1, 31), "31");
    EXPECT_EQ(d.cell(4, 1, 0), "32");
    EXPECT_EQ(d.cell(4, 0, 0), loadLabelTable(LoadTable::L3)[32]);
    EXPECT_EQ(d.cell(10, 0, 31), "   30");
    EXPECT_EQ(d.cell(17, 1, 31), "131");
    EXPECT_EQ(d.cell(18, 1, 0), "132");
    EXPECT_EQ(d.cell(18, 0, 31), "-58");  // sensor code 3 uses the GM Fahrenheit air table
    EXPECT_EQ(d.cell(11, 0, 31), "-40");
}

TEST(ParameterSheetsTest, IgnitionByLoadShowsRetardAndAdvance) {
    Decode d(imageOf(3000).setByte(byte::IgnitionLoadFirst, 0x80).setByte(byte::IgnitionLoadFirst + 1, 0x7F)
                 .setByte(byte::IgnitionLoadFirst + 63, 0xFF));
    EXPECT_EQ(d.cell(9, 1, 0), "128 ADV");
    EXPECT_EQ(d.cell(9, 1, 1), "127 RET");
    EXPECT_EQ(d.cell(9, 1, 2), "0 RET");
    EXPECT_EQ(d.cell(10, 1, 31), "1 ADV");
}

TEST(ParameterSheetsTest, LaunchRevLimitNamesAnRpmBinOrNoLimit) {
    Decode none(imageOf(3000).setByte(byte::Pin13Function, 2).setByte(byte::Pin13Parameter, 0xF8));
    EXPECT_EQ(none.cell(16, 0, 6), "LAUNCH REV LIMIT");
    EXPECT_EQ(none.cell(16, 1, 6), "NO LIMIT");
    Decode low(imageOf(3000).setByte(byte::Pin13Function, 2).setByte(byte::Pin13Parameter, 0x00));
    EXPECT_EQ(low.cell(16, 1, 6), " 2000   0 DEG RET");
    Decode top(imageOf(3000).setByte(byte::Pin13Function, 2).setByte(byte::Pin13Parameter, 0xF7));
    EXPECT_EQ(top.cell(16, 1, 6), " 9500   35 DEG RET");  // bin 36
}

TEST(ParameterSheetsTest, SettingRulesForIdleCutoffsAndSupercharger) {
    Decode d(imageOf(3000).setByte(byte::IdleTpLocation, 0).setByte(byte::IdleFuelAmount, 9)
                 .setByte(byte::CutoffPressure, 0xFF).setByte(byte::CutoffBelowTp, 0x40)
                 .setByte(byte::Config1, 1).setByte(byte::SwitchOnAt, 0xC1).setByte(byte::SensorConfig, 0x10)
                 .setByte(byte::RpmRange, 1).setByte(byte::KnockMaxRpm, 200));
    EXPECT_EQ(d.cell(25, 1, 0), "NOT USED");
    EXPECT_EQ(d.cell(25, 1, 1), "NOT USED");
    EXPECT_EQ(d.cell(15, 1, 0), "No Limit");
    EXPECT_EQ(d.cell(15, 1, 2), "NO CUT");
    EXPECT_EQ(d.cell(16, 0, 0), "SUPERCH. ON AT");
    EXPECT_EQ(d.cell(16, 1, 0), " 3.50");
    EXPECT_EQ(d.cell(13, 1, 3), "");  // RPM index past the 38 labels
    EXPECT_EQ(d.cell(19, 1, 19), "15,000");
    ASSERT_TRUE(d.outcome.effects.rpmRange);
    EXPECT_EQ(d.outcome.effects.rpmRange->chartTop, 15000);
    EXPECT_EQ(d.outcome.effects.rpmRange->meterSteps, 15);

    Decode used(imageOf(3000).setByte(byte::IdleTpLocation, 4).setByte(byte::IdleFuelAmount, 9).setByte(byte::RpmRange, 7));
    EXPECT_EQ(used.cell(25, 1, 0), "5");
    EXPECT_EQ(used.cell(25, 1, 1), "9");
    EXPECT_EQ(used.cell(19, 1, 19), "");
    EXPECT_FALSE(used.outcome.effects.rpmRange);
}

TEST(ParameterSheetsTest, FuelOnlyModelHidesIgnitionAndEmptiesTheLeftoverOptionRow) {
    Decode d(imageOf(2950).setByte(byte::GaugeButtonOld, 1).setByte(byte::LeanWarning, 1).setByte(byte::O2Type, 1));
    EXPECT_EQ(d.cell(16, 0, 8), "GAUGE BUTTON");  // non fuel-only: L is row 7, G row 8
    d.run(imageOf(2950).setByte(byte::Config8, 1).setByte(byte::LeanWarning, 2).setByte(byte::O2Type, 1).text());
    EXPECT_FALSE(d.outcome.effects.ignitionAndKnockMetersVisible);
    EXPECT_EQ(d.cell(16, 0, 5), "PIN 13 INPUT");
    EXPECT_EQ(d.cell(16, 1, 5), "LEAN SWITCH");
    EXPECT_EQ(d.cell(16, 0, 6), "LEAN WARNING");
    EXPECT_EQ(d.cell(16, 1, 6), "ENABLED+ADD FUEL");
    EXPECT_EQ(d.cell(16, 0, 7), "GAUGE BUTTON");
    EXPECT_EQ(d.cell(16, 0, 8), "");
    EXPECT_EQ(d.cell(16, 1, 8), "");
    EXPECT_EQ(d.cell(7, 1, 0), "FUEL ONLY");
    EXPECT_EQ(d.cell(10, 1, 31), "FUEL ONLY");
    for (int row = 0; row < 5; ++row) EXPECT_EQ(d.cell(13, 1, row), "FUEL ONLY");
    EXPECT_EQ(d.cell(20, 1, 1), "X, FUEL ONLY");

    Decode lop(imageOf(3100).setByte(byte::Config8, 1).setByte(byte::LopControl, 1));
    EXPECT_EQ(lop.cell(13, 1, 7), "FUEL ONLY");
    EXPECT_EQ(lop.cell(16, 1, 5), "LEAN SWITCH");
    EXPECT_TRUE(Decode(imageOf(3100)).outcome.effects.ignitionAndKnockMetersVisible);
}

TEST(ParameterSheetsTest, RowsAnOlderImageDoesNotWriteKeepThePreviousTexts) {
    auto image = [](int version) {
        return imageOf(version).setByte(byte::EngineTempSensor, 4).setByte(byte::BaroFuelComp, 255)
            .setByte(byte::GaugeButton, 1).setByte(byte::O2Type, 2);
    };
    Decode d(image(2800));
    d.run(image(3000).text(), "pcdisk");
    d.run(image(2800).text());
    EXPECT_EQ(d.cell(19, 1, 22), "BOSCH");
    EXPECT_EQ(d.cell(19, 1, 23), "26.0% /1000FT");
    EXPECT_EQ(d.cell(19, 0, 24), "");
    EXPECT_EQ(d.cell(16, 1, 8), "GAUGE4");
}

TEST(ParameterSheetsTest, FileInformationAndTitleFollowTheValuesSource) {
    Decode d(imageOf(3000));
    EXPECT_EQ(d.cell(22, 1, 0), "2024/05/17");  // first fill: separators change only afterwards
    EXPECT_EQ(d.cell(22, 1, 1), "14:03:22");
    EXPECT_EQ(d.cell(22, 1, 2), "KVR ECU");
    EXPECT_EQ(d.outcome.proposedTitle, "KVR2024_05_17_14_03_22");
    d.run(imageOf(3000).text());
    EXPECT_EQ(d.cell(22, 1, 0), "2024_05_17");
    EXPECT_EQ(d.cell(22, 1, 1), "14_03_22");

    d.run(imageOf(3000).text(), "pcdisk");
    EXPECT_EQ(d.cell(22, 0, 0), "Date");
    EXPECT_EQ(d.cell(22, 1, 0), "2023_01_02");
    EXPECT_EQ(d.cell(22, 1, 1), "14_03_22");  // time of the fetch stays
    EXPECT_EQ(d.cell(22, 1, 2), "PC DISK");
    EXPECT_EQ(d.cell(22, 0, 3), "");
    EXPECT_EQ(d.cell(23, 0, 0), "run1.KVV");
    EXPECT_EQ(d.outcome.proposedTitle, "run1.KVL");
    d.run(imageOf(3000).text());
    EXPECT_EQ(d.cell(23, 0, 0), "");

    ParameterSheets noDate;
    FillContext context = fixedContext("pcdisk");
    context.fileModified = [](const std::string&) { return std::optional<LocalDateTime>(); };
    noDate.valuestogridcells(imageOf(3000).text(), context);
    EXPECT_EQ(noDate.sheets().grid(22).cell(1, 0), "");
}

TEST(ParameterSheetsTest, ShortImagesDecodeWithAbsentPositionsEmpty) {
    const std::string full = imageOf(3100).setByte(byte::LoadFuelFirst, 7).text();
    Decode d(imageOf(3100));
    d.run(full.substr(0, 2000));
    EXPECT_TRUE(d.outcome.decoded);
    EXPECT_EQ(d.sheets.info().SwVersion, 3100);
    EXPECT_EQ(d.cell(3, 1, 0), "7");
    EXPECT_EQ(d.cell(1, 0, 0), "");  // RPM labels lie past position 2000
    EXPECT_EQ(d.cell(1, 1, 0), "");  // its high byte (1007) is absent too
    EXPECT_TRUE(d.logged("ext_rpm_cnt=2016, $"));

    for (std::size_t length : {0u, 1u, 9u, 1015u, 2242u}) {
        Decode cut(imageOf(3100));
        cut.run(full.substr(0, length));
        EXPECT_TRUE(cut.outcome.decoded) << length;
    }
}

TEST(ParameterSheetsTest, ImageWithANonHexPairChangesNothingAndNamesTheFirstBadPosition) {
    Decode d(imageOf(3000).setByte(byte::LoadFuelFirst, 1).setByte(byte::SensorConfig, 0x10));
    const SheetSet before = d.sheets.sheets();
    const std::string bad = imageOf(2800).setByte(byte::LoadFuelFirst, 2).setPair(byte::Config8, "X1")
                                .setPair(byte::IgnitionLoadFirst + 4, "1?").text();
    d.run(bad);
    EXPECT_FALSE(d.outcome.decoded);
    EXPECT_EQ(d.outcome.memoLines,
              std::vector<std::string>{"KVR VALUES not decoded: no hexadecimal pair at position 309, sheets unchanged"});
    EXPECT_EQ(d.sheets.info().SwVersion, 3000);
    EXPECT_EQ(d.sheets.info().MapSensorCode, 0x10);
    EXPECT_FALSE(d.outcome.proposedTitle);
    for (int g = 1; g <= kSheetGridCount; ++g)
        for (int r = 0; r < before.grid(g).rows(); ++r)
            for (int c = 0; c < before.grid(g).cols(); ++c)
                ASSERT_EQ(d.cell(g, c, r), before.grid(g).cell(c, r)) << g << " " << c << " " << r;
    EXPECT_EQ(d.sheets.separators().date, '_');

    // Bytes the decode does not read may hold anything.
    d.run(imageOf(3000).setPair(6, "??").setPair(400, "zz").text());
    EXPECT_TRUE(d.outcome.decoded);
}

TEST(ParameterSheetsTest, DebugButtonLogsPositions108And109) {
    const std::string text = imageOf(3000).setByte(byte::LoadFuelFirst, 0xA5).text();
    EXPECT_EQ(debugButtonMemoLines(text), (std::vector<std::string>{"108", "A5"}));
    EXPECT_EQ(debugButtonMemoLines(""), (std::vector<std::string>{"108", ""}));
}

}  // namespace
}  // namespace kvr
