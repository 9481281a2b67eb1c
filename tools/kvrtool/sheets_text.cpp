#include <algorithm>

#include "sheets_output.h"

namespace kvrtool {
namespace {

// Columns on a terminal: one per character, and the texts are UTF-8.
std::size_t columns(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string padded(const std::string& text, std::size_t width, bool right) {
    const std::string fill(width - std::min(width, columns(text)), ' ');
    return right ? fill + text : text + fill;
}

std::string underlined(const std::string& heading, char rule) {
    return heading + "\n" + std::string(columns(heading), rule) + "\n";
}

std::string tableText(const SheetTable& table) {
    std::size_t firstWidth = 0, secondWidth = 0;
    for (const SheetRow& row : table.rows) {
        firstWidth = std::max(firstWidth, columns(row.first));
        secondWidth = std::max(secondWidth, columns(row.second));
    }
    std::string text = underlined(table.name, '-');
    for (const SheetRow& row : table.rows) {
        std::string line = "  ";
        if (table.binned)
            line += padded(row.first, firstWidth, true) + "  " + padded(row.second, secondWidth, true);
        else if (firstWidth > 0)
            line += padded(row.first, firstWidth, false) + "  " + row.second;
        else
            line += row.second;
        text += line.substr(0, line.find_last_not_of(' ') + 1) + "\n";
    }
    return text;
}

}  // namespace

std::string sheetsText(const std::vector<SheetTable>& tables) {
    std::string text;
    for (std::size_t i = 0; i < tables.size(); ++i) {
        if (i == 0 || tables[i].tab != tables[i - 1].tab) {
            if (i > 0) text += "\n";
            text += underlined(kvr::sheetTabCaption(tables[i].tab), '=');
        }
        text += "\n" + tableText(tables[i]);
    }
    return text;
}

}  // namespace kvrtool
