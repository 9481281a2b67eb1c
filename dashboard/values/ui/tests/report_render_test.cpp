#include <gtest/gtest.h>

#include <QFile>
#include <QFontMetrics>
#include <QPdfWriter>
#include <QPrinter>
#include <QRect>
#include <QTemporaryDir>

#include "dashboard/values/parameter_sheets.h"
#include "dashboard/values/report_fit.h"
#include "dashboard/values/ui/report_output.h"
#include "dashboard/values/ui/report_painter.h"
#include "default_values_image.h"
#include "report_ui_test_support.h"
#include "sheet_test_support.h"

namespace kvr {
namespace {

struct Paper {
    const char* name;
    QPageSize::PageSizeId id;
};
const Paper kPapers[] = {{"A4", QPageSize::A4}, {"Letter", QPageSize::Letter}};

struct Sample {
    const char* name;
    std::string image;  // empty: nothing fetched yet
};

std::vector<Sample> samples() {
    return {{"simulator", kvrsim::defaultValuesImage()},
            {"widest", widestImage(false)},
            {"widest fuel-only", widestImage(true)},
            {"nothing fetched", ""}};
}

QRect textBox(const QFontMetrics& metrics, const ReportText& text) {
    const QString shown = QString::fromLatin1(text.text.c_str());
    return QRect(text.x, text.y, metrics.horizontalAdvance(shown), metrics.height());
}

bool crosses(const QRect& box, const ReportRule& rule) {
    const QRect line = QRect(QPoint(rule.x1, rule.y1), QPoint(rule.x2, rule.y2)).normalized();
    return box.intersects(line);
}

// Measured with the font the painter picks, on the PDF device at its resolution: no two texts
// touch, no text touches a rule or leaves the page, and the nominal size needs at most one step down.
TEST(ReportRenderTest, NothingOverlapsOnA4AndLetter) {
    for (const Paper& paper : kPapers) {
        for (const Sample& sample : samples()) {
            SCOPED_TRACE(std::string(paper.name) + ", " + sample.name);
            ParameterSheets sheets;
            if (!sample.image.empty()) {
                ASSERT_TRUE(sheets.valuestogridcells(sample.image, fixedContext("ecu")).decoded);
            }
            QPdfWriter device(QStringLiteral("/dev/null"));
            device.setPageSize(QPageSize(paper.id));
            device.setPageMargins(QMarginsF(0, 0, 0, 0));
            const ReportLayout layout = layoutValuesReport({device.width(), device.height()}, sheets.sheets(),
                                                           sheets.info(), "KVR2024_05_17_14_03_22");
            const QFont font = valuesReportFont(device, layout);
            // At most one half-point step smaller: fonts differ in width from
            // machine to machine (DejaVu Sans, Linux's usual one, is wide).
            EXPECT_GE(font.pointSizeF(), kReportFontPointSize - 0.5);
            const QFontMetrics metrics(font, &device);
            ASSERT_LT(metrics.height(), layout.geometry.lineStep);

            const QRect page(0, 0, device.width() - layout.geometry.left, device.height());
            std::vector<QRect> boxes;
            for (const ReportText& text : layout.texts)
                boxes.push_back(textBox(metrics, text));
            for (std::size_t i = 0; i < boxes.size(); ++i) {
                const std::string& t = layout.texts[i].text;
                EXPECT_TRUE(page.contains(boxes[i])) << t;
                for (std::size_t j = i + 1; j < boxes.size(); ++j)
                    EXPECT_FALSE(boxes[i].intersects(boxes[j])) << t << " | " << layout.texts[j].text;
                for (const ReportRule& rule : layout.rules)
                    EXPECT_FALSE(crosses(boxes[i], rule)) << t;
            }
        }
    }
}

TEST(ReportRenderTest, FontShrinksWhenALineWouldRunIntoTheNextColumn) {
    QPdfWriter device(QStringLiteral("/dev/null"));
    device.setPageSize(QPageSize(QPageSize::A4));
    SheetSet sheets;
    sheets.grid(1).set(0, 0, std::string(40, 'W'));  // far wider than the RPM fuel column
    const ReportLayout layout =
        layoutValuesReport({device.width(), device.height()}, sheets, ValuesInfo(), "T");
    const QFont font = valuesReportFont(device, layout);
    EXPECT_LT(font.pointSizeF(), kReportFontPointSize);
    EXPECT_GE(font.pointSizeF(), kReportSmallestFontPointSize);
}

TEST(ReportRenderTest, PdfIsOnePageAndReportsThePageSize) {
    ParameterSheets sheets;
    ASSERT_TRUE(sheets.valuestogridcells(kvrsim::defaultValuesImage(), fixedContext("ecu")).decoded);
    const ReportPdf pdf =
        valuesReportPdf({sheets.sheets(), sheets.info(), "KVR"}, QPageSize(QPageSize::Letter));
    ASSERT_TRUE(pdf.outcome.printed) << pdf.outcome.error;
    EXPECT_TRUE(pdf.bytes.startsWith("%PDF"));
    EXPECT_EQ(pdfPageCount(pdf.bytes), 1);
    // Letter at the PDF writer's 1200 dpi.
    EXPECT_EQ(pdf.outcome.memoLines,
              (std::vector<std::string>{"printer page width=10200", "printer page height=13200"}));
}

TEST(ReportRenderTest, PrintsOnAConfiguredPrinter) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));

    const ReportOutcome outcome = printValuesReport(printer, {SheetSet(), ValuesInfo(), "KVR"});
    ASSERT_TRUE(outcome.printed) << outcome.error;
    EXPECT_EQ(outcome.memoLines,
              (std::vector<std::string>{"printer page width=" + std::to_string(printer.width()),
                                        "printer page height=" + std::to_string(printer.height())}));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(pdfPageCount(file.readAll()), 1);
}

TEST(ReportRenderTest, PrinterThatCannotStartPrintsNothing) {
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QStringLiteral("/nonexistent-dir/report.pdf"));
    const ReportOutcome outcome = printValuesReport(printer, {SheetSet(), ValuesInfo(), "KVR"});
    EXPECT_FALSE(outcome.printed);
    EXPECT_TRUE(outcome.memoLines.empty());
    EXPECT_FALSE(outcome.error.empty());
}

}  // namespace
}  // namespace kvr
