#include "dashboard/values/ui/report_output.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include "dashboard/values/report_layout.h"
#include "dashboard/values/ui/report_painter.h"

namespace kvr {

ReportOutcome renderValuesReport(QPagedPaintDevice& device, const ReportSource& source) {
    ReportOutcome outcome;
    QPainter painter;
    if (!painter.begin(&device)) {
        outcome.error = "the print job could not be started";
        return outcome;
    }
    // The paintable area of the page, in device units, with the painter's origin at its corner.
    const ReportPage page{device.width(), device.height()};
    outcome.memoLines = reportPageMemoLines(page);
    paintValuesReport(painter, layoutValuesReport(page, source.sheets, source.info, source.title));
    if (!painter.end()) {
        outcome.error = "the print job could not be finished";
        return outcome;
    }
    outcome.printed = true;
    return outcome;
}

ReportOutcome printValuesReport(QPrinter& printer, const ReportSource& source) {
    return renderValuesReport(printer, source);
}

ReportPdf valuesReportPdf(const ReportSource& source, const QPageSize& pageSize) {
    ReportPdf pdf;
    QBuffer buffer(&pdf.bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(pageSize);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setCreator(QStringLiteral("KVRDash"));
        writer.setTitle(QString::fromLatin1(source.title.c_str()));
        pdf.outcome = renderValuesReport(writer, source);
    }
    if (!pdf.outcome.printed) pdf.bytes.clear();
    return pdf;
}

}  // namespace kvr
