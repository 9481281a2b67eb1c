// What a decode reads besides the image text: where the values came from, and the clock and file
// dates, passed in so that tests can fix them.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace kvr {

struct LocalDateTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0;
};

struct FillContext {
    std::string valuesSource;    // "ecu" after a fetch, "pcdisk" after loading a log
    std::string valuesFileName;  // the loaded values file, shown after a load
    std::string openedFileName;  // the file chosen in the open dialog: the proposed title after a load
    std::function<LocalDateTime()> now;
    std::function<std::optional<LocalDateTime>(const std::string& path)> fileModified;
};

// The local clock and the file system's modification times.
LocalDateTime localNow();
std::optional<LocalDateTime> fileModificationTime(const std::string& path);
FillContext systemFillContext(std::string valuesSource, std::string valuesFileName = {},
                              std::string openedFileName = {});

}  // namespace kvr
