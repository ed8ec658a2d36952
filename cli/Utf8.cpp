#include "Utf8.h"

namespace Utf8 {

std::optional<Character> CharacterAt(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return Character{lead, 1};
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong form
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogate
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;  // no overlong form
        high = lead == 0xF4 ? 0x8F : 0xBF; // nothing past U+10FFFF
    }
    if (length == 0 || at + length > text.size() || byte(1) < low || byte(1) > high)
        return std::nullopt;
    char32_t code = lead & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return std::nullopt;
        code = code << 6 | (byte(i) & 0x3Fu);
    }
    return Character{code, length};
}

bool IsWellFormed(const std::string& text) {
    for (std::size_t at = 0; at < text.size();) {
        const std::optional<Character> c = CharacterAt(text, at);
        if (!c)
            return false;
        at += c->length;
    }
    return true;
}

} // namespace Utf8
