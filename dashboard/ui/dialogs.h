// The window's modal dialogs behind one interface, so tests replace them and
// never block on a box waiting for a click.
#pragma once

#include <QString>

class QWidget;

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A modal warning box with one OK button.
    virtual void warning(QWidget* parent, const QString& text) = 0;
    // A modal information box with one OK button.
    virtual void information(QWidget* parent, const QString& text) = 0;
};

// The real boxes.
class QtDialogs : public Dialogs {
public:
    void warning(QWidget* parent, const QString& text) override;
    void information(QWidget* parent, const QString& text) override;
};
