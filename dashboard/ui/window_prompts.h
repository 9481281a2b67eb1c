// The core's questions to the user, put through the window's dialogs. A box
// comes after the window has shown the log lines that lead up to it.
#pragma once

#include <functional>

#include "dashboard/user_prompts.h"

class Dialogs;
class QWidget;

class WindowPrompts : public kvr::UserPrompts {
public:
    // `showOutputs` brings the window up to date before a box.
    WindowPrompts(QWidget& window, Dialogs& dialogs, std::function<void()> showOutputs);

    std::optional<std::string> saveFileName(const std::string& proposed, const std::string& ext) override;
    std::optional<std::string> openFileName(const std::string& preset) override;
    void information(const std::string& text) override;
    int choose(const std::string& text, const std::vector<std::string>& buttons) override;

private:
    QWidget& window_;
    Dialogs& dialogs_;
    std::function<void()> showOutputs_;
};
