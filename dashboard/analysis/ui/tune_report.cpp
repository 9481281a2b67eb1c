#include "dashboard/analysis/ui/tune_report.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <cstdio>

#include "dashboard/analysis/ui/tune_pictures.h"

namespace kvr {
namespace {

// Lines of text from the top of `area`; returns where the next line goes.
double writeLines(QPainter& p, const QRectF& area, double y, const std::vector<QString>& lines) {
    const QFontMetricsF fm(p.font());
    for (const QString& line : lines) {
        const QRectF box(area.left(), y, area.width(), area.bottom() - y);
        const QRectF used = p.boundingRect(box, Qt::TextWordWrap, line);
        p.drawText(box, Qt::TextWordWrap, line);
        y += used.height() + fm.height() * 0.15;
    }
    return y;
}

std::vector<QString> summaryLines(const TuneResult& r) {
    std::vector<QString> lines;
    lines.push_back(QString::fromStdString(r.summary));
    char text[160];
    std::snprintf(text, sizeof text, "Records read: %lld; kept for the fit: %lld. Sensor lag: %.0f ms%s.",
                  static_cast<long long>(r.records), static_cast<long long>(r.kept), r.lagMs,
                  r.lagAutomatic ? " (found in the log)" : "");
    lines.push_back(text);
    lines.push_back(QStringLiteral("Target AFR: ") + QString::fromStdString(r.target));
    QString filters = QStringLiteral("Removed by the filters:");
    for (const FilterCount& f : r.filters) {
        if (!f.on && f.removed == 0) continue;
        filters += QStringLiteral("  ") + QString::fromLatin1(tuneFilterPhrase(f.filter)) + QStringLiteral(" ") +
                   QString::number(f.removed) + (f.on ? QString() : QStringLiteral(" (off)")) + QStringLiteral(";");
    }
    lines.push_back(filters);
    if (r.narrowBand)
        lines.push_back(QStringLiteral("Narrow-band O2 log: %1 rich and %2 lean readings; a narrow-band sensor gives no "
                                       "ratio, so no numbers are suggested.")
                            .arg(r.rich)
                            .arg(r.lean));
    if (!r.residuals.sentence.empty()) lines.push_back(QString::fromStdString(r.residuals.sentence));
    for (const std::string& note : r.notes) lines.push_back(QString::fromStdString(note));
    return lines;
}

void paintFirstPage(QPainter& p, const QRectF& page, const TuneResult& r, const std::string& title) {
    QFont heading = p.font();
    heading.setPointSizeF(p.font().pointSizeF() * 1.6);
    heading.setBold(true);
    const QFont body = p.font();
    p.setFont(heading);
    const double headingHeight = QFontMetricsF(heading).height();
    p.drawText(QRectF(page.left(), page.top(), page.width(), headingHeight), Qt::AlignLeft,
               QStringLiteral("Fuel table suggestions: ") + QString::fromStdString(title));
    p.setFont(body);
    const double y = writeLines(p, page, page.top() + headingHeight * 1.3, summaryLines(r));
    const double chartHeight = (page.bottom() - y) / 2 - 10;
    paintCurves(p, QRectF(page.left(), y + 10, page.width(), chartHeight), QStringLiteral("RPM fuel numbers"),
                QStringLiteral("RPM"), binCentres(r, true), tableCurves(r, true));
    paintCurves(p, QRectF(page.left(), y + 20 + chartHeight, page.width(), chartHeight),
                QStringLiteral("Load fuel numbers"), mapUnitText(r), binCentres(r, false), tableCurves(r, false));
}

void paintSecondPage(QPainter& p, const QRectF& page, const TuneResult& r) {
    const double h = page.height() / 3 - 8;
    const HeatGrid hits = cellGrid(r, CellPicture::Hits);
    paintHeatMap(p, QRectF(page.left(), page.top(), page.width(), h), QStringLiteral("Readings per cell"), hits,
                 HeatScale::Count, hitsRange(hits), mapUnitText(r), QStringLiteral("RPM"));
    paintHeatMap(p, QRectF(page.left(), page.top() + h + 12, page.width(), h),
                 r.narrowBand ? QStringLiteral("Rich (blue) or lean (red) by cell")
                              : QStringLiteral("Mean error: red lean (more fuel wanted), blue rich; full colour at 10 %"),
                 cellGrid(r, CellPicture::MeanError), HeatScale::Diverging, 0.1, mapUnitText(r), QStringLiteral("RPM"));
    paintHeatMap(p, QRectF(page.left(), page.top() + 2 * (h + 12), page.width(), h),
                 QStringLiteral("What the two tables cannot give (residual after the fit), full colour at 10 %"),
                 cellGrid(r, CellPicture::Residual), HeatScale::Diverging, 0.1, mapUnitText(r), QStringLiteral("RPM"));
}

}  // namespace

QByteArray tuneReportPdf(const TuneResult& result, const std::string& title) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    bool painted = false;
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(150);
        writer.setCreator(QStringLiteral("kvrtool tune"));
        writer.setTitle(QString::fromStdString("Fuel table suggestions: " + title));
        QPainter p;
        if (p.begin(&writer)) {
            QFont font(QStringLiteral("Sans Serif"));
            font.setPointSizeF(8);
            p.setFont(font);
            const QRectF page(0, 0, writer.width(), writer.height());
            paintFirstPage(p, page, result, title);
            writer.newPage();
            paintSecondPage(p, page, result);
            painted = p.end();
        }
    }
    if (!painted) bytes.clear();
    return bytes;
}

}  // namespace kvr
