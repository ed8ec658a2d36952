#pragma once

#include <stdexcept>
#include <string>

// Ends the work on one input; what() is the reason shown to the user after the input's name.
class FileError : public std::runtime_error {
public:
    explicit FileError(const std::string& reason) : std::runtime_error(reason) {}
};
