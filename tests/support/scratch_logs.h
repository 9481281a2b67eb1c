// Scratch folders and log chart files on disk, for tests and benchmarks that
// run kvrtool and read back what it wrote.
#pragma once

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "dashboard/logging/trend_record.h"

// A new, empty folder /tmp/PREFIX-XXXXXX.
inline std::string makeScratchDir(const std::string& prefix) {
    std::string pattern = "/tmp/" + prefix + "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
    return pattern;
}

// The whole 24-byte records of a log chart file, separators included.
inline std::vector<kvr::TrendRecord> readTrendRecords(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<kvr::TrendRecord> records;
    for (size_t at = 0; at + kvr::kTrendRecordBytes <= bytes.size(); at += kvr::kTrendRecordBytes)
        records.push_back(kvr::decodeTrendRecord(reinterpret_cast<const unsigned char*>(bytes.data()) + at));
    return records;
}
