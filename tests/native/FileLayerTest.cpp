#include "DurableReplace.h"
#include "DurableReplaceSystem.h"
#include "FileError.h"
#include "ImagePartReader.h"
#include "PendingOutputs.h"
#include "TestImages.h"
#include "posix/Features.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <tuple>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
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
// Flushes the file system that holds dir alone: sync() would wait for every file system, a
// stuck FUSE driver's too.
void FlushFileSystemOf(const fs::path& dir) {
    const int folder = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    syncfs(folder);
    close(folder);
}
// The file system's free bytes once the blocks of files rewritten or removed just before, which
// it frees in the background, are back.
std::uint64_t SettledFreeBytes(const fs::path& dir) {
    FlushFileSystemOf(dir);
    std::uint64_t last = 0;
    for (int read = 0; read < 50; ++read) {
        struct statvfs now;
        statvfs(dir.c_str(), &now);
        const std::uint64_t free = std::uint64_t(now.f_bfree) * now.f_frsize;
        if (free == last)
            break;
        last = free;
        usleep(100000);
    }
    return last;
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

// What the window converts at "Clonen" is the image as it was chosen, or nothing.
TEST(ImagePartReader, AChosenImageIsLoadedOnlyWhileItIsTheSameFileUnchanged) {
    TempDir dir;
    WriteFile(dir / "box.img", FullImage(true));
    const ImageFacts chosen = ImagePartReader::Inspect(dir / "box.img");
    Bytes part;
    ImagePartReader::LoadChosen(dir / "box.img", part, chosen);
    EXPECT_EQ(part, ExpectedOutput(FullImage(true), Bytes(part.begin(), part.begin() + 0x20000)));
    WriteFile(dir / "box.img", FullImage(false)); // the same length, the other variant
    EXPECT_THROW(ImagePartReader::LoadChosen(dir / "box.img", part, chosen), FileError);
    WriteFile(dir / "other.img", FullImage(true)); // the same bytes in another file
    fs::rename(dir / "other.img", dir / "box.img");
    EXPECT_THROW(ImagePartReader::LoadChosen(dir / "box.img", part, chosen), FileError);
}

TEST(DurableReplace, AShortReadBackSaysHowManyBytesAreMissing) {
    const Bytes bytes = Pattern(3000000, 1);
    try {
        DurableReplaceSystem::CompareReadBack(
            "out", DurableReplace::InMemory{bytes.data(), bytes.size()},
            [&](std::uint64_t at, unsigned char* to, std::size_t n) {
                const std::size_t got = std::min<std::size_t>(n, 2500000 - at);
                return std::copy_n(bytes.data() + at, got, to), got;
            });
        ADD_FAILURE() << "a short read-back passed";
    } catch (const FileError& error) {
        EXPECT_STREQ(error.what(), "verification failed: out reads back 500000 bytes too few; "
                                   "nothing was written");
    }
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
    chmod((dir / "new").c_str(), 0664); // bits that the umask would take
    DurableReplace::Write(dir / "new", bytes.data(), bytes.size(), {false, dir / "input"});
    EXPECT_EQ(ModeOf(dir / "new"), 0664u);
    // A link in the output's place is replaced by a new file, whatever it points to.
    fs::create_symlink("/dev/null", dir / "link");
    DurableReplace::Write(dir / "link", bytes.data(), bytes.size(), {false, dir / "input"});
    EXPECT_EQ(ModeOf(dir / "link"), 0600u);
    EXPECT_FALSE(fs::is_symlink(dir / "link"));
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

// Without unnamed files (the portable build) a pending output is named until a signal's removal.
TEST(DurableReplace, APendingOutputHasNoNameUntilFinishedAndDroppedLeavesTheOldFileAlone) {
    TempDir dir;
    const Bytes old(10, 1), bytes = Pattern(70000, 4);
    const auto files = [&] { return std::distance(fs::directory_iterator(dir.Path()), {}); };
    WriteFile(dir / "out", old);
    std::optional<PendingReplace> pending = DurableReplace::Begin(
        dir / "out", DurableReplace::InMemory{bytes.data(), bytes.size()}, {});
    EXPECT_EQ(ReadFile(dir / "out"), old);
    EXPECT_EQ(files(), KELDARIN_HAVE_O_TMPFILE ? 1 : 2);
    DurableReplace::RemovePendingTemporary(); // as a signal's handler does
    EXPECT_EQ(files(), 1);
    pending.reset();
    EXPECT_EQ(files(), 1);
    EXPECT_EQ(ReadFile(dir / "out"), old);
    DurableReplace::Write(dir / "out", bytes.data(), bytes.size(), {});
    EXPECT_EQ(ReadFile(dir / "out"), bytes);
}

// Attribute flags that forbid the change are found by the check a dry run makes: an immutable or
// append-only target, an immutable folder. A folder written into already is not checked again,
// and the write finds what the check would have, a vanished folder too, with the same words.
TEST(DurableReplace, ATargetOrFolderWhoseFlagsForbidTheChangeIsRefusedByTheCheck) {
    TempDir dir;
    const fs::path file = dir / "out.img";
    WriteFile(file, Bytes(10, 1));
    const auto setFlags = [](const fs::path& path, int flags) {
        const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
        const bool set = fd >= 0 && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        close(fd);
        return set;
    };
    const auto refusal = [](const std::function<void()>& write) -> std::string {
        try {
            write();
        } catch (const FileError& error) {
            return error.what();
        }
        return "no refusal";
    };
    DurableReplace::Options known;
    known.folder = DurableReplace::Folder::Known;
    const unsigned char byte = 0;
    const fs::path gone = dir / "gone" / "new.img";
    EXPECT_EQ(refusal([&] { DurableReplace::Write(gone, &byte, 1, known); }),
              "cannot create " + gone.string() + ": its folder " + (dir / "gone/").string() +
                  " does not exist");
    for (const auto& [flagged, flags, target, words] :
         {std::tuple{file, FS_IMMUTABLE_FL, file, "cannot replace "},
          std::tuple{file, FS_APPEND_FL, file, "cannot replace "},
          std::tuple{dir.Path(), FS_IMMUTABLE_FL, dir / "new.img", "cannot create "}}) {
        if (!KELDARIN_HAVE_FS_IOC_GETFLAGS || !setFlags(flagged, flags))
            GTEST_SKIP()
                << "needs root, a file system with attribute flags and a build that reads them";
        const std::string expected = words + target.string() + ": Operation not permitted";
        EXPECT_EQ(refusal([&] { DurableReplace::Check(target); }), expected);
        EXPECT_EQ(refusal([&] { DurableReplace::Write(target, &byte, 1, known); }), expected);
        setFlags(flagged, 0);
    }
}

// The head and the tail are shared where the file system allows it (a bare image's, on XFS) and
// copied where it refuses (ext4, or a full image's unaligned tail); a head file or a source
// written to since it was read is not taken. Verify reads back against the source.
TEST(DurableReplace, HeadAndTailAreByteExactClonedOrCopiedAndNotTakenOnceTheirFileChanged) {
    TempDir temporary;
    const char* reflink = std::getenv("KELDARIN_REFLINK_DIR");
    const Bytes bootLoader = BootLoader(Variant::k2x, 9);
    for (const fs::path& dir : {temporary.Path(), fs::path(reflink ? reflink : "")}) {
        if (dir.empty())
            continue;
        WriteFile(dir / "2x.bin", bootLoader);
        const File headSource = File::OpenForReading(dir / "2x.bin");
        const DurableReplace::SameAsFile headFile{&headSource, headSource.CurrentVersion()};
        DurableReplace::Options options;
        DurableReplace::FromFile content;
        for (const Bytes& input : {FullImage(false), BareImage(true)}) {
            WriteFile(dir / "in.img", input);
            const ImageFacts facts = ImagePartReader::Inspect(dir / "in.img");
            const std::uint64_t from = ImageLayout::ImagePartOffset(facts.kind) + 0x20000u;
            options.verify = true;
            const std::size_t tail = ImageLayout::ImagePartBytesInFile(facts.kind) - 0x20000u;
            content = {{bootLoader.data(), 0x20000},
                       headFile,
                       dir / "in.img",
                       facts.version,
                       from,
                       tail,
                       0x7E0000};
            fs::remove(dir / "out.img");
            const std::uint64_t before = SettledFreeBytes(dir);
            DurableReplace::Begin(dir / "out.img", content, options).Finish();
            const std::uint64_t after = SettledFreeBytes(dir);
            EXPECT_EQ(ReadFile(dir / "out.img"), ExpectedOutput(input, bootLoader)) << dir;
            if (KELDARIN_HAVE_FICLONERANGE && dir != temporary.Path() &&
                facts.kind == ImageLayout::ImageKind::Bare) {
                // shared, head too: fewer new blocks than the head has
                EXPECT_LT(before - std::min(before, after), 0x10000u);
            }
        }
        WriteFile(dir / "2x.bin", BootLoader(Variant::k2x, 10));
        fs::remove(dir / "out.img");
        DurableReplace::Begin(dir / "out.img", content, options).Finish();
        EXPECT_EQ(ReadFile(dir / "out.img"), ExpectedOutput(BareImage(true), bootLoader)) << dir;
        const int changing = open((dir / "in.img").c_str(), O_WRONLY);
        ASSERT_EQ(pwrite(changing, "x", 1, 0x30000), 1);
        close(changing);
        try {
            DurableReplace::Begin(dir / "new.img", content, options).Finish();
            ADD_FAILURE() << "a changed source was taken";
        } catch (const FileError& error) {
            EXPECT_EQ(error.GetCause(), FileError::Cause::ChangedWhileRead);
        }
        EXPECT_FALSE(fs::exists(dir / "new.img"));
        fs::remove(dir / "in.img"), fs::remove(dir / "out.img");
    }
    if (!reflink || !KELDARIN_HAVE_FICLONERANGE)
        GTEST_SKIP() << "the cloned half needs a build that shares blocks, and root to mount XFS";
}

// Outputs that share one flush of their file system get their names once it has returned: all
// of them, whole; or, where it fails (the store beneath the file system, filled, refuses the
// blocks it writes anew), none, each failing with the system's words, an earlier file left.
TEST(PendingOutputs, ASharedFlushNamesEveryOutputWholeOrFailsEachAndNamesNone) {
    const char* reflink = std::getenv("KELDARIN_REFLINK_DIR");
    if (!reflink)
        GTEST_SKIP() << "needs root to mount XFS on a loop device in a tmpfs";
    const fs::path mounts = fs::path(reflink).parent_path(), dir = mounts / "store" / "flaky";
    const std::vector<Bytes> contents{Pattern(300000, 1), Pattern(200000, 2), Pattern(5, 3)};
    const auto finish = [&](const std::string& name) {
        std::vector<InputResult> results;
        PendingOutputs group([&](const InputResult& result) { results.push_back(result); });
        for (std::size_t i = 0; i < contents.size(); ++i) {
            group.MakeRoom();
            InputResult result;
            result.output = dir / (name + std::to_string(i));
            PendingReplace pending = DurableReplace::Begin(
                result.output, DurableReplace::InMemory{contents[i].data(), contents[i].size()},
                {});
            EXPECT_EQ(pending.SharesFlush(), bool(KELDARIN_HAVE_SYNCFS));
            group.Add(std::move(result), std::move(pending));
        }
        group.FinishAll();
        return results;
    };
    const std::vector<InputResult> named = finish("named");
    for (std::size_t i = 0; i < contents.size(); ++i)
        EXPECT_EQ(ReadFile(named[i].output), contents[i]) << i;
    // Flushed each by itself, an output whose blocks happen to be kept passes.
    if (!KELDARIN_HAVE_SYNCFS)
        GTEST_SKIP() << "the failed flush needs a build that flushes a whole file system";
    const Bytes old(10, 1);
    WriteFile(dir / "failed0", old);
    FlushFileSystemOf(dir);
    for (std::ofstream fill(mounts / "store" / "fill"); fill << std::string(1 << 20, '\0');) {
    }
    for (const InputResult& result : finish("failed")) {
        ASSERT_TRUE(result.failure) << result.output;
        EXPECT_EQ(result.failure->reason,
                  "cannot write " + result.output + ": No space left on device");
    }
    fs::remove(mounts / "store" / "fill");
    EXPECT_EQ(ReadFile(dir / "failed0"), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 4) << "the named and the old one";
}
