// The parameter sheets on the window show exactly the texts of the decode,
// cell for cell, after an image arrives from the ECU.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

#include "dashboard/link/memory_serial_port.h"
#include "dashboard/ui/connection_bar.h"
#include "dashboard/ui/main_window.h"
#include "dashboard/ui/text_tabs.h"
#include "default_values_image.h"
#include "support/recording_dialogs.h"

namespace {

void expectGridsMatch(MainWindow& form) {
    const kvr::SheetSet& model = form.core().sheets.sheets();
    int written = 0;
    for (int n = 1; n <= kvr::kSheetGridCount; ++n) {
        const QTableWidget* g = form.sheetGrids.grid(n);
        const kvr::SheetGrid& m = model.grid(n);
        ASSERT_EQ(g->rowCount(), m.rows()) << n;
        ASSERT_EQ(g->columnCount(), m.cols()) << n;
        for (int r = 0; r < m.rows(); ++r) {
            for (int c = 0; c < m.cols(); ++c) {
                EXPECT_EQ(g->item(r, c)->text().toStdString(), m.cell(c, r)) << "StringGrid" << n << " " << c << "," << r;
                written += !m.cell(c, r).empty();
            }
        }
    }
    EXPECT_GT(written, 500) << "the sheets were filled";
}

TEST(SheetsWindow, ShowTheDecodeOfAFetchedImage) {
    kvr::MemorySerialPort port;
    port.resetResults[0] = 1;
    RecordingDialogs dialogs;
    MainWindow form(port, dialogs);
    form.connectionBar->openPortButton->click();
    ASSERT_TRUE(form.core().session.portOpen);
    form.pollTick();  // asks for the image
    port.feed(kvrsim::defaultValuesImage() + "\n");
    form.pollTick();
    ASSERT_TRUE(form.core().session.valuesLoaded);
    expectGridsMatch(form);
    EXPECT_EQ(form.core().facts.softwareVersion, 3100);
    EXPECT_EQ(form.core().facts.cylinderCount, 4);
    EXPECT_FALSE(form.connectionBar->titleEdit->text().isEmpty()) << "a title is proposed";
    EXPECT_EQ(form.sheetGrids.grid(3)->columnWidth(0), 52);

    // "Fetch Values" empties the single cell under File Information.
    form.connectionBar->fetchValuesButton->click();
    EXPECT_EQ(form.sheetGrids.grid(23)->item(0, 0)->text(), "");
}

TEST(SheetsWindow, HiddenButtonDecodesAgain) {
    kvr::MemorySerialPort port;
    RecordingDialogs dialogs;
    MainWindow form(port, dialogs);
    form.core().session.valuesText = kvrsim::defaultValuesImage();
    form.connectionBar->imageBytesButton->click();
    expectGridsMatch(form);
    const QStringList memo = form.textTabs->textLog->toPlainText().split('\n');
    EXPECT_TRUE(memo.contains("108"));
}

}  // namespace
