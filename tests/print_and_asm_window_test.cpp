// Printing the values report and exporting the assembler listing from the
// window's menu, with the dialogs answered by the test.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include "dashboard/link/memory_serial_port.h"
#include "dashboard/ui/main_window.h"
#include "dashboard/ui/text_tabs.h"
#include "dashboard/ui/window_menu.h"
#include "default_values_image.h"
#include "support/recording_dialogs.h"

namespace {

QStringList memoLines(const MainWindow& form) { return form.textTabs->textLog->toPlainText().split('\n'); }

class MenuWithImage : public ::testing::Test {
protected:
    void SetUp() override {
        form.core().session.valuesSource = "ecu";  // as after a fetch
        form.core().session.valuesText = kvrsim::defaultValuesImage();
        form.core().fillSheets();
        form.applyOutputs();
    }
    kvr::MemorySerialPort port;
    RecordingDialogs dialogs;
    MainWindow form{port, dialogs};
    QTemporaryDir dir;
};

TEST_F(MenuWithImage, PrintGoesToThePrinterWithTwoLogLines) {
    dialogs.printToPdf = dir.filePath("report.pdf");
    const int before = memoLines(form).size();
    form.menus->printValuesAction->trigger();
    QFile pdf(dialogs.printToPdf);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "), 1)
        << "one page";
    const QStringList memo = memoLines(form);
    ASSERT_EQ(memo.size(), before + 2);
    EXPECT_TRUE(memo[before].startsWith("printer page width="));
    EXPECT_TRUE(memo[before + 1].startsWith("printer page height="));
    EXPECT_TRUE(dialogs.informations.isEmpty());
}

TEST_F(MenuWithImage, CancelledPrintBeginsNoJob) {
    const int before = memoLines(form).size();
    form.menus->printValuesAction->trigger();
    EXPECT_EQ(dialogs.printDialogs, 1);
    EXPECT_EQ(memoLines(form).size(), before);
}

TEST_F(MenuWithImage, AsmExportFillsTheUtilitiesTabAndSavesCrLfLines) {
    dialogs.fileAnswers = {dir.filePath("values.ASM")};
    form.menus->saveAsmAction->trigger();
    const QStringList lines = form.textTabs->asmListing->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 508);
    EXPECT_TRUE(lines[0].startsWith(";asm file generated from KVRDash "));
    EXPECT_TRUE(lines[0].contains('_')) << "the separators a fill sets";
    EXPECT_EQ(lines[1], "  ORG $0800");
    EXPECT_EQ(lines[2 + 477], " FCB 00 ; $09DD");
    QFile file(dir.filePath("values.ASM"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes.count("\r\n"), 508);
    EXPECT_EQ(bytes, (lines.join("\r\n") + "\r\n").toLatin1());
}

TEST_F(MenuWithImage, CancelledAsmSaveKeepsTheListing) {
    form.menus->saveAsmAction->trigger();  // no answer: the dialog is cancelled
    EXPECT_EQ(form.textTabs->asmListing->toPlainText().split('\n').size(), 508);
    EXPECT_EQ(dialogs.proposed.size(), 1);
}

TEST(MenuWithoutImage, AsmExportRefusesAShortImage) {
    kvr::MemorySerialPort port;
    RecordingDialogs dialogs;
    MainWindow form(port, dialogs);
    form.menus->saveAsmAction->trigger();
    EXPECT_TRUE(dialogs.proposed.isEmpty()) << "no save dialog";
    EXPECT_FALSE(memoLines(form).last().isEmpty());
}

}  // namespace
