#include "FileSet.h"

void FileSet::Add(const std::string& name) {
    m_names.insert(name);
    if (const auto identity = Platform::IdentityOf(name))
        m_identities.insert(*identity);
}

bool FileSet::Contains(const std::string& name) const {
    if (m_names.count(name))
        return true;
    const auto identity = Platform::IdentityOf(name);
    return identity && m_identities.count(*identity);
}

bool FileSet::Same(const std::string& a, const std::string& b) {
    FileSet one;
    one.Add(a);
    return one.Contains(b);
}
