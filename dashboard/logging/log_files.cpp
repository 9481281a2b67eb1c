#include "dashboard/logging/log_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace kvr {
namespace {

size_t fileNameStart(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? 0 : slash + 1;
}

std::string describe(const std::string& what, const std::string& path, int err) {
    return what + " " + path + ": " + std::strerror(err);
}

}  // namespace

std::string withoutExtension(const std::string& file) {
    const size_t dot = file.find_last_of('.');
    if (dot == std::string::npos || dot < fileNameStart(file)) return file;
    return file.substr(0, dot);
}

std::string companionNameForSave(const std::string& chartFile) { return withoutExtension(chartFile) + ".KVV"; }

std::string companionNameByLastCharacter(const std::string& chartFile) {
    if (chartFile.empty()) return "V";
    return chartFile.substr(0, chartFile.size() - 1) + "V";
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string findCompanion(const std::string& chartFile) {
    const std::string saved = companionNameForSave(chartFile);
    if (fileExists(saved)) return saved;
    const std::string older = companionNameByLastCharacter(chartFile);
    if (fileExists(older)) return older;
    return {};
}

bool readValuesFile(const std::string& path, ValuesFile& out, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = describe("cannot open", path, errno);
        return false;
    }
    out = ValuesFile{};
    bool first = true;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (first) {
            out.valuesText = line;
            first = false;
        } else {
            out.notes.push_back(line);
        }
    }
    if (in.bad()) {
        error = describe("cannot read", path, errno);
        return false;
    }
    return true;
}

bool writeValuesFile(const std::string& path, const ValuesFile& file, std::string& error) {
    std::string bytes = file.valuesText + "\r\n";
    for (const auto& line : file.notes) bytes += line + "\r\n";
    return writeFileReplacing(path, bytes, error);
}

bool writeFileReplacing(const std::string& path, const std::string& bytes, std::string& error) {
    std::string temp = path + ".partXXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        error = describe("cannot create", path, errno);
        return false;
    }
    // Keep the permissions of the file being replaced; a new file gets the
    // usual ones for this user.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) {
        ::fchmod(fd, old.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = describe("cannot write", path, errno);
            ::close(fd);
            ::unlink(temp.c_str());
            return false;
        }
        done += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        error = describe("cannot write", path, errno);
        ::unlink(temp.c_str());
        return false;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        error = describe("cannot replace", path, errno);
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace kvr
