#include "Sha256Sums.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr std::size_t kHashDigits = 64;

// The escaped name back, or nothing for a backslash that escapes nothing sha256sum writes.
std::optional<std::string> Unescaped(const std::string& name) {
    std::string plain;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] != '\\') {
            plain += name[i];
            continue;
        }
        const char next = ++i < name.size() ? name[i] : '\0';
        if (next == '\\')
            plain += '\\';
        else if (next == 'n')
            plain += '\n';
        else if (next == 'r')
            plain += '\r';
        else
            return std::nullopt;
    }
    return plain;
}

} // namespace

namespace Sha256Sums {

std::string Format(const std::string& name, const std::string& sha256) {
    std::string escaped;
    for (const char c : name)
        escaped += c == '\\' ? "\\\\" : c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
    return (escaped.size() != name.size() ? "\\" : "") + sha256 + "  " + escaped + "\n";
}

std::optional<Line> Parse(std::string line) {
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    const bool escaped = !line.empty() && line[0] == '\\';
    const std::size_t hash = escaped ? 1 : 0, mark = hash + kHashDigits;
    if (line.size() < mark + 3 || line[mark] != ' ' ||
        (line[mark + 1] != ' ' && line[mark + 1] != '*'))
        return std::nullopt;
    std::string digits = line.substr(hash, kHashDigits);
    if (!std::all_of(digits.begin(), digits.end(),
                     [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
        return std::nullopt;
    std::transform(digits.begin(), digits.end(), digits.begin(), [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    });
    const std::string name = line.substr(mark + 2);
    std::optional<std::string> plain = escaped ? Unescaped(name) : name;
    if (!plain)
        return std::nullopt;
    return Line{digits, *plain};
}

} // namespace Sha256Sums
