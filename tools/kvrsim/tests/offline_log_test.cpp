// kvrsim --write-log: a drive written straight to a data log, the records a
// second it was asked for, every row whole, and the options it needs.
#include <getopt.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dashboard/datalog/msl_format.h"
#include "default_values_image.h"
#include "fuel_error.h"
#include "fuel_model.h"
#include "offline_log.h"
#include "sim_options.h"

namespace kvrsim {
namespace {

int parse(std::vector<std::string> args, SimOptions& o) {
    args.insert(args.begin(), "kvrsim");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    optind = 0;
    return parseOptions(static_cast<int>(args.size()), argv.data(), o);
}

TEST(OfflineLog, WritesTheDriveAtTheRateAskedWithItsMixture) {
    const std::string image = defaultValuesImage();
    FuelError lean;
    ASSERT_TRUE(fuelErrorPreset("lean", lean));
    std::string why;
    const auto fuel = makeFuelModel(image, image, lean, why);
    ASSERT_TRUE(fuel) << why;
    EngineSettings settings;
    settings.drive = Drive::Map;
    const std::string path = ::testing::TempDir() + "offline.msl";
    ASSERT_TRUE(writeOfflineLog(EngineModel(settings, *fuel), image, 3, 400, 20, path, why)) << why;

    kvr::MslReader reader;
    ASSERT_TRUE(reader.open(path, why)) << why;
    std::vector<kvr::LogRow> rows;
    kvr::LogItem item;
    while (reader.next(item))
        if (item.kind == kvr::LogItem::Row) rows.push_back(item.row);
    EXPECT_EQ(reader.note(), "");
    ASSERT_EQ(rows.size(), 8000u) << "400 s at 20 a second";
    EXPECT_NEAR(rows[1].values[0] - rows[0].values[0], 0.05, 1e-9);
    // Warm and steady at light load the 10 % lean engine reads about 14.7 x 1.1.
    int lean14 = 0, warm = 0;
    for (const kvr::LogRow& r : rows) {
        const double afr = r.values[kvr::kColAfr], clt = r.values[kvr::kColEngineTemp], map = r.values[kvr::kColMap];
        if (std::isnan(afr) || clt < 180 || map > -8) continue;
        ++warm;
        lean14 += std::abs(afr - 14.7 * 1.1) < 0.5;
    }
    ASSERT_GT(warm, 500);
    EXPECT_GT(lean14, warm * 6 / 10);
}

TEST(OfflineLog, NeedsItsSecondsAndAReasonableRate) {
    SimOptions o;
    ASSERT_EQ(parse({"--drive", "map", "--write-log", "x.msl", "--seconds", "60", "--rate", "40"}, o), kGoOn);
    EXPECT_EQ(o.writeLogFile, "x.msl");
    EXPECT_DOUBLE_EQ(o.writeLogRate, 40);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--write-log", "x.msl"},
             {"--write-log", "x.msl", "--seconds", "5", "--rate", "0"},
             {"--write-log", "x.msl", "--seconds", "5", "--rate", "fast"},
         }) {
        SimOptions bad;
        EXPECT_EQ(parse(args, bad), 2) << args.back();
    }
}

}  // namespace
}  // namespace kvrsim
