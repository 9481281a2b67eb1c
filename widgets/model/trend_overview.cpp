#include "widgets/model/trend_overview.h"

#include <algorithm>

namespace kvr {

namespace {

// floor(a * b / c) for non-negative a, b and positive c, in 64 bits: a log
// holds at most 2^31 records and a strip some thousands of columns.
int64_t scaled(int64_t a, int64_t b, int64_t c) { return a * b / c; }

}  // namespace

int OverviewMap::columnOf(int64_t record) const {
    if (empty()) return 0;
    record = std::clamp<int64_t>(record, 0, records - 1);
    return static_cast<int>(scaled(record, width, records));
}

int64_t OverviewMap::firstRecordIn(int column) const {
    if (empty()) return 0;
    column = std::clamp(column, 0, width);
    // ceil(column * records / width)
    return (int64_t{column} * records + width - 1) / width;
}

int64_t OverviewMap::recordAt(int column) const {
    if (empty()) return 0;
    column = std::clamp(column, 0, width - 1);
    // With at least one record per column every column holds a first record
    // of its own; with fewer, a column is part of one record's columns.
    if (records >= width) return firstRecordIn(column);
    return scaled(column, records, width);
}

OverviewWindow overviewWindow(const OverviewMap& map, int64_t firstShown, int64_t lastShown) {
    OverviewWindow w;
    if (map.empty() || lastShown < firstShown || lastShown < 0 || firstShown >= map.records) return w;
    firstShown = std::max<int64_t>(firstShown, 0);
    lastShown = std::min<int64_t>(lastShown, map.records - 1);
    w.left = map.columnOf(firstShown);
    // The last record's columns run up to where the next record's start.
    const int64_t nextStart = lastShown + 1 >= map.records ? map.width : scaled(lastShown + 1, map.width, map.records);
    w.right = static_cast<int>(std::max<int64_t>(map.columnOf(lastShown), nextStart - 1));
    w.right = std::clamp(w.right, w.left, map.width - 1);
    return w;
}

OverviewGrip overviewGripAt(const OverviewWindow& window, int column, int edgeSlop) {
    if (window.empty()) return OverviewGrip::jump;
    const bool inside = column >= window.left && column <= window.right;
    const bool wide = window.width() >= 3 * edgeSlop;
    const bool nearLeft = column >= window.left - edgeSlop && column <= window.left + edgeSlop;
    const bool nearRight = column >= window.right - edgeSlop && column <= window.right + edgeSlop;
    // A narrow window's inside is for moving it; its edges are then taken
    // from just outside it.
    if (nearLeft && (wide || column < window.left)) return OverviewGrip::leftEdge;
    if (nearRight && (wide || column > window.right)) return OverviewGrip::rightEdge;
    return inside ? OverviewGrip::move : OverviewGrip::jump;
}

void OverviewEnvelope::merge(OverviewColumn& into, const OverviewColumn& from) {
    into.separator = into.separator || from.separator;
    if (!from.samples) return;
    for (std::size_t c = 0; c < into.low.size(); ++c) {
        into.low[c] = into.samples ? std::min(into.low[c], from.low[c]) : from.low[c];
        into.high[c] = into.samples ? std::max(into.high[c], from.high[c]) : from.high[c];
    }
    into.samples = true;
}

void OverviewEnvelope::mergeRecord(OverviewColumn& into, const TrendRecord& record) {
    // A separator carries the digits before the break; it adds no values.
    if (record.isSeparator()) {
        into.separator = true;
        return;
    }
    OverviewColumn one;
    one.samples = true;
    one.low = one.high = record.digits;
    merge(into, one);
}

void OverviewEnvelope::addRecord(const TrendRecord& record) {
    if (summarised_ % kBlockRecords == 0) blocks_.emplace_back();
    mergeRecord(blocks_.back().sum, record);
    lastTime_ = record.time;
    ++summarised_;
}

void OverviewEnvelope::sync(const TrendStore& store) {
    const int64_t count = store.count();
    const bool replaced = count < summarised_ ||
                          (summarised_ > 0 && (store.at(0).time != firstTime_ ||
                                               store.at(static_cast<int>(summarised_ - 1)).time != lastTime_));
    if (replaced) {
        blocks_.clear();
        summarised_ = 0;
    }
    if (count == 0) return;
    if (summarised_ == 0) firstTime_ = store.at(0).time;
    const auto& records = store.records();
    for (auto it = records.begin() + summarised_; it != records.end(); ++it) addRecord(*it);
}

std::vector<OverviewColumn> OverviewEnvelope::columns(const TrendStore& store, int width) const {
    const OverviewMap map{std::min<int64_t>(store.count(), summarised_), width};
    std::vector<OverviewColumn> out(static_cast<std::size_t>(std::max(0, width)));
    if (map.empty()) return out;
    const auto& records = store.records();
    auto raw = [&](OverviewColumn& col, int64_t from, int64_t to) {
        for (int64_t i = from; i < to; ++i) mergeRecord(col, records[static_cast<std::size_t>(i)]);
    };
    for (int c = 0; c < width; ++c) {
        OverviewColumn& col = out[static_cast<std::size_t>(c)];
        int64_t from = map.firstRecordIn(c);
        int64_t to = map.firstRecordIn(c + 1);
        if (from >= to) {
            // Fewer records than columns: the column shows the record it is part of.
            from = map.recordAt(c);
            to = from + 1;
        }
        const int64_t firstBlock = (from + kBlockRecords - 1) / kBlockRecords;
        const int64_t endBlock = to / kBlockRecords;  // blocks wholly before `to`
        if (endBlock <= firstBlock) {
            raw(col, from, to);
            continue;
        }
        raw(col, from, firstBlock * kBlockRecords);
        for (int64_t b = firstBlock; b < endBlock; ++b) merge(col, blocks_[static_cast<std::size_t>(b)].sum);
        raw(col, endBlock * kBlockRecords, to);
    }
    return out;
}

}  // namespace kvr
