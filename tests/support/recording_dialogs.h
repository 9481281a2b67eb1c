// Dialogs for window tests: records what would have been shown, answers at once.
#pragma once

#include <QPrinter>
#include <QStringList>
#include <optional>

#include "dashboard/ui/dialogs.h"

class RecordingDialogs : public Dialogs {
public:
    QStringList warnings;
    QStringList informations;
    QStringList proposed;  // what the file dialogs were opened with
    QStringList filters;   // the save dialogs' file type lists
    QStringList fileAnswers;  // the names "chosen", in order; none left (or "") cancels
    QString printToPdf;  // empty: the print dialog is cancelled; else the job goes to this PDF
    int printDialogs = 0;
    QStringList questions;  // the texts of the choice boxes shown
    QList<int> choices;     // the buttons "pressed", in order; none left: -1 (closed)

    void warning(QWidget*, const QString& text) override { warnings << text; }
    void information(QWidget*, const QString& text) override { informations << text; }
    std::optional<QString> saveFileName(QWidget*, const QString& p, const QString&, const QString& filter) override {
        proposed << p;
        filters << filter;
        return nextAnswer();
    }
    std::optional<QString> openFileName(QWidget*, const QString& p) override {
        proposed << p;
        return nextAnswer();
    }
    bool print(QWidget*, QPrinter& printer) override {
        ++printDialogs;
        if (printToPdf.isEmpty()) return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printToPdf);
        return true;
    }

    int choose(QWidget*, const QString& text, const QStringList&) override {
        questions << text;
        return choices.isEmpty() ? -1 : choices.takeFirst();
    }

private:
    std::optional<QString> nextAnswer() {
        const QString name = fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
        if (name.isEmpty()) return std::nullopt;
        return name;
    }
};
