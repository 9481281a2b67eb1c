// MlgWriter's files read back by a reader written here from the MLG v1
// layout alone (big-endian header, 55-byte field descriptors, data and
// marker blocks): every header field, descriptor, value, time stamp,
// counter, checksum and marker message.
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "dashboard/datalog/mlg_writer.h"
#include "mlg_layout_reader.h"

namespace kvr {
namespace {

using namespace mlg_layout;

std::vector<unsigned char> fileBytes(std::FILE* file) {
    std::fflush(file);
    std::rewind(file);
    std::vector<unsigned char> bytes;
    unsigned char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + n);
    return bytes;
}

// ---- The log written

constexpr int64_t kStart = 1796747264123;  // 2026-12-08T16:27:44.123Z

LogColumn column(const char* name, const char* unit, int digits, ColumnStyle style = ColumnStyle::Number) {
    LogColumn c;
    c.name = name;
    c.unit = unit;
    c.digits = digits;
    c.style = style;
    return c;
}

enum Col { kTime, kClock, kMap, kRpm, kAfr, kOutputs, kFan, kLongName, kTemp, kCols };

LogHeader variedHeader() {
    LogHeader h;
    h.startUnixMs = kStart;
    h.info = {"KVR Dash & Logger 0.2.0", "ECU software 42"};
    h.columns = {column("Time", "s", 3),
                 column("Clock", "", 0, ColumnStyle::UnixMs),
                 column("MAP", "inHg", 1),
                 column("RPM", "1/min", kAsStored),
                 column("AFR", "AFR", 2),
                 column("Outputs", "", 0, ColumnStyle::Hex),
                 column("Fan", "", 0, ColumnStyle::OnOff),
                 column("Manifold absolute pressure in kilopascals", "kPa absolute", 2),
                 column("EngineTemp",
                        "degrees \xC2\xB0"
                        "F",
                        1)};
    return h;
}

LogItem rowItem(std::vector<double> values, bool separator = false) {
    LogItem item;
    item.kind = LogItem::Row;
    item.row.values = std::move(values);
    item.row.separator = separator;
    return item;
}

LogItem markerItem(double seconds, std::string text) {
    LogItem item;
    item.kind = LogItem::Marker;
    item.marker.seconds = seconds;
    item.marker.text = std::move(text);
    return item;
}

const std::string kLongText = "a marker text much longer than the fifty bytes a block holds";

// 300 rows 40 ms apart (12 s, so the 10 us time stamps wrap many times),
// a separator, a row hours later, markers before the first row, between
// rows and at the end: 306 blocks, so the counter wraps too.
std::vector<LogItem> variedItems() {
    std::vector<LogItem> items = {markerItem(0, "engine started")};
    double time = 0;
    for (int i = 0; i < 300; ++i) {
        // 0.7 ms past the step: a writer that cuts instead of rounding is off by one.
        time = i * 0.04 + 0.0007;
        std::vector<double> v(kCols);
        v[kTime] = time;
        v[kClock] = static_cast<double>(kStart + 40 * i + 3);
        v[kMap] = -17.0 + i * 0.1;
        v[kRpm] = 800 + 7 * i;
        v[kAfr] = i % 5 == 0 ? kMissing : 14.7 + (i % 7) * 0.01;
        v[kOutputs] = (i * 37) % 256;
        v[kFan] = i % 3 == 0 ? 1 : 0;
        v[kLongName] = 40 + i * 0.25;
        v[kTemp] = i % 11 == 0 ? kMissing : 180.5 - i;
        items.push_back(rowItem(v));
        if (i == 10) items.push_back(markerItem(time, "pulled in 3rd"));
        if (i == 150) items.push_back(rowItem({time}, true));
        if (i == 200) items.push_back(markerItem(time, kLongText));
    }
    // Five and a half hours in: the time field's top byte is no longer 0.
    time = 20000.0407;
    std::vector<double> late(kCols, kMissing);
    late[kTime] = time;
    late[kRpm] = 3000;
    items.push_back(rowItem(late));
    items.push_back(markerItem(time, "end"));
    return items;
}

void writeItems(LogWriter& writer, const LogHeader& header, const std::vector<LogItem>& items) {
    ASSERT_TRUE(writer.begin(header));
    for (const LogItem& item : items) ASSERT_TRUE(writer.item(item));
    ASSERT_TRUE(writer.finish());
}

class MlgReadBack : public ::testing::Test {
protected:
    void SetUp() override {
        file_ = std::tmpfile();
        ASSERT_NE(file_, nullptr);
        MlgWriter writer(file_);
        ASSERT_NO_FATAL_FAILURE(writeItems(writer, header_, items_));
        bytes_ = fileBytes(file_);
        ASSERT_NO_FATAL_FAILURE(parseMlg(bytes_, mlg_));
    }
    void TearDown() override {
        if (file_ != nullptr) std::fclose(file_);
    }

    LogHeader header_ = variedHeader();
    std::vector<LogItem> items_ = variedItems();
    std::FILE* file_ = nullptr;
    std::vector<unsigned char> bytes_;
    MlgFile mlg_;
};

TEST_F(MlgReadBack, HeaderAndInformationText) {
    EXPECT_EQ(mlg_.magic, std::string("MLVLG\0", 6));
    EXPECT_EQ(mlg_.version, 1u);
    EXPECT_EQ(mlg_.startSeconds, kStart / 1000);
    EXPECT_EQ(mlg_.fieldCount, static_cast<unsigned>(kCols));
    EXPECT_EQ(mlg_.infoStart, 22u + 55u * kCols);
    // U32 time, S64 clock, six F32, two U08.
    EXPECT_EQ(mlg_.recordLength, 4u + 8u + 4u * 5 + 1u * 2);
    EXPECT_EQ(mlg_.info,
              "KVR Dash & Logger 0.2.0\nECU software 42\nCapture Date: Tue Dec 08 16:27:44 UTC 2026");
    EXPECT_EQ(mlg_.dataBegin, mlg_.infoStart + mlg_.info.size() + 1);
    EXPECT_TRUE(mlg_.infoEndsInNul);
}

TEST_F(MlgReadBack, FieldDescriptors) {
    ASSERT_EQ(mlg_.fields.size(), static_cast<std::size_t>(kCols));
    struct Expected {
        int type;
        const char* name;
        const char* units;
        int display;
        float scale;
        int digits;
    };
    const Expected expected[kCols] = {
        {4, "Time", "s", 0, 0.001f, 3},
        {6, "Clock", "", 3, 1, 0},
        {7, "MAP", "inHg", 0, 1, 1},
        {7, "RPM", "1/min", 0, 1, 2},  // kAsStored: the float is kept, two digits shown
        {7, "AFR", "AFR", 0, 1, 2},
        {0, "Outputs", "", 1, 1, 0},
        {0, "Fan", "", 4, 1, 0},
        // Cut to leave a NUL in the field: 33 and 9 bytes.
        {7, "Manifold absolute pressure in kil", "kPa absol", 0, 1, 2},
        // "degrees \u00B0F" is cut before the two-byte degree sign, not inside it.
        {7, "EngineTemp", "degrees ", 0, 1, 1},
    };
    for (int i = 0; i < kCols; ++i) {
        SCOPED_TRACE(expected[i].name);
        const Field& f = mlg_.fields[static_cast<std::size_t>(i)];
        EXPECT_EQ(f.type, expected[i].type);
        EXPECT_EQ(f.name, expected[i].name);
        EXPECT_EQ(f.units, expected[i].units);
        EXPECT_EQ(f.display, expected[i].display);
        EXPECT_EQ(f.scale, expected[i].scale);
        EXPECT_EQ(f.transform, 0.0f);
        EXPECT_EQ(f.digits, expected[i].digits);
    }
}

TEST_F(MlgReadBack, OneBlockPerItemWithCounterTimeStampAndChecksum) {
    ASSERT_EQ(mlg_.blocks.size(), items_.size());
    ASSERT_GT(items_.size(), 256u);
    unsigned stampWraps = 0;
    for (std::size_t k = 0; k < items_.size(); ++k) {
        SCOPED_TRACE("block " + std::to_string(k));
        const Block& block = mlg_.blocks[k];
        const LogItem& item = items_[k];
        EXPECT_EQ(block.kind, item.kind == LogItem::Row ? 0 : 1);
        EXPECT_EQ(block.counter, static_cast<int>(k % 256));
        const double seconds = item.kind == LogItem::Row ? item.row.values[0] : item.marker.seconds;
        // Time to the nearest ms, counted in 10 us steps modulo 65536.
        const int64_t ms = std::llround(seconds * 1000);
        EXPECT_EQ(block.stamp, static_cast<unsigned>((ms * 100) % 65536));
        if (k > 0 && block.stamp < mlg_.blocks[k - 1].stamp) ++stampWraps;
        if (block.kind == 0) {
            EXPECT_EQ(block.checksum, block.valueSum);
        }
    }
    EXPECT_GE(stampWraps, 15u);  // 12 s of log / 0.65536 s
}

TEST_F(MlgReadBack, ValuesWithinTheirFieldsScale) {
    ASSERT_EQ(mlg_.blocks.size(), items_.size());
    for (std::size_t k = 0; k < items_.size(); ++k) {
        const LogItem& item = items_[k];
        if (item.kind != LogItem::Row || item.row.separator) continue;
        SCOPED_TRACE("block " + std::to_string(k));
        const Block& block = mlg_.blocks[k];
        const std::vector<double>& v = item.row.values;
        ASSERT_EQ(block.shown.size(), static_cast<std::size_t>(kCols));

        EXPECT_EQ(block.raw[kTime], std::llround(v[kTime] * 1000));
        // Half a step of 1 ms, plus what a scale of 0.001 stored as f32 adds.
        EXPECT_NEAR(block.shown[kTime], v[kTime], 0.0005 + v[kTime] * 1e-7);
        // A missing value in an integer field is 0.
        for (int c : {kClock, kOutputs, kFan}) {
            const double expected = v[static_cast<std::size_t>(c)];
            EXPECT_EQ(block.raw[static_cast<std::size_t>(c)],
                      isMissing(expected) ? 0 : static_cast<int64_t>(expected))
                << "column " << c;
        }
        for (int c : {kMap, kRpm, kAfr, kLongName, kTemp}) {
            SCOPED_TRACE("column " + std::to_string(c));
            if (isMissing(v[static_cast<std::size_t>(c)])) {
                EXPECT_TRUE(std::isnan(block.floats[static_cast<std::size_t>(c)]));
            } else {
                EXPECT_EQ(block.floats[static_cast<std::size_t>(c)],
                          static_cast<float>(v[static_cast<std::size_t>(c)]));
            }
        }
    }
}

TEST_F(MlgReadBack, SeparatorIsADataBlockWithItsTimeAndNoValues) {
    std::size_t found = 0;
    for (std::size_t k = 0; k < items_.size(); ++k) {
        if (items_[k].kind != LogItem::Row || !items_[k].row.separator) continue;
        ++found;
        const Block& block = mlg_.blocks[k];
        ASSERT_EQ(block.kind, 0);
        EXPECT_EQ(block.raw[kTime], std::llround(items_[k].row.values[0] * 1000));
        EXPECT_EQ(block.raw[kTime], mlg_.blocks[k - 1].raw[kTime]);  // the row before it
        for (int c : {kMap, kRpm, kAfr, kLongName, kTemp})
            EXPECT_TRUE(std::isnan(block.floats[static_cast<std::size_t>(c)]));
        for (int c : {kClock, kOutputs, kFan})
            EXPECT_EQ(block.raw[static_cast<std::size_t>(c)], 0);
    }
    EXPECT_EQ(found, 1u);
}

TEST_F(MlgReadBack, MarkerMessagesNulPaddedAndCut) {
    std::vector<std::string> messages;
    for (std::size_t k = 0; k < items_.size(); ++k) {
        if (items_[k].kind != LogItem::Marker) continue;
        const std::vector<unsigned char>& m = mlg_.blocks[k].message;
        ASSERT_EQ(m.size(), 50u);
        const std::string text(m.begin(), m.end());
        const std::size_t nul = text.find('\0');
        ASSERT_NE(nul, std::string::npos) << "the message has no NUL";
        EXPECT_EQ(text.find_first_not_of('\0', nul), std::string::npos) << "bytes after the NUL are not NULs";
        messages.push_back(text.substr(0, nul));
    }
    const std::vector<std::string> expected = {"engine started", "pulled in 3rd", kLongText.substr(0, 49),
                                               "end"};
    EXPECT_EQ(messages, expected);
}

// ---- Headers the format cannot hold, and write errors

TEST(MlgWriter, RefusesHeadersTheFormatCannotHold) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    {
        MlgWriter writer(file);
        EXPECT_FALSE(writer.begin(LogHeader{}));
        EXPECT_EQ(writer.error(), EINVAL);
        EXPECT_FALSE(writer.row(LogRow{{1.0}}));
    }
    {
        // 1200 descriptors put the information text past a 16-bit offset.
        LogHeader wide;
        wide.columns.assign(1200, column("X", "", 0));
        MlgWriter writer(file);
        EXPECT_FALSE(writer.begin(wide));
    }
    {
        // 1191 descriptors still fit.
        LogHeader wide;
        wide.columns.assign(1191, column("X", "", 0));
        MlgWriter writer(file);
        EXPECT_TRUE(writer.begin(wide));
        EXPECT_TRUE(writer.finish());
    }
    std::fclose(file);
}

TEST(MlgWriter, AFullDiskFailsTheWriteWithItsErrno) {
    std::FILE* full = std::fopen("/dev/full", "wb");
    if (full == nullptr) GTEST_SKIP() << "no /dev/full";
    MlgWriter writer(full);
    bool ok = writer.begin(variedHeader());
    for (int i = 0; ok && i < 100000; ++i)
        ok = writer.row(LogRow{std::vector<double>(kCols, 1.0)});
    if (ok) ok = writer.finish();
    EXPECT_FALSE(ok);
    EXPECT_EQ(writer.error(), ENOSPC);
    errno = 0;
    EXPECT_FALSE(writer.marker(LogMarker{}));
    EXPECT_EQ(errno, ENOSPC);
    std::fclose(full);
}

}  // namespace
}  // namespace kvr
