#include "dashboard/session/message_kinds.h"

#include <algorithm>
#include <cctype>

namespace kvr {

namespace {

// The beginnings of the scan, fetch and rescale lines.
constexpr const char* kDetailPrefixes[] = {
    "COM PORT ",         "There are ",   "port#=",     "SENDING D", "D REQUEST SENT", "FETCH SERIAL TEXT",
    "SER BUFFER",        "^ RCVD",       "RESCALE LOGCHART", "CONFIG5=", "CFG5=",   "CYL=",
    "ext_rpm_cnt=",      "KVR SW VER=",  "^SETUP",
};

// The values image arrives as one text of some 2000 characters; it is
// logged whole after its length. No message of the program's is this long.
constexpr std::size_t kRawTextLength = 200;

}  // namespace

bool isDetailLine(const std::string& line) {
    for (const char* prefix : kDetailPrefixes)
        if (line.rfind(prefix, 0) == 0) return true;
    const auto digit = [](unsigned char c) { return std::isdigit(c) != 0; };
    if (!line.empty() && std::all_of(line.begin(), line.end(), digit)) return true;  // a text's length
    return line.size() >= kRawTextLength;
}

}  // namespace kvr
