#include "dashboard/values/ui/report_painter.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>

#include <algorithm>

#include "dashboard/values/report_fit.h"

namespace kvr {

namespace {

QString toQString(const std::string& text) {
    // The sheets hold the program's 8-bit text.
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QFont baseFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("Helvetica"),
                      QStringLiteral("Nimbus Sans")});
    font.setStyleHint(QFont::SansSerif);
    return font;
}

bool everyLineFits(const QFontMetrics& metrics, const ReportLayout& layout, const std::vector<int>& rooms) {
    if (metrics.height() > reportMaxLineHeight(layout)) return false;
    for (std::size_t i = 0; i < layout.texts.size(); ++i)
        if (metrics.horizontalAdvance(toQString(layout.texts[i].text)) > rooms[i]) return false;
    return true;
}

void drawLine(QPainter& painter, const QFontMetrics& metrics, const ReportText& text, const QString& shown) {
    painter.drawText(QPoint(text.x, text.y + metrics.ascent()), shown);
}

}  // namespace

QFont valuesReportFont(const QPaintDevice& device, const ReportLayout& layout) {
    const std::vector<int> rooms = reportTextRooms(layout);
    QFont font = baseFont();
    for (double size = kReportFontPointSize; size > kReportSmallestFontPointSize; size -= 0.5) {
        font.setPointSizeF(size);
        if (everyLineFits(QFontMetrics(font, &device), layout, rooms)) return font;
    }
    font.setPointSizeF(kReportSmallestFontPointSize);
    return font;
}

void paintValuesReport(QPainter& painter, const ReportLayout& layout) {
    const QFont font = valuesReportFont(*painter.device(), layout);
    painter.setFont(font);
    const QFontMetrics metrics(font, painter.device());

    // A hairline of one device unit vanishes on a fine printer: about 0.2 mm on any page.
    painter.setPen(QPen(Qt::black, std::max(1, layout.page.width / 1000)));
    for (const ReportRule& rule : layout.rules)
        painter.drawLine(rule.x1, rule.y1, rule.x2, rule.y2);

    // A title that is a long path keeps its end, where the file name is.
    drawLine(painter, metrics, layout.title,
             metrics.elidedText(toQString(layout.title.text), Qt::ElideLeft, reportTitleRoom(layout)));
    for (const ReportText& text : layout.texts)
        drawLine(painter, metrics, text, toQString(text.text));
}

}  // namespace kvr
