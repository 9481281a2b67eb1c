// A data log (MSL) read whole into memory, for tests that check what a run
// or an export wrote.
#pragma once

#include <string>
#include <vector>

#include "dashboard/datalog/msl_format.h"

struct DataLogContents {
    bool opened = false;
    std::string error, note;
    kvr::LogHeader header;
    std::vector<kvr::LogRow> rows;
    std::vector<kvr::LogMarker> markers;

    // The column's index by name; -1 when there is none.
    int column(const std::string& name) const {
        for (size_t i = 0; i < header.columns.size(); ++i)
            if (header.columns[i].name == name) return static_cast<int>(i);
        return -1;
    }
};

inline DataLogContents readDataLog(const std::string& path) {
    DataLogContents out;
    kvr::MslReader reader;
    out.opened = reader.open(path, out.error);
    if (!out.opened) return out;
    kvr::LogItem item;
    while (reader.next(item)) {
        if (item.kind == kvr::LogItem::Row)
            out.rows.push_back(item.row);
        else
            out.markers.push_back(item.marker);
    }
    out.header = reader.header();
    out.error = reader.error();
    out.note = reader.note();
    return out;
}
