// A log opened in the window and read with the mouse gives the same values
// as `kvrtool csv` on that log: the cursor's eight values equal the CSV row
// of the record under it, and the read-out line under the chart is that
// row's values as the read-out writes them.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "dashboard/dashboard_core.h"
#include "dashboard/link/memory_serial_port.h"
#include "dashboard/logging/cursor_readout.h"
#include "dashboard/logging/log_files.h"
#include "dashboard/logging/trend_record.h"
#include "dashboard/ui/log_chart_tab.h"
#include "dashboard/ui/main_window.h"
#include "default_values_image.h"
#include "support/csv_rows.h"
#include "support/recording_dialogs.h"
#include "tool_process.h"
#include "widgets/ab_trend.h"

namespace {

constexpr int kRecords = 1500;
constexpr int kSeparatorAt = 300;  // five separators from here
constexpr int kWrappedAt = 820;    // digits below the range, kept as 65535

// Digits that differ from record to record and from channel to channel,
// across 0..3999 and so across and beyond each channel's range.
std::vector<kvr::TrendRecord> makeRecords() {
    std::vector<kvr::TrendRecord> records;
    for (int i = 0; i < kRecords; ++i) {
        kvr::TrendRecord r;
        r.time = 45658.5 + i * 0.1 / 86400;
        for (int ch = 0; ch < 8; ++ch)
            r.digits[ch] = static_cast<uint16_t>((i * (37 + 13 * ch) + 101 * ch) % 4000);
        records.push_back(r);
    }
    for (int k = 0; k < 5; ++k) {
        records[kSeparatorAt + k].time = kvr::kSeparatorTime;
        records[kSeparatorAt + k].digits = records[kSeparatorAt - 1].digits;
    }
    records[kWrappedAt].digits = {65535, 65535, 65535, 65535, 65535, 65535, 65535, 65535};
    return records;
}

void writeLog(const std::string& path, const std::vector<kvr::TrendRecord>& records) {
    std::string bytes;
    for (const auto& r : records) {
        unsigned char b[kvr::kTrendRecordBytes];
        kvr::encodeTrendRecord(r, b);
        bytes.append(reinterpret_cast<const char*>(b), sizeof b);
    }
    std::ofstream(path, std::ios::binary) << bytes;
}

struct Reading {
    int column;
    kvr::TVAtCursor cursor;
    std::string label;
};

// Moves the mouse over the plot at each column and takes what it shows.
std::vector<Reading> readColumns(LogChartTab& tab, const std::vector<int>& columns) {
    TAbTrend* trend = tab.chart;
    const QRect plot = trend->plotRect();
    std::vector<Reading> readings;
    for (const int column : columns) {
        QTest::mouseMove(trend, QPoint(plot.left() + column, plot.center().y()));
        QCoreApplication::processEvents();
        readings.push_back({column, trend->ValueAtCursor(), tab.cursorReadout->text().toStdString()});
    }
    return readings;
}

TEST(CsvAndCursor, KvrtoolCsvGivesTheValuesTheCursorReadOutShows) {
    char dirName[] = "/tmp/kvr-csv-cursor-XXXXXX";
    ASSERT_NE(::mkdtemp(dirName), nullptr);
    const std::string dir = dirName, base = dir + "/run";
    writeLog(base + ".KVL", makeRecords());
    std::string error;
    ASSERT_TRUE(kvr::writeValuesFile(base + ".KVV", {kvrsim::defaultValuesImage(), {"a note"}}, error)) << error;

    kvr::MemorySerialPort port;
    RecordingDialogs dialogs;
    MainWindow form(port, dialogs);
    form.resize(900, 680);
    form.show();
    form.pages->setCurrentWidget(form.logChartTab);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    LogChartTab& tab = *form.logChart;
    TAbTrend* trend = tab.chart;

    dialogs.fileAnswers = {QString::fromStdString(base + ".KVL")};
    tab.openLogButton->click();  // Open Log File
    ASSERT_TRUE(dialogs.informations.isEmpty()) << dialogs.informations.join(";").toStdString();
    ASSERT_EQ(trend->store().count(), kRecords);
    QCoreApplication::processEvents();

    // The log's values file gave the chart other ranges than a fresh one's,
    // so reading the digits against the wrong ranges would show.
    kvr::MemorySerialPort noPort;
    const kvr::DashboardCore fresh(noPort);
    int changedRanges = 0;
    for (int n = 1; n <= 8; ++n) {
        changedRanges += trend->channel(n).ValueFrom() != fresh.chartLog.channel(n - 1 + 1).ValueFrom() ||
                         trend->channel(n).ValueTo() != fresh.chartLog.channel(n - 1 + 1).ValueTo();
    }
    ASSERT_GT(changedRanges, 0);

    const int width = trend->plotRect().width();
    ASSERT_GT(width, kSeparatorAt + 10);
    const std::vector<Reading> readings = readColumns(
        tab,
        {0, 1, 2, 137, kSeparatorAt - 1, kSeparatorAt, kSeparatorAt + 4, kSeparatorAt + 5, 512, width - 1});
    const int firstBefore = trend->recorder().firstShown();
    tab.moveForwardButton->click();  // >>: the view moves on to later records
    const int firstAfter = trend->recorder().firstShown();
    ASSERT_GT(firstAfter, firstBefore);
    ASSERT_LT(kWrappedAt - firstAfter, width);
    ASSERT_GE(kWrappedAt - firstAfter, 0);
    const std::vector<Reading> later = readColumns(tab, {3, kWrappedAt - firstAfter, width - 2});

    const ToolResult csv = runTool({"csv", base + ".KVL", "--values", base + ".KVV"}, dir);
    ASSERT_EQ(csv.status, 0) << csv.err;
    const auto rows = csvRows(csv.out);
    // A header, a row a record, and one row for the five separators.
    ASSERT_EQ(rows.size(), static_cast<size_t>(kRecords + 1 - 4));
    auto rowOf = [](int record) {
        if (record < kSeparatorAt) return record + 1;
        if (record < kSeparatorAt + 5) return kSeparatorAt + 1;
        return record + 1 - 4;
    };
    // The chart channels' columns: Time, Clock, RPM, AFR, MAP, MAP kPa, then the other five.
    constexpr size_t kChannelColumn[8] = {2, 3, 4, 6, 7, 8, 9, 10};

    // The read-out gives each value with its unit, as the chart log has them.
    const kvr::ReadoutUnits units = form.core().chartLog.readoutUnits();
    EXPECT_EQ(units[0], "rpm");
    int checked = 0;
    for (const auto& [readingsOf, first] : {std::pair{&readings, firstBefore}, std::pair{&later, firstAfter}}) {
        for (const Reading& r : *readingsOf) {
            SCOPED_TRACE("column " + std::to_string(r.column) + " from record " + std::to_string(first));
            ASSERT_EQ(r.cursor.RecordNo, first + r.column) << "the mouse did not reach the column";
            const std::vector<std::string>& row = rows[static_cast<size_t>(rowOf(r.cursor.RecordNo))];
            ASSERT_GE(row.size(), 11u);
            // A break's row has its values empty (the cursor there shows the
            // values before it, with the time "gap").
            const bool separator = row[1].empty();
            EXPECT_EQ(separator, !r.cursor.DataValid);
            ++checked;
            if (separator) {
                for (size_t c = 1; c < 11; ++c) EXPECT_EQ(row[c], "") << "column " << c;
                EXPECT_NE(r.label.find(", TIME= gap"), std::string::npos) << r.label;
                continue;
            }
            float values[8];
            for (int n = 1; n <= 8; ++n) {
                values[n - 1] = csvNumber(row[kChannelColumn[n - 1]]);
                EXPECT_EQ(values[n - 1], r.cursor.valueCh(n)) << "channel " << n;
            }
            // The line ends in the record's time of day, as the CSV row's clock has it.
            EXPECT_EQ(r.label, kvr::cursorReadout(values, units) + ", TIME= " + row[1].substr(row[1].find('T') + 1));
        }
    }
    EXPECT_EQ(checked, 13);
    EXPECT_FALSE(readings[5].cursor.DataValid) << "the first separator";
    EXPECT_TRUE(readings[7].cursor.DataValid) << "the record after the break";
    EXPECT_NE(later[1].label.find("E+"), std::string::npos) << "65535 digits read far out of range";
    std::system(("rm -rf " + dir).c_str());
}

}  // namespace
