#pragma once

#include <cstddef>
#include <string>

// Bytes as lower-case hex, two digits a byte, as sha256sum writes a digest.
inline std::string LowerHex(const unsigned char* bytes, std::size_t size) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * size);
    for (std::size_t i = 0; i < size; ++i) {
        hex += kDigits[bytes[i] >> 4];
        hex += kDigits[bytes[i] & 0x0F];
    }
    return hex;
}
