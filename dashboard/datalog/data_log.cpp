#include "dashboard/datalog/data_log.h"

#include <chrono>

#include "dashboard/datalog/msl_format.h"

namespace kvr {

int64_t systemUnixMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

DataLog::~DataLog() { close(); }

void DataLog::setImage(MapForm mapForm, int32_t softwareVersion) {
    mapForm_ = mapForm;
    softwareVersion_ = softwareVersion;
}

// The file, its header and its units are fixed by the first row: the
// temperatures keep the unit that row gives.
bool DataLog::begin(const LiveRecord& first) {
    if (failed_ || !newPath) return false;
    const std::string path = newPath();
    if (path.empty()) return false;
    std::string error;
    if (!file_.open(path, error)) {
        failed_ = true;
        if (messages) messages->add("No data log can be written: " + error);
        return false;
    }
    units_.mapForm = mapForm_;
    units_.temperatureUnit = first.engineTempUnit == 'C' ? 'C' : 'F';
    startUnixMs_ = unixClock();
    const LogHeader header = dataLogHeader(units_, startUnixMs_, softwareVersion_);
    columns_ = header.columns;
    const std::string text = mslHeaderText(header);
    file_.append(text.data(), text.size(), 0);
    rows_ = savedRows_ = 0;
    return true;
}

void DataLog::onRecord(const LiveRecord& record) {
    if (recording && !recording()) return;
    if (!file_.isOpen() && !begin(record)) return;
    fillDataLogRow(record, units_, unixClock(), startUnixMs_, row_);
    text_.clear();
    appendMslRow(text_, row_, columns_);
    file_.append(text_.data(), text_.size());
    ++rows_;
}

void DataLog::mark(int number, const std::string& text) {
    if (!file_.isOpen()) return;
    const std::string line = mslMarkerLine(number, text, unixClock());
    file_.append(line.data(), line.size(), 0);
}

void DataLog::close() {
    file_.close();
    failed_ = false;
}

void DataLog::discard() {
    file_.closeAndRemove();
    rows_ = savedRows_ = 0;
    failed_ = false;
}

}  // namespace kvr
