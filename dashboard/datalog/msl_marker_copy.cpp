#include "dashboard/datalog/msl_marker_copy.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kvr {
namespace {

// " - Tue Dec 08 16:28:01 UTC 2026": the date a marker line ends in.
bool isDateTail(const std::string& tail) {
    return tail.size() >= 10 && tail.find(':') != std::string::npos &&
           std::isdigit(static_cast<unsigned char>(tail.back()));
}

}  // namespace

std::string withMarkerText(const std::string& line, const std::string& text) {
    if (line.compare(0, 5, "MARK ") != 0) return line;
    const size_t textStart = line.find(" - ");
    if (textStart == std::string::npos) return line;
    std::string end = line;
    std::string lineEnd;
    while (!end.empty() && (end.back() == '\n' || end.back() == '\r')) {
        lineEnd.insert(lineEnd.begin(), end.back());
        end.pop_back();
    }
    const size_t dateStart = end.rfind(" - ");
    std::string tail;
    if (dateStart != std::string::npos && dateStart > textStart && isDateTail(end.substr(dateStart + 3)))
        tail = end.substr(dateStart);
    return end.substr(0, textStart + 3) + text + tail + lineEnd;
}

bool copyMslWithMarkerTexts(const std::string& from, const std::string& to, const std::vector<std::string>& texts,
                            std::string& error) {
    std::FILE* in = std::fopen(from.c_str(), "rb");
    if (!in) {
        error = from + ": " + std::strerror(errno);
        return false;
    }
    const std::string temporary = to + ".saving-" + std::to_string(::getpid());
    std::FILE* out = std::fopen(temporary.c_str(), "wb");
    if (!out) {
        error = to + ": " + std::strerror(errno);
        std::fclose(in);
        return false;
    }
    size_t marker = 0;
    std::string line;
    char buffer[1 << 16];
    bool ok = true;
    for (;;) {
        const size_t n = std::fread(buffer, 1, sizeof buffer, in);
        for (size_t i = 0; i < n; ++i) {
            line += buffer[i];
            if (buffer[i] != '\n') continue;
            if (line.compare(0, 5, "MARK ") == 0 && marker < texts.size()) line = withMarkerText(line, texts[marker++]);
            else if (line.compare(0, 5, "MARK ") == 0) ++marker;
            ok = ok && std::fwrite(line.data(), 1, line.size(), out) == line.size();
            line.clear();
        }
        if (n < sizeof buffer) break;
    }
    ok = ok && !std::ferror(in);
    const int readError = std::ferror(in) ? errno : 0;
    std::fclose(in);
    ok = ok && std::fflush(out) == 0 && ::fsync(::fileno(out)) == 0;
    const int writeError = errno;
    ok = std::fclose(out) == 0 && ok;
    if (ok && ::rename(temporary.c_str(), to.c_str()) == 0) return true;
    error = to + ": " + std::strerror(readError ? readError : (writeError ? writeError : errno));
    ::unlink(temporary.c_str());
    return false;
}

}  // namespace kvr
