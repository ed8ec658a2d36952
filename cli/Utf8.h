#pragma once

#include <cstddef>
#include <optional>
#include <string>

// UTF-8 as the tool reads it in names and reports. Only a well-formed sequence is a character:
// no overlong form, no surrogate, nothing past U+10FFFF. A byte that starts none stands alone.
namespace Utf8 {

struct Character {
    char32_t code;
    std::size_t length; // in bytes, 1 to 4
};

// The character that starts at text[at], at < text.size(); nothing where no character does.
std::optional<Character> CharacterAt(const std::string& text, std::size_t at);
// Whether the whole text is characters.
bool IsWellFormed(const std::string& text);

} // namespace Utf8
