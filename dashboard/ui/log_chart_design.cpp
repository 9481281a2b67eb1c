#include "dashboard/ui/log_chart_design.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QStyle>
#include <algorithm>
#include <cstdint>

#include "dashboard/logging/chart_view_channels.h"
#include "widgets/ab_trend.h"

namespace {

// Line colours of channels 1..8.
constexpr uint32_t kLineColours[8] = {0xFF0000, 0x00FF00, 0xFFFFFF, 0x00FFFF,
                                      0x808080, 0x0000FF, 0xFFFF00, 0x800080};
// Scale panel colours by channel: as the lines, but silver for throttle.
constexpr uint32_t kPanelColours[8] = {0xFF0000, 0x00FF00, 0xFFFFFF, 0x00FFFF,
                                       0xC0C0C0, 0x0000FF, 0xFFFF00, 0x800080};

struct Legend {
    const char* caption;
    uint32_t box;
};

const Legend kLegends[8] = {
    {"RPM", 0xFF0000},
    {"Air/Fuel Ratio", 0x00FF00},
    {"Map", 0xFFFFFF},
    {"Ignition Timing", 0x00FFFF},
    {"Throttle Position", 0x808080},
    {"AIR TEMP", 0x0000FF},
    {"Knock", 0xFFFF00},
    {"Injector Duty Cyc", 0x800080},
};

QColor rgb(uint32_t c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

// Dark text on light colours, white on dark ones (by perceived brightness).
QColor readableOn(uint32_t c) {
    const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    return (299 * r + 587 * g + 114 * b) / 1000 >= 140 ? QColor(Qt::black) : QColor(Qt::white);
}

}  // namespace

void designLogChart(TAbTrend* chart) {
    kvr::TrendRecorder& r = chart->recorder();
    for (int n = 1; n <= 8; ++n) {
        kvr::TChSettings& c = chart->channel(n);
        kvr::designChartChannel(c, n);
        c.setColor(kLineColours[n - 1]);
    }
    chart->setCaption("Log Chart");
    QFont caption("Arial");
    caption.setPixelSize(21);
    caption.setItalic(true);
    caption.setUnderline(true);
    chart->setCaptionFont(caption);
    QFont body("Arial");
    body.setPixelSize(11);
    chart->setFont(body);
    r.setLimitUpper(kvr::TTrendLimit{100, 0x800000, true, true});
    r.setLimitLower(kvr::TTrendLimit{10, 0x800000, false, false});
    r.setLeftScaleCh(1);
    r.setCursorLine(true);
    chart->setCursorLinePenMode(TPenMode::pmNotMask);
    chart->setColorGrid(QColor(0x80, 0x80, 0x80));
    chart->setColorTime(QColor(0xC0, 0xC0, 0xC0));
    chart->setColorSeparator(QColor(0xC0, 0xC0, 0xC0));
    r.setFillChannelNo(0);
    r.setFlow(true);
    r.setGridXPixel(75);
    r.setInterval(100);
    r.setInterval2(100);
    r.setOptions(kvr::opCaption | kvr::opGrid | kvr::opCursorOnRec | kvr::opSeparator | kvr::opTime |
                 kvr::opLeftScale | kvr::opRightScale);
    r.setStartRecording(false);
}

void colourScalePanel(QLabel* panel, int channel) {
    const uint32_t c = kPanelColours[channel - 1];
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, rgb(c));
    pal.setColor(QPalette::WindowText, readableOn(c));
    panel->setPalette(pal);
}

QGroupBox* buildChartLegend(QWidget* page, QCheckBox* (&boxes)[8]) {
    auto* legend = new QGroupBox("Legend, Show/Hide", page);
    legend->setGeometry(442, 0, 424, 42);
    QFont small = legend->font();
    small.setPixelSize(10);
    // Four columns, each as wide as its longer caption needs; what is left of
    // the box is shared out evenly.
    const QFontMetrics fm(small);
    const QStyle* style = legend->style();
    const int indicator = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, legend) +
                          style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, legend) + 6;
    int columnWidth[4] = {};
    for (int i = 0; i < 8; ++i)
        columnWidth[i % 4] =
            std::max(columnWidth[i % 4], fm.horizontalAdvance(kLegends[i].caption) + indicator);
    const int inner = legend->width() - 8;
    const int used = columnWidth[0] + columnWidth[1] + columnWidth[2] + columnWidth[3];
    const int spare = std::max(0, inner - used) / 4;
    for (int i = 0; i < 8; ++i) {
        int x = 4;
        for (int c = 0; c < i % 4; ++c) x += columnWidth[c] + spare;
        QCheckBox* box = boxes[i] = new QCheckBox(kLegends[i].caption, legend);
        box->setFont(small);
        box->setGeometry(x, 12 + (i / 4) * 15, columnWidth[i % 4] + spare - 2, 14);
        box->setChecked(true);
        box->setStyleSheet(QString("QCheckBox { background-color: %1; color: %2; }")
                               .arg(rgb(kLegends[i].box).name(), readableOn(kLegends[i].box).name()));
    }
    return legend;
}
