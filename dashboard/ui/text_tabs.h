// The text tabs: "Log Text" (the message log, its echo switch, the saved
// file's name, copy, clear, Save Text (File menu), and a "Details" switch that shows or hides
// the scan and fetch lines), "Notes" (saved with a log, at most 600
// characters, as the values file keeps them) and "Utilities" (the
// assembler listing of the values image).
#pragma once

#include <QObject>
#include <string>
#include <vector>

#include "dashboard/display/window_layout.h"

class Dialogs;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace kvr {
class DashboardCore;
}

class TextTabs : public QObject {
    Q_OBJECT
public:
    TextTabs(QWidget* logTextTab, QWidget* notesTab, QWidget* utilitiesTab, kvr::DashboardCore& core);

    // Appends the lines to the text log and empties `lines`.
    void appendToLog(std::vector<std::string>& lines);
    // The notes as lines (Latin-1), and new notes in their place.
    std::vector<std::string> notes() const;
    void setNotes(const std::vector<std::string>& lines);
    void clearNotes();
    void showSavedFile(const std::string& text);
    void showAsmListing(const std::vector<std::string>& lines);
    // The text log follows the window's size.
    void fitToWindow(const kvr::ResizeLayout& r);
    // Save Text: every line of the text log, the hidden details too, to a
    // text file the user names. Returns whether a file was written.
    bool saveText(Dialogs& dialogs, QWidget* parent);
    // Shows or hides the detail lines (scan, fetch, rescale).
    void showDetails(bool on);

    // Log Text
    QLineEdit* savedFileEdit;
    QCheckBox* echoLinesCheck;  // every line from the ECU into the text log
    QPushButton* copyLogButton;
    QPushButton* clearLogButton;
    QPlainTextEdit* textLog;
    QCheckBox* detailsCheck;  // shows the scan and fetch lines (kept in the text either way)
    // Notes
    QPlainTextEdit* notesEdit;
    // Utilities
    QPlainTextEdit* asmListing;
    QPushButton* copyListingButton;

private:
    void buildLogText(QWidget* t, kvr::DashboardCore& core);
    void buildNotes(QWidget* t);
    void buildUtilities(QWidget* t);
    void nameControls();
    // The Details switch sits under the text log.
    void placeDetailsCheck();
};
