#include "CFile.h"
#include "TestImages.h"
#include "WindowDriver.h"

#include <gtest/gtest.h>

#include <string>

using TestImages::Bytes;
using TestImages::TempDir;

namespace {
std::string Win(const std::filesystem::path& path) {
    return path.string();
}

// Runs body and returns the CFileException it must throw.
template <class Body> CFileException Thrown(Body body) {
    try {
        body();
    } catch (const CFileException& error) {
        return error;
    }
    ADD_FAILURE() << "no CFileException was thrown";
    return CFileException("", CFileException::opening, 0);
}
} // namespace

TEST(CFile, AnOpenFileIsNotSharedWithAnyoneElse) {
    TempDir dir;
    TestImages::WriteFile(dir / "a.bin", Bytes(16, 1));
    CFile file(Win(dir / "a.bin").c_str(), CFile::modeRead);
    HANDLE other =
        CreateFileA(Win(dir / "a.bin").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(other, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    if (other != INVALID_HANDLE_VALUE)
        CloseHandle(other);
}

TEST(CFile, OpenFailsWhileAnotherProgramHoldsTheFile) {
    TempDir dir;
    TestImages::WriteFile(dir / "held.img", Bytes(16, 1));
    WindowDriver::HeldFile held(Win(dir / "held.img"));
    CFile file;
    EXPECT_FALSE(file.Open(Win(dir / "held.img").c_str(), CFile::modeRead));
    // The failure surfaces at the next use, naming the file and the reason.
    const CFileException error = Thrown([&] { file.GetLength(); });
    EXPECT_EQ(error.GetAction(), CFileException::opening);
    EXPECT_EQ(error.GetOsError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_STREQ(error.GetFileName(), Win(dir / "held.img").c_str());
    EXPECT_NE(std::string(error.GetErrorMessage()).find(Win(dir / "held.img")), std::string::npos);
}

TEST(CFile, ThrowingConstructorReportsAMissingFile) {
    TempDir dir;
    const CFileException error =
        Thrown([&] { CFile file(Win(dir / "missing.img").c_str(), CFile::modeRead); });
    EXPECT_EQ(error.GetAction(), CFileException::opening);
    EXPECT_EQ(error.GetOsError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(CFile, CreateTruncatesAndWritesTheWholeBuffer) {
    TempDir dir;
    const std::string path = Win(dir / "out.bin");
    TestImages::WriteFile(path, Bytes(100, 7));
    {
        CFile file(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        const unsigned char data[] = {1, 2, 3};
        file.Seek(0, CFile::begin);
        file.Write(data, sizeof data);
        file.Close();
    }
    EXPECT_EQ(TestImages::ReadFile(path), (Bytes{1, 2, 3}));
}

TEST(CFile, ReadFromAnOffsetStopsAtTheEndOfTheFile) {
    TempDir dir;
    const Bytes content = TestImages::Pattern(1000, 3);
    TestImages::WriteFile(dir / "a.bin", content);
    CFile file(Win(dir / "a.bin").c_str(), CFile::modeRead);
    EXPECT_EQ(file.GetLength(), 1000u);
    EXPECT_EQ(file.Seek(990, CFile::begin), 990u);
    unsigned char buffer[20] = {};
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 10u);
    EXPECT_TRUE(std::equal(buffer, buffer + 10, content.begin() + 990));
}

TEST(CFile, RemoveOfAMissingFileThrows) {
    TempDir dir;
    const CFileException error = Thrown([&] { CFile::Remove(Win(dir / "gone").c_str()); });
    EXPECT_EQ(error.GetAction(), CFileException::removing);
}
