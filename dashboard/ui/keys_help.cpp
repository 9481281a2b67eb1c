#include "dashboard/ui/keys_help.h"

#include <QDialog>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

const std::vector<KeyHelpGroup>& keyHelpGroups() {
    static const std::vector<KeyHelpGroup> groups = {
        {"The window",
         {
             {"Ctrl+O", "Open a log (its .KVV values file and .msl data log beside it come along)"},
             {"Ctrl+S", "Save the log: NAME.KVL, NAME.KVV and NAME.msl"},
             {"Ctrl+P", "Print the values report"},
             {"Ctrl+Q", "Exit (asks first when the log holds unsaved records)"},
             {"F11", "The gauges alone on the whole screen, and back (Esc also returns)"},
             {"M", "A numbered marker at the newest record, while the log records (any page; a text box "
                   "keeps the letter)"},
             {"F1", "This page"},
         }},
        {"The log chart (click it, or Tab to it, to give it the keys)",
         {
             {"+  /  -", "Time zoom in and out (also Ctrl and the mouse wheel)"},
             {"Left  /  Right", "Move back and forward by 100 pixel columns (also \"<<\" and \">>\")"},
             {"Home", "Show the oldest record (moves stop at the oldest and the newest record)"},
             {"F", "Fit: zoom out until the whole log is in view (also \"Fit\")"},
             {"S", "Stacked: each shown channel in a lane of its own with its own scale, and back to one "
                   "plot (also \"Stacked\")"},
             {"Ctrl+G", "Go to a time: HH:MM[:SS], YYYY-MM-DD HH:MM[:SS], or +90s, +5m, +1:30:00 from the start"},
             {"End", "Follow the newest record again (also \"Live\")"},
             {"Esc", "Drop the reference cursor"},
         }},
        {"The mouse on the log chart",
         {
             {"Move over the chart", "Read out the values and time of the record under the mouse"},
             {"Click", "Set the reference cursor: the line above the read-out gives each channel's difference"},
             {"Right-click", "Drop the reference cursor"},
             {"Double-click a marker's label", "Rename the marker"},
             {"Ctrl + wheel", "Time zoom"},
             {"Shift + wheel", "Move back and forward"},
             {"Click the overview strip", "Centre the chart there (the strip under the chart shows the whole log)"},
             {"Drag the strip's window", "Move the view; drag its left or right edge to zoom with the other held"},
         }},
    };
    return groups;
}

void showKeysHelp(QWidget* window) {
    auto* page = window->findChild<QDialog*>("keysHelp");
    if (page == nullptr) {
        page = new QDialog(window);
        page->setObjectName("keysHelp");
        page->setWindowTitle("Keys");
        QString html = "<table cellspacing=4>";
        for (const KeyHelpGroup& g : keyHelpGroups()) {
            html += "<tr><td colspan=2><b>" + g.title.toHtmlEscaped() + "</b></td></tr>";
            for (const KeyHelp& k : g.keys)
                html += "<tr><td><tt>" + k.keys.toHtmlEscaped() + "</tt></td><td>" + k.does.toHtmlEscaped() +
                        "</td></tr>";
        }
        html += "</table>";
        auto* text = new QLabel(html);
        text->setObjectName("keysHelpText");
        text->setTextFormat(Qt::RichText);
        text->setWordWrap(true);
        auto* scroll = new QScrollArea(page);
        scroll->setWidget(text);
        scroll->setWidgetResizable(true);
        auto* layout = new QVBoxLayout(page);
        layout->addWidget(scroll);
        page->resize(640, 480);
    }
    page->show();
    page->raise();
}
