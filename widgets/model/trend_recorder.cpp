#include "widgets/model/trend_recorder.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <stdexcept>

#include "dashboard/logging/trend_file.h"
#include "widgets/model/trend_geometry.h"

namespace kvr {

namespace {

constexpr std::array<uint32_t, kTrendChannels> kDefaultColors = {
    0xFF0000, 0x00FF00, 0xFFFFFF, 0x00FFFF, 0x808080, 0x0000FF, 0xFFFF00, 0x800080,
};

// No column the mouse can reach, so the first move always counts.
constexpr int kNoCursorColumn = INT_MIN;

}  // namespace

float TVAtCursor::valueCh(int channel) const {
    const float fields[kTrendChannels] = {ValueCh1, ValueCh2, ValueCh3, ValueCh4,
                                          ValueCh5, ValueCh6, ValueCh7, ValueCh8};
    if (channel < 1 || channel > kTrendChannels) throw std::out_of_range("trend channel number");
    return fields[channel - 1];
}

float& TVAtCursor::valueCh(int channel) {
    float* const fields[kTrendChannels] = {&ValueCh1, &ValueCh2, &ValueCh3, &ValueCh4,
                                           &ValueCh5, &ValueCh6, &ValueCh7, &ValueCh8};
    if (channel < 1 || channel > kTrendChannels) throw std::out_of_range("trend channel number");
    return *fields[channel - 1];
}

float readBackValue(const TSignalSettings& channel, uint16_t relativeDigit) {
    return static_cast<float>(channel.ValueFrom() + relativeDigit * channel.valuePerDigit());
}

TrendRecorder::TrendRecorder(Clock now) : now_(std::move(now)), cursorColumn_(kNoCursorColumn) {
    for (int i = 0; i < kTrendChannels; ++i) {
        channels_[i].setColor(kDefaultColors[i]);
        channels_[i].onValueChange = [this] { copyCurrentDigits(); };
        channels_[i].onSettingsChange = [this] { repaint(); };
    }
    copyCurrentDigits();
    flowRecording_ = flow_ && startRecording_;
}

TChSettings& TrendRecorder::channel(int n) {
    if (n < 1 || n > kTrendChannels) throw std::out_of_range("trend channel number");
    return channels_[n - 1];
}

const TChSettings& TrendRecorder::channel(int n) const {
    return const_cast<TrendRecorder*>(this)->channel(n);
}

void TrendRecorder::copyCurrentDigits() {
    // Digits below DigitalFrom wrap round: -1 is kept as 65535.
    for (int i = 0; i < kTrendChannels; ++i)
        currentDigits_[i] = static_cast<uint16_t>(channels_[i].relativeDigit());
}

void TrendRecorder::refreshBookkeeping() {
    const int count = store_->count();
    if (count >= 2) {
        recInfo_.TotalRecords = count;
        recInfo_.FirstRecord = store_->at(0).time;
        recInfo_.LastRecord = store_->back().time;
    } else {
        recInfo_.TotalRecords = 0;
        recInfo_.FirstRecord = 0;
        recInfo_.LastRecord = 0;
    }
    if (onRecNoChanged) onRecNoChanged();
}

void TrendRecorder::repaint() {
    invalidateView();
    if (onRepaint) onRepaint();
}

template <typename T>
void TrendRecorder::setShown(T& field, T value) {
    if (field == value) return;
    field = value;
    repaint();
}

void TrendRecorder::setStartRecording(bool on) {
    startRecording_ = on;
    flowRecording_ = flow_ && startRecording_;
    if (onClockRegistration) onClockRegistration(on, interval_);
    if (on && store_->count() >= 2) InsertSeparator(store_->count() - 1);
}

void TrendRecorder::setInterval(int ms) {
    if (ms < 100 || ms == interval_) return;
    interval_ = ms;
    if (!startRecording_) return;
    if (store_->count() >= 2) InsertSeparator(store_->count() - 1);
    if (onClockRegistration) onClockRegistration(true, interval_);
}

void TrendRecorder::setInterval2(int ms) {
    if (ms >= 100) interval2_ = ms;
}

void TrendRecorder::setMaxRecords(int n) {
    if (n >= 100) maxRecords_ = n;
}

void TrendRecorder::setFlow(bool on) { setFollowing(on); }

void TrendRecorder::setFollowing(bool on) {
    const bool changed = flow_ != on;
    flow_ = on;
    flowRecording_ = flow_ && startRecording_;
    if (changed && onFollowChanged) onFollowChanged();
}

int64_t TrendRecorder::viewCapacity() const { return timeScale_.recordsStartingBefore(int64_t{plotColumns_} + 1); }

void TrendRecorder::pageToNewest() {
    // A page is a whole number of grid columns, so the grid and the time
    // labels stay put while the view follows.
    const int64_t capacity = viewCapacity();
    int64_t page = timeScale_.pixelsPerRecord > 1 ? int64_t{gridXPixel_}
                                                   : int64_t{gridXPixel_} * timeScale_.recordsPerColumn;
    // On a plot narrower than a page a whole page would jump past the
    // newest record; a plot's worth keeps it in view.
    if (page > capacity) page = capacity;
    const int64_t behind = int64_t{store_->count()} - 1 - firstShown_ - capacity + 1;
    if (behind > 0) firstShown_ += static_cast<int>((behind + page - 1) / page * page);
}

void TrendRecorder::setGridXPixel(int px) {
    if (px >= 30) setShown(gridXPixel_, px);
}

void TrendRecorder::setGridYSteps(int steps) {
    if (steps >= 1 && steps <= 10) setShown(gridYSteps_, steps);
}

void TrendRecorder::setAbsScaleCh(int ch) {
    if (ch >= 0 && ch <= kTrendChannels) setShown(absScaleCh_, ch);
}

void TrendRecorder::setLeftScaleCh(int ch) {
    if (ch >= 0 && ch <= kTrendChannels) setShown(leftScaleCh_, ch);
}

void TrendRecorder::setFillChannelNo(int ch) {
    if (ch >= 0 && ch <= kTrendChannels) setShown(fillChannelNo_, ch);
}

void TrendRecorder::setCursorLine(bool on) {
    cursorLine_ = on;
    if (!on && cursorShown_) {
        cursorShown_ = false;
        if (onRepaint) onRepaint();
    }
}

void TrendRecorder::setOptions(TTrendOptions options) { setShown(options_, options); }

void TrendRecorder::setLimitUpper(const TTrendLimit& limit) { setShown(limitUpper_, limit); }

void TrendRecorder::setLimitLower(const TTrendLimit& limit) { setShown(limitLower_, limit); }

void TrendRecorder::AddRecord(const std::function<void()>& present) {
    if (viewing_) return;
    busy_ = true;
    int count = store_->count();
    if (count - 1 >= maxRecords_ && flow_) {
        // A whole grid column goes at once, so trimming (and the full redraw
        // it causes) happens once per GridXPixel samples, not on every one.
        const int n = (count - 1) - maxRecords_ + gridXPixel_;
        if (onMaxRecords) onMaxRecords();
        store_->removeOldest(n);
        if (referenceRecord_ >= 0) {
            referenceRecord_ -= n;
            if (referenceRecord_ < 0 && onReferenceChanged) onReferenceChanged();
            referenceRecord_ = std::max(referenceRecord_, -1);
        }
        refreshBookkeeping();
        firstShown_ = 0;
        // The drawing stays, its records now numbered n lower, unless they
        // have all gone.
        if (viewValid_ && drawnFirst_ - n > -viewCapacity()) {
            drawnFirst_ -= n;
        } else {
            invalidateView();
        }
    }

    TrendRecord record;
    record.time = now_();
    record.digits = currentDigits_;
    store_->append(record);
    refreshBookkeeping();

    if (flow_) pageToNewest();
    if (present) present();
    busy_ = false;
}

void TrendRecorder::viewStore(const TrendStore& store) {
    // Only read from here on: every change to it is its owner's.
    store_ = const_cast<TrendStore*>(&store);
    viewing_ = true;
    storeChanged(StoreChange::Opened);
}

void TrendRecorder::storeChanged(StoreChange change, const std::function<void()>& present) {
    switch (change) {
    case StoreChange::Appended:
        refreshBookkeeping();
        if (flow_) pageToNewest();
        if (present) present();
        return;
    case StoreChange::Separators:  // after the newest: every index stays
        break;
    case StoreChange::Cleared:
    case StoreChange::Opened:
        firstShown_ = 0;
        clearReference();
        cursorShown_ = false;
        cursorColumn_ = kNoCursorColumn;
        valueAtCursor_.DataValid = false;
        break;
    }
    if (flow_ && change != StoreChange::Opened) pageToNewest();
    refreshBookkeeping();
    repaint();
}

void TrendRecorder::InsertSeparator(int index) {
    if (viewing_) return;
    if (!hasOption(opSeparator) || index > store_->count() - 1 || index < 1) return;
    store_->insertSeparators(index);
    if (referenceRecord_ >= index) referenceRecord_ += TrendStore::kSeparatorsPerBreak;
    refreshBookkeeping();
    repaint();
}

void TrendRecorder::Clear() {
    if (viewing_) return;
    const bool wasRecording = startRecording_;
    setStartRecording(false);
    firstShown_ = 0;
    store_->clear();
    clearReference();
    cursorShown_ = false;
    cursorColumn_ = kNoCursorColumn;
    valueAtCursor_.DataValid = false;
    repaint();
    setStartRecording(wasRecording);
    recInfo_.FirstDisplayedRec = 0;
    recInfo_.LastDisplayedRec = 0;
    refreshBookkeeping();
}

int TrendRecorder::SaveToFile(const std::string& path) const { return saveTrendFile(path, *store_); }

int TrendRecorder::LoadFromFile(const std::string& path, bool clearFirst, bool visible) {
    if (viewing_) return EROFS;
    setStartRecording(false);
    if (clearFirst) {
        firstShown_ = 0;
        store_->clear();
        clearReference();
    }
    if (store_->count() >= 2) InsertSeparator(store_->count() - 1);
    const int result = appendTrendFile(path, *store_);
    refreshBookkeeping();
    if (visible) {
        firstShown_ =
            hasOption(opShowLast) ? static_cast<int>(std::max<int64_t>(0, store_->count() - viewCapacity())) : 0;
    }
    repaint();
    return result;
}

void TrendRecorder::setZoom(long double z, bool& changed) {
    // Computed wide, stored as a float, held within 0.1 .. 10.
    if (z > 10.0L) z = 10.0L;
    if (z < 0.1L) z = 0.1L;
    const float stored = static_cast<float>(z);
    changed = stored != zoom_;
    zoom_ = stored;
    if (changed) repaint();
}

bool TrendRecorder::ZoomYIn() {
    bool changed = false;
    setZoom(static_cast<long double>(zoom_) - 0.1L, changed);
    return changed;
}

bool TrendRecorder::ZoomYOut() {
    bool changed = false;
    setZoom(static_cast<long double>(zoom_) + 0.1L, changed);
    return changed;
}

bool TrendRecorder::MoveX(int count, bool visible) {
    if (!visible) return false;
    setFollowing(false);
    const int64_t records = store_->count();
    int64_t first = static_cast<int64_t>(firstShown_) + count;
    // Past the end, a grid column's worth of the newest records stays in view.
    if (first > records - 1) first = records - 1 - timeScale_.recordsAcross(gridXPixel_);
    if (first < 0) first = 0;
    firstShown_ = static_cast<int>(first);
    repaint();
    return true;
}

void TrendRecorder::followNewest() {
    setFollowing(true);
    // As if the view had followed all along: paged from record 0.
    firstShown_ = 0;
    pageToNewest();
    repaint();
}

bool TrendRecorder::setTimeZoomLevel(int level, int anchorColumn) {
    level = std::clamp(level, 0, timeScaleLevels() - 1);
    if (level == timeZoomLevel_) return false;
    const TimeScale before = timeScale_;
    timeZoomLevel_ = level;
    timeScale_ = timeScaleAt(level);
    if (flow_) {
        firstShown_ = 0;
        pageToNewest();
    } else {
        const int64_t column = std::clamp(anchorColumn, 0, std::max(0, plotColumns_ - 1));
        const int64_t anchor = firstShown_ + before.recordAt(column);
        const int64_t first = anchor - timeScale_.recordAt(column);
        firstShown_ = static_cast<int>(std::clamp<int64_t>(first, 0, std::max(0, store_->count() - 1)));
    }
    // The cursor's record at its column is another one now.
    forgetCursorColumn();
    repaint();
    return true;
}

void TrendRecorder::forgetCursorColumn() {
    cursorColumn_ = kNoCursorColumn;
    cursorShown_ = false;
}

void TrendRecorder::readRecord(int index, TVAtCursor& out) const {
    const TrendRecord& record = store_->at(index);
    out.DataValid = !record.isSeparator();
    out.RecordNo = index;
    out.Time = record.time;
    for (int n = 1; n <= kTrendChannels; ++n) out.valueCh(n) = readBackValue(channels_[n - 1], record.digits[n - 1]);
}

bool TrendRecorder::setReference(int column) {
    if (column < 0 || column >= plotColumns_) return false;
    const int64_t index = firstShown_ + timeScale_.recordAt(column);
    if (index < 0 || index >= store_->count() || store_->at(static_cast<int>(index)).isSeparator()) return false;
    referenceRecord_ = static_cast<int>(index);
    if (onReferenceChanged) onReferenceChanged();
    return true;
}

void TrendRecorder::clearReference() {
    if (referenceRecord_ < 0) return;
    referenceRecord_ = -1;
    if (onReferenceChanged) onReferenceChanged();
}

TVAtCursor TrendRecorder::referenceValues() const {
    TVAtCursor values;
    if (hasReference()) readRecord(referenceRecord_, values);
    return values;
}

std::optional<int> TrendRecorder::referenceColumn() const {
    if (!hasReference()) return std::nullopt;
    const int64_t column = timeScale_.columnOf(int64_t{referenceRecord_} - firstShown_);
    if (column < 0 || column >= plotColumns_) return std::nullopt;
    return static_cast<int>(column);
}

bool TrendRecorder::trackCursor(int column, bool insidePlot) {
    if ((flowRecording_ && !hasOption(opCursorOnRec)) || !cursorLine_ || busy_) return false;
    if (column == cursorColumn_) return false;
    cursorColumn_ = column;
    const int64_t index = timeScale_.recordAt(column) + firstShown_;
    if (insidePlot) {
        if (index < 0 || index >= store_->count()) {
            cursorShown_ = false;
            valueAtCursor_.DataValid = false;
            return true;
        }
        cursorShown_ = true;
        readRecord(static_cast<int>(index), valueAtCursor_);
        return true;
    }
    if (!cursorShown_) return false;
    cursorShown_ = false;
    valueAtCursor_.DataValid = false;
    return true;
}

void TrendRecorder::setPlotSize(int columns, int rows) {
    if (columns == plotColumns_ && rows == plotRows_) return;
    plotColumns_ = std::max(0, columns);
    plotRows_ = std::max(0, rows);
    invalidateView();
}

TrendDrawPlan TrendRecorder::nextDraw() {
    TrendDrawPlan plan;
    plan.backgroundFrom = plotColumns_;
    const int shift = firstShown_ - drawnFirst_;
    const int64_t shiftColumns = timeScale_.columnsForShift(shift);
    if (viewValid_ && shift > 0 && shiftColumns > 0 && shiftColumns < plotColumns_ &&
        shiftColumns % gridXPixel_ == 0) {
        // Paged forward by whole grid columns: the vertical grid lines stay
        // where they are, so the drawing moves left instead of being redone.
        // The records wholly left of the uncovered columns count as drawn.
        plan.background = true;
        plan.scroll = static_cast<int>(shiftColumns);
        plan.backgroundFrom = plotColumns_ - plan.scroll;
        drawnFirst_ = firstShown_;
        drawnCount_ = static_cast<int>(std::max<int64_t>(
            0, std::min<int64_t>(drawnCount_ - shift, timeScale_.recordsWholeBefore(plan.backgroundFrom))));
    } else if (!viewValid_ || shift != 0) {
        plan.background = true;
        plan.backgroundFrom = 0;
        viewValid_ = true;
        drawnFirst_ = firstShown_;
        drawnCount_ = 0;
        layOutLanes();
    }
    // The first record right of the last column is drawn too, so a line
    // runs right up to the plot's edge.
    const int last = static_cast<int>(
        std::min<int64_t>(store_->count() - 1, firstShown_ + timeScale_.recordsStartingBefore(plotColumns_)));
    // A column that already shows some of its records needs no redrawing
    // when more come: the line goes on from the last one drawn, in the same
    // column, and so still covers the column's lowest to highest value.
    plan.from = drawnFirst_ + drawnCount_;
    plan.to = last;
    if (plan.from <= plan.to) drawnCount_ = plan.to - drawnFirst_ + 1;
    if (plan.background || plan.from <= plan.to) {
        recInfo_.FirstDisplayedRec = firstShown_;
        recInfo_.LastDisplayedRec = last;
    }
    return plan;
}

void TrendRecorder::layOutLanes() {
    int shown = 0;
    for (const TChSettings& ch : channels_) shown += ch.Visible() ? 1 : 0;
    const std::vector<Lane> lanes = stacked_ ? stackedLanes(plotRows_, shown, kLaneGap) : std::vector<Lane>{};
    std::size_t next = 0;
    for (int i = 0; i < kTrendChannels; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        lanes_[k].reset();
        if (!lanes.empty() && channels_[k].Visible()) lanes_[k] = lanes[next++];
        const int span = lanes_[k] ? lanes_[k]->span : plotSpan();
        const int32_t digits = channels_[k].digitSpan();
        if (digits != 0) pixelScales_[k] = kvr::pixelScale(span, digits);
    }
}

void TrendRecorder::setStacked(bool on) {
    if (stacked_ == on) return;
    stacked_ = on;
    repaint();
}

std::optional<Lane> TrendRecorder::laneOf(int n) const { return lanes_.at(static_cast<std::size_t>(n - 1)); }

int TrendRecorder::channelBottomRow(int n) const {
    const std::optional<Lane>& lane = lanes_.at(static_cast<std::size_t>(n - 1));
    return lane ? lane->bottom() : plotSpan();
}

int TrendRecorder::channelRow(int n, uint16_t relativeDigit) const {
    const std::optional<Lane>& lane = lanes_.at(static_cast<std::size_t>(n - 1));
    if (lane) return lane->top + kvr::channelRow(relativeDigit, pixelScales_[static_cast<std::size_t>(n - 1)], zoom_,
                                                 lane->span);
    return kvr::channelRow(relativeDigit, pixelScales_.at(static_cast<std::size_t>(n - 1)), zoom_,
                           plotSpan());
}

int TrendRecorder::limitRow(const TTrendLimit& limit) const {
    return kvr::limitRow(limit.Value, plotSpan(), zoom_);
}

}  // namespace kvr
