#include "fuzz_input.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>

namespace kvrfuzz {

namespace {

std::string temporaryFolder() {
    const char* dir = std::getenv("TMPDIR");
    return dir && *dir ? dir : "/tmp";
}

}  // namespace

ScratchFile::ScratchFile(const std::string& name)
    : path_(temporaryFolder() + "/kvrfuzz-" + std::to_string(::getpid()) + "-" + name) {}

ScratchFile::~ScratchFile() { std::remove(path_.c_str()); }

void ScratchFile::write(const std::string& bytes) const {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) fail("cannot write the scratch file");
}

std::string unreadablePath() { return temporaryFolder(); }

void fail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

}  // namespace kvrfuzz
