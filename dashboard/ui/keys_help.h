// The "Keys" page (Help > Keys, F1): every key and mouse action of the window
// and the log chart, in one list a user can keep open beside the window.
#pragma once

#include <QString>

#include <vector>

class QWidget;

struct KeyHelp {
    QString keys;  // as QKeySequence writes it where it is a shortcut: "Ctrl+O"
    QString does;
};

struct KeyHelpGroup {
    QString title;
    std::vector<KeyHelp> keys;
};

const std::vector<KeyHelpGroup>& keyHelpGroups();

// Shows the page (one per window, raised when already open).
void showKeysHelp(QWidget* window);
