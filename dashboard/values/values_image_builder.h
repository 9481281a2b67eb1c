// Builds image texts byte by byte, with a correct checksum: for tests and the ECU simulator.
#pragma once

#include <string>

namespace kvr {

class ValuesImageBuilder {
public:
    // All bytes 0, all RPM labels blank.
    ValuesImageBuilder();

    ValuesImageBuilder& setByte(int k, int value);
    // Big-endian: byte k gets the high byte.
    ValuesImageBuilder& setWord(int k, int value);
    // Stores two characters as they are in byte k's place, hexadecimal or not.
    ValuesImageBuilder& setPair(int k, const std::string& twoChars);
    // Right-aligned in five characters, cut to five.
    ValuesImageBuilder& setRpmLabel(int n, const std::string& label);
    // SwMajor and SwMinor from a version number such as 2910.
    ValuesImageBuilder& setSoftwareVersion(int version);

    // The full 2243-character text with its checksum, no line end.
    std::string text() const;

private:
    std::string body_;  // positions 1..2239
};

}  // namespace kvr
