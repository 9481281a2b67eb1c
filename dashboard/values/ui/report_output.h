// Puts the values report on paper or into a PDF: begins the job, reads the page size the device
// reports, lays the page out for it, paints and ends the job.
#pragma once

#include <QByteArray>
#include <QPageSize>

#include <string>
#include <vector>

#include "dashboard/values/sheet_grid.h"
#include "dashboard/values/values_info.h"

class QPagedPaintDevice;
class QPrinter;

namespace kvr {

struct ReportSource {
    const SheetSet& sheets;  // what the parameter sheets show now
    const ValuesInfo& info;  // the values of the last decode
    std::string title;       // the "Title/Filename:" text
};

struct ReportOutcome {
    bool printed = false;
    // For the text log: "printer page width=W" and "printer page height=H" once the job began.
    std::vector<std::string> memoLines;
    std::string error;  // why nothing was printed
};

// Prints one page on a printer the print dialog has already set up.
ReportOutcome printValuesReport(QPrinter& printer, const ReportSource& source);

// Paints one page on any paged device (printer or PDF writer).
ReportOutcome renderValuesReport(QPagedPaintDevice& device, const ReportSource& source);

struct ReportPdf {
    QByteArray bytes;  // empty on failure
    ReportOutcome outcome;
};

// The report as a one-page PDF on paper of `pageSize`, the whole sheet being the page.
ReportPdf valuesReportPdf(const ReportSource& source, const QPageSize& pageSize = QPageSize(QPageSize::A4));

}  // namespace kvr
