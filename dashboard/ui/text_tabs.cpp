#include "dashboard/ui/text_tabs.h"

#include <QApplication>
#include <QSaveFile>
#include <QTextBlock>
#include <QCheckBox>
#include <QClipboard>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QPushButton>
#include <QStringList>
#include <QTextCursor>
#include <utility>

#include "dashboard/dashboard_core.h"
#include "dashboard/session/message_kinds.h"
#include "dashboard/ui/dialogs.h"
#include "dashboard/ui/placed_controls.h"
#include "dashboard/ui/qt_strings.h"

namespace {
constexpr int kNotesMaxLength = 600;
// A text log block's user state: a detail line (hidden unless Details is on).
constexpr int kDetailBlock = 1;
}

TextTabs::TextTabs(QWidget* logTextTab, QWidget* notesTab, QWidget* utilitiesTab, kvr::DashboardCore& core)
    : QObject(logTextTab) {
    buildLogText(logTextTab, core);
    buildNotes(notesTab);
    buildUtilities(utilitiesTab);
    nameControls();
}

void TextTabs::buildLogText(QWidget* t, kvr::DashboardCore& core) {
    savedFileEdit = new QLineEdit(t);
    savedFileEdit->setGeometry(8, 8, 300, 22);
    echoLinesCheck = new QCheckBox("Enable KVR Text Logging", t);
    echoLinesCheck->move(320, 10);
    echoLinesCheck->adjustSize();
    copyLogButton = placedButton(t, "Copy Text to Clipboard", 520, 6, 160, 25);
    clearLogButton = placedButton(t, "Clear Text Window", 690, 6, 140, 25);
    textLog = new QPlainTextEdit(t);
    textLog->setGeometry(8, 40, kvr::kDesignWidth - 50, kvr::kDesignHeight - 230);
    textLog->setReadOnly(true);
    textLog->setMaximumBlockCount(0);  // keeps every line
    textLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    textLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    connect(echoLinesCheck, &QCheckBox::toggled, this, [&core](bool on) { core.session.echoLines = on; });
    connect(clearLogButton, &QPushButton::clicked, textLog, &QPlainTextEdit::clear);
    connect(copyLogButton, &QPushButton::clicked, this, [this] {
        textLog->selectAll();
        QApplication::clipboard()->setText(textLog->toPlainText());
    });
    detailsCheck = new QCheckBox("Details", t);
    detailsCheck->setToolTip("Show the port scan, fetch and rescale lines; hidden, they are still copied and saved");
    detailsCheck->adjustSize();
    placeDetailsCheck();
    connect(detailsCheck, &QCheckBox::toggled, this, &TextTabs::showDetails);
}

// In the few rows between the text log and the page's foot.
void TextTabs::placeDetailsCheck() { detailsCheck->move(textLog->x(), textLog->geometry().bottom() + 2); }

void TextTabs::showDetails(bool on) {
    if (detailsCheck->isChecked() != on) detailsCheck->setChecked(on);
    QTextDocument* doc = textLog->document();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        if (b.userState() == kDetailBlock) b.setVisible(on);
    }
    // The layout takes hidden blocks out only when told the text changed.
    doc->markContentsDirty(0, doc->characterCount());
    textLog->viewport()->update();
    QScrollBar* bar = textLog->verticalScrollBar();
    bar->setValue(bar->maximum());
}

bool TextTabs::saveText(Dialogs& dialogs, QWidget* parent) {
    const std::optional<QString> name = dialogs.saveFileName(parent, QStringLiteral("kvr-text-log.txt"),
                                                             QStringLiteral("txt"),
                                                             QStringLiteral("Text files (*.txt);;All files (*)"));
    if (!name) return false;
    QSaveFile file(*name);
    QByteArray text = textLog->toPlainText().toUtf8();
    if (!text.isEmpty()) text += '\n';
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        dialogs.warning(parent, QStringLiteral("Text not saved: %1: %2").arg(*name, file.errorString()));
        return false;
    }
    return true;
}

void TextTabs::buildNotes(QWidget* t) {
    notesEdit = new QPlainTextEdit(t);
    notesEdit->setGeometry(8, 8, kvr::kDesignWidth - 50, kvr::kDesignHeight - 190);
    connect(notesEdit, &QPlainTextEdit::textChanged, this, [this] {
        const QString text = notesEdit->toPlainText();
        if (text.size() <= kNotesMaxLength) return;
        const QSignalBlocker quiet(notesEdit);
        notesEdit->setPlainText(text.left(kNotesMaxLength));
        notesEdit->moveCursor(QTextCursor::End);
    });
}

void TextTabs::buildUtilities(QWidget* t) {
    asmListing = new QPlainTextEdit(t);
    asmListing->setGeometry(8, 40, kvr::kDesignWidth - 50, kvr::kDesignHeight - 230);
    asmListing->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The listing's columns line up only in a fixed-pitch font.
    asmListing->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    copyListingButton = placedButton(t, "Copy text to Clipboard", 8, 6, 170, 25);
    connect(copyListingButton, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(asmListing->toPlainText()); });
}

void TextTabs::nameControls() {
    // The names "Form1"'s controls had, so anything that looks one up by it still finds it.
    savedFileEdit->setObjectName("Edit1");
    echoLinesCheck->setObjectName("LogToMemo");
    copyLogButton->setObjectName("Button4");
    clearLogButton->setObjectName("ClearMemo");
    textLog->setObjectName("Memo1");
    detailsCheck->setObjectName("detailsCheck");
    notesEdit->setObjectName("Memo2");
    asmListing->setObjectName("Memo3");
    copyListingButton->setObjectName("Button10");
    // Names for the controls whose text does not say what they are.
    savedFileEdit->setAccessibleName("Saved file");
    textLog->setAccessibleName("Text log");
    notesEdit->setAccessibleName("Notes");
    asmListing->setAccessibleName("Assembler listing");
}

// New lines stay in view ("link back after 13 s" must not land off screen),
// unless the user has scrolled up to read something: then the view stays.
void TextTabs::appendToLog(std::vector<std::string>& lines) {
    if (lines.empty()) return;
    QScrollBar* bar = textLog->verticalScrollBar();
    const bool following = bar->value() >= bar->maximum() - 1;
    const int keep = bar->value();
    const bool details = detailsCheck->isChecked();
    bool hid = false;
    for (const auto& line : lines) {
        textLog->appendPlainText(latin1(line));
        if (!kvr::isDetailLine(line)) continue;
        QTextBlock block = textLog->document()->lastBlock();
        block.setUserState(kDetailBlock);
        block.setVisible(details);
        hid = hid || !details;
    }
    if (hid) textLog->document()->markContentsDirty(0, textLog->document()->characterCount());
    lines.clear();
    bar->setValue(following ? bar->maximum() : keep);
}

std::vector<std::string> TextTabs::notes() const {
    std::vector<std::string> lines;
    const QString text = notesEdit->toPlainText();
    if (text.isEmpty()) return lines;
    for (const QString& line : text.split('\n')) lines.push_back(line.toLatin1().toStdString());
    return lines;
}

void TextTabs::setNotes(const std::vector<std::string>& lines) {
    QStringList texts;
    for (const auto& line : lines) texts << latin1(line);
    notesEdit->setPlainText(texts.join('\n').left(kNotesMaxLength));
}

void TextTabs::clearNotes() { notesEdit->clear(); }

void TextTabs::showSavedFile(const std::string& text) { savedFileEdit->setText(latin1(text)); }

void TextTabs::showAsmListing(const std::vector<std::string>& lines) {
    asmListing->clear();
    QStringList texts;
    for (const auto& line : lines) texts << latin1(line);
    asmListing->setPlainText(texts.join('\n'));
}

void TextTabs::fitToWindow(const kvr::ResizeLayout& r) {
    QRect memo = textLog->geometry();
    if (r.memo1Width) memo.setWidth(*r.memo1Width);
    if (r.memo1Height) memo.setHeight(*r.memo1Height);
    textLog->setGeometry(memo);
    placeDetailsCheck();
}
