#include "FileSet.h"

void FileSet::Add(const std::filesystem::path& path) {
    m_paths.insert(Platform::NameOf(path));
    if (const auto identity = Platform::IdentityOf(Platform::NameOf(path)))
        m_identities.insert(*identity);
}

bool FileSet::Contains(const std::filesystem::path& path) const {
    if (m_paths.count(Platform::NameOf(path)))
        return true;
    const auto identity = Platform::IdentityOf(Platform::NameOf(path));
    return identity && m_identities.count(*identity);
}
