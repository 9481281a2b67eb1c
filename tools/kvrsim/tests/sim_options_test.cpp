// kvrsim's command line: the map drive and its fuel options are taken, and
// bad values are refused as bad usage.
#include <getopt.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <vector>

#include "sim_options.h"

namespace kvrsim {
namespace {

// Runs the parser on one command line from a fresh start.
int parse(std::vector<std::string> args, SimOptions& o) {
    args.insert(args.begin(), "kvrsim");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    optind = 0;  // getopt starts over
    return parseOptions(static_cast<int>(args.size()), argv.data(), o);
}

std::string writeTemp(const std::string& name, const std::string& text) {
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path) << text;
    return path;
}

TEST(SimOptions, TakesTheMapDriveAndItsFuelError) {
    SimOptions o;
    ASSERT_EQ(parse({"--drive", "map", "--fuel-error", "wild", "--seed", "42"}, o), kGoOn);
    EXPECT_EQ(o.engine.drive, Drive::Map);
    EXPECT_EQ(o.fuelError.name, "wild");
    EXPECT_EQ(o.engine.seed, 42u) << "the seed lays out the drive too";
    EXPECT_EQ(o.settings.seed, 42u);
    EXPECT_TRUE(o.fuelReferenceFile.empty());

    const std::string file = writeTemp("engine.fuel", "rpm 2000 1.1\nmap -10 0.95\ncell 5000 -12 1.08\n");
    SimOptions f;
    ASSERT_EQ(parse({"--fuel-reference", "ref.KVV", "--fuel-error", file, "--drive", "map"}, f), kGoOn)
        << "in any order";
    EXPECT_EQ(f.fuelError.name, "file");
    EXPECT_DOUBLE_EQ(f.fuelError.multiplierAt(2000, -10), 1.1 * 0.95 * f.fuelError.interactionAt(2000, -10));
    EXPECT_EQ(f.fuelReferenceFile, "ref.KVV");

    SimOptions plain;
    ASSERT_EQ(parse({}, plain), kGoOn);
    EXPECT_EQ(plain.fuelError.name, "none");
    EXPECT_EQ(plain.engine.drive, Drive::Cycle);
}

TEST(SimOptions, RefusesBadFuelOptionsAsBadUsage) {
    const std::string badLine = writeTemp("bad.fuel", "rpm 2000 1.1\nrpm 3000\n");
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--drive", "maps"},
             {"--drive", "map", "--fuel-error", "medium"},
             {"--drive", "map", "--fuel-error", ""},
             {"--drive", "map", "--fuel-error", badLine},
             {"--fuel-error", "mild"},
             {"--drive", "sweep", "--fuel-reference", "ref.KVV"},
             {"--drive", "map", "--fuel-error"},
         }) {
        SimOptions o;
        std::string line;
        for (const auto& a : args) line += a + " ";
        EXPECT_EQ(parse(args, o), 2) << line;
    }
    // A file that is there but cannot be read is named with the reason, as --values is.
    SimOptions o;
    EXPECT_EQ(parse({"--drive", "map", "--fuel-error", ::testing::TempDir()}, o), 1);
}

}  // namespace
}  // namespace kvrsim
