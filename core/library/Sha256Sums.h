#pragma once

#include <optional>
#include <string>

// The lines of a listing as sha256sum writes and reads them: 64 hex digits, two spaces (or a
// space and "*", for a file read in binary mode) and the name. A name holding a backslash, line
// feed or carriage return is escaped, and its line marked with a leading backslash.
namespace Sha256Sums {

struct Line {
    std::string sha256; // lower-case hex
    std::string name;   // unescaped
};

// The line for a file of this name and hash, its line feed included.
std::string Format(const std::string& name, const std::string& sha256);
// A line without its line feed (a carriage return before it, as a Windows editor leaves it, is
// dropped); nothing where it is no listing line.
std::optional<Line> Parse(std::string line);

} // namespace Sha256Sums
