#include "port_map.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <strings.h>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tolk {
namespace {

constexpr int kMaxCom = 256;

std::string envOr(const char* name, const char* fallback) {
    const char* v = std::getenv(name);
    return v != nullptr && *v != '\0' ? std::string(v) : std::string(fallback);
}

const char* skipSpace(const char* p) {
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

// Looks n up in one file; the last line for n wins.
bool lookupIn(const std::string& path, int com, char* device, size_t size) {
    if (path.empty()) return false;
    FILE* f = std::fopen(path.c_str(), "re");
    if (f == nullptr) return false;
    char line[1024];
    char found[1024];
    bool have = false;
    while (std::fgets(line, sizeof line, f) != nullptr) {
        const size_t len = std::strlen(line);
        if (len == sizeof line - 1 && line[len - 1] != '\n') {
            // Longer than any device path: skip the rest of it, it is no entry.
            int c;
            while ((c = std::fgetc(f)) != EOF && c != '\n') {
            }
            continue;
        }
        int n = 0;
        if (parseMapLine(line, &n, found, sizeof found) && n == com) {
            have = std::snprintf(device, size, "%s", found) < static_cast<int>(size);
        }
    }
    std::fclose(f);
    return have;
}

int makeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return -1;
    }
    return 0;
}

}  // namespace

std::string deviceRoot() { return envOr("TOLK_DEVICE_ROOT", "/dev"); }
std::string sysfsRoot() { return envOr("TOLK_SYSFS_ROOT", "/sys"); }

std::string userMapPath() {
    if (const char* file = std::getenv("TOLK_PORTS_FILE"); file != nullptr && *file != '\0') return file;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/')
        return std::string(xdg) + "/tolk/ports.conf";
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return std::string(home) + "/.config/tolk/ports.conf";
    return std::string();
}

std::string systemMapPath() {
    if (const char* file = std::getenv("TOLK_PORTS_FILE"); file != nullptr && *file != '\0')
        return std::string();
    return "/etc/tolk/ports.conf";
}

bool parseMapLine(const char* line, int* com, char* device, size_t size) {
    const char* p = skipSpace(line);
    if (::strncasecmp(p, "COM", 3) != 0) return false;
    p += 3;
    if (!std::isdigit(static_cast<unsigned char>(*p)) || *p == '0') return false;
    int n = 0;
    while (std::isdigit(static_cast<unsigned char>(*p))) {
        n = n * 10 + (*p++ - '0');
        if (n > kMaxCom) return false;
    }
    p = skipSpace(p);
    if (*p++ != '=') return false;
    p = skipSpace(p);
    const char* end = p + std::strlen(p);
    while (end > p && std::isspace(static_cast<unsigned char>(end[-1])))
        --end;
    if (end == p) return false;
    for (const char* q = p; q < end; ++q)
        if (std::iscntrl(static_cast<unsigned char>(*q))) return false;
    const std::string root = *p == '/' ? std::string() : deviceRoot() + "/";
    const int written = std::snprintf(device, size, "%s%.*s", root.c_str(), static_cast<int>(end - p), p);
    if (written < 0 || written >= static_cast<int>(size)) return false;
    *com = n;
    return true;
}

bool mapLookup(int com, char* device, size_t size) {
    return lookupIn(userMapPath(), com, device, size) || lookupIn(systemMapPath(), com, device, size);
}

int mapWrite(int com, const std::string& device, const std::string& note, bool exclusive) {
    std::string path = userMapPath();
    if (path.empty()) {
        errno = ENOENT;
        return -1;
    }
    // A map file that is a link (kept with the user's other settings) stays
    // one: the new text replaces the file it leads to.
    char real[PATH_MAX];
    if (::realpath(path.c_str(), real) != nullptr) path = real;
    for (char c : device + note) {
        if (std::iscntrl(static_cast<unsigned char>(c))) {
            errno = EINVAL;  // one entry is one line
            return -1;
        }
    }
    std::vector<std::string> lines;
    if (FILE* f = std::fopen(path.c_str(), "re")) {
        std::string line;
        for (int c; (c = std::fgetc(f)) != EOF;) {
            if (c == '\n') {
                lines.push_back(line);
                line.clear();
            } else {
                line.push_back(static_cast<char>(c));
            }
        }
        if (!line.empty()) lines.push_back(line);
        std::fclose(f);
    } else if (errno != ENOENT) {
        return -1;
    } else {
        lines.push_back("# Serial ports by name: COMn=DEVICE, one a line; the last line for a COM");
        lines.push_back("# number counts. /dev/serial/by-id names keep a USB adapter on its number");
        lines.push_back("# when it is plugged in again. TOLK_COMn in the environment overrides this.");
    }

    std::vector<std::string> entry;
    if (!note.empty()) entry.push_back("# " + note);
    if (!device.empty()) entry.push_back("COM" + std::to_string(com) + "=" + device);
    std::vector<std::string> out;
    bool placed = false;
    char scratch[1024];
    char named[1024];
    // The new device as a map line would give it, to compare with the others.
    int unused = 0;
    const bool givesName =
        !device.empty() && parseMapLine(("COM1=" + device).c_str(), &unused, named, sizeof named);
    for (const std::string& line : lines) {
        int n = 0;
        if (!parseMapLine(line.c_str(), &n, scratch, sizeof scratch)) {
            out.push_back(line);
            continue;
        }
        const bool sameDevice = exclusive && givesName && std::strcmp(scratch, named) == 0;
        if (n != com && !sameDevice) {
            out.push_back(line);
            continue;
        }
        // The entry goes, and with it the note the scan wrote above it.
        const std::string noteStart = "# COM" + std::to_string(n) + ": ";
        if (!out.empty() && out.back().compare(0, noteStart.size(), noteStart) == 0) out.pop_back();
        if (n == com && !placed) {
            out.insert(out.end(), entry.begin(), entry.end());
            placed = true;
        }
    }
    if (!placed) out.insert(out.end(), entry.begin(), entry.end());

    if (makeFolders(path) != 0) return -1;
    const std::string temp = path + ".new";
    FILE* f = std::fopen(temp.c_str(), "we");
    if (f == nullptr) return -1;
    for (const std::string& line : out)
        std::fprintf(f, "%s\n", line.c_str());
    const bool flushed = std::fflush(f) == 0 && ::fsync(::fileno(f)) == 0;
    const int err = errno;
    if (std::fclose(f) != 0 || !flushed) {
        ::unlink(temp.c_str());
        errno = flushed ? errno : err;
        return -1;
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        const int renameErr = errno;
        ::unlink(temp.c_str());
        errno = renameErr;
        return -1;
    }
    return 0;
}

}  // namespace tolk
