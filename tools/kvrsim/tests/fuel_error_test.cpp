// The fuel errors the simulated engine can have: the built-in ones are as
// strong as they claim, and the text form reads what it says.
#include <gtest/gtest.h>

#include <algorithm>

#include "fuel_error.h"

namespace kvrsim {
namespace {

struct Span {
    double low = 1e9, high = -1e9;
    void add(double v) {
        low = std::min(low, v);
        high = std::max(high, v);
    }
};

TEST(FuelErrorPresets, SwingByWhatTheySayAndOnlyThere) {
    ASSERT_EQ(fuelErrorPresets(), (std::vector<std::string>{"none", "mild", "wild", "lean"}));
    struct Expect {
        const char* name;
        double least, most;  // of the largest departure along each axis
    };
    for (const Expect& e : {Expect{"mild", 0.05, 0.10}, Expect{"wild", 0.12, 0.20}}) {
        FuelError error;
        ASSERT_TRUE(fuelErrorPreset(e.name, error)) << e.name;
        EXPECT_EQ(error.name, e.name);
        Span rpm, map;
        for (double r = 800; r <= 6500; r += 10) rpm.add(error.rpmFactor(r));
        for (double m = -20; m <= 10; m += 0.05) map.add(error.mapFactor(m));
        for (const Span& s : {rpm, map}) {
            const double departure = std::max(s.high - 1, 1 - s.low);
            EXPECT_GE(departure, e.least) << e.name;
            EXPECT_LE(departure, e.most) << e.name;
            EXPECT_LT(s.low, 1) << e.name << ": rich somewhere";
            EXPECT_GT(s.high, 1) << e.name << ": lean somewhere";
        }
        // The interaction: lean at high speed on light load, nothing at idle.
        EXPECT_GE(error.interactionAt(5500, -12), 1.08) << e.name;
        EXPECT_NEAR(error.interactionAt(900, -18), 1.0, 1e-3) << e.name;
        EXPECT_DOUBLE_EQ(error.multiplierAt(4000, -7),
                         error.rpmFactor(4000) * error.mapFactor(-7) * error.interactionAt(4000, -7));
    }

    FuelError none, lean;
    ASSERT_TRUE(fuelErrorPreset("none", none));
    ASSERT_TRUE(fuelErrorPreset("lean", lean));
    for (double r : {800.0, 3000.0, 6500.0}) {
        for (double m : {-20.0, -3.0, 0.0, 8.0}) {
            EXPECT_DOUBLE_EQ(none.multiplierAt(r, m), 1.0);
            EXPECT_DOUBLE_EQ(lean.multiplierAt(r, m), 1.10);
        }
    }
    FuelError untouched = lean;
    EXPECT_FALSE(fuelErrorPreset("Mild", untouched));
    EXPECT_FALSE(fuelErrorPreset("", untouched));
    EXPECT_EQ(untouched.name, "lean") << "a refused name leaves the error alone";
}

TEST(FuelErrorFile, JoinsPointsAndMultipliesCells) {
    FuelError e;
    std::string why;
    ASSERT_TRUE(parseFuelError("# a test engine\n"
                               "rpm 3000 1.2   # lean at the top\n"
                               "rpm 1000 1.0\n"
                               "\n"
                               "map -10 0.9\n"
                               "map 5 1.1\n"
                               "cell 4000 -5 1.05\n"
                               "cell 2000 2 0.9 300 1\n",
                               e, why))
        << why;
    EXPECT_EQ(e.name, "file");
    EXPECT_DOUBLE_EQ(e.rpmFactor(2000), 1.1) << "halfway, though written out of order";
    EXPECT_DOUBLE_EQ(e.rpmFactor(500), 1.0) << "flat below the first point";
    EXPECT_DOUBLE_EQ(e.rpmFactor(7000), 1.2) << "and above the last";
    EXPECT_DOUBLE_EQ(e.mapFactor(-2.5), 1.0);
    EXPECT_DOUBLE_EQ(e.mapFactor(-20), 0.9);
    ASSERT_EQ(e.cells.size(), 2u);
    EXPECT_DOUBLE_EQ(e.interactionAt(4000, -5), 1.05);
    EXPECT_DOUBLE_EQ(e.cells[0].rpmWidth, 600) << "the default widths";
    EXPECT_DOUBLE_EQ(e.cells[0].mapWidth, 3);
    EXPECT_NEAR(e.cells[0].at(4600, -5), 1 + 0.05 / 2.718281828, 1e-9) << "1/e of the bump one width away";
    EXPECT_NEAR(e.cells[1].at(2000, 3), 1 - 0.1 / 2.718281828, 1e-9) << "its own map width";
    EXPECT_NEAR(e.interactionAt(2000, 2), 0.9 * e.cells[0].at(2000, 2), 1e-12) << "cells multiply";

    ASSERT_TRUE(parseFuelError("", e, why));
    EXPECT_DOUBLE_EQ(e.multiplierAt(3000, -5), 1.0) << "an empty file: no error";
}

TEST(FuelErrorFile, WrongLinesAreNamedAndChangeNothing) {
    const std::pair<const char*, const char*> wrong[] = {
        {"rpm 1000\n", "line 1: 'rpm' takes an rpm and a multiplier"},
        {"\nmap x 1\n", "line 2: 'map' takes a map and a multiplier"},
        {"rpm 1000 1.1 extra\n", "line 1: unexpected 'extra'"},
        {"rpm 1000 0\n", "line 1: a multiplier must be above 0"},
        {"cell 1000 -5 -1\n", "line 1: a multiplier must be above 0"},
        {"rpm 1000 1.1\nrpm 1000 1.2\n", "line 2: a second multiplier at rpm 1000"},
        {"cell 1000 -5\n", "line 1: 'cell' takes an rpm, a map and a multiplier"},
        {"cell 1000 -5 1.1 300\n", "line 1: a cell's widths are an rpm width and a map width, both above 0"},
        {"cell 1000 -5 1.1 0 2\n", "line 1: a cell's widths are an rpm width and a map width, both above 0"},
        {"cell 1000 -5 1.1 nan 2\n", "line 1: unexpected 'nan'"},
        {"load 1000 1.1\n", "line 1: 'load' is not rpm, map or cell"},
        {"rpm inf 1.1\n", "line 1: 'rpm' takes an rpm and a multiplier"},
    };
    for (const auto& [text, message] : wrong) {
        FuelError e;
        ASSERT_TRUE(fuelErrorPreset("mild", e));
        std::string why;
        EXPECT_FALSE(parseFuelError(text, e, why)) << text;
        EXPECT_EQ(why, message) << text;
        EXPECT_EQ(e.name, "mild") << text;
    }
}

}  // namespace
}  // namespace kvrsim
