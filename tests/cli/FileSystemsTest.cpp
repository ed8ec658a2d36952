#include "CliTest.h"
#include "FileSystemMount.h"

namespace fs = std::filesystem;
using TestImages::ExpectedOutput;
using TestImages::ReadFile;

// The storage users keep images on: a file system of each kind in a file, the FUSE ones
// through the drivers a desktop mounts a USB stick with, and every kind of run the tool makes.
class FileSystems : public CliTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(FileSystems, EveryKindOfRunWritesTheOutputsAndLeavesTheRestAsItWas) {
    const fs::path on = Dir() / "fs";
    const FileSystemMount mount(on, GetParam());
    if (mount.Unavailable())
        GTEST_SKIP() << *mount.Unavailable();
    struct Image {
        std::string name;
        Bytes bytes;
        std::string output;
        const Bytes& bootLoader;
    };
    const std::vector<Image> images = {
        {"bare1x.img", TestImages::BareImage(true, 3), "bare1x(2xImage).img", m_bootLoader2x},
        {"full2x.img", TestImages::FullImage(false, 4), "full2x(1xImage).img", m_bootLoader1x},
        {"bare2x.img", TestImages::BareImage(false, 5), "bare2x(1xImage).img", m_bootLoader1x},
        {"full1x.img", TestImages::FullImage(true, 6), "full1x(2xImage).img", m_bootLoader2x}};
    std::vector<std::string> names;
    std::set<std::string> listing = {"SUMS", "sub"};
    for (const Image& image : images) {
        TestImages::WriteFile(on / image.name, image.bytes);
        names.push_back(image.name);
        listing.insert({image.name, image.output, "sub/" + image.output});
    }
    fs::create_directory(on / "sub");
    const std::vector<std::vector<std::string>> runs = {
        {}, {}, {"--verify", "--checksum-file", "SUMS"}, {"-n", "-o", "sub"}, {"-o", "sub"}};

    for (std::vector<std::string> args : runs) {
        const bool dry = !args.empty() && args[0] == "-n";
        const fs::path into = args.empty() || args.back() != "sub" ? on : on / "sub";
        args.insert(args.begin(), {"convert", "-q", "-b", Dir().string()});
        args.insert(args.end(), names.begin(), names.end());
        SCOPED_TRACE(::testing::PrintToString(args));
        const auto before = Snapshot(on);

        const CliOutcome run = CliIn(on, args);

        ASSERT_EQ(run.exitCode, 0) << run.err;
        if (dry) {
            EXPECT_TRUE(Snapshot(on) == before);
            continue;
        }
        for (const Image& image : images)
            EXPECT_TRUE(ReadFile(into / image.output) ==
                        ExpectedOutput(image.bytes, image.bootLoader))
                << image.output;
    }
    const CliOutcome check = CliIn(on, {"check", "SUMS"});
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
    for (const Image& image : images)
        EXPECT_TRUE(ReadFile(on / image.name) == image.bytes) << image.name;
    std::set<std::string> left;
    for (const auto& [name, bytes] : Snapshot(on))
        left.insert(name);
    EXPECT_EQ(left, listing) << "a temporary or a stray file is left";
}

INSTANTIATE_TEST_SUITE_P(Kinds, FileSystems,
                         ::testing::Values("fat32", "exfat", "ntfs", "btrfs", "xfs"),
                         [](const auto& info) { return std::string(info.param); });
