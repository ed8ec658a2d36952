#pragma once

#include "CliProcess.h"
#include "TestImages.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

// A temporary folder with both boot-loader files, in which keldarin-cli runs.
class CliTest : public ::testing::Test {
protected:
    using Bytes = TestImages::Bytes;

    CliTest();

    std::filesystem::path Dir() const { return m_dir.Path(); }
    std::filesystem::path Put(const std::string& name, const Bytes& bytes) const;
    CliOutcome Cli(std::vector<std::string> args) const;
    CliOutcome CliIn(const std::filesystem::path& workingDir, std::vector<std::string> args,
                     std::vector<std::pair<std::string, std::string>> environment = {}) const;

    // Every file below a folder with its bytes, to show that a run changed nothing.
    static std::map<std::string, Bytes> Snapshot(const std::filesystem::path& dir);
    static std::vector<std::string> Lines(const std::string& text);

    TestImages::TempDir m_dir{"keldarin-cli-test"};
    const Bytes m_bootLoader1x = TestImages::BootLoader(Variant::k1x, 1);
    const Bytes m_bootLoader2x = TestImages::BootLoader(Variant::k2x, 2);
};
