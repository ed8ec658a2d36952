#include "FileSet.h"

void FileSet::Add(const std::filesystem::path& path) {
    m_paths.insert(path.string());
    if (const auto identity = Platform::IdentityOf(path.string()))
        m_identities.insert(*identity);
}

bool FileSet::Contains(const std::filesystem::path& path) const {
    if (m_paths.count(path.string()))
        return true;
    const auto identity = Platform::IdentityOf(path.string());
    return identity && m_identities.count(*identity);
}
