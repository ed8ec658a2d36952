#pragma once

#include "Platform.h"

#include <set>
#include <string>
#include <unordered_set>

// Files known by name and, for those that exist when added, by identity, so that another
// spelling or a link to one of them is recognised: two names name the same file when they are
// spelled alike or name one existing file. Each lookup asks the system once, whatever the number
// of files in the set.
class FileSet {
public:
    void Add(const std::string& name);
    bool Contains(const std::string& name) const;
    // Whether a and b name the same file, by the same rule.
    static bool Same(const std::string& a, const std::string& b);

private:
    std::unordered_set<std::string> m_names;
    std::set<Platform::FileIdentity> m_identities;
};
