// Dialogs for window tests: records what would have been shown, answers at once.
#pragma once

#include <QStringList>

#include "dashboard/ui/dialogs.h"

class RecordingDialogs : public Dialogs {
public:
    QStringList warnings;
    QStringList informations;
    void warning(QWidget*, const QString& text) override { warnings << text; }
    void information(QWidget*, const QString& text) override { informations << text; }
};
