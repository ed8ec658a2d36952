#include "AtomicOutput.h"

#include "FileError.h"
#include "FileHandle.h"
#include "Messages.h"

#include <algorithm>
#include <filesystem>
#include <random>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// Read back in pieces, so that a check needs no second image-sized buffer.
constexpr std::size_t kCompareChunk = 1u << 20;
constexpr int kTempNameAttempts = 100;

std::string TempName(const fs::path& output) {
    static std::mt19937 random{std::random_device{}()};
    const fs::path name = "." + output.filename().string() + ".tmp" + std::to_string(random());
    return (output.parent_path() / name).string();
}

// Makes the rename itself durable; Windows has no such call for a folder.
void SyncFolder(const fs::path& folder) {
#ifndef _WIN32
    const int fd = open(folder.c_str(), O_RDONLY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
#else
    (void)folder;
#endif
}

} // namespace

void AtomicOutput::Write(const std::string& path, const std::vector<unsigned char>& bytes,
                         bool verify) {
    const fs::path output = fs::absolute(path);
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        const std::string tempPath = TempName(output);
        std::optional<FileHandle> temp = FileHandle::CreateNew(tempPath, path);
        if (!temp)
            continue;
        std::error_code ignored;
        try {
            temp->Write(bytes.data(), bytes.size());
            temp->Sync();
            temp->DropCache();
            temp->Close();
            if (verify)
                Compare(tempPath, path, bytes);
        } catch (...) {
            temp.reset();
            fs::remove(tempPath, ignored);
            throw;
        }
        std::error_code renameError;
        fs::rename(tempPath, output, renameError);
        if (renameError) {
            fs::remove(tempPath, ignored);
            throw FileError(Messages::FileOperationFailed("replace", path, renameError.message()));
        }
        SyncFolder(output.parent_path());
        return;
    }
    throw FileError(Messages::CannotCreate(path, "no free temporary name beside it"));
}

void AtomicOutput::Compare(const std::string& tempPath, const std::string& path,
                           const std::vector<unsigned char>& bytes) {
    FileHandle written = FileHandle::OpenForReading(tempPath);
    const std::uint64_t length = written.Length();
    if (length != bytes.size())
        throw FileError(Messages::OutputWrongLength(path, length));
    std::vector<unsigned char> chunk(kCompareChunk);
    for (std::size_t at = 0; at < bytes.size(); at += kCompareChunk) {
        const std::size_t want = std::min(kCompareChunk, bytes.size() - at);
        const std::size_t got = written.Read(chunk.data(), want);
        const auto expected = bytes.begin() + static_cast<std::ptrdiff_t>(at);
        const auto differ = std::mismatch(
            chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(got), expected);
        if (differ.first != chunk.begin() + static_cast<std::ptrdiff_t>(got))
            throw FileError(Messages::OutputDiffers(
                path, at + static_cast<std::size_t>(differ.first - chunk.begin())));
        if (got != want)
            throw FileError(Messages::OutputWrongLength(path, at + got));
    }
}
