#include "dashboard/values/fill_context.h"

#include <sys/stat.h>

#include <ctime>

namespace kvr {

namespace {

LocalDateTime fromTimeT(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace

LocalDateTime localNow() { return fromTimeT(std::time(nullptr)); }

std::optional<LocalDateTime> fileModificationTime(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return std::nullopt;
    return fromTimeT(st.st_mtime);
}

FillContext systemFillContext(std::string valuesSource, std::string valuesFileName, std::string openedFileName) {
    FillContext context;
    context.valuesSource = std::move(valuesSource);
    context.valuesFileName = std::move(valuesFileName);
    context.openedFileName = std::move(openedFileName);
    context.now = localNow;
    context.fileModified = fileModificationTime;
    return context;
}

}  // namespace kvr
