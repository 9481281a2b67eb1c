// TrendRecorder: everything of the trend recorder that is not pixels on a
// screen. It owns the eight channels, the record store and its bookkeeping,
// the properties with their accepted ranges, the view's first shown record,
// the zoom, the cursor, and the plan of which records still need drawing.
// The Qt widget TAbTrend draws what it says and connects it to the clock.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "widgets/model/signal_settings.h"
#include "widgets/model/trend_geometry.h"
#include "dashboard/logging/trend_store.h"
#include "widgets/model/trend_time.h"
#include "widgets/model/trend_zoom.h"

namespace kvr {

enum TTrendOption : uint32_t {
    opCaption = 1u << 0,
    opGrid = 1u << 1,
    opCursorOnRec = 1u << 2,  // the cursor also works while following a recording
    opSeparator = 1u << 3,
    opDate = 1u << 4,
    opTime = 1u << 5,
    opCh7isUL = 1u << 6,
    opCh8isLL = 1u << 7,
    opLeftScale = 1u << 8,
    opRightScale = 1u << 9,
    opShowLast = 1u << 10,  // a loaded file is shown from its newest records
};
using TTrendOptions = uint32_t;

struct TTrendLimit {
    float Value = 0;  // percent of the plot height
    uint32_t Color = 0x800000;
    bool Filled = true;
    bool Enabled = true;

    bool operator==(const TTrendLimit& o) const {
        return Value == o.Value && Color == o.Color && Filled == o.Filled && Enabled == o.Enabled;
    }
    bool operator!=(const TTrendLimit& o) const { return !(*this == o); }
};

struct TRecInfo {
    int FirstDisplayedRec = 0;
    int LastDisplayedRec = 0;
    int TotalRecords = 0;    // 0 with fewer than two records
    double FirstRecord = 0;  // time stamps of the oldest and newest record
    double LastRecord = 0;
};

struct TVAtCursor {
    bool DataValid = false;  // false off the data and on a separator
    int RecordNo = 0;
    double Time = 0;
    float ValueCh1 = 0, ValueCh2 = 0, ValueCh3 = 0, ValueCh4 = 0;
    float ValueCh5 = 0, ValueCh6 = 0, ValueCh7 = 0, ValueCh8 = 0;

    // ValueCh1 .. ValueCh8 by channel number 1..8.
    float valueCh(int channel) const;
    float& valueCh(int channel);
};

// A stored relative digit as an engineering value on the channel's current
// range: ValueFrom + digit * value per digit, as a float. The cursor
// read-out and exports use it, so a log reads back against today's scales.
float readBackValue(const TSignalSettings& channel, uint16_t relativeDigit);

// Which records the view must draw next: from..to inclusive (none when
// from > to), after redrawing the background when `background` is set.
// The background goes on the columns from `backgroundFrom` to the right
// edge: all of them after a change, or the ones a page turn uncovers.
// When the view paged by whole grid columns, `scroll` > 0: the drawing so
// far moves that many columns left first; the records still in view are
// not drawn again.
struct TrendDrawPlan {
    bool background = false;
    int backgroundFrom = 0;
    int scroll = 0;
    int from = 0;
    int to = -1;
};

class TrendRecorder {
public:
    using Clock = std::function<double()>;  // local date-time, days since 1899-12-30

    explicit TrendRecorder(Clock now = localNowDays);
    TrendRecorder(const TrendRecorder&) = delete;
    TrendRecorder& operator=(const TrendRecorder&) = delete;

    // Channels 1..8. Their onValueChange and onSettingsChange belong to the
    // recorder. Any other number throws std::out_of_range.
    TChSettings& channel(int n);
    const TChSettings& channel(int n) const;

    // Properties. A value outside the accepted range is ignored.
    bool StartRecording() const { return startRecording_; }
    void setStartRecording(bool on);
    int Interval() const { return interval_; }
    void setInterval(int ms);  // >= 100
    int Interval2() const { return interval2_; }
    void setInterval2(int ms);  // >= 100; held only
    int MaxRecords() const { return maxRecords_; }
    void setMaxRecords(int n);  // >= 100
    bool Flow() const { return flow_; }
    void setFlow(bool on);
    int GridXPixel() const { return gridXPixel_; }
    void setGridXPixel(int px);  // >= 30
    int GridYSteps() const { return gridYSteps_; }
    void setGridYSteps(int steps);  // 1..10
    int AbsScaleCh() const { return absScaleCh_; }
    void setAbsScaleCh(int ch);  // 0..8, 0 = percent
    int LeftScaleCh() const { return leftScaleCh_; }
    void setLeftScaleCh(int ch);  // 0..8
    int FillChannelNo() const { return fillChannelNo_; }
    void setFillChannelNo(int ch);  // 0..8
    bool CursorLine() const { return cursorLine_; }
    void setCursorLine(bool on);
    TTrendOptions Options() const { return options_; }
    bool hasOption(TTrendOption o) const { return (options_ & o) != 0; }
    void setOptions(TTrendOptions options);
    const TTrendLimit& LimitUpper() const { return limitUpper_; }
    void setLimitUpper(const TTrendLimit& limit);
    const TTrendLimit& LimitLower() const { return limitLower_; }
    void setLimitLower(const TTrendLimit& limit);

    // The stacked view: each shown channel in a lane of its own, on its own
    // scale, instead of all of them over the whole plot (the default).
    bool stacked() const { return stacked_; }
    void setStacked(bool on);
    // Channel n's lane in the stacked view at the last full redraw; nothing
    // when not stacked or the channel is hidden.
    std::optional<Lane> laneOf(int n) const;
    // The bottom row channel n's line and fill reach down to.
    int channelBottomRow(int n) const;

    const TRecInfo& RecordInfo() const { return recInfo_; }
    const TVAtCursor& ValueAtCursor() const { return valueAtCursor_; }
    const TrendStore& store() const { return *store_; }
    // The latest relative digit of each channel, as the next record takes it.
    const std::array<uint16_t, kTrendChannels>& currentDigits() const { return currentDigits_; }

    float zoom() const { return zoom_; }
    int firstShown() const { return firstShown_; }
    bool flowRecording() const { return flowRecording_; }
    bool busy() const { return busy_; }

    // Views a store that another part owns and fills (the chart log): the
    // recorder then neither samples nor trims it. The owner reports each
    // change through storeChanged; `present` draws what an append added.
    void viewStore(const TrendStore& store);
    void storeChanged(StoreChange change, const std::function<void()>& present = {});

    // One recording tick: trims a full store, appends a sample of the
    // current digits and pages the view forward by grid columns. `present`
    // (the view's drawing) runs while the busy flag still keeps the cursor out.
    void AddRecord(const std::function<void()>& present = {});
    // Five separators at `index` (when opSeparator is set).
    void InsertSeparator(int index);
    void Clear();
    int SaveToFile(const std::string& path) const;
    // Switches recording off and appends the file's records after a break.
    int LoadFromFile(const std::string& path, bool clearFirst, bool visible);
    // Returns whether the zoom changed.
    bool ZoomYIn();
    bool ZoomYOut();
    // Moves the view by `count` records and stops following; nothing while
    // not visible. Returns whether anything happened.
    bool MoveX(int count, bool visible);
    // Follows the newest record again (after MoveX): the view shows it and
    // pages on with new records, as before the first move.
    void followNewest();

    // The time zoom: records per pixel column or pixels per record. The
    // record at `anchorColumn` stays in its column, unless the view is
    // following, where the newest record stays in view. Returns whether
    // the scale changed.
    const TimeScale& timeScale() const { return timeScale_; }
    int timeZoomLevel() const { return timeZoomLevel_; }
    bool setTimeZoomLevel(int level, int anchorColumn);
    bool zoomTimeIn(int anchorColumn) { return setTimeZoomLevel(timeZoomLevel_ - 1, anchorColumn); }
    bool zoomTimeOut(int anchorColumn) { return setTimeZoomLevel(timeZoomLevel_ + 1, anchorColumn); }

    // The reference cursor: a record picked by a click, against which the
    // cursor's values are compared. Only a sample record can be picked.
    // Returns whether the reference moved there.
    bool setReference(int column);
    void clearReference();
    bool hasReference() const { return referenceRecord_ >= 0; }
    int referenceRecord() const { return referenceRecord_; }
    // The reference record's values on today's channel ranges, as the
    // cursor reads a record.
    TVAtCursor referenceValues() const;
    // Its plot column, when it is in view.
    std::optional<int> referenceColumn() const;

    // Mouse at plot column `column`, inside the plot or not. Returns
    // whether the cursor read-out changed (OnNewCursorPos is due).
    bool trackCursor(int column, bool insidePlot);
    bool cursorShown() const { return cursorShown_; }
    int cursorColumn() const { return cursorColumn_; }
    // The records under the plot moved: the next trackCursor reads its
    // column afresh, even the same one.
    void forgetCursorColumn();

    // The view: plot size in pixel columns and rows, and its drawing plan.
    void setPlotSize(int columns, int rows);
    int plotColumns() const { return plotColumns_; }
    int plotSpan() const { return plotRows_ > 0 ? plotRows_ - 1 : 0; }
    // Everything is drawn afresh at the next plan.
    void invalidateView() { viewValid_ = false; }
    // What to draw now; marks it drawn and sets the displayed-record range.
    TrendDrawPlan nextDraw();
    // The row of channel n's line for a relative digit, at the pixel scale
    // of the last full redraw.
    int channelRow(int n, uint16_t relativeDigit) const;
    int limitRow(const TTrendLimit& limit) const;

    // Notifications. onRepaint asks the view for a complete repaint.
    std::function<void()> onRecNoChanged;
    std::function<void()> onMaxRecords;
    std::function<void()> onRepaint;
    // Flow (following the newest record) went on or off.
    std::function<void()> onFollowChanged;
    // The reference cursor was set, moved or dropped.
    std::function<void()> onReferenceChanged;
    // Register with the recording clock at an interval (true) or leave it.
    std::function<void(bool, int)> onClockRegistration;

private:
    void copyCurrentDigits();
    void refreshBookkeeping();
    // Each channel's lane (stacked view) and pixels per digit, for a full redraw.
    void layOutLanes();
    static constexpr int kLaneGap = 3;  // rows between stacked lanes
    void setFollowing(bool on);
    // Records whose column lies in the plot or just right of it.
    int64_t viewCapacity() const;
    // Pages the view forward by whole grid columns until the newest record
    // is in view.
    void pageToNewest();
    void readRecord(int index, TVAtCursor& out) const;
    void repaint();
    void setZoom(long double z, bool& changed);
    template <typename T>
    void setShown(T& field, T value);

    Clock now_;
    std::array<TChSettings, kTrendChannels> channels_;
    TrendStore ownStore_;
    TrendStore* store_ = &ownStore_;  // its own, or one it views
    bool viewing_ = false;            // store_ is another's: no sampling, trimming or loading
    std::array<uint16_t, kTrendChannels> currentDigits_{};
    std::array<double, kTrendChannels> pixelScales_{};
    bool stacked_ = false;
    std::array<std::optional<Lane>, kTrendChannels> lanes_{};

    bool startRecording_ = true;
    int interval_ = 1000;
    int interval2_ = 250;
    int maxRecords_ = 2000;
    bool flow_ = true;
    int gridXPixel_ = 60;
    int gridYSteps_ = 10;
    int absScaleCh_ = 1;
    int leftScaleCh_ = 0;
    int fillChannelNo_ = 0;
    bool cursorLine_ = true;
    TTrendOptions options_ =
        opCaption | opGrid | opCursorOnRec | opSeparator | opTime | opLeftScale | opRightScale;
    TTrendLimit limitUpper_{90, 0x800000, true, true};
    TTrendLimit limitLower_{10, 0x800000, true, true};

    TRecInfo recInfo_;
    TVAtCursor valueAtCursor_;
    float zoom_ = 1.0f;
    int firstShown_ = 0;
    bool flowRecording_ = true;
    bool busy_ = false;
    bool cursorShown_ = false;
    int cursorColumn_;

    int plotColumns_ = 0;
    int plotRows_ = 0;
    bool viewValid_ = false;
    int drawnFirst_ = 0;  // the record in the drawing's column 0 (negative once trimmed away)
    int drawnCount_ = 0;  // records drawn from drawnFirst_ on

    TimeScale timeScale_;
    int timeZoomLevel_ = oneRecordPerColumnLevel();
    int referenceRecord_ = -1;
};

}  // namespace kvr
