#include "json_writer.h"
#include "sheets_output.h"

namespace kvrtool {

std::string sheetsJson(const std::string& file, const std::vector<SheetTable>& tables) {
    std::vector<JsonObject> binned, settings;
    for (const SheetTable& table : tables) {
        JsonObject o;
        o.string("name", table.name).string("tab", kvr::sheetTabCaption(table.tab));
        if (table.binned) {
            std::vector<std::string> bins, values;
            for (const SheetRow& row : table.rows) {
                bins.push_back(row.first);
                values.push_back(row.second);
            }
            binned.push_back(o.strings("bins", bins).strings("values", values));
        } else {
            std::vector<JsonObject> items;
            for (const SheetRow& row : table.rows) {
                JsonObject item;
                items.push_back(item.string("caption", row.first).string("value", row.second));
            }
            settings.push_back(o.objects("items", items));
        }
    }
    JsonObject all;
    return all.string("file", file).objects("tables", binned).objects("settings", settings).text() + "\n";
}

}  // namespace kvrtool
