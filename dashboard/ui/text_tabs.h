// The text tabs: "Log Text" (the message log, its echo switch, the saved
// file's name, copy and clear), "Notes" (saved with a log, at most 600
// characters, as the values file keeps them) and "Utilities" (the
// assembler listing of the values image).
#pragma once

#include <QObject>
#include <string>
#include <vector>

#include "dashboard/display/window_layout.h"

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

    // Log Text
    QLineEdit* savedFileEdit;
    QCheckBox* echoLinesCheck;  // every line from the ECU into the text log
    QPushButton* copyLogButton;
    QPushButton* clearLogButton;
    QPlainTextEdit* textLog;
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
};
