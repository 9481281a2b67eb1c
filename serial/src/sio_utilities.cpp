// SioHexView, SioLRC, SioByteToShort, SioShortToByte: buffer utilities that
// touch nothing but their arguments.
#include <cstdint>
#include <cstring>

#include "tolk.h"

extern "C" {

TOLK_API int SioHexView(const void* data, int count, char* buffer, int size) {
    if (count <= 0 || size <= 0) return 0;
    // Three characters per byte, the last space becoming the terminator;
    // computed wide so a huge count cannot wrap past the size check.
    if (3 * static_cast<int64_t>(count) > size || data == nullptr || buffer == nullptr) return SIO_E_BAD_ARG;
    static const char kDigits[] = "0123456789abcdef";
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (int i = 0; i < count; ++i) {
        buffer[3 * i] = kDigits[bytes[i] >> 4];
        buffer[3 * i + 1] = kDigits[bytes[i] & 0x0F];
        buffer[3 * i + 2] = ' ';
    }
    buffer[3 * count - 1] = '\0';
    return 3 * count - 1;
}

TOLK_API int SioLRC(const void* data, int count) {
    if (count <= 0) return 0;
    if (data == nullptr) return SIO_E_BAD_ARG;
    const auto* bytes = static_cast<const uint8_t*>(data);
    uint8_t sum = 0;
    for (int i = 0; i < count; ++i)
        sum = static_cast<uint8_t>(sum + bytes[i]);
    return static_cast<uint8_t>(0x100 - sum);
}

TOLK_API int SioByteToShort(void* string) {
    if (string == nullptr) return SIO_E_BAD_ARG;
    auto* s = static_cast<uint8_t*>(string);
    const size_t n = std::strlen(static_cast<const char*>(string));
    // From the end backwards, so no character is overwritten before it moved.
    for (size_t i = n; i-- > 0;) {
        s[2 * i] = s[i];
        s[2 * i + 1] = 0;
    }
    return static_cast<int>(n);
}

TOLK_API int SioShortToByte(void* string) {
    if (string == nullptr) return SIO_E_BAD_ARG;
    auto* s = static_cast<uint8_t*>(string);
    size_t i = 0;
    while ((s[i] = s[2 * i]) != 0)
        ++i;
    return static_cast<int>(i);
}

}  // extern "C"
