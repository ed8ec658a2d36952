#pragma once

#include <CLI/CLI.hpp>

// -b and -o: a folder that exists. CLI11's own check hands the name to the file system library,
// which on Windows reads it in the C runtime's locale rather than the active code page, and so
// misses every folder with a name beyond ASCII.
#ifdef _WIN32
CLI::Validator ExistingFolder();
#else
inline CLI::Validator ExistingFolder() {
    return CLI::ExistingDirectory;
}
#endif
