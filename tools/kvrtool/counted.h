// A count with its noun: "1 record", "2 records", "0 records".
#pragma once

#include <string>

namespace kvrtool {

inline std::string counted(long long n, const char* noun) {
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

}  // namespace kvrtool
