#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "dashboard/values/label_selection.h"
#include "dashboard/values/label_tables.h"

namespace kvr {
namespace {

struct Quoted {
    int bin;
    const char* text;
};

void expectQuoted(const LoadLabelTable& table, std::initializer_list<Quoted> quoted) {
    for (const auto& q : quoted) EXPECT_STREQ(table[q.bin], q.text) << "bin " << q.bin;
}

TEST(LabelTablesTest, LoadTablesHoldTheirQuotedEntries) {
    using L = LoadTable;
    expectQuoted(loadLabelTable(L::S2), {{0, "  0.1"}, {1, "  0.2"}, {2, "  0.5"}, {3, "  2.0"}, {4, "  4.0"},
                                         {62, "119.9"}, {63, "121.9"}});
    expectQuoted(loadLabelTable(L::S1), {{0, "-30.1"}, {1, "-30.0"}, {2, "-29.9"}, {3, "-27.9"}, {62, " 44.2"},
                                         {63, " 45.2"}});
    expectQuoted(loadLabelTable(L::L0), {{0, "-28.8"}, {1, "-28.3"}, {62, " 0.33"}, {63, " 0.80"}});
    expectQuoted(loadLabelTable(L::N0), {{0, "-26.2"}, {1, "-25.8"}, {62, " 0.38"}, {63, " 0.58"}});
    expectQuoted(loadLabelTable(L::L1), {{0, " 3.22"}, {1, " 4.12"}, {62, " 59.6"}, {63, " 60.5"}});
    expectQuoted(loadLabelTable(L::N1), {{0, " 2.56"}, {1, " 3.50"}, {62, " 60.5"}, {63, " 61.5"}});
    expectQuoted(loadLabelTable(L::L2), {{0, "-26.7"}, {1, "-25.8"}, {62, " 14.6"}, {63, " 15.0"}});
    expectQuoted(loadLabelTable(L::N2), {{0, "-27.4"}, {1, "-26.4"}, {62, " 15.0"}, {63, " 15.5"}});
    expectQuoted(loadLabelTable(L::L3), {{0, "-28.5"}, {1, "-27.1"}, {62, " 29.0"}, {63, "   30"}});
    expectQuoted(loadLabelTable(L::L4), {{0, "    1"}, {63, "   64"}});
    expectQuoted(loadLabelTable(L::L5), {{0, " 1.12"}, {1, " 1.59"}, {62, " 30.3"}, {63, " 30.7"}});
    expectQuoted(loadLabelTable(L::N5), {{0, " 3.72"}, {1, " 4.16"}, {62, " 30.7"}, {63, " 31.1"}});
    expectQuoted(loadLabelTable(L::L6), {{0, "-30.4"}, {1, "-30.3"}, {57, " 35.7"}, {58, " N/A1"}, {63, " N/A6"}});
    expectQuoted(loadLabelTable(L::L7), {{0, "-30.4"}, {1, "-30.3"}, {57, " 60.9"}, {58, " N/A1"}, {63, " N/A6"}});
}

TEST(LabelTablesTest, LoadTablesAreFiveWideAndRiseUpToTheirNotApplicableBins) {
    for (int t = 0; t <= static_cast<int>(LoadTable::N5); ++t) {
        const auto& table = loadLabelTable(static_cast<LoadTable>(t));
        double previous = -1e9;
        for (int j = 0; j < 64; ++j) {
            const std::string text = table[j];
            EXPECT_EQ(text.size(), 5u) << "table " << t << " bin " << j;
            if (text.find("N/A") != std::string::npos) {
                EXPECT_GE(j, 58);
                continue;
            }
            const double value = std::strtod(text.c_str(), nullptr);
            EXPECT_GT(value, previous) << "table " << t << " bin " << j;
            EXPECT_NE(text.find_first_not_of(' '), std::string::npos);
            previous = value;
        }
    }
}

TEST(LabelTablesTest, TemperatureTablesHoldTheirQuotedEntriesAndFallFromHotToCold) {
    const auto& e0 = engineTempLabelTable(EngineTempTable::E0);
    const auto& e8 = engineTempLabelTable(EngineTempTable::E8);
    const auto& a4 = airTempLabelTable(AirTempTable::A4);
    const auto& a0 = airTempLabelTable(AirTempTable::A0);
    const char* e0Quoted[] = {"302", "230", "194"};
    const char* e8Quoted[] = {"150", "110", " 90"};
    const char* a4Quoted[] = {"320", "293", "257"};
    const char* a0Quoted[] = {"160", "145", "125"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_STREQ(e0[i], e0Quoted[i]);
        EXPECT_STREQ(e8[i], e8Quoted[i]);
        EXPECT_STREQ(a4[i], a4Quoted[i]);
        EXPECT_STREQ(a0[i], a0Quoted[i]);
    }
    EXPECT_STREQ(e0[30], "-13");
    EXPECT_STREQ(e0[31], "-40");
    EXPECT_STREQ(e8[30], "-25");
    EXPECT_STREQ(e8[31], "-40");
    EXPECT_STREQ(a4[62], "-31");
    EXPECT_STREQ(a4[63], "-58");
    EXPECT_STREQ(a0[62], "-35");
    EXPECT_STREQ(a0[63], "-50");

    auto expectFalling = [](const char* const* table, int count, const char* name) {
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(std::string(table[i]).size(), 3u) << name << " bin " << i;
            if (i > 0) {
                EXPECT_LT(std::atoi(table[i]), std::atoi(table[i - 1])) << name << " bin " << i;
            }
        }
    };
    for (int t = 0; t <= static_cast<int>(EngineTempTable::E12); ++t)
        expectFalling(engineTempLabelTable(static_cast<EngineTempTable>(t)).data(), 32, "engine");
    for (int t = 0; t <= static_cast<int>(AirTempTable::A7); ++t)
        expectFalling(airTempLabelTable(static_cast<AirTempTable>(t)).data(), 64, "air");
}

TEST(LabelTablesTest, FahrenheitAndCelsiusTablesOfOneSensorAgree) {
    // Each F table is its C table's sensor converted: entries may differ by rounding only.
    const std::pair<EngineTempTable, EngineTempTable> engine[] = {
        {EngineTempTable::E0, EngineTempTable::E8}, {EngineTempTable::E1, EngineTempTable::E9},
        {EngineTempTable::E2, EngineTempTable::E10}, {EngineTempTable::E3, EngineTempTable::E11},
        {EngineTempTable::E4, EngineTempTable::E12}};
    for (const auto& [f, c] : engine)
        for (int n = 0; n < 32; ++n)
            EXPECT_NEAR(std::atoi(engineTempLabelTable(f)[n]), std::atoi(engineTempLabelTable(c)[n]) * 1.8 + 32, 1.5);
    for (int t = 0; t < 4; ++t)
        for (int n = 0; n < 64; ++n)
            EXPECT_NEAR(std::atoi(airTempLabelTable(static_cast<AirTempTable>(t + 4))[n]),
                        std::atoi(airTempLabelTable(static_cast<AirTempTable>(t))[n]) * 1.8 + 32, 1.5);
}

TEST(LabelSelectionTest, SpecialScalesWinOverTheMapSensor) {
    EXPECT_EQ(selectLoadTable(0x21, 0x10, 30, 3000), LoadTable::S2);
    EXPECT_EQ(selectLoadTable(0x20, 0x10, 30, 3000), LoadTable::S2);
    EXPECT_EQ(selectLoadTable(0x01, 0x10, 30, 3000), LoadTable::S1);
}

TEST(LabelSelectionTest, NewerLoadTablesFollowTheSoftwareGates) {
    // 28.99 and 29.00 sit on either side of the major-number gate, 29.00 and 29.01 of the version gate.
    EXPECT_EQ(selectLoadTable(0, 0x00, 28, 2899), LoadTable::L0);
    EXPECT_EQ(selectLoadTable(0, 0x00, 29, 2900), LoadTable::L0);
    EXPECT_EQ(selectLoadTable(0, 0x00, 29, 2901), LoadTable::N0);
    EXPECT_EQ(selectLoadTable(0, 0x10, 28, 2899), LoadTable::L1);
    EXPECT_EQ(selectLoadTable(0, 0x10, 29, 2900), LoadTable::N1);
    EXPECT_EQ(selectLoadTable(0, 0x20, 28, 2899), LoadTable::L2);
    EXPECT_EQ(selectLoadTable(0, 0x20, 29, 2900), LoadTable::N2);
    EXPECT_EQ(selectLoadTable(0, 0x50, 28, 2899), LoadTable::L5);
    EXPECT_EQ(selectLoadTable(0, 0x50, 29, 2900), LoadTable::L0);
    EXPECT_EQ(selectLoadTable(0, 0x50, 29, 2901), LoadTable::N5);
    for (int major : {28, 31}) {
        EXPECT_EQ(selectLoadTable(0, 0x30, major, major * 100), LoadTable::L3);
        EXPECT_EQ(selectLoadTable(0, 0x40, major, major * 100), LoadTable::L4);
        EXPECT_EQ(selectLoadTable(0, 0x60, major, major * 100), LoadTable::L6);
        EXPECT_EQ(selectLoadTable(0, 0x70, major, major * 100), LoadTable::L7);
    }
}

TEST(LabelSelectionTest, TemperatureTablesFollowSensorCodesAndSoftware) {
    EXPECT_EQ(selectEngineTempTable(28, 5, 0), EngineTempTable::E3);
    EXPECT_EQ(selectEngineTempTable(28, 13, 0), EngineTempTable::E11);
    EXPECT_EQ(selectEngineTempTable(28, 6, 0), std::nullopt);
    // From 29 the engine sensor has its own byte; the Celsius bit still comes from byte 7.
    EXPECT_EQ(selectEngineTempTable(29, 5, 2), EngineTempTable::E2);
    EXPECT_EQ(selectEngineTempTable(29, 8, 4), EngineTempTable::E12);
    EXPECT_EQ(selectEngineTempTable(29, 0, 5), std::nullopt);
    EXPECT_EQ(selectAirTempTable(3), AirTempTable::A4);
    EXPECT_EQ(selectAirTempTable(5), AirTempTable::A7);
    EXPECT_EQ(selectAirTempTable(11), AirTempTable::A0);
    EXPECT_EQ(selectAirTempTable(13), AirTempTable::A3);
    EXPECT_EQ(selectAirTempTable(14), std::nullopt);
}

}  // namespace
}  // namespace kvr
