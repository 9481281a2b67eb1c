#include "dashboard/datalog/mlg_writer.h"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "dashboard/datalog/log_text.h"

namespace kvr {

namespace {

constexpr std::size_t kHeaderBytes = 22;
constexpr std::size_t kDescriptorBytes = 55;
constexpr std::size_t kNameBytes = 34;
constexpr std::size_t kUnitBytes = 10;
constexpr std::size_t kMessageBytes = 50;
constexpr std::size_t kFlushBytes = 64 * 1024;

constexpr uint8_t kDataBlock = 0;
constexpr uint8_t kMarkerBlock = 1;

// What a viewer shows of a column whose digits are kAsStored.
constexpr int kAsStoredShownDigits = 2;

enum Display : uint8_t { kFloat = 0, kHex = 1, kDate = 3, kOnOff = 4 };

constexpr std::string_view kCaptureDate = "Capture Date: ";

unsigned char* putU16(unsigned char* p, uint16_t v) {
    p[0] = static_cast<unsigned char>(v >> 8);
    p[1] = static_cast<unsigned char>(v);
    return p + 2;
}

unsigned char* putU32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (24 - 8 * i));
    return p + 4;
}

unsigned char* putU64(unsigned char* p, uint64_t v) {
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<unsigned char>(v >> (56 - 8 * i));
    return p + 8;
}

unsigned char* putF32(unsigned char* p, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return putU32(p, bits);
}

// Copies at most size - 1 bytes of `text`, never splitting a UTF-8
// character, and pads with NULs to `size`.
unsigned char* putText(unsigned char* p, const std::string& text, std::size_t size) {
    std::size_t length = std::min(text.size(), size - 1);
    if (length < text.size())
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
            --length;
    std::memcpy(p, text.data(), length);
    std::memset(p + length, 0, size - length);
    return p + size;
}

// Milliseconds of a time in seconds, rounded; 0 when the time is missing.
int64_t roundedMs(double seconds) {
    if (!std::isfinite(seconds)) return 0;
    return std::llround(std::clamp(seconds * 1000, -9.0e18, 9.0e18));
}

std::string infoText(const LogHeader& header) {
    std::string text;
    for (const std::string& line : header.info) {
        if (header.startUnixMs != 0 && line.compare(0, kCaptureDate.size(), kCaptureDate) == 0) continue;
        if (!text.empty()) text += '\n';
        for (char c : line)
            if (c != '\0') text += c;
    }
    if (header.startUnixMs != 0) {
        if (!text.empty()) text += '\n';
        text += std::string(kCaptureDate) + mslDateText(header.startUnixMs);
    }
    return text;
}

}  // namespace

bool MlgWriter::begin(const LogHeader& header) {
    fields_.clear();
    recordLength_ = 0;
    for (std::size_t i = 0; i < header.columns.size(); ++i) {
        FieldType type = FieldType::F32;
        if (i == 0)
            type = FieldType::U32;
        else if (header.columns[i].style == ColumnStyle::Hex || header.columns[i].style == ColumnStyle::OnOff)
            type = FieldType::U08;
        else if (header.columns[i].style == ColumnStyle::UnixMs)
            type = FieldType::S64;
        fields_.push_back(type);
        recordLength_ += type == FieldType::U08 ? 1 : type == FieldType::S64 ? 8 : 4;
    }
    const std::size_t infoStart = kHeaderBytes + kDescriptorBytes * fields_.size();
    if (fields_.empty() || infoStart > UINT16_MAX || recordLength_ > UINT16_MAX) {
        errno = error_ = EINVAL;
        return false;
    }
    begun_ = true;
    counter_ = 0;
    buffer_.reserve(kFlushBytes + kDescriptorBytes);
    writeHeader(header);
    return flushIfFull();
}

void MlgWriter::writeHeader(const LogHeader& header) {
    const std::string info = infoText(header);
    const std::size_t infoStart = kHeaderBytes + kDescriptorBytes * fields_.size();
    buffer_.assign(infoStart + info.size() + 1, 0);
    unsigned char* p = buffer_.data();
    std::memcpy(p, "MLVLG", 6);
    p = putU16(p + 6, 1);
    const int64_t startSeconds = header.startUnixMs > 0 ? header.startUnixMs / 1000 : 0;
    p = putU32(p, static_cast<uint32_t>(std::min<int64_t>(startSeconds, UINT32_MAX)));
    p = putU16(p, static_cast<uint16_t>(infoStart));
    p = putU32(p, static_cast<uint32_t>(infoStart + info.size() + 1));
    p = putU16(p, static_cast<uint16_t>(recordLength_));
    p = putU16(p, static_cast<uint16_t>(fields_.size()));

    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const LogColumn& column = header.columns[i];
        uint8_t display = kFloat;
        float scale = 1;
        int digits = 0;
        if (i == 0) {
            scale = 0.001f;
            digits = 3;
        } else if (column.style == ColumnStyle::Hex) {
            display = kHex;
        } else if (column.style == ColumnStyle::OnOff) {
            display = kOnOff;
        } else if (column.style == ColumnStyle::UnixMs) {
            display = kDate;
        } else if (column.digits < 0) {
            digits = kAsStoredShownDigits;  // the F32 value itself is kept whole
        } else {
            digits = std::min(column.digits, 127);
        }
        *p++ = static_cast<uint8_t>(fields_[i]);
        p = putText(p, column.name, kNameBytes);
        p = putText(p, i == 0 ? std::string("s") : column.unit, kUnitBytes);
        *p++ = display;
        p = putF32(p, scale);
        p = putF32(p, 0);
        *p++ = static_cast<uint8_t>(digits);
    }
    std::memcpy(p, info.data(), info.size());  // the NUL after it is already there
}

void MlgWriter::blockStart(uint8_t kind, double seconds) {
    const std::size_t at = buffer_.size();
    buffer_.resize(at + 4);
    unsigned char* p = buffer_.data() + at;
    p[0] = kind;
    p[1] = counter_++;
    // The block time stamp counts 10 us and wraps every 0.65536 s.
    putU16(p + 2, static_cast<uint16_t>(static_cast<uint64_t>(roundedMs(seconds)) * 100));
}

bool MlgWriter::row(const LogRow& row) {
    if (!begun_ || failed()) return false;
    const double time = row.values.empty() ? kMissing : row.values[0];
    blockStart(kDataBlock, time);
    const std::size_t at = buffer_.size();
    buffer_.resize(at + recordLength_ + 1);
    unsigned char* const values = buffer_.data() + at;
    unsigned char* p = values;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        double v = i < row.values.size() ? row.values[i] : kMissing;
        if (row.separator && i > 0) v = kMissing;
        const bool missing = !std::isfinite(v);
        switch (fields_[i]) {
            case FieldType::U32:
                p = putU32(p, static_cast<uint32_t>(std::clamp<int64_t>(roundedMs(v), 0, UINT32_MAX)));
                break;
            case FieldType::U08:
                *p++ = missing ? 0 : static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
                break;
            case FieldType::S64:
                p = putU64(p,
                           missing ? 0 : static_cast<uint64_t>(std::llround(std::clamp(v, -9.0e18, 9.0e18))));
                break;
            case FieldType::F32:
                // Beyond the float range is infinity (a plain cast would be undefined).
                p = putF32(p, std::fabs(v) > FLT_MAX ? static_cast<float>(std::copysign(INFINITY, v))
                                                     : static_cast<float>(v));
                break;
        }
    }
    unsigned sum = 0;
    for (std::size_t i = 0; i < recordLength_; ++i)
        sum += values[i];
    *p = static_cast<unsigned char>(sum);
    return flushIfFull();
}

bool MlgWriter::marker(const LogMarker& marker) {
    if (!begun_ || failed()) return false;
    blockStart(kMarkerBlock, marker.seconds);
    const std::size_t at = buffer_.size();
    buffer_.resize(at + kMessageBytes);
    putText(buffer_.data() + at, marker.text, kMessageBytes);
    return flushIfFull();
}

bool MlgWriter::finish() {
    if (!begun_) return false;
    if (!flush()) return false;
    errno = 0;
    if (std::fflush(file_) != 0 || std::ferror(file_)) {
        error_ = errno != 0 ? errno : EIO;
        return false;
    }
    return true;
}

bool MlgWriter::flushIfFull() { return buffer_.size() < kFlushBytes || flush(); }

bool MlgWriter::failed() const {
    if (error_ != 0) errno = error_;
    return error_ != 0;
}

bool MlgWriter::flush() {
    if (failed()) return false;
    errno = 0;
    const std::size_t size = buffer_.size();
    const std::size_t written = std::fwrite(buffer_.data(), 1, size, file_);
    buffer_.clear();
    if (written != size) {
        error_ = errno != 0 ? errno : EIO;
        return false;
    }
    return true;
}

}  // namespace kvr
