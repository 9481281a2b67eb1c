// The target AFR table: its defaults, its text file, and reading it between
// breakpoints.
#include <gtest/gtest.h>

#include "dashboard/analysis/target_afr.h"

namespace kvr {
namespace {

TEST(TargetAfr, StandardIsLeanInVacuumAndRichOnBoostForEitherSensor) {
    const TargetAfr gauge = TargetAfr::standard(MapForm::Gauge);
    EXPECT_DOUBLE_EQ(gauge.at(3000, -20), 14.7);
    EXPECT_DOUBLE_EQ(gauge.at(3000, -5), 14.7);
    EXPECT_NEAR(gauge.at(3000, -2.5), 13.6, 1e-9) << "halfway from -5 to 0 inHg";
    EXPECT_DOUBLE_EQ(gauge.at(3000, 0), 12.5);
    EXPECT_DOUBLE_EQ(gauge.at(6000, 15), 12.5);
    EXPECT_DOUBLE_EQ(gauge.at(800, -60), 14.7) << "held beyond the first breakpoint";
    const TargetAfr absolute = TargetAfr::standard(MapForm::Absolute);
    EXPECT_DOUBLE_EQ(absolute.at(3000, 20), 14.7);
    EXPECT_NEAR(absolute.at(3000, 29.92 - 2.5), 13.6, 1e-9);
    EXPECT_DOUBLE_EQ(absolute.at(3000, 40), 12.5);
    EXPECT_DOUBLE_EQ(TargetAfr::flat(13.2).at(1000, -20), 13.2);
    EXPECT_DOUBLE_EQ(TargetAfr::flat(13.2).at(6000, 10), 13.2);
}

TEST(TargetAfr, ReadsATableByMapAndRpmAndWritesItBack) {
    const std::string text =
        "# a richer top end\n"
        "map  -20  0  10   # inHg, then psi\n"
        "\n"
        "rpm 2000  15.0 13.0 12.0\n"
        "rpm\t4000  14.0 12.0 11.0\n";
    TargetAfr t;
    std::string error;
    ASSERT_TRUE(TargetAfr::parse(text, t, error)) << error;
    EXPECT_DOUBLE_EQ(t.at(2000, -20), 15.0);
    EXPECT_DOUBLE_EQ(t.at(4000, 10), 11.0);
    EXPECT_DOUBLE_EQ(t.at(3000, -10), 13.5) << "between both lines and both points";
    EXPECT_DOUBLE_EQ(t.at(1000, 5), 12.5) << "below the first line: held";
    EXPECT_EQ(t.describe(), "table: 3 MAP points, 2 RPM lines");

    TargetAfr back;
    ASSERT_TRUE(TargetAfr::parse(t.write(), back, error)) << error << "\n" << t.write();
    for (double rpm : {1500.0, 2500.0, 3700.0, 5000.0})
        for (double map : {-25.0, -7.0, 0.0, 4.0, 12.0})
            EXPECT_DOUBLE_EQ(back.at(rpm, map), t.at(rpm, map));

    TargetAfr one;
    ASSERT_TRUE(TargetAfr::parse("map -10 0\nafr 14.5 12.8\n", one, error)) << error;
    EXPECT_DOUBLE_EQ(one.at(9000, -5), (14.5 + 12.8) / 2);
}

TEST(TargetAfr, RefusesAMalformedFileWithTheLineAndReason) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"afr 14.7\n", "line 1: the map line must come first"},
        {"map 0 -5\nafr 14 14\n", "line 1: the MAP breakpoints must increase"},
        {"map -5 0\nafr 14.7\n", "line 2: 2 MAP breakpoints need as many AFRs, not 1"},
        {"map -5 0\nafr 14.7 x\n", "line 2: 'x' is not a number"},
        {"map -5 0\nafr 14.7 30\n", "line 2: the AFR 30 is outside 8..22"},
        {"map -5 0\nrpm 3000 14 13\nrpm 2000 14 13\n", "line 3: the RPM lines must increase"},
        {"map -5 0\nafr 14 13\nrpm 2000 14 13\n", "line 3: either one afr line or rpm lines, not both"},
        {"map -5 0\nboost 1\n", "line 2: 'boost' is not map, afr or rpm"},
        {"# nothing\n", "no map line"},
        {"map -5 0\n", "no afr or rpm line"},
    };
    for (const auto& c : cases) {
        TargetAfr t = TargetAfr::flat(14.7);
        std::string error;
        EXPECT_FALSE(TargetAfr::parse(c.text, t, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
        EXPECT_DOUBLE_EQ(t.at(3000, 5), 14.7) << "left as it was";
    }
}

}  // namespace
}  // namespace kvr
