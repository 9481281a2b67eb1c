// The sample record's byte layout, its time stamps, and the log chart file:
// whole records only, appending, error numbers, and a save that fails
// part-way leaving the earlier file untouched.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "dashboard/logging/trend_file.h"
#include "widgets/model/trend_time.h"

namespace kvr {
namespace {

class TempDir {
public:
    TempDir() {
        char name[] = "/tmp/kvr_trend_XXXXXX";
        path_ = ::mkdtemp(name);
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    long entries() const {
        const std::filesystem::directory_iterator all(path_);
        return std::distance(begin(all), end(all));
    }

private:
    std::string path_;
};

std::vector<unsigned char> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TrendRecord sample(double time, uint16_t base) {
    TrendRecord r;
    r.time = time;
    for (int ch = 0; ch < kTrendChannels; ++ch)
        r.digits[ch] = static_cast<uint16_t>(base + ch);
    return r;
}

TEST(TrendRecord, TwentyFourLittleEndianBytes) {
    TrendRecord r;
    r.time = 45000.75;
    r.digits = {0x1234, 0, 65535, 1, 2, 3, 4, 0xABCD};
    unsigned char bytes[kTrendRecordBytes];
    encodeTrendRecord(r, bytes);
    // 45000.75 as a little-endian IEEE-754 double is 00 00 00 00 18 f9 e5 40.
    const std::vector<unsigned char> expected = {0x00, 0x00, 0x00, 0x00, 0x18, 0xF9, 0xE5, 0x40,
                                                 0x34, 0x12, 0x00, 0x00, 0xFF, 0xFF, 0x01, 0x00,
                                                 0x02, 0x00, 0x03, 0x00, 0x04, 0x00, 0xCD, 0xAB};
    EXPECT_EQ(std::vector<unsigned char>(bytes, bytes + kTrendRecordBytes), expected);
    const TrendRecord back = decodeTrendRecord(bytes);
    EXPECT_EQ(back.time, r.time);
    EXPECT_EQ(back.digits, r.digits);
    EXPECT_FALSE(back.isSeparator());
}

TEST(TrendTime, DaysSince1899AndTheirTexts) {
    EXPECT_DOUBLE_EQ(daysFromLocalSeconds(0), 25569.0);
    EXPECT_DOUBLE_EQ(daysFromLocalSeconds(86400 * 1.5), 25570.5);
    EXPECT_EQ(timeOfDayText(45000.75), "18:00:00");
    EXPECT_EQ(timeOfDayText(45000.0 + 3661.9 / 86400), "01:01:01") << "seconds are cut, not rounded";
    EXPECT_EQ(dateText(45000.75), "2023-03-15");
    EXPECT_EQ(dateText(-0.25), "1899-12-29");
    EXPECT_EQ(timeOfDayText(-0.25), "18:00:00") << "before the epoch the fraction still counts from midnight";
    EXPECT_EQ(timeOfDayText(45000.0 - 1e-10), "00:00:00") << "a hair before midnight is midnight";
    const double now = localNowDays();
    EXPECT_GT(now, 44000.0);  // after 2020
    EXPECT_LT(now, 80000.0);
}

TEST(TrendFile, SaveWritesTheStoreAndLoadAppendsIt) {
    TempDir dir;
    TrendStore store;
    store.append(sample(45000.5, 10));
    store.append(sample(45000.6, 20));
    store.append(sample(kSeparatorTime, 20));
    ASSERT_EQ(saveTrendFile(dir.file("run.KVL"), store), 0);
    const auto bytes = readBytes(dir.file("run.KVL"));
    ASSERT_EQ(bytes.size(), 3 * kTrendRecordBytes) << "no header, no trailer";
    EXPECT_EQ(dir.entries(), 1) << "no temporary file is left behind";

    TrendStore loaded;
    loaded.append(sample(1.0, 1));
    ASSERT_EQ(appendTrendFile(dir.file("run.KVL"), loaded), 0);
    ASSERT_EQ(loaded.count(), 4);
    EXPECT_EQ(loaded.at(0).time, 1.0) << "appended after what was there";
    EXPECT_EQ(loaded.at(2).time, 45000.6);
    EXPECT_EQ(loaded.at(2).digits[7], 27);
    EXPECT_TRUE(loaded.at(3).isSeparator());
}

TEST(TrendFile, OnlyWholeRecordsLoad) {
    TempDir dir;
    TrendStore two;
    two.append(sample(45000.5, 1));
    two.append(sample(45000.6, 2));
    ASSERT_EQ(saveTrendFile(dir.file("48"), two), 0);
    auto bytes = readBytes(dir.file("48"));
    bytes.push_back(0x11);
    bytes.push_back(0x22);
    writeBytes(dir.file("50"), bytes);
    writeBytes(dir.file("0"), {});
    writeBytes(dir.file("23"), std::vector<unsigned char>(23, 0xFF));

    for (const char* name : {"48", "50"}) {
        TrendStore s;
        EXPECT_EQ(appendTrendFile(dir.file(name), s), 0) << name;
        ASSERT_EQ(s.count(), 2) << name;
        EXPECT_EQ(s.at(1).digits[0], 2) << name;
    }
    TrendStore empty;
    EXPECT_EQ(appendTrendFile(dir.file("0"), empty), 0);
    EXPECT_EQ(appendTrendFile(dir.file("23"), empty), 0);
    EXPECT_EQ(empty.count(), 0);

    // More than one read buffer's worth, ending in a partial record.
    TrendStore many;
    for (int i = 0; i < 10000; ++i)
        many.append(sample(45000 + i, static_cast<uint16_t>(i)));
    ASSERT_EQ(saveTrendFile(dir.file("many"), many), 0);
    bytes = readBytes(dir.file("many"));
    bytes.resize(bytes.size() - 5);
    writeBytes(dir.file("many"), bytes);
    TrendStore back;
    EXPECT_EQ(appendTrendFile(dir.file("many"), back), 0);
    ASSERT_EQ(back.count(), 9999);
    EXPECT_EQ(back.at(9998).digits[0], 9998);
}

TEST(TrendFile, ACutShortLogLoadsItsWholeRecordsAndReportsTheTail) {
    TempDir dir;
    TrendStore many;
    for (int i = 0; i < 4100; ++i)  // the cut falls in the second read buffer
        many.append(sample(45000 + i, static_cast<uint16_t>(i)));
    ASSERT_EQ(saveTrendFile(dir.file("full"), many), 0);
    const auto full = readBytes(dir.file("full"));

    for (const std::size_t cut : {1u, 17u, 23u, 24u, 25u}) {
        auto bytes = full;
        bytes.resize(bytes.size() - cut);
        writeBytes(dir.file("cut"), bytes);
        TrendStore back;
        std::size_t tail = 99;
        EXPECT_EQ(appendTrendFile(dir.file("cut"), back, &tail), 0) << cut;
        const std::size_t whole = bytes.size() / kTrendRecordBytes;
        EXPECT_EQ(tail, bytes.size() % kTrendRecordBytes) << cut;
        ASSERT_EQ(back.count(), static_cast<int>(whole)) << cut;
        EXPECT_EQ(back.at(back.count() - 1).digits[0], whole - 1) << cut;
    }

    // Whole files, empty ones and failures report no tail.
    for (const char* name : {"full", "missing"}) {
        TrendStore s;
        std::size_t tail = 99;
        appendTrendFile(dir.file(name), s, &tail);
        EXPECT_EQ(tail, 0u) << name;
    }
    writeBytes(dir.file("empty"), {});
    writeBytes(dir.file("short"), std::vector<unsigned char>(23, 0));
    TrendStore none;
    std::size_t tail = 99;
    EXPECT_EQ(appendTrendFile(dir.file("empty"), none, &tail), 0);
    EXPECT_EQ(tail, 0u);
    EXPECT_EQ(appendTrendFile(dir.file("short"), none, &tail), 0);
    EXPECT_EQ(tail, 23u) << "less than one record is all tail";
    EXPECT_EQ(none.count(), 0);
}

TEST(TrendFile, LogChartTimesAreSeparatorsOrDatesFrom1980To2100) {
    EXPECT_TRUE(isLogChartTime(0.0));
    EXPECT_TRUE(isLogChartTime(29221.0)) << "1980-01-01 00:00";
    EXPECT_TRUE(isLogChartTime(45658.5));
    EXPECT_TRUE(isLogChartTime(73415.999)) << "the last day of 2100";
    EXPECT_FALSE(isLogChartTime(73416.0)) << "2101-01-01";
    EXPECT_FALSE(isLogChartTime(29220.999));
    EXPECT_FALSE(isLogChartTime(-0.5));
    EXPECT_FALSE(isLogChartTime(1e300));
    EXPECT_FALSE(isLogChartTime(std::nan("")));
    EXPECT_FALSE(isLogChartTime(-std::numeric_limits<double>::infinity()));
    // The first 8 bytes of a values file's image line, read as a time stamp.
    TrendRecord text = decodeTrendRecord(reinterpret_cast<const unsigned char*>(")0A1B2C3D4E5F60718293A4B"));
    EXPECT_FALSE(isLogChartTime(text.time));
}

TEST(TrendFile, ErrorsAreOsErrorNumbers) {
    TempDir dir;
    TrendStore s;
    s.append(sample(45000.5, 1));
    EXPECT_EQ(appendTrendFile(dir.file("missing.KVL"), s), 2);
    EXPECT_EQ(s.count(), 1);
    EXPECT_EQ(saveTrendFile(dir.file("no/such/dir.KVL"), s), 2);
    EXPECT_EQ(appendTrendFile(dir.file(""), s), 21) << "a folder cannot be read as records";
    EXPECT_EQ(s.count(), 1);
}

TEST(TrendFile, AFailedSaveKeepsTheEarlierFile) {
    TempDir dir;
    const std::string path = dir.file("run.KVL");
    TrendStore small;
    small.append(sample(45000.5, 7));
    ASSERT_EQ(saveTrendFile(path, small), 0);
    ::chmod(path.c_str(), 0640);
    const auto before = readBytes(path);

    TrendStore big;
    for (int i = 0; i < 100; ++i)
        big.append(sample(45000 + i, 1));
    // A file size limit makes the write fail part-way (EFBIG) instead of
    // killing the process.
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = old;
    limited.rlim_cur = 1000;
    ::setrlimit(RLIMIT_FSIZE, &limited);
    const int result = saveTrendFile(path, big);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result, EFBIG);
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(dir.entries(), 1) << "the partial file is removed";

    ASSERT_EQ(saveTrendFile(path, big), 0);
    EXPECT_EQ(readBytes(path).size(), 100 * kTrendRecordBytes);
    struct stat st {};
    ::stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "replacing the file keeps its permissions";
}

}  // namespace
}  // namespace kvr
