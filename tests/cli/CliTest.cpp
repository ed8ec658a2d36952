#include "CliTest.h"

#include <sstream>

namespace fs = std::filesystem;

CliTest::CliTest() {
    Put("1x.bin", m_bootLoader1x);
    Put("2x.bin", m_bootLoader2x);
}

fs::path CliTest::Put(const std::string& name, const Bytes& bytes) const {
    const fs::path path = m_dir / name;
    fs::create_directories(path.parent_path());
    TestImages::WriteFile(path, bytes);
    return path;
}

CliOutcome CliTest::Cli(std::vector<std::string> args) const {
    return CliIn(Dir(), args);
}

CliOutcome CliTest::CliIn(const fs::path& workingDir, std::vector<std::string> args,
                          std::vector<std::pair<std::string, std::string>> environment) const {
    return RunCli({std::move(args), workingDir, std::move(environment), {}});
}

std::map<std::string, CliTest::Bytes> CliTest::Snapshot(const fs::path& dir) {
    std::map<std::string, Bytes> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file() && !entry.is_symlink())
            files[fs::relative(entry.path(), dir).string()] = TestImages::ReadFile(entry.path());
        else
            files[fs::relative(entry.path(), dir).string()] = {};
    }
    return files;
}

std::vector<std::string> CliTest::Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}
