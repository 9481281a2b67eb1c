#include "dashboard/ui/analyze_tables.h"

#include <QHeaderView>
#include <QStyle>
#include <QTableWidget>
#include <algorithm>
#include <cmath>

#include "dashboard/analysis/tune_labels.h"
#include "dashboard/analysis/ui/tune_charts.h"

namespace {

// Readings nearest each bin: the cells of its row or column of the grid.
int readingsNearest(const kvr::TuneResult& r, bool rpmTable, int bin) {
    int n = 0;
    const int across = rpmTable ? kvr::kLoadBins : kvr::kRpmBins;
    for (int i = 0; i < across; ++i) {
        const kvr::CellStats& c = rpmTable ? r.cells.at(bin, i) : r.cells.at(i, bin);
        n += r.narrowBand ? c.rich + c.lean : c.samples;
    }
    return n;
}

QString binLabel(const kvr::TuneResult& r, bool rpmTable, double centre) {
    if (rpmTable) return QString::number(centre, 'f', 0);
    return QString::fromStdString(kvr::mapLabel(centre, r.current.mapForm));
}

QTableWidgetItem* numberItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

// Up is more fuel (richer): blue; down is less (leaner): red. Full colour
// would hide the number, so the shade stops at half way.
QColor changeShade(double changePercent, double maxChange) {
    const double range = std::max(maxChange, 0.01) * 2;
    return kvr::heatColour(-changePercent / 100.0, kvr::HeatScale::Diverging, range);
}

QString changeTip(const kvr::TuneResult& r, const kvr::BinSuggestion& b, int readings, bool reverted) {
    QString tip = QStringLiteral("%1 readings nearest this bin, weight %2 effective samples\n")
                      .arg(readings)
                      .arg(b.effectiveSamples, 0, 'f', 1);
    if (r.narrowBand) return tip + QStringLiteral("narrow-band O2: rich or lean only, no number");
    tip += QStringLiteral("%1 -> %2 (%3 %), %4")
               .arg(b.current)
               .arg(b.suggested)
               .arg(b.changePercent(), 0, 'f', 1)
               .arg(QString::fromLatin1(kvr::binOutcomeName(b.outcome)));
    if (reverted) tip += QStringLiteral("\nput back by hand: the fit wanted x%1").arg(b.wanted, 0, 'f', 3);
    return tip;
}

// As wide as its columns sized to their contents: the tables never scroll sideways.
void fitTableWidth(QTableWidget& table) {
    int width = 2 * table.frameWidth() + table.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &table) + 2;
    for (int c = 0; c < table.columnCount(); ++c)
        width += std::max(table.columnWidth(c), table.horizontalHeader()->sectionSizeHint(c));
    table.setFixedWidth(width);
}

}  // namespace

QTableWidget* makeSuggestionTable(QWidget* parent, bool rpmTable) {
    auto* table = new QTableWidget(rpmTable ? kvr::kRpmBins : kvr::kLoadBins, kSuggestionColumns, parent);
    table->setObjectName(rpmTable ? "rpmSuggestions" : "loadSuggestions");
    table->setAccessibleName(rpmTable ? "RPM fuel suggestions" : "Load fuel suggestions");
    const QString tips[kSuggestionColumns] = {
        rpmTable ? "The bin's centre, 1/min" : "The bin's centre, in the ECU's MAP units", "The number in the ECU now",
        "The suggested number", "The change, in %", "Effective samples: the readings' weight in this bin"};
    const QString heads[kSuggestionColumns] = {rpmTable ? "RPM" : "MAP", "Now", "New", "Chg %", "Weight"};
    for (int c = 0; c < kSuggestionColumns; ++c) {
        auto* head = new QTableWidgetItem(heads[c]);
        head->setToolTip(tips[c]);
        table->setHorizontalHeaderItem(c, head);
    }
    table->verticalHeader()->setVisible(false);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    table->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    fitTableWidth(*table);
    return table;
}

void fillSuggestionTable(QTableWidget& table, const kvr::TuneResult& r, bool rpmTable, const std::set<int>& reverted) {
    const std::vector<kvr::BinSuggestion>& bins = rpmTable ? r.rpmBins : r.loadBins;
    table.setUpdatesEnabled(false);
    table.setRowCount(static_cast<int>(bins.size()));
    for (const kvr::BinSuggestion& b : bins) {
        const int row = b.bin;
        const bool back = reverted.count(b.bin) != 0;
        const QString tip = changeTip(r, b, readingsNearest(r, rpmTable, b.bin), back);
        auto* bin = numberItem(binLabel(r, rpmTable, b.centre));
        auto* current = numberItem(QString::number(b.current));
        auto* suggested = numberItem(r.narrowBand ? QString() : QString::number(b.suggested));
        auto* change = numberItem(r.narrowBand ? QString() : QString::number(b.changePercent(), 'f', 1));
        auto* samples = numberItem(QString::number(b.effectiveSamples, 'f', 0));
        if (!r.narrowBand && b.suggested != b.current) {
            const QColor shade = changeShade(b.changePercent(), r.options.fit.maxChange);
            suggested->setBackground(shade);
            change->setBackground(shade);
        }
        if (back) {
            QFont italic = suggested->font();
            italic.setItalic(true);
            suggested->setFont(italic);
        }
        for (QTableWidgetItem* item : {bin, current, suggested, change, samples}) item->setToolTip(tip);
        table.setItem(row, kBinColumn, bin);
        table.setItem(row, kCurrentColumn, current);
        table.setItem(row, kSuggestedColumn, suggested);
        table.setItem(row, kChangeColumn, change);
        table.setItem(row, kSamplesColumn, samples);
    }
    table.resizeColumnsToContents();
    fitTableWidth(table);
    table.setUpdatesEnabled(true);
}

const char* suggestionShadeLegend() {
    return "Suggested: blue = number up (more fuel, richer); red = number down (less fuel, leaner); "
           "italic = put back by hand";
}
