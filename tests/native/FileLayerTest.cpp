#include "DurableReplace.h"
#include "FileError.h"
#include "ImagePartReader.h"
#include "TestImages.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace TestImages;
namespace fs = std::filesystem;

namespace {
FileError::Cause CauseOfLoading(const std::string& path, std::optional<std::uint64_t> expected) {
    Bytes part;
    std::optional<ImageFacts> facts;
    try {
        ImagePartReader::Load(path, part, facts, expected);
    } catch (const FileError& error) {
        return error.GetCause();
    }
    ADD_FAILURE() << path << " was loaded";
    return FileError::Cause::System;
}
mode_t ModeOf(const fs::path& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}
} // namespace

TEST(ImagePartReader, RefusesAtOnceWhatIsNoRegularFileAndWhatChangedLength) {
    TempDir dir;
    ASSERT_EQ(mkfifo((dir / "fifo.img").c_str(), 0600), 0); // would block a plain open
    EXPECT_EQ(CauseOfLoading(dir / "fifo.img", {}), FileError::Cause::NotARegularFile);
    EXPECT_EQ(CauseOfLoading("/dev/zero", {}), FileError::Cause::NotARegularFile);
    EXPECT_EQ(CauseOfLoading(dir.Path(), {}), FileError::Cause::System); // EISDIR
    WriteFile(dir / "box.img", BareImage(true));
    EXPECT_EQ(CauseOfLoading(dir / "box.img", 0x800000), FileError::Cause::ChangedWhileRead);
    WriteFile(dir / "odd.img", Bytes(0x7E0001, 0));
    EXPECT_EQ(CauseOfLoading(dir / "odd.img", {}), FileError::Cause::WrongLength);
}

TEST(DurableReplace, LongNamesFitAndPermissionBitsFollowTheInputOrTheReplacedFile) {
    TempDir dir;
    const Bytes bytes = Pattern(5000, 3);
    // 255 bytes is the name limit here: the temporary's own name must not be what fails.
    const std::string longest = (dir / std::string(255, 'n')).string();
    DurableReplace::Write(longest, bytes.data(), bytes.size(), {});
    EXPECT_EQ(ReadFile(longest), bytes);
    EXPECT_THROW(DurableReplace::Check((dir / std::string(256, 'n')).string()), FileError);
    EXPECT_THROW(DurableReplace::Check(dir.Path().string()), FileError);

    WriteFile(dir / "input", bytes);
    chmod((dir / "input").c_str(), 0600);
    DurableReplace::Write(dir / "new", bytes.data(), bytes.size(), {false, dir / "input"});
    EXPECT_EQ(ModeOf(dir / "new"), 0600u);
    chmod((dir / "new").c_str(), 0640);
    DurableReplace::Write(dir / "new", bytes.data(), bytes.size(), {false, dir / "input"});
    EXPECT_EQ(ModeOf(dir / "new"), 0640u);
}

TEST(DurableReplace, RemovesTemporariesOfKilledRunsButNotOneStillBeingWritten) {
    TempDir dir;
    WriteFile(dir / ".kdn0badcafe.tmp", Bytes(10, 0));
    WriteFile(dir / ".kdn00000001.tmp", Bytes(10, 0));
    WriteFile(dir / ".kdnNOTOURS.tmp", Bytes(10, 0));
    const int writing = open((dir / ".kdn00000001.tmp").c_str(), O_RDONLY);
    ASSERT_EQ(flock(writing, LOCK_EX), 0);
    const Bytes bytes(100, 7);
    DurableReplace::Write(dir / "out", bytes.data(), bytes.size(), {});
    close(writing);
    EXPECT_FALSE(fs::exists(dir / ".kdn0badcafe.tmp"));
    EXPECT_TRUE(fs::exists(dir / ".kdn00000001.tmp"));
    EXPECT_TRUE(fs::exists(dir / ".kdnNOTOURS.tmp"));
    EXPECT_EQ(ReadFile(dir / "out"), bytes);
}
