#pragma once

#include "Platform.h"

#include <filesystem>
#include <set>
#include <string>
#include <unordered_set>

// Files of a run, known by full path and, for those that exist when added, by identity, so that
// another spelling or a link to one of them is recognised. Each lookup asks the system once,
// whatever the number of files in the set.
class FileSet {
public:
    void Add(const std::filesystem::path& path);
    bool Contains(const std::filesystem::path& path) const;

private:
    std::unordered_set<std::string> m_paths; // strings: a path object costs its parts again
    std::set<Platform::FileIdentity> m_identities;
};
