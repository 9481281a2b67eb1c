#include "dashboard/datalog/chart_store_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "widgets/model/trend_recorder.h"
#include "widgets/model/trend_time.h"

namespace kvr {
namespace {

enum StoreColumn { kTime, kClock, kRpm, kMixture, kMap, kMapKpa, kIgnition, kThrottle, kAirTemp, kKnock, kDuty, kCount };

}  // namespace

ChartStoreReader::ChartStoreReader(const TrendStore& store, const TSignalSettings (&channels)[8], MapForm mapForm,
                                   std::vector<StoreMarker> markers, bool markGaps)
    : store_(store), channels_(channels), mapForm_(mapForm), markers_(std::move(markers)), markGaps_(markGaps) {
    std::stable_sort(markers_.begin(), markers_.end(),
                     [](const StoreMarker& a, const StoreMarker& b) { return a.record < b.record; });
    for (const TrendRecord& r : store_.records()) {
        if (r.isSeparator()) continue;
        firstDays_ = r.time;
        header_.startUnixMs = unixMsFromLocalDays(r.time);
        break;
    }
    const bool o2 = channels_[1].ValueUnit() == "O2V";
    header_.info.push_back("KVR Dash & Logger log chart");
    header_.columns = {
        {kTimeColumn, "s", 3, ColumnStyle::Number},
        {"Clock", "ms", 0, ColumnStyle::UnixMs},
        {"RPM", "1/min", kAsStored, ColumnStyle::Number},
        {o2 ? "O2" : "AFR", o2 ? "V" : "AFR", kAsStored, ColumnStyle::Number},
        {"MAP", mapUnit(mapForm_), kAsStored, ColumnStyle::Number},
        {"MAP kPa", "kPa", 2, ColumnStyle::Number},
        {"Ignition", "deg", kAsStored, ColumnStyle::Number},
        {"TPS", "counts", kAsStored, ColumnStyle::Number},
        {"IAT", "deg", kAsStored, ColumnStyle::Number},
        {"Knock", "counts", kAsStored, ColumnStyle::Number},
        {"Duty", "%", kAsStored, ColumnStyle::Number},
    };
}

// Seconds from the first sample, to the millisecond the file keeps.
double ChartStoreReader::secondsOf(const TrendRecord& r) const {
    return std::round((r.time - firstDays_) * 86400000.0) / 1000.0;
}

void ChartStoreReader::fillRow(const TrendRecord& r, LogRow& row) const {
    row.separator = false;
    row.values.assign(kCount, kMissing);
    double* v = row.values.data();
    v[kTime] = secondsOf(r);
    // The clock follows the first sample's zone offset: Time is exact, the
    // clock of a log that crosses a change to or from summer time is off by
    // that hour after it.
    v[kClock] = static_cast<double>(header_.startUnixMs) + std::round(v[kTime] * 1000.0);
    const int order[8] = {kRpm, kMixture, kMap, kIgnition, kThrottle, kAirTemp, kKnock, kDuty};
    for (int c = 0; c < 8; ++c) v[order[c]] = readBackValue(channels_[c], r.digits[static_cast<size_t>(c)]);
    v[kMapKpa] = mapKpaAbsolute(v[kMap], mapForm_);
}

bool ChartStoreReader::next(LogItem& item) {
    for (;;) {
        // Markers on the sample just handed out come right after it.
        if (pendingRow_ && nextMarker_ < markers_.size() && markers_[nextMarker_].record < index_) {
            item.kind = LogItem::Marker;
            item.marker = LogMarker{lastSeconds_, markers_[nextMarker_++].text};
            return true;
        }
        if (index_ >= store_.count()) {
            // Markers past the last record (none should be) go at the end.
            if (nextMarker_ < markers_.size()) {
                item.kind = LogItem::Marker;
                item.marker = LogMarker{lastSeconds_, markers_[nextMarker_++].text};
                return true;
            }
            return false;
        }
        const TrendRecord& r = store_.at(index_);
        if (r.isSeparator()) {
            ++index_;
            if (inBreak_ || !pendingRow_) continue;  // one row per break, none before the first sample
            inBreak_ = true;
            pendingGap_ = markGaps_;
            item.kind = LogItem::Row;
            item.row.separator = true;
            item.row.values.assign(kCount, kMissing);
            item.row.values[kTime] = lastSeconds_;
            return true;
        }
        if (pendingGap_) {
            pendingGap_ = false;
            char text[48];
            std::snprintf(text, sizeof text, "gap: %.1f s", secondsOf(r) - lastSeconds_);
            item.kind = LogItem::Marker;
            item.marker = LogMarker{lastSeconds_, text};
            return true;
        }
        inBreak_ = false;
        pendingRow_ = true;
        ++index_;
        item.kind = LogItem::Row;
        fillRow(r, item.row);
        lastSeconds_ = item.row.values[kTime];
        return true;
    }
}

}  // namespace kvr
