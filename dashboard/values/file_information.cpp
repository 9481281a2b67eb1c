// The File Information grid: where the shown values came from, and the title proposed for saving.
#include "dashboard/values/sheet_fill.h"

namespace kvr {

void SheetFill::fillFileInformation(const FillContext& context) {
    set(22, 0, 0, "Date");
    set(22, 0, 1, "Time");
    set(22, 0, 2, "Loaded from");
    if (context.valuesSource == "ecu") {
        const LocalDateTime now = context.now ? context.now() : localNow();
        set(22, 1, 0, formatDate(now, separators_));
        set(22, 1, 1, formatTime(now, separators_));
        set(22, 1, 2, "KVR ECU");
        set(23, 0, 0, "");
        // "_" separators make the title usable as a file name; they stay for the rest of the run.
        separators_ = DateTimeSeparators{'_', '_'};
        out_.proposedTitle = "KVR" + formatDate(now, separators_) + "_" + formatTime(now, separators_);
    } else if (context.valuesSource == "pcdisk") {
        const auto modified = context.fileModified ? context.fileModified(context.valuesFileName)
                                                   : fileModificationTime(context.valuesFileName);
        if (modified) set(22, 1, 0, formatDate(*modified, separators_));
        set(22, 1, 2, "PC DISK");
        set(23, 0, 0, context.valuesFileName);
        separators_ = DateTimeSeparators{'_', '_'};
        out_.proposedTitle = context.openedFileName;
    }
}

}  // namespace kvr
