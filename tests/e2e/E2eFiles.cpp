#include "E2eFiles.h"

#include "WindowDriver.h"

namespace E2eFiles {

std::string Place(const std::filesystem::path& folder, const std::string& name,
                  const TestImages::Bytes& bytes) {
    TestImages::WriteFile(folder / name, bytes);
    return WindowDriver::WindowsPath(folder / name);
}

std::set<std::string> Listing(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

} // namespace E2eFiles
