// CSV export: the header row with units, the cells of each column style,
// separator rows, markers joined to the row before them, RFC 4180 quoting,
// local times, and '.' as the decimal point under a comma-decimal locale.
#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "dashboard/datalog/csv_writer.h"
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

LogHeader testHeader() {
    LogHeader h;
    h.startUnixMs = kStart;
    h.columns = {column("Time", "s", 3),
                 column("Clock", "ms", 0, ColumnStyle::UnixMs),
                 column("MAP", "inHg", 1),
                 column("Temp, engine",
                        "\xC2\xB0"
                        "F",
                        0),
                 column("Outputs", "", 0, ColumnStyle::Hex),
                 column("Fan", "", 0, ColumnStyle::OnOff)};
    return h;
}

LogItem rowItem(std::vector<double> values, bool separator = false) {
    LogItem item;
    item.row.values = std::move(values);
    item.row.separator = separator;
    return item;
}

LogItem markerItem(double seconds, const char* text) {
    LogItem item;
    item.kind = LogItem::Marker;
    item.marker.seconds = seconds;
    item.marker.text = text;
    return item;
}

std::string csvText(const LogHeader& header, const std::vector<LogItem>& items) {
    std::FILE* file = std::tmpfile();
    if (file == nullptr) return "no temporary file";
    CsvWriter writer(file);
    bool ok = writer.begin(header);
    for (const LogItem& item : items)
        ok = ok && writer.item(item);
    ok = ok && writer.finish();
    std::string text;
    std::rewind(file);
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        text.append(chunk, n);
    std::fclose(file);
    return ok ? text : "the writer failed";
}

// Sets the time zone for one test and puts the old one back.
class TimeZone {
public:
    explicit TimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) {
            old_ = old;
            hadOld_ = true;
        }
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~TimeZone() {
        if (hadOld_)
            ::setenv("TZ", old_.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    std::string old_;
    bool hadOld_ = false;
};

// Rows with every kind of cell: a date, negative and rounded numbers,
// missing values, hex bytes of one, two and three digits, on/off flags.
std::vector<LogItem> styledRows() {
    return {rowItem({0.0004, static_cast<double>(kStart), -16.96, 180.6, 134, 1}),
            rowItem({0.04, static_cast<double>(kStart + 40), kMissing, kMissing, 5, 0}),
            rowItem({0.08, kMissing, -17.04, 181, 300, 2})};
}

const char* const kStyledHeaderRow =
    "Time (s),Clock (local time),MAP (inHg),\"Temp, engine (\xC2\xB0"
    "F)\",Outputs,Fan,Marker\n";
const char* const kStyledRows =
    "0.000,2026-12-08T16:27:44.123,-17.0,181,0x86,1,\n"
    "0.040,2026-12-08T16:27:44.163,,,0x05,0,\n"
    "0.080,,-17.0,181,0x12C,1,\n";

TEST(CsvWriter, HeaderRowAndEveryStyleOfCell) {
    const TimeZone utc("UTC");
    EXPECT_EQ(csvText(testHeader(), styledRows()), std::string(kStyledHeaderRow) + kStyledRows);

    LogHeader plain;
    plain.columns = {column("Time", "", 3), column("RPM", "", kAsStored)};
    EXPECT_EQ(csvText(plain, {rowItem({1.0, 812.25}), rowItem({1.04, 0.1f})}),
              "Time,RPM,Marker\n1.000,812.25,\n1.040,0.1,\n");
}

TEST(CsvWriter, ClockColumnsInTheLocalTimeZone) {
    const LogHeader h = testHeader();
    const std::vector<LogItem> rows = {rowItem({0, static_cast<double>(kStart), 0, 0, 0, 0}),
                                       rowItem({0, -1.0, 0, 0, 0, 0})};
    {
        const TimeZone eastern("EST5");
        EXPECT_EQ(csvText(h, rows), std::string(kStyledHeaderRow) +
                                        "0.000,2026-12-08T11:27:44.123,0.0,0,0x00,0,\n"
                                        "0.000,1969-12-31T18:59:59.999,0.0,0,0x00,0,\n");
    }
    {
        const TimeZone utc("UTC");
        EXPECT_EQ(csvText(h, {rows[1]}),
                  std::string(kStyledHeaderRow) + "0.000,1969-12-31T23:59:59.999,0.0,0,0x00,0,\n");
    }
}

TEST(CsvWriter, SeparatorRowsKeepOnlyTheirTime) {
    const TimeZone utc("UTC");
    std::vector<LogItem> items = styledRows();
    items.insert(items.begin() + 1, rowItem({0.0004, 1, 2, 3, 4, 5}, true));
    items.insert(items.begin() + 2, rowItem({0.0004}, true));
    EXPECT_EQ(csvText(testHeader(), items), std::string(kStyledHeaderRow) +
                                                "0.000,2026-12-08T16:27:44.123,-17.0,181,0x86,1,\n"
                                                "0.000,,,,,,\n"
                                                "0.000,,,,,,\n"
                                                "0.040,2026-12-08T16:27:44.163,,,0x05,0,\n"
                                                "0.080,,-17.0,181,0x12C,1,\n");
}

TEST(CsvWriter, MarkersJoinTheRowBeforeThemAndAreQuotedWhenNeeded) {
    LogHeader h;
    h.columns = {column("Time", "s", 3), column("RPM", "1/min", 0)};
    const std::vector<LogItem> items = {markerItem(0.5, "started"),
                                        markerItem(0.5, "idle"),
                                        rowItem({1.0, 800}),
                                        markerItem(1.0, "pulled in 3rd"),
                                        markerItem(1.0, "AFR \"lean\", check"),
                                        rowItem({1.04, 810}),
                                        rowItem({1.08, 820}),
                                        markerItem(1.08, "two\nlines")};
    EXPECT_EQ(csvText(h, items),
              "Time (s),RPM (1/min),Marker\n"
              "0.500,,started; idle\n"
              "1.000,800,\"pulled in 3rd; AFR \"\"lean\"\", check\"\n"
              "1.040,810,\n"
              "1.080,820,\"two\nlines\"\n");
}

TEST(CsvWriter, PointAsDecimalSeparatorUnderACommaLocale) {
    const std::string old = std::setlocale(LC_ALL, nullptr);
    const char* set = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"})
        if ((set = std::setlocale(LC_ALL, name)) != nullptr) break;
    if (set == nullptr) GTEST_SKIP() << "no German locale on this machine";
    ASSERT_EQ(std::localeconv()->decimal_point, std::string(","));

    {
        const TimeZone utc("UTC");
        EXPECT_EQ(csvText(testHeader(), styledRows()), std::string(kStyledHeaderRow) + kStyledRows);
    }
    std::string msl;
    appendMslRow(msl, styledRows()[0].row, testHeader().columns);
    EXPECT_EQ(msl, "0.000\t1796747264123\t-17.0\t181\t134\t1\n");
    std::setlocale(LC_ALL, old.c_str());
}

TEST(CsvWriter, AFullDiskFailsTheWriteWithItsErrno) {
    std::FILE* full = std::fopen("/dev/full", "wb");
    if (full == nullptr) GTEST_SKIP() << "no /dev/full";
    CsvWriter writer(full);
    bool ok = writer.begin(testHeader());
    for (int i = 0; ok && i < 100000; ++i)
        ok = writer.row(rowItem({i * 0.04, 0, 1, 2, 3, 4}).row);
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
