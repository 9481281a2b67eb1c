// The questions and messages the core puts to the user while it works:
// file names for saving and opening, and information boxes.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kvr {

class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    // A file name to save under, proposing `proposed`; a name typed without
    // an extension gets `defaultExtension`. Nothing when cancelled.
    virtual std::optional<std::string> saveFileName(const std::string& proposed,
                                                    const std::string& defaultExtension) = 0;
    // A file to open, the name box preset to `preset`. Nothing when cancelled.
    virtual std::optional<std::string> openFileName(const std::string& preset) = 0;
    // A modal information box with one OK button.
    virtual void information(const std::string& text) = 0;
    // A modal question with one button per choice: the index of the button
    // pressed, or -1 when the box was closed without a choice.
    virtual int choose(const std::string& text, const std::vector<std::string>& buttons) = 0;
};

}  // namespace kvr
