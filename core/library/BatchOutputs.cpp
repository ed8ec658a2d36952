#include "BatchOutputs.h"

#include "Platform.h"

#include <cctype>

std::string BatchOutputs::Folded(const std::string& name) {
    // "\\?\C:\x" and "C:\x" are one file to Windows.
    std::string folded = Platform::Unprefixed(name);
    for (char& c : folded) {
        const auto byte = static_cast<unsigned char>(c);
        c = static_cast<char>(byte >= 0x80 ? 0x80 : std::tolower(byte));
    }
    return folded;
}

void BatchOutputs::Add(const std::string& name) {
    m_byFolded.emplace(Folded(name), name);
}

bool BatchOutputs::Contains(const std::string& name) const {
    const auto [first, last] = m_byFolded.equal_range(Folded(name));
    for (auto it = first; it != last; ++it)
        if (it->second == name)
            return true;
    return false;
}

std::vector<std::string> BatchOutputs::AlikeTo(const std::string& name) const {
    std::vector<std::string> alike;
    const auto [first, last] = m_byFolded.equal_range(Folded(name));
    for (auto it = first; it != last; ++it)
        if (it->second != name)
            alike.push_back(it->second);
    return alike;
}

std::vector<std::string> BatchOutputs::All() const {
    std::vector<std::string> names;
    names.reserve(m_byFolded.size());
    for (const auto& entry : m_byFolded)
        names.push_back(entry.second);
    return names;
}
