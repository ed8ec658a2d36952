#pragma once

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
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

// A number as an offset is shown: "0x", then upper-case digits without leading zeros.
inline std::string OffsetHex(std::uint64_t value) {
    unsigned char bigEndian[8];
    for (int i = 7; i >= 0; --i, value >>= 8)
        bigEndian[i] = static_cast<unsigned char>(value & 0xFF);
    std::string digits = LowerHex(bigEndian, sizeof bigEndian);
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
    std::transform(digits.begin(), digits.end(), digits.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return "0x" + digits;
}
