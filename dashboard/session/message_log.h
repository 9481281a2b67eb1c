// Lines for the window's text log, and the few messages that need a box,
// kept until the window (or kvrtool) takes them.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kvr {

struct MessageLog {
    std::vector<std::string> lines;     // oldest first
    std::vector<std::string> warnings;  // modal warnings, in order

    void add(std::string line) { lines.push_back(std::move(line)); }
};

}  // namespace kvr
