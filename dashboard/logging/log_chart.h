// What saving and opening a log need of the log chart (the trend recorder).
#pragma once

#include <string>

namespace kvr {

class LogChart {
public:
    virtual ~LogChart() = default;
    virtual void Clear() = 0;
    // 0 on success, else the I/O error number (never negative).
    virtual int SaveToFile(const std::string& name) = 0;
    virtual int LoadFromFile(const std::string& name) = 0;
};

}  // namespace kvr
