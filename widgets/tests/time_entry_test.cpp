// "Go to time": the forms it reads and the record each finds, also across midnight.
#include <gtest/gtest.h>

#include "dashboard/logging/trend_store.h"
#include "widgets/model/time_entry.h"

namespace {

using kvr::TimeEntry;
constexpr double kDay = 45658;  // 2025-01-01
constexpr double kSecond = 1.0 / 86400;

// Samples `step` seconds apart from `start` (local days).
kvr::TrendStore samples(double start, int count, double step) {
    kvr::TrendStore store;
    for (int i = 0; i < count; ++i) {
        kvr::TrendRecord r;
        r.time = start + i * step * kSecond;
        store.append(r);
    }
    return store;
}

double clock(int h, int m, int s) { return ((h * 60 + m) * 60 + s) * kSecond; }

}  // namespace

TEST(TimeEntry, ReadsClockTimesDatesAndOffsets) {
    auto e = kvr::parseTimeEntry(" 12:34 ");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->kind, TimeEntry::Kind::ClockTime);
    EXPECT_EQ(e->ms, (12 * 60 + 34) * 60000);
    e = kvr::parseTimeEntry("00:05:07");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->ms, (5 * 60 + 7) * 1000);
    e = kvr::parseTimeEntry("2025-01-02 00:05");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->kind, TimeEntry::Kind::DateTime);
    EXPECT_EQ(e->day, 45659);
    EXPECT_EQ(e->ms, 5 * 60000);
    e = kvr::parseTimeEntry("2024-02-29 23:59:59");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->day, 45351);
    const std::pair<const char*, int64_t> offsets[] = {
        {"+1:30:00", 5400000}, {"+1:30", 5400000}, {"+90s", 90000}, {"+5m", 300000},
        {"+2h", 7200000},      {"+1h30m", 5400000}, {"+ 90", 90000},  {"+0s", 0},
    };
    for (const auto& [text, ms] : offsets) {
        e = kvr::parseTimeEntry(text);
        ASSERT_TRUE(e) << text;
        EXPECT_EQ(e->kind, TimeEntry::Kind::Offset) << text;
        EXPECT_EQ(e->ms, ms) << text;
    }
}

TEST(TimeEntry, RefusesWhatIsNoTime) {
    for (const char* text : {"", "  ", "12", "24:00", "12:60", "12:5", "12:30:61", "abc", "+", "+5x", "+30s5m",
                             "+1h30", "2025-13-01 10:00", "2025-02-29 10:00", "2025-1-01 10:00", "12:30:00:00",
                             "-5m"}) {
        EXPECT_FALSE(kvr::parseTimeEntry(text)) << text;
    }
}

TEST(TimeEntry, AClockTimeAfterMidnightFindsTheRecordAfterMidnight) {
    // 23:50:00 .. 00:20:00, one sample every 10 s.
    const kvr::TrendStore store = samples(kDay + clock(23, 50, 0), 181, 10);
    const kvr::TimeEntryMatch m = kvr::findTimeEntry(store, *kvr::parseTimeEntry("00:05"));
    ASSERT_EQ(m.record, 90);  // 15 minutes in
    EXPECT_FALSE(m.severalDays);
    EXPECT_NEAR(store.at(m.record).time, kDay + 1 + clock(0, 5, 0), 0.001 * kSecond);
    // Before midnight on the first day.
    EXPECT_EQ(kvr::findTimeEntry(store, *kvr::parseTimeEntry("23:55:05")).record, 31);
}

TEST(TimeEntry, TakesTheFirstSampleAtOrAfterTheTime) {
    const kvr::TrendStore store = samples(kDay + clock(12, 0, 0), 100, 10);
    EXPECT_EQ(kvr::findTimeEntry(store, *kvr::parseTimeEntry("12:00")).record, 0);
    EXPECT_EQ(kvr::findTimeEntry(store, *kvr::parseTimeEntry("12:00:01")).record, 1);
    EXPECT_EQ(kvr::findTimeEntry(store, *kvr::parseTimeEntry("12:01:40")).record, 10);
    EXPECT_EQ(kvr::findTimeEntry(store, *kvr::parseTimeEntry("+90s")).record, 9);
    EXPECT_EQ(kvr::findTimeEntry(store, *kvr::parseTimeEntry("+5m")).record, 30);
    EXPECT_EQ(kvr::findTimeEntry(store, *kvr::parseTimeEntry("2025-01-01 12:16:30")).record, 99);
}

TEST(TimeEntry, ATimeOutsideTheLogFindsNothingAndSaysWhy) {
    const kvr::TrendStore store = samples(kDay + clock(12, 0, 0), 100, 10);
    for (const char* text : {"11:59:59", "12:16:31", "+1h", "2025-01-02 12:05"}) {
        const kvr::TimeEntryMatch m = kvr::findTimeEntry(store, *kvr::parseTimeEntry(text));
        EXPECT_EQ(m.record, -1) << text;
        EXPECT_NE(m.message.find("not in the log"), std::string::npos) << text << ": " << m.message;
    }
    EXPECT_EQ(kvr::findTimeEntry(kvr::TrendStore{}, *kvr::parseTimeEntry("12:00")).record, -1);
}

TEST(TimeEntry, AClockTimeOnSeveralDaysTakesTheFirstAndSaysSo) {
    // Three days, a sample a minute.
    const kvr::TrendStore store = samples(kDay + clock(10, 0, 0), 3 * 1440, 60);
    const kvr::TimeEntryMatch m = kvr::findTimeEntry(store, *kvr::parseTimeEntry("11:00"));
    EXPECT_EQ(m.record, 60);
    EXPECT_TRUE(m.severalDays);
    EXPECT_NE(m.message.find("2025-01-01"), std::string::npos) << m.message;
    // With the date, the day asked for.
    EXPECT_EQ(kvr::findTimeEntry(store, *kvr::parseTimeEntry("2025-01-02 11:00")).record, 60 + 1440);
}

TEST(TimeEntry, SeparatorsArePassedOver) {
    kvr::TrendStore store = samples(kDay + clock(12, 0, 0), 20, 10);
    store.insertSeparators(10);  // before the sample at 12:01:40
    const int seps = kvr::TrendStore::kSeparatorsPerBreak;
    EXPECT_EQ(kvr::findTimeEntry(store, *kvr::parseTimeEntry("12:01:35")).record, 10 + seps);
    EXPECT_EQ(kvr::findTimeEntry(store, *kvr::parseTimeEntry("12:01:30")).record, 9);
    EXPECT_EQ(kvr::findTimeEntry(store, *kvr::parseTimeEntry("12:03:10")).record, 19 + seps);
}
