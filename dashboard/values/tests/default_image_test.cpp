// The simulator's built-in image must be one the dashboard accepts and decodes completely.
#include <gtest/gtest.h>

#include "dashboard/values/values_image.h"
#include "default_values_image.h"
#include "sheet_test_support.h"

namespace kvr {
namespace {

TEST(DefaultValuesImageTest, IsAFullImageWithAGoodChecksumAndNoLineEnd) {
    const std::string text = kvrsim::defaultValuesImage();
    ASSERT_EQ(text.size(), 2243u);
    EXPECT_EQ(text[0], ')');
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(std::stoul(text.substr(2239), nullptr, 16), imageChecksum(text));
}

TEST(DefaultValuesImageTest, DecodesAsAFourCylinderEngineWithSoftware31) {
    ParameterSheets sheets;
    const FillOutcome outcome = sheets.valuestogridcells(kvrsim::defaultValuesImage(), fixedContext("ecu"));
    ASSERT_TRUE(outcome.decoded);
    EXPECT_EQ(sheets.info().SwVersion, 3100);
    EXPECT_EQ(sheets.info().CylinderCount, 4);
    EXPECT_EQ(sheets.sheets().grid(1).cell(0, 0), "  500");
    EXPECT_EQ(sheets.sheets().grid(2).cell(0, 18), " 9750");
    EXPECT_EQ(sheets.sheets().grid(2).cell(1, 18), "302");  // 80 + 6 * 37 needs its high byte
    EXPECT_EQ(sheets.sheets().grid(16).cell(1, 6), " 4500   10 DEG RET");
    EXPECT_EQ(sheets.sheets().grid(20).cell(1, 1), "\"Z\" FUEL&COILPACK IGNITION");
    // Every value cell of the value grids is filled.
    for (int g = 1; g <= 21; ++g) {
        if (g == 12) continue;
        const SheetGrid& grid = sheets.sheets().grid(g);
        // PIN13 MAP LIMIT (row 24 of the setup grid) ends with software 30.
        const int rows = g == 19 ? 24 : grid.rows();
        for (int row = 0; row < rows; ++row) EXPECT_NE(grid.cell(1, row), "") << g << " row " << row;
    }
}

}  // namespace
}  // namespace kvr
