#include "dashboard/ui/window_prompts.h"

#include <QStringList>
#include <utility>

#include "dashboard/ui/dialogs.h"
#include "dashboard/ui/qt_strings.h"

WindowPrompts::WindowPrompts(QWidget& window, Dialogs& dialogs, std::function<void()> showOutputs)
    : window_(window), dialogs_(dialogs), showOutputs_(std::move(showOutputs)) {}

namespace {

// The program's own file type first, then every file.
QString fileTypeFilter(const QString& ext) {
    const QString kind = ext.compare(QStringLiteral("KVL"), Qt::CaseInsensitive) == 0
                             ? QStringLiteral("KVR log chart files")
                             : ext.toUpper() + QStringLiteral(" files");
    return kind + QStringLiteral(" (*.") + ext + QStringLiteral(");;All files (*)");
}

}  // namespace

std::optional<std::string> WindowPrompts::saveFileName(const std::string& proposed, const std::string& ext) {
    const QString suffix = QString::fromStdString(ext);
    const auto name = dialogs_.saveFileName(&window_, fromFileName(proposed), suffix, fileTypeFilter(suffix));
    if (!name) return std::nullopt;
    return toFileName(*name);
}

std::optional<std::string> WindowPrompts::openFileName(const std::string& preset) {
    const auto name = dialogs_.openFileName(&window_, QString::fromStdString(preset));
    if (!name) return std::nullopt;
    return toFileName(*name);
}

void WindowPrompts::information(const std::string& text) {
    showOutputs_();
    dialogs_.information(&window_, latin1(text));
}

int WindowPrompts::choose(const std::string& text, const std::vector<std::string>& buttons) {
    showOutputs_();
    QStringList captions;
    for (const auto& b : buttons) captions << QString::fromStdString(b);
    return dialogs_.choose(&window_, QString::fromStdString(text), captions);
}
