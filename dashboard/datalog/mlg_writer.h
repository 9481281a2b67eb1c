// MLG version 1 ("MLVLG"): the binary log that tuners' log viewers open.
// A header, one descriptor per field, an information text, then one block
// per row or marker. Every number is big-endian.
//
// Fields: Time as U32 milliseconds (scale 0.001), Hex and OnOff columns as
// U08 shown in hex or as on/off, UnixMs as S64 shown as a date, and every
// other column as F32 with the column's digits (2 for kAsStored). A missing
// value is NaN in an F32 field and 0 in an integer field.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "dashboard/datalog/log_table.h"

namespace kvr {

class MlgWriter : public LogWriter {
public:
    // Writes to a file it does not own.
    explicit MlgWriter(std::FILE* file) : file_(file) {}

    // False also for a header the format cannot hold: no columns, or more
    // fields or record bytes than its 16-bit counts allow.
    bool begin(const LogHeader& header) override;
    bool row(const LogRow& row) override;
    // The message is cut to 49 bytes (on a character boundary) so it ends
    // in a NUL.
    bool marker(const LogMarker& marker) override;
    bool finish() override;

    // The errno of the first failed write (EINVAL for a header begin()
    // refused), 0 if none. Every call after a failed write returns false and
    // sets errno to it again.
    int error() const { return error_; }

private:
    enum class FieldType : uint8_t { U08 = 0, U32 = 4, S64 = 6, F32 = 7 };

    void writeHeader(const LogHeader& header);
    void blockStart(uint8_t kind, double seconds);
    bool flushIfFull();
    bool flush();
    // True after a write failed, with errno set again to its error.
    bool failed() const;

    std::FILE* file_;
    std::vector<FieldType> fields_;
    std::vector<unsigned char> buffer_;
    std::size_t recordLength_ = 0;
    uint8_t counter_ = 0;
    bool begun_ = false;
    int error_ = 0;
};

}  // namespace kvr
