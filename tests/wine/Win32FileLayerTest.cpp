#include "DurableReplace.h"
#include "File.h"
#include "FileError.h"
#include "FileSet.h"
#include "TestImages.h"
#include "WindowDriver.h"

#include <gtest/gtest.h>

#include <filesystem>

using TestImages::Bytes;
using TestImages::TempDir;
namespace fs = std::filesystem;

namespace {
std::size_t FileCount(const fs::path& dir) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {}));
}
} // namespace

// The Win32 side of the replace: whole or not at all, and a sweep that spares a live writer.
TEST(DurableReplace, ReplacesWholeOrNotAtAllAndRemovesOnlyDeadTemporaries) {
    TempDir dir;
    const std::string target = (dir.Path() / "box(2xImage).img").string();
    TestImages::WriteFile(target, Bytes{1, 2, 3});
    TestImages::WriteFile(dir.Path() / ".kdn0badcafe.tmp", Bytes(10, 0)); // a killed run's
    TestImages::WriteFile(dir.Path() / ".kdn00000001.tmp", Bytes(10, 0)); // a running one's
    const Bytes image(1000, 0x5A);
    {
        WindowDriver::HeldFile writing((dir.Path() / ".kdn00000001.tmp").string());
        DurableReplace::Write(target, image.data(), image.size(), {});
    }
    EXPECT_EQ(TestImages::ReadFile(target), image);
    EXPECT_FALSE(fs::exists(dir.Path() / ".kdn0badcafe.tmp"));
    EXPECT_TRUE(fs::exists(dir.Path() / ".kdn00000001.tmp"));
    EXPECT_EQ(FileCount(dir.Path()), 2u);

    {
        WindowDriver::HeldFile held(target);
        EXPECT_THROW(DurableReplace::Write(target, Bytes(5, 1).data(), 5, {}), FileError);
    }
    EXPECT_EQ(TestImages::ReadFile(target), image);
    // The running write has ended meanwhile, so its temporary went too; the failure left none.
    EXPECT_EQ(FileCount(dir.Path()), 1u);
}

TEST(FileSet, SameFileIsRecognisedWhateverTheSpelling) {
    TempDir dir;
    fs::create_directory(dir.Path() / "sub");
    TestImages::WriteFile(dir.Path() / "a.img", Bytes{1});
    TestImages::WriteFile(dir.Path() / "b.img", Bytes{1});
    const std::string a = (dir.Path() / "a.img").string();
    const std::string roundabout = (dir.Path() / "sub" / ".." / "a.img").string();
    EXPECT_TRUE(FileSet::Same(a, roundabout));
    EXPECT_FALSE(FileSet::Same(a, (dir.Path() / "b.img").string()));
    EXPECT_FALSE(FileSet::Same(a, (dir.Path() / "missing.img").string()));
    // Asking must work while the file is held open without sharing.
    WindowDriver::HeldFile held(a);
    EXPECT_TRUE(FileSet::Same(a, roundabout));
}

// A file's version follows its change time, which a program cannot set back as it can the
// last-write time: a write with the same length is seen however the times are set afterwards.
TEST(File, AWriteChangesTheVersionEvenWithTheLastWriteTimeSetBack) {
    TempDir dir;
    const std::string path = (dir.Path() / "box.img").string();
    TestImages::WriteFile(path, Bytes(100, 1));
    const File::Version before = File::OpenForReading(path).CurrentVersion();
    Sleep(50); // beyond the file system's time granularity
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE | FILE_WRITE_ATTRIBUTES, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME created, written;
    DWORD put = 0;
    ASSERT_TRUE(GetFileTime(file, &created, nullptr, &written));
    ASSERT_TRUE(WriteFile(file, "x", 1, &put, nullptr));
    ASSERT_TRUE(SetFileTime(file, &created, nullptr, &written));
    CloseHandle(file);
    const File::Version after = File::OpenForReading(path).CurrentVersion();
    EXPECT_EQ(after.length, before.length);
    EXPECT_FALSE(after == before);
}
