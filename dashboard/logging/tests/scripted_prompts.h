// Dialog answers a test gives in advance, and the questions and boxes the
// core showed, for driving saving, opening and recovering without a window.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "dashboard/user_prompts.h"

namespace kvr {

class ScriptedPrompts : public UserPrompts {
public:
    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> proposed, boxes;
    std::optional<std::string> saveFileName(const std::string& p, const std::string& ext) override {
        proposed.push_back(p + " [" + ext + "]");
        return next();
    }
    std::optional<std::string> openFileName(const std::string& p) override {
        proposed.push_back(p);
        return next();
    }
    void information(const std::string& text) override { boxes.push_back(text); }
    std::deque<int> choices;  // buttons "pressed"; none left: -1
    std::vector<std::string> questions;
    int choose(const std::string& text, const std::vector<std::string>&) override {
        questions.push_back(text);
        if (choices.empty()) return -1;
        const int c = choices.front();
        choices.pop_front();
        return c;
    }

private:
    std::optional<std::string> next() {
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
};

}  // namespace kvr
