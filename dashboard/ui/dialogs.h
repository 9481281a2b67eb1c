// The window's modal dialogs behind one interface, so tests replace them and
// never block on a box waiting for a click.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QPrinter;
class QWidget;

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A modal warning box with one OK button.
    virtual void warning(QWidget* parent, const QString& text) = 0;
    // A modal information box with one OK button.
    virtual void information(QWidget* parent, const QString& text) = 0;
    // A save dialog proposing `proposed`; a name without extension gets
    // `defaultSuffix`. Nothing when cancelled.
    virtual std::optional<QString> saveFileName(QWidget* parent, const QString& proposed,
                                                const QString& defaultSuffix, const QString& filter) = 0;
    // An open dialog with its name box preset. Nothing when cancelled.
    virtual std::optional<QString> openFileName(QWidget* parent, const QString& preset) = 0;
    // The print dialog: true when the user chose to print on `printer`.
    virtual bool print(QWidget* parent, QPrinter& printer) = 0;
    // A modal question with one button per choice (the first is the
    // default): the index pressed, or -1 when closed without a choice.
    virtual int choose(QWidget* parent, const QString& text, const QStringList& buttons) = 0;
    // A one-line text box preset to `text` (a marker's new name, say): the
    // text entered, or nothing when cancelled. A set of dialogs that has no
    // such box answers as if cancelled.
    virtual std::optional<QString> textInput(QWidget* parent, const QString& label, const QString& text);
};

// The real boxes.
class QtDialogs : public Dialogs {
public:
    void warning(QWidget* parent, const QString& text) override;
    void information(QWidget* parent, const QString& text) override;
    std::optional<QString> saveFileName(QWidget* parent, const QString& proposed, const QString& defaultSuffix,
                                        const QString& filter) override;
    std::optional<QString> openFileName(QWidget* parent, const QString& preset) override;
    bool print(QWidget* parent, QPrinter& printer) override;
    int choose(QWidget* parent, const QString& text, const QStringList& buttons) override;
    std::optional<QString> textInput(QWidget* parent, const QString& label, const QString& text) override;
};
