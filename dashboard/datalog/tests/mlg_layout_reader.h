// A reader of the MLG version 1 file layout written from the layout alone
// (big-endian 22-byte header, 55-byte field descriptors, data and marker
// blocks), independent of the program's writer, for tests that read back
// what the writer or an export produced.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace mlg_layout {

inline uint64_t bigEndian(const std::vector<unsigned char>& bytes, std::size_t at, int size) {
    uint64_t v = 0;
    for (int i = 0; i < size; ++i)
        v = (v << 8) | bytes.at(at + static_cast<std::size_t>(i));
    return v;
}

inline float bigEndianFloat(const std::vector<unsigned char>& bytes, std::size_t at) {
    const uint32_t bits = static_cast<uint32_t>(bigEndian(bytes, at, 4));
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// The text of a NUL-padded field: up to the first NUL.
inline std::string paddedText(const std::vector<unsigned char>& bytes, std::size_t at, std::size_t size) {
    std::string s;
    for (std::size_t i = 0; i < size && bytes.at(at + i) != 0; ++i)
        s += static_cast<char>(bytes[at + i]);
    return s;
}

struct Field {
    int type = -1;
    std::string name, units;
    int display = -1;
    float scale = 0, transform = 0;
    int digits = -1;
};

inline int fieldBytes(int type) {
    static const int sizes[] = {1, 1, 2, 2, 4, 4, 8, 4};
    return type >= 0 && type < 8 ? sizes[type] : 0;
}

struct Block {
    int kind = -1;
    int counter = -1;
    unsigned stamp = 0;
    std::vector<int64_t> raw;   // integer fields as stored
    std::vector<float> floats;  // F32 fields as stored (NaN elsewhere)
    std::vector<double> shown;  // (raw + transform) * scale
    int checksum = -1;
    int valueSum = 0;                    // the value bytes added up, mod 256
    std::vector<unsigned char> message;  // a marker's 50 bytes
};

struct MlgFile {
    std::string magic;
    unsigned version = 0, fieldCount = 0, infoStart = 0, recordLength = 0;
    uint32_t startSeconds = 0, dataBegin = 0;
    std::vector<Field> fields;
    std::string info;
    bool infoEndsInNul = false;
    std::vector<Block> blocks;
};

inline int64_t signExtended(uint64_t raw, int bytes) {
    const int shift = 64 - 8 * bytes;
    return static_cast<int64_t>(raw << shift) >> shift;
}

inline void parseMlg(const std::vector<unsigned char>& b, MlgFile& f) {
    ASSERT_GE(b.size(), 22u);
    f.magic.assign(b.begin(), b.begin() + 6);
    f.version = static_cast<unsigned>(bigEndian(b, 6, 2));
    f.startSeconds = static_cast<uint32_t>(bigEndian(b, 8, 4));
    f.infoStart = static_cast<unsigned>(bigEndian(b, 12, 2));
    f.dataBegin = static_cast<uint32_t>(bigEndian(b, 14, 4));
    f.recordLength = static_cast<unsigned>(bigEndian(b, 18, 2));
    f.fieldCount = static_cast<unsigned>(bigEndian(b, 20, 2));
    ASSERT_GE(b.size(), 22u + 55u * f.fieldCount);
    for (unsigned i = 0; i < f.fieldCount; ++i) {
        const std::size_t at = 22 + 55 * i;
        Field field;
        field.type = b[at];
        field.name = paddedText(b, at + 1, 34);
        field.units = paddedText(b, at + 35, 10);
        field.display = b[at + 45];
        field.scale = bigEndianFloat(b, at + 46);
        field.transform = bigEndianFloat(b, at + 50);
        field.digits = static_cast<int8_t>(b[at + 54]);
        f.fields.push_back(field);
    }
    ASSERT_GT(f.dataBegin, f.infoStart);
    ASSERT_LE(f.dataBegin, b.size());
    f.info = paddedText(b, f.infoStart, f.dataBegin - f.infoStart);
    f.infoEndsInNul = b[f.dataBegin - 1] == 0;

    std::size_t at = f.dataBegin;
    while (at < b.size()) {
        Block block;
        block.kind = b[at];
        ASSERT_GE(b.size() - at, 4u);
        block.counter = b[at + 1];
        block.stamp = static_cast<unsigned>(bigEndian(b, at + 2, 2));
        if (block.kind == 1) {
            ASSERT_GE(b.size() - at, 54u) << "a marker block cut short";
            block.message.assign(b.begin() + static_cast<long>(at) + 4,
                                 b.begin() + static_cast<long>(at) + 54);
            at += 54;
        } else {
            ASSERT_EQ(block.kind, 0) << "an unknown block kind at byte " << at;
            ASSERT_GE(b.size() - at, f.recordLength + 5u) << "a data block cut short";
            std::size_t p = at + 4;
            for (std::size_t v = at + 4; v < at + 4 + f.recordLength; ++v)
                block.valueSum += b[v];
            block.valueSum %= 256;
            for (const Field& field : f.fields) {
                const int size = fieldBytes(field.type);
                ASSERT_GT(size, 0) << "field type " << field.type;
                const uint64_t raw = bigEndian(b, p, size);
                const bool isSigned =
                    field.type == 1 || field.type == 3 || field.type == 5 || field.type == 6;
                if (field.type == 7) {
                    const float value = bigEndianFloat(b, p);
                    block.raw.push_back(0);
                    block.floats.push_back(value);
                    block.shown.push_back((static_cast<double>(value) + field.transform) * field.scale);
                } else {
                    const int64_t value = isSigned ? signExtended(raw, size) : static_cast<int64_t>(raw);
                    block.raw.push_back(value);
                    block.floats.push_back(NAN);
                    block.shown.push_back((static_cast<double>(value) + field.transform) * field.scale);
                }
                p += static_cast<std::size_t>(size);
            }
            ASSERT_EQ(p, at + 4 + f.recordLength) << "the fields do not fill recordLength";
            block.checksum = b[p];
            at = p + 1;
        }
        f.blocks.push_back(std::move(block));
    }
}

}  // namespace mlg_layout
