// MSL text: the header, row and marker lines the live writer emits, a log
// written and read back, and the reader on other programs' files, damaged
// files and files that are not MSL logs.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "dashboard/datalog/msl_format.h"

namespace kvr {
namespace {

constexpr int64_t kStart = 1796747264123;  // 2026-12-08T16:27:44.123Z

LogColumn column(const char* name, const char* unit, int digits, ColumnStyle style = ColumnStyle::Number) {
    LogColumn c;
    c.name = name;
    c.unit = unit;
    c.digits = digits;
    c.style = style;
    return c;
}

enum Col { kTime, kClock, kMap, kRpm, kAfr, kOutputs, kFan, kCols };

LogHeader testHeader() {
    LogHeader h;
    h.startUnixMs = kStart;
    h.info = {"KVR Dash & Logger 0.2.0", "ECU software 42"};
    h.columns = {column("Time", "s", 3),
                 column("Clock", "ms", 0, ColumnStyle::UnixMs),
                 column("MAP", "inHg", 1),
                 column("RPM", "1/min", 0),
                 column("AFR", "", 2),
                 column("Outputs", "", 0, ColumnStyle::Hex),
                 column("Fan", "", 0, ColumnStyle::OnOff)};
    return h;
}

LogRow row(std::vector<double> values, bool separator = false) {
    LogRow r;
    r.values = std::move(values);
    r.separator = separator;
    return r;
}

// A file holding `bytes`, rewound, closed when the test ends.
class TextFile {
public:
    explicit TextFile(const std::string& bytes) : file_(std::tmpfile()) {
        if (file_ == nullptr) return;
        std::fwrite(bytes.data(), 1, bytes.size(), file_);
        std::rewind(file_);
    }
    TextFile() : file_(std::tmpfile()) {}
    ~TextFile() {
        if (file_ != nullptr) std::fclose(file_);
    }
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;
    std::FILE* get() const { return file_; }

private:
    std::FILE* file_;
};

std::vector<LogItem> readAll(LogReader& reader) {
    std::vector<LogItem> items;
    for (LogItem item; reader.next(item);)
        items.push_back(item);
    return items;
}

std::vector<double> rowValues(const std::vector<LogItem>& items, std::size_t index) {
    std::vector<double> values;
    std::size_t seen = 0;
    for (const LogItem& item : items)
        if (item.kind == LogItem::Row && seen++ == index) return item.row.values;
    return values;
}

// ---- The text the live writer emits

TEST(MslText, HeaderLinesWithTheStartTimeExactToTheMillisecond) {
    LogHeader h = testHeader();
    h.info.push_back("Capture Date: a line the writer's own date replaces");
    h.info.push_back("tab\there");
    EXPECT_EQ(mslHeaderText(h),
              "\"KVR Dash & Logger 0.2.0\"\n"
              "\"ECU software 42\"\n"
              "\"tab here\"\n"
              "\"Capture Date: Tue Dec 08 16:27:44 UTC 2026\"\n"
              "\"Time 0: 2026-12-08T16:27:44.123Z\"\n"
              "Time\tClock\tMAP\tRPM\tAFR\tOutputs\tFan\n"
              "s\tms\tinHg\t1/min\t\t\t\n");

    h.startUnixMs = 0;
    h.info = {"only this"};
    h.columns.resize(2);
    EXPECT_EQ(mslHeaderText(h), "\"only this\"\nTime\tClock\ns\tms\n");
}

TEST(MslText, DatesAcrossLeapDaysAndBefore1970) {
    EXPECT_EQ(mslDateText(kStart), "Tue Dec 08 16:27:44 UTC 2026");
    EXPECT_EQ(mslDateText(1709208000000), "Thu Feb 29 12:00:00 UTC 2024");
    EXPECT_EQ(mslDateText(951868799999), "Tue Feb 29 23:59:59 UTC 2000");
    EXPECT_EQ(mslDateText(-1), "Wed Dec 31 23:59:59 UTC 1969");
}

TEST(MslText, RowsKeepEachColumnsDigitsAndNumbersOnly) {
    const LogHeader h = testHeader();
    std::string text;
    appendMslRow(text, row({12.3456, 1796747264123.0, -16.96, 1025.4, 14.705, 134, 1}), h.columns);
    // Missing values, a negative value that rounds to zero, a short row.
    appendMslRow(text, row({0.0004, kMissing, -0.04, kMissing, 14.7}), h.columns);
    appendMslRow(text, row({12.3456}, true), h.columns);
    EXPECT_EQ(text,
              "12.346\t1796747264123\t-17.0\t1025\t14.71\t134\t1\n"
              "0.000\t\t0.0\t\t14.70\t\t\n"
              "12.346\t\t\t\t\t\t\n");
}

TEST(MslText, MarkerLines) {
    EXPECT_EQ(mslMarkerLine(0, "pulled in 3rd", kStart + 17000),
              "MARK 000 - pulled in 3rd - Tue Dec 08 16:28:01 UTC 2026\n");
    EXPECT_EQ(mslMarkerLine(42, "a\tb\r\nc", 0), "MARK 042 - a b  c\n");
    EXPECT_EQ(mslMarkerLine(1234, "x", 0), "MARK 1234 - x\n");
}

TEST(MslText, FixedNumbersIgnoreNonFiniteValuesAndNegativeZero) {
    std::string text;
    appendFixed(text, -0.0001, 2);
    text += '|';
    appendFixed(text, INFINITY, 2);
    text += '|';
    appendFixed(text, -2.5e-7, 0);
    text += '|';
    appendFixed(text, -1.26, 1);
    text += '|';
    appendFixed(text, 1e20, 0);
    EXPECT_EQ(text, "0.00||0|-1.3|100000000000000000000");
}

TEST(MslText, NumbersAsStoredAreTheShortestTextOfTheirFloat) {
    auto asStored = [](double v) {
        std::string text;
        appendFixed(text, v, kAsStored);
        return text;
    };
    EXPECT_EQ(asStored(14.7f), "14.7");
    EXPECT_EQ(asStored(14.7), "14.7");
    EXPECT_EQ(asStored(800), "800");
    EXPECT_EQ(asStored(0.00001f), "0.00001");
    EXPECT_EQ(asStored(-0.0), "0");
    EXPECT_EQ(std::stod(asStored(1e300)), 1e300);  // past the float range: as a double
    for (const float f : {3.14159274f, -17.0468f, 1.0e-7f, 123456.789f, 0.1f}) {
        const std::string text = asStored(f);
        SCOPED_TRACE(text);
        EXPECT_EQ(text.find_first_of("eE"), std::string::npos);
        EXPECT_EQ(std::stof(text), f);
    }
}

// ---- Written and read back

class MslRoundTrip : public ::testing::Test {
protected:
    static constexpr int kRows = 3000;  // well past the reader's 64 KiB buffer

    void SetUp() override {
        ASSERT_NE(file_.get(), nullptr);
        items_.push_back(markerItem(0, "before the first row"));
        for (int i = 0; i < kRows; ++i) {
            const double time = i * 0.04 + 0.0004;
            std::vector<double> v(kCols);
            v[kTime] = time;
            v[kClock] = static_cast<double>(kStart + 40 * i);
            v[kMap] = i % 4 == 0 ? kMissing : -17.0 + i * 0.013;
            v[kRpm] = 800 + i * 0.7;
            v[kAfr] = i % 9 == 0 ? kMissing : 14.7 + (i % 7) * 0.013;
            v[kOutputs] = (i * 37) % 256;
            v[kFan] = i % 3 == 0;
            LogItem item;
            item.row = row(v);
            items_.push_back(item);
            if (i == 10) items_.push_back(markerItem(time, "lean - check AFR\tnow"));
            if (i == 11) items_.push_back(markerItem(time, ""));
            if (i == 1500) {
                LogItem separator;
                separator.row = row({time}, true);
                items_.push_back(separator);
            }
        }
        MslWriter writer(file_.get());
        ASSERT_TRUE(writer.begin(header_));
        for (const LogItem& item : items_)
            ASSERT_TRUE(writer.item(item));
        ASSERT_TRUE(writer.finish());
        EXPECT_EQ(writer.error(), 0);
        std::rewind(file_.get());
        std::string error;
        ASSERT_TRUE(reader_.open(file_.get(), error)) << error;
        read_ = readAll(reader_);
    }

    static LogItem markerItem(double seconds, const char* text) {
        LogItem item;
        item.kind = LogItem::Marker;
        item.marker.seconds = seconds;
        item.marker.text = text;
        return item;
    }

    LogHeader header_ = testHeader();
    std::vector<LogItem> items_;
    TextFile file_;
    MslReader reader_;
    std::vector<LogItem> read_;
};

TEST_F(MslRoundTrip, HeaderInfoAndExactStart) {
    const LogHeader& h = reader_.header();
    EXPECT_EQ(h.startUnixMs, kStart);
    EXPECT_EQ(h.info, header_.info);
    ASSERT_EQ(h.columns.size(), header_.columns.size());
    // Digits come from the rows: Hex, OnOff and clock columns are whole numbers.
    const int digits[kCols] = {3, 0, 1, 0, 2, 0, 0};
    for (int i = 0; i < kCols; ++i) {
        SCOPED_TRACE(header_.columns[i].name);
        EXPECT_EQ(h.columns[i].name, header_.columns[i].name);
        EXPECT_EQ(h.columns[i].unit, header_.columns[i].unit);
        EXPECT_EQ(h.columns[i].digits, digits[i]);
        EXPECT_EQ(h.columns[i].style, ColumnStyle::Number);
    }
    EXPECT_EQ(reader_.error(), "");
    EXPECT_EQ(reader_.note(), "");
}

TEST_F(MslRoundTrip, ValuesWithinTheirDigitsAndMissingCellsMissing) {
    ASSERT_EQ(read_.size(), items_.size());
    for (std::size_t k = 0; k < items_.size(); ++k) {
        SCOPED_TRACE("item " + std::to_string(k));
        ASSERT_EQ(read_[k].kind, items_[k].kind);
        if (items_[k].kind != LogItem::Row) continue;
        const LogRow& written = items_[k].row;
        const LogRow& back = read_[k].row;
        ASSERT_EQ(back.values.size(), static_cast<std::size_t>(kCols));
        EXPECT_FALSE(back.separator);  // rows read are plain rows
        for (int c = 0; c < kCols; ++c) {
            const double w = c < static_cast<int>(written.values.size()) && !(written.separator && c > 0)
                                 ? written.values[c]
                                 : kMissing;
            const int digits = c == kTime                                        ? 3
                               : header_.columns[c].style == ColumnStyle::Number ? header_.columns[c].digits
                                                                                 : 0;
            if (isMissing(w))
                EXPECT_TRUE(isMissing(back.values[c])) << "column " << c;
            else
                EXPECT_NEAR(back.values[c], w, 0.5 * std::pow(10.0, -digits) + 1e-9) << "column " << c;
        }
    }
}

TEST_F(MslRoundTrip, MarkersWithTheTimeOfTheRowBefore) {
    std::vector<std::pair<double, std::string>> markers;
    for (const LogItem& item : read_)
        if (item.kind == LogItem::Marker) markers.emplace_back(item.marker.seconds, item.marker.text);
    ASSERT_EQ(markers.size(), 3u);
    EXPECT_EQ(markers[0], std::make_pair(0.0, std::string("before the first row")));
    EXPECT_DOUBLE_EQ(markers[1].first, 0.400);  // row 10 at 0.4004 s, written as 0.400
    EXPECT_EQ(markers[1].second, "lean - check AFR now");
    EXPECT_DOUBLE_EQ(markers[2].first, 0.440);
    EXPECT_EQ(markers[2].second, "");
}

// ---- Reading other programs' files and damaged ones

TEST(MslReader, CrLfLinesCaptureDateAndAnotherProgramsMarkers) {
    TextFile file(
        "\"Some Other Logger 1.0\"\r\n"
        "\"Capture Date: Tue Dec 08 16:27:44 UTC 2026\"\r\n"
        "Time\tRPM\tMAP\r\n"
        "s\t1/min\tkPa\r\n"
        "0.000\t1025\t40.5\r\n"
        "MARK 000 - pulled in 3rd - Tue Dec 08 16:28:01 UTC 2026\r\n"
        "0.040\t\t41.25\r\n"
        "MARK 001 - no date\r\n");
    MslReader reader;
    std::string error;
    ASSERT_TRUE(reader.open(file.get(), error)) << error;
    const LogHeader& h = reader.header();
    EXPECT_EQ(h.startUnixMs, kStart / 1000 * 1000);  // to the second without a Time 0 line
    EXPECT_EQ(h.info, std::vector<std::string>{"Some Other Logger 1.0"});
    ASSERT_EQ(h.columns.size(), 3u);
    EXPECT_EQ(h.columns[2].name, "MAP");
    EXPECT_EQ(h.columns[2].unit, "kPa");
    EXPECT_EQ(h.columns[2].digits, 2);

    const std::vector<LogItem> items = readAll(reader);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].row.values, (std::vector<double>{0.0, 1025, 40.5}));
    EXPECT_EQ(items[1].kind, LogItem::Marker);
    EXPECT_EQ(items[1].marker.text, "pulled in 3rd");
    EXPECT_EQ(items[1].marker.seconds, 0.0);
    EXPECT_TRUE(isMissing(items[2].row.values[1]));
    EXPECT_EQ(items[2].row.values[2], 41.25);
    EXPECT_EQ(items[3].marker.text, "no date");
    EXPECT_EQ(items[3].marker.seconds, 0.04);
    EXPECT_EQ(reader.note(), "");
}

TEST(MslReader, DateLinesItCannotReadStayInformation) {
    TextFile file(
        "\"Capture Date: Tue Dec 08 16:27:44 EST 2026\"\n"
        "\"Time 0: yesterday\"\n"
        "Time\n"
        "s\n");
    MslReader reader;
    std::string error;
    ASSERT_TRUE(reader.open(file.get(), error)) << error;
    EXPECT_EQ(reader.header().startUnixMs, 0);
    EXPECT_EQ(reader.header().info,
              (std::vector<std::string>{"Capture Date: Tue Dec 08 16:27:44 EST 2026", "Time 0: yesterday"}));
    EXPECT_TRUE(readAll(reader).empty());
}

TEST(MslReader, TimeZeroWinsOverTheCaptureDateInEitherOrder) {
    for (const char* lines :
         {"\"Time 0: 2026-12-08T16:27:44.123Z\"\n\"Capture Date: Tue Dec 08 16:27:45 UTC 2026\"\n",
          "\"Capture Date: Tue Dec 08 16:27:45 UTC 2026\"\n\"Time 0: 2026-12-08T16:27:44.123Z\"\n"}) {
        SCOPED_TRACE(lines);
        TextFile file(std::string(lines) + "Time\ns\n");
        MslReader reader;
        std::string error;
        ASSERT_TRUE(reader.open(file.get(), error)) << error;
        EXPECT_EQ(reader.header().startUnixMs, kStart);
        EXPECT_TRUE(reader.header().info.empty());
    }
}

TEST(MslReader, ColumnsWithEmptyNamesAndUnitsAreKept) {
    LogHeader h;
    h.columns = {column("Time", "s", 3), column("RPM", "", 0), column("", "", 1)};
    TextFile file;
    MslWriter writer(file.get());
    ASSERT_TRUE(writer.begin(h));
    ASSERT_TRUE(writer.row(row({0.5, 900, 2.5})));
    ASSERT_TRUE(writer.finish());
    std::rewind(file.get());
    MslReader reader;
    std::string error;
    ASSERT_TRUE(reader.open(file.get(), error)) << error;
    ASSERT_EQ(reader.header().columns.size(), 3u);
    EXPECT_EQ(reader.header().columns[2].name, "");
    const std::vector<LogItem> items = readAll(reader);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].row.values, (std::vector<double>{0.5, 900, 2.5}));
}

TEST(MslReader, NoUnitsRowAndDigitsFromLaterRows) {
    TextFile file("Time\tRPM\tAFR\n0\t800\t\n0.05\t810\t14.7\n0.1\t820\t14.75\n");
    MslReader reader;
    std::string error;
    ASSERT_TRUE(reader.open(file.get(), error)) << error;
    ASSERT_EQ(reader.header().columns.size(), 3u);
    EXPECT_EQ(reader.header().columns[1].unit, "");
    EXPECT_EQ(reader.header().columns[0].digits, 2);
    EXPECT_EQ(reader.header().columns[2].digits, 2);
    const std::vector<LogItem> items = readAll(reader);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].row.values[1], 800);
    EXPECT_TRUE(isMissing(items[0].row.values[2]));
    EXPECT_EQ(items[2].row.values[2], 14.75);
}

TEST(MslReader, CutLastRowDroppedWithANote) {
    char path[] = "/tmp/kvr_msl_XXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    const std::string text = "Time\tRPM\ns\t1/min\n0.000\t800\n0.040\t810\n0.08";
    ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ::close(fd);

    MslReader reader;
    std::string error;
    ASSERT_TRUE(reader.open(path, error)) << error;
    const std::vector<LogItem> items = readAll(reader);
    ::unlink(path);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(rowValues(items, 1), (std::vector<double>{0.04, 810}));
    EXPECT_EQ(reader.note(), "the last row was cut short; 2 whole rows read");
    EXPECT_EQ(reader.error(), "");
}

TEST(MslReader, TextInNumberColumnsReadsAsMissingAndIsCounted) {
    TextFile file(
        "Time\tRPM\tAFR\ns\t1/min\t\n0.000\tabc\t14,7\n0.040\t810\t14.7\nTime\tRPM\tAFR\n0.080\t 820 "
        "\t+14.8\n");
    MslReader reader;
    std::string error;
    ASSERT_TRUE(reader.open(file.get(), error)) << error;
    const std::vector<LogItem> items = readAll(reader);
    ASSERT_EQ(items.size(), 3u);  // the repeated names row has no time
    EXPECT_TRUE(isMissing(items[0].row.values[1]));
    EXPECT_TRUE(isMissing(items[0].row.values[2]));
    EXPECT_EQ(items[1].row.values[2], 14.7);
    EXPECT_EQ(rowValues(items, 2), (std::vector<double>{0.08, 820, 14.8}));
    EXPECT_EQ(reader.note(),
              "2 cells were not numbers and were read as empty; 1 line without a time was left out");
}

TEST(MslReader, RefusesFilesThatAreNotMslLogs) {
    struct Case {
        const char* what;
        std::string bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"empty", "", "the file is empty"},
        {"binary", std::string("MLVLG\0\0\1", 8) + "Time\n", "not a text file: it holds binary data"},
        {"control bytes", "Time\x01\x02\n", "not a text file: it holds binary data"},
        {"no Time column", "RPM\tMAP\n800\t40\n", "not an MSL log: the first column is \"RPM\", not Time"},
        {"quoted lines only", "\"just a note\"\n\"another\"\n",
         "no names row: the file holds no line starting with Time"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TextFile file(c.bytes);
        MslReader reader;
        std::string error;
        EXPECT_FALSE(reader.open(file.get(), error));
        EXPECT_EQ(error, c.reason);
    }
    MslReader reader;
    std::string error;
    EXPECT_FALSE(reader.open("/nonexistent/dir/log.msl", error));
    EXPECT_EQ(error, "No such file or directory");
}

TEST(MslReader, LinesLongerThanItsBuffer) {
    const std::string longInfo(200000, 'x');
    LogHeader h;
    h.info = {longInfo};
    h.columns = {column("Time", "s", 3), column("RPM", "1/min", 0)};
    TextFile file;
    MslWriter writer(file.get());
    ASSERT_TRUE(writer.begin(h));
    ASSERT_TRUE(writer.row(row({1.5, 900})));
    ASSERT_TRUE(writer.finish());
    std::rewind(file.get());

    MslReader reader;
    std::string error;
    ASSERT_TRUE(reader.open(file.get(), error)) << error;
    EXPECT_EQ(reader.header().info, std::vector<std::string>{longInfo});
    const std::vector<LogItem> items = readAll(reader);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].row.values, (std::vector<double>{1.5, 900}));
}

TEST(MslWriter, AFullDiskFailsTheWriteWithItsErrno) {
    std::FILE* full = std::fopen("/dev/full", "wb");
    if (full == nullptr) GTEST_SKIP() << "no /dev/full";
    MslWriter writer(full);
    bool ok = writer.begin(testHeader());
    for (int i = 0; ok && i < 100000; ++i)
        ok = writer.row(row({i * 0.04, 1, 2, 3, 4, 5, 6}));
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
