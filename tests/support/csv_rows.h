// Reading kvrtool csv's output in tests: rows of comma-separated fields, and
// fields as the floats they were written from.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

using CsvRow = std::vector<std::string>;

inline std::vector<CsvRow> csvRows(const std::string& text) {
    std::vector<CsvRow> rows;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        CsvRow row;
        std::istringstream fields(line);
        for (std::string f; std::getline(fields, f, ',');) row.push_back(f);
        rows.push_back(row);
    }
    return rows;
}

inline float csvNumber(const std::string& field) {
    char* end = nullptr;
    const float v = std::strtof(field.c_str(), &end);
    EXPECT_EQ(*end, '\0') << "not a number: " << field;
    return v;
}
