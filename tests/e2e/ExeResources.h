#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A program file's resources as they are stored in it, read without running the program.
class ExeResources {
public:
    explicit ExeResources(const std::string& program);
    ~ExeResources();
    ExeResources(const ExeResources&) = delete;
    ExeResources& operator=(const ExeResources&) = delete;

    // The raw bytes of a resource; throws when the program has no such resource.
    std::vector<unsigned char> Bytes(LPCSTR type, int id) const;
    // A string of the string table, converted to Windows-1252.
    std::string String(int id) const;
    // The icon as the system picks it for the given size (0: the default icon size).
    HICON Icon(int id, int size) const;

private:
    HMODULE m_module;
};
