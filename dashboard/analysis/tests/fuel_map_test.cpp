// The fuel map read from a values image and written back into one.
#include <gtest/gtest.h>

#include "dashboard/analysis/fuel_map.h"
#include "dashboard/values/values_image.h"
#include "default_values_image.h"

namespace kvr {
namespace {

TEST(FuelMap, ReadsTheTablesAndBinCentresOfAnImage) {
    FuelMap map;
    std::string error;
    ASSERT_TRUE(readFuelMap(kvrsim::defaultValuesImage(), map, error)) << error;
    EXPECT_TRUE(map.rpmNumbersWide) << "software 31 keeps 16-bit RPM numbers";
    EXPECT_EQ(map.mapForm, MapForm::Gauge);
    // The simulator's image: RPM bin r at 500 + 250 r with 80 + 6 r, load bin j with 20 + 3 j.
    for (int r = 0; r < kRpmBins; ++r) {
        EXPECT_EQ(map.rpmCentres[r], 500 + 250 * r);
        EXPECT_EQ(map.rpmNumbers[r], 80 + 6 * r) << "bin " << r;
    }
    for (int j = 0; j < kLoadBins; ++j) EXPECT_EQ(map.loadNumbers[j], 20 + 3 * j);
    EXPECT_NEAR(map.loadCentres[0], -27.4, 0.05) << "inHg of vacuum";
    for (int j = 1; j < kLoadBins; ++j) EXPECT_GT(map.loadCentres[j], map.loadCentres[j - 1]);
    EXPECT_GT(map.warmupCentres[0], map.warmupCentres[31]) << "warm-up bins run from hot to cold";
}

TEST(FuelMap, InterpolatesBetweenCentresAndHoldsFlatBeyondThem) {
    const double rising[3] = {1000, 2000, 4000};
    BinPosition p = binPosition(rising, 3, 1500);
    EXPECT_EQ(p.low, 0);
    EXPECT_EQ(p.high, 1);
    EXPECT_DOUBLE_EQ(p.weight, 0.5);
    p = binPosition(rising, 3, 3500);
    EXPECT_EQ(p.low, 1);
    EXPECT_DOUBLE_EQ(p.weight, 0.75);
    EXPECT_EQ(binPosition(rising, 3, 500).high, 0);
    EXPECT_EQ(binPosition(rising, 3, 9000).low, 2);
    const double falling[3] = {200, 100, 0};
    p = binPosition(falling, 3, 150);
    EXPECT_EQ(p.low, 0);
    EXPECT_DOUBLE_EQ(p.weight, 0.5);

    FuelMap map;
    std::string error;
    ASSERT_TRUE(readFuelMap(kvrsim::defaultValuesImage(), map, error)) << error;
    EXPECT_DOUBLE_EQ(rpmNumberAt(map, 625), 83.0) << "halfway between 80 and 86";
    EXPECT_DOUBLE_EQ(rpmNumberAt(map, 100), 80.0);
}

TEST(FuelMap, WritesNumbersBackWithHighBytesAndAGoodChecksum) {
    FuelMap map;
    std::string error;
    const std::string image = kvrsim::defaultValuesImage();
    ASSERT_TRUE(readFuelMap(image, map, error)) << error;
    map.rpmNumbers[3] = 700;     // needs a high byte
    map.rpmNumbers[4] = 70000;   // past 16 bits: kept to the top
    map.loadNumbers[10] = 300;   // past 8 bits
    map.loadNumbers[11] = 7;
    const std::string changed = withFuelNumbers(image, map);
    ASSERT_EQ(changed.size(), image.size());
    EXPECT_EQ(changed.substr(kSummedLength), [&] {
        char sum[5];
        std::snprintf(sum, sizeof sum, "%04X", static_cast<unsigned>(imageChecksum(changed)));
        return std::string(sum);
    }());
    FuelMap back;
    ASSERT_TRUE(readFuelMap(changed, back, error)) << error;
    EXPECT_EQ(back.rpmNumbers[3], 700);
    EXPECT_EQ(back.rpmNumbers[4], 65535);
    EXPECT_EQ(back.loadNumbers[10], 255);
    EXPECT_EQ(back.loadNumbers[11], 7);
    EXPECT_EQ(back.rpmNumbers[5], map.rpmNumbers[5]);

    // Software 30 keeps 8 bits: the same image with its version byte at 30.
    std::string old = image;
    old.replace(static_cast<size_t>(imageBytePosition(506) - 1), 2, "1E");
    old = withFuelNumbers(old, map);  // makes the checksum good again
    FuelMap narrow;
    ASSERT_TRUE(readFuelMap(old, narrow, error)) << error;
    EXPECT_EQ(narrow.softwareVersion / 100, 30);
    EXPECT_FALSE(narrow.rpmNumbersWide);
    narrow.rpmNumbers[0] = 400;
    FuelMap again;
    ASSERT_TRUE(readFuelMap(withFuelNumbers(old, narrow), again, error)) << error;
    EXPECT_EQ(again.rpmNumbers[0], 255);
}

}  // namespace
}  // namespace kvr
