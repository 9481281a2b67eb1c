#include "dashboard/ui/dialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>

void QtDialogs::warning(QWidget* parent, const QString& text) {
    QMessageBox::warning(parent, QStringLiteral("KVR Dash & Logger"), text, QMessageBox::Ok);
}

void QtDialogs::information(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, QStringLiteral("KVR Dash & Logger"), text, QMessageBox::Ok);
}

std::optional<QString> QtDialogs::saveFileName(QWidget* parent, const QString& proposed, const QString& defaultSuffix,
                                               const QString& filter) {
    QFileDialog dialog(parent, QStringLiteral("Save"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    if (!filter.isEmpty()) dialog.setNameFilter(filter);
    // A name typed without an extension takes the one of the type chosen
    // in the list ("CSV text (*.csv)"), not always the first type's.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& chosen) {
        const qsizetype star = chosen.indexOf(QStringLiteral("(*."));
        if (star < 0) return;
        const QString rest = chosen.mid(star + 3);
        const qsizetype end = rest.indexOf(QRegularExpression(QStringLiteral("[ )]")));
        if (end > 0) dialog.setDefaultSuffix(rest.left(end));
    });
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> QtDialogs::openFileName(QWidget* parent, const QString& preset) {
    QFileDialog dialog(parent, QStringLiteral("Open"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // The log chart files the preset names, and every file as a second choice.
    dialog.setNameFilters({QStringLiteral("KVR log chart files (") + preset + QStringLiteral(")"),
                           QStringLiteral("All files (*)")});
    dialog.selectFile(preset);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first();
}

bool QtDialogs::print(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

int QtDialogs::choose(QWidget* parent, const QString& text, const QStringList& buttons) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("KVR Dash & Logger"), text, QMessageBox::NoButton, parent);
    QList<QAbstractButton*> added;
    for (const QString& caption : buttons) {
        // The last choice is the way out (Cancel, Later): Escape picks it.
        const bool last = &caption == &buttons.last();
        added << box.addButton(caption, last ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
    }
    if (!added.isEmpty()) {
        box.setDefaultButton(qobject_cast<QPushButton*>(added.first()));
        box.setEscapeButton(added.last());
    }
    box.exec();
    return static_cast<int>(added.indexOf(box.clickedButton()));
}

std::optional<QString> Dialogs::textInput(QWidget*, const QString&, const QString&) { return std::nullopt; }

std::optional<QString> QtDialogs::textInput(QWidget* parent, const QString& label, const QString& text) {
    bool ok = false;
    const QString entered =
        QInputDialog::getText(parent, QStringLiteral("KVR Dash & Logger"), label, QLineEdit::Normal, text, &ok);
    if (!ok) return std::nullopt;
    return entered;
}
