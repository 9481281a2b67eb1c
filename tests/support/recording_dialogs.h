// Dialogs for window tests: records what would have been shown, answers at once.
#pragma once

#include <QStringList>
#include <deque>
#include <optional>

#include "dashboard/ui/dialogs.h"

class RecordingDialogs : public Dialogs {
public:
    QStringList warnings;
    QStringList informations;
    QStringList proposed;  // what the file dialogs were opened with
    std::deque<std::optional<QString>> fileAnswers;  // the names "chosen", in order

    void warning(QWidget*, const QString& text) override { warnings << text; }
    void information(QWidget*, const QString& text) override { informations << text; }
    std::optional<QString> saveFileName(QWidget*, const QString& p, const QString&, const QString&) override {
        proposed << p;
        return nextAnswer();
    }
    std::optional<QString> openFileName(QWidget*, const QString& p) override {
        proposed << p;
        return nextAnswer();
    }

private:
    std::optional<QString> nextAnswer() {
        if (fileAnswers.empty()) return std::nullopt;
        auto a = fileAnswers.front();
        fileAnswers.pop_front();
        return a;
    }
};
