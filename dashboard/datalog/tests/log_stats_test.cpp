// Per-column minimum, mean and maximum: missing values and separator rows
// are left out, and the table kvrtool prints of them.
#include <gtest/gtest.h>

#include <vector>

#include "dashboard/datalog/log_stats.h"

namespace kvr {
namespace {

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
    h.columns = {column("Time", "s", 3), column("MAP", "inHg", 1), column("AFR", "", 2),
                 column("Outputs", "", 0, ColumnStyle::Hex), column("Knock", "", 0)};
    return h;
}

LogRow row(std::vector<double> values, bool separator = false) {
    LogRow r;
    r.values = std::move(values);
    r.separator = separator;
    return r;
}

LogStats statsOf(const LogHeader& header, const std::vector<LogRow>& rows) {
    LogStats stats;
    stats.begin(header);
    for (const LogRow& r : rows)
        stats.add(r);
    return stats;
}

// MAP is negative throughout, so a minimum or maximum that starts from 0
// shows; AFR is missing in two rows; a separator carries values that must
// not count; the last row is short; Knock never has a value.
const std::vector<LogRow> kRows = {
    row({0.5, -17.0, 14.7, 0x86, kMissing}),
    row({0.54, -16.0, kMissing, 0x80, kMissing}),
    row({0.54, -99.0, 99.0, 0xFF, 7.0}, true),
    row({0.58, -18.5, kMissing, 0x01, kMissing}),
    row({2.5, -16.5, 15.3}),
};

TEST(LogStats, MinimumMeanAndMaximumSkipMissingValuesAndSeparators) {
    const LogStats stats = statsOf(testHeader(), kRows);
    const std::vector<ColumnStats>& c = stats.columns();
    ASSERT_EQ(c.size(), 5u);

    EXPECT_EQ(c[0].count, 4);
    EXPECT_DOUBLE_EQ(c[0].min, 0.5);
    EXPECT_DOUBLE_EQ(c[0].max, 2.5);

    EXPECT_EQ(c[1].count, 4);
    EXPECT_DOUBLE_EQ(c[1].min, -18.5);
    EXPECT_DOUBLE_EQ(c[1].max, -16.0);
    EXPECT_DOUBLE_EQ(c[1].mean(), -17.0);

    EXPECT_EQ(c[2].count, 2);
    EXPECT_DOUBLE_EQ(c[2].min, 14.7);
    EXPECT_DOUBLE_EQ(c[2].max, 15.3);
    EXPECT_DOUBLE_EQ(c[2].mean(), 15.0);

    EXPECT_EQ(c[3].count, 3);
    EXPECT_DOUBLE_EQ(c[3].max, 0x86);

    EXPECT_EQ(c[4].count, 0);
    EXPECT_TRUE(isMissing(c[4].mean()));
}

TEST(LogStats, BeginStartsOver) {
    LogStats stats = statsOf(testHeader(), kRows);
    LogHeader two;
    two.columns = {column("Time", "s", 3), column("RPM", "1/min", 0)};
    stats.begin(two);
    ASSERT_EQ(stats.columns().size(), 2u);
    EXPECT_EQ(stats.columns()[0].count, 0);
    stats.add(row({3.0, 900, 1234}));
    EXPECT_EQ(stats.columns()[1].count, 1);
    EXPECT_DOUBLE_EQ(stats.columns()[1].min, 900);
    EXPECT_DOUBLE_EQ(stats.columns()[1].max, 900);
}

TEST(LogStats, TableAlignedWithEachColumnsDigits) {
    // AFR as stored: its mean is as short as a float allows, not one digit more.
    LogHeader h = testHeader();
    h.columns[1].unit =
        "\xC2\xB0"
        "C";  // two bytes, one character wide
    h.columns[2].digits = kAsStored;
    EXPECT_EQ(statsText(h, statsOf(h, kRows)),
              "column   unit  count    min    mean    max\n"
              "Time     s         4  0.500  1.0300  2.500\n"
              "MAP      \xC2\xB0"
              "C        4  -18.5  -17.00  -16.0\n"
              "AFR                2   14.7      15   15.3\n"
              "Outputs            3      1    87.7    134\n"
              "Knock              0      -       -      -\n");
}

}  // namespace
}  // namespace kvr
