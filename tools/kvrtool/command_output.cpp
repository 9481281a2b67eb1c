#include "command_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "dashboard/logging/log_files.h"

namespace kvrtool {

bool isStandardOutput(const std::string& output) { return output.empty() || output == "-"; }

bool writeCommandOutput(const char* command, const std::string& output, const std::string& bytes) {
    if (isStandardOutput(output)) {
        errno = 0;
        if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && std::fflush(stdout) == 0)
            return true;
        std::fprintf(stderr, "kvrtool %s: cannot write to standard output: %s\n", command,
                     errno != 0 ? std::strerror(errno) : "write failed");
        return false;
    }
    std::string error;
    if (kvr::writeFileReplacing(output, bytes, error)) return true;
    std::fprintf(stderr, "kvrtool %s: %s\n", command, error.c_str());
    return false;
}

}  // namespace kvrtool
