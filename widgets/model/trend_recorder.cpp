#include "widgets/model/trend_recorder.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

#include "widgets/model/trend_file.h"
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
    const int count = store_.count();
    if (count >= 2) {
        recInfo_.TotalRecords = count;
        recInfo_.FirstRecord = store_.at(0).time;
        recInfo_.LastRecord = store_.back().time;
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
    if (on && store_.count() >= 2) InsertSeparator(store_.count() - 1);
}

void TrendRecorder::setInterval(int ms) {
    if (ms < 100 || ms == interval_) return;
    interval_ = ms;
    if (!startRecording_) return;
    if (store_.count() >= 2) InsertSeparator(store_.count() - 1);
    if (onClockRegistration) onClockRegistration(true, interval_);
}

void TrendRecorder::setInterval2(int ms) {
    if (ms >= 100) interval2_ = ms;
}

void TrendRecorder::setMaxRecords(int n) {
    if (n >= 100) maxRecords_ = n;
}

void TrendRecorder::setFlow(bool on) {
    flow_ = on;
    flowRecording_ = flow_ && startRecording_;
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
    busy_ = true;
    int count = store_.count();
    if (count - 1 >= maxRecords_ && flow_) {
        // A whole grid column goes at once, so trimming (and the full redraw
        // it causes) happens once per GridXPixel samples, not on every one.
        const int n = (count - 1) - maxRecords_ + gridXPixel_;
        if (onMaxRecords) onMaxRecords();
        store_.removeOldest(n);
        refreshBookkeeping();
        firstShown_ = 0;
        // The drawing stays, its records now numbered n lower, unless they
        // have all gone.
        if (viewValid_ && drawnFirst_ - n > -plotColumns_) {
            drawnFirst_ -= n;
        } else {
            invalidateView();
        }
    }

    TrendRecord record;
    record.time = now_();
    record.digits = currentDigits_;
    store_.append(record);
    refreshBookkeeping();

    count = store_.count();
    if (flow_ && plotColumns_ + firstShown_ < count - 1) {
        // Page forward by whole grid columns until the newest record is in view.
        const int behind = count - 1 - plotColumns_ - firstShown_;
        firstShown_ += (behind + gridXPixel_ - 1) / gridXPixel_ * gridXPixel_;
    }
    if (present) present();
    busy_ = false;
}

void TrendRecorder::InsertSeparator(int index) {
    if (!hasOption(opSeparator) || index > store_.count() - 1 || index < 1) return;
    store_.insertSeparators(index);
    refreshBookkeeping();
    repaint();
}

void TrendRecorder::Clear() {
    const bool wasRecording = startRecording_;
    setStartRecording(false);
    firstShown_ = 0;
    store_.clear();
    cursorShown_ = false;
    cursorColumn_ = kNoCursorColumn;
    valueAtCursor_.DataValid = false;
    repaint();
    setStartRecording(wasRecording);
    recInfo_.FirstDisplayedRec = 0;
    recInfo_.LastDisplayedRec = 0;
    refreshBookkeeping();
}

int TrendRecorder::SaveToFile(const std::string& path) const { return saveTrendFile(path, store_); }

int TrendRecorder::LoadFromFile(const std::string& path, bool clearFirst, bool visible) {
    setStartRecording(false);
    if (clearFirst) {
        firstShown_ = 0;
        store_.clear();
    }
    if (store_.count() >= 2) InsertSeparator(store_.count() - 1);
    const int result = appendTrendFile(path, store_);
    refreshBookkeeping();
    if (visible) {
        firstShown_ = hasOption(opShowLast) ? std::max(0, store_.count() - 1 - plotColumns_) : 0;
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
    flow_ = false;
    flowRecording_ = false;
    const int64_t records = store_.count();
    int64_t first = static_cast<int64_t>(firstShown_) + count;
    if (first > records - 1) first = records - 1 - gridXPixel_;
    if (first < 0) first = 0;
    firstShown_ = static_cast<int>(first);
    repaint();
    return true;
}

bool TrendRecorder::trackCursor(int column, bool insidePlot) {
    if ((flowRecording_ && !hasOption(opCursorOnRec)) || !cursorLine_ || busy_) return false;
    if (column == cursorColumn_) return false;
    cursorColumn_ = column;
    const int64_t index = static_cast<int64_t>(column) + firstShown_;
    if (insidePlot) {
        if (index < 0 || index >= store_.count()) {
            cursorShown_ = false;
            valueAtCursor_.DataValid = false;
            return true;
        }
        const TrendRecord& record = store_.at(static_cast<int>(index));
        cursorShown_ = true;
        valueAtCursor_.DataValid = !record.isSeparator();
        valueAtCursor_.RecordNo = static_cast<int>(index);
        valueAtCursor_.Time = record.time;
        for (int n = 1; n <= kTrendChannels; ++n) {
            valueAtCursor_.valueCh(n) = readBackValue(channels_[n - 1], record.digits[n - 1]);
        }
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
    const int shift = firstShown_ - drawnFirst_;
    if (viewValid_ && shift > 0 && shift < plotColumns_ && shift % gridXPixel_ == 0) {
        // Paged forward by whole grid columns: the vertical grid lines stay
        // where they are, so the drawing moves left instead of being redone.
        // The records left of the uncovered columns count as drawn.
        plan.background = true;
        plan.scroll = shift;
        drawnFirst_ = firstShown_;
        drawnCount_ = std::max(0, std::min(drawnCount_ - shift, plotColumns_ - shift));
    } else if (!viewValid_ || shift != 0) {
        plan.background = true;
        viewValid_ = true;
        drawnFirst_ = firstShown_;
        drawnCount_ = 0;
        for (int i = 0; i < kTrendChannels; ++i) {
            const int32_t span = channels_[i].digitSpan();
            if (span != 0) pixelScales_[i] = kvr::pixelScale(plotSpan(), span);
        }
    }
    // One record past the last column is drawn too, so a line runs right
    // up to the plot's edge.
    plan.from = drawnFirst_ + drawnCount_;
    plan.to = std::min(store_.count() - 1, firstShown_ + plotColumns_);
    if (plan.from <= plan.to) drawnCount_ = plan.to - drawnFirst_ + 1;
    if (plan.background || plan.from <= plan.to) {
        recInfo_.FirstDisplayedRec = firstShown_;
        recInfo_.LastDisplayedRec = std::min(firstShown_ + plotColumns_, store_.count() - 1);
    }
    return plan;
}

int TrendRecorder::channelRow(int n, uint16_t relativeDigit) const {
    return kvr::channelRow(relativeDigit, pixelScales_.at(static_cast<std::size_t>(n - 1)), zoom_,
                           plotSpan());
}

int TrendRecorder::limitRow(const TTrendLimit& limit) const {
    return kvr::limitRow(limit.Value, plotSpan(), zoom_);
}

}  // namespace kvr
