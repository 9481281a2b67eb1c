#include "dashboard/datalog/log_stats.h"

#include <algorithm>
#include <array>

#include "dashboard/datalog/log_text.h"

namespace kvr {

namespace {

constexpr int kTimeDigits = 3;
constexpr std::size_t kTableColumns = 6;
using TableLine = std::array<std::string, kTableColumns>;

// Characters on screen: UTF-8 continuation bytes take no room of their own.
std::size_t shownWidth(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string numberText(double value, int digits) {
    std::string text;
    appendFixed(text, value, digits);
    return text.empty() ? "-" : text;
}

TableLine statsLine(const LogColumn& column, const ColumnStats& stats, bool isTime) {
    int digits = isTime ? kTimeDigits : column.style == ColumnStyle::Number ? column.digits : 0;
    if (digits < 0) digits = kAsStored;
    if (stats.count == 0) return {column.name, column.unit, "0", "-", "-", "-"};
    return {column.name,
            column.unit,
            std::to_string(stats.count),
            numberText(stats.min, digits),
            numberText(stats.mean(), digits == kAsStored ? kAsStored : digits + 1),
            numberText(stats.max, digits)};
}

}  // namespace

double ColumnStats::mean() const { return count > 0 ? sum / static_cast<double>(count) : kMissing; }

void LogStats::begin(const LogHeader& header) { columns_.assign(header.columns.size(), ColumnStats{}); }

void LogStats::add(const LogRow& row) {
    if (row.separator) return;
    const std::size_t n = std::min(row.values.size(), columns_.size());
    for (std::size_t i = 0; i < n; ++i) {
        const double v = row.values[i];
        if (isMissing(v)) continue;
        ColumnStats& c = columns_[i];
        if (c.count == 0 || v < c.min) c.min = v;
        if (c.count == 0 || v > c.max) c.max = v;
        c.sum += v;
        ++c.count;
    }
}

std::string statsText(const LogHeader& header, const LogStats& stats) {
    std::vector<TableLine> lines = {{"column", "unit", "count", "min", "mean", "max"}};
    const std::size_t n = std::min(header.columns.size(), stats.columns().size());
    for (std::size_t i = 0; i < n; ++i)
        lines.push_back(statsLine(header.columns[i], stats.columns()[i], i == 0));

    std::array<std::size_t, kTableColumns> widths{};
    for (const TableLine& line : lines)
        for (std::size_t c = 0; c < kTableColumns; ++c)
            widths[c] = std::max(widths[c], shownWidth(line[c]));

    std::string text;
    for (const TableLine& line : lines) {
        std::string row;
        for (std::size_t c = 0; c < kTableColumns; ++c) {
            const std::string& cell = line[c];
            const std::size_t pad = widths[c] - shownWidth(cell);
            if (c > 0) row += "  ";
            if (c < 2) {
                row += cell;
                row.append(pad, ' ');
            } else {
                row.append(pad, ' ');
                row += cell;
            }
        }
        while (!row.empty() && row.back() == ' ')
            row.pop_back();
        text += row + '\n';
    }
    return text;
}

}  // namespace kvr
