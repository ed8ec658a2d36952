#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// An open file, closed when released. Failures throw FileError with the system's reason, naming
// the file; reads and writes loop until the whole request is done, so a short count means the
// end of the file.
class FileHandle {
public:
    static FileHandle OpenForReading(const std::string& path);
    // Returns nothing if the name exists already: a temporary never replaces someone else's
    // file. Messages name shownAs, the file the user knows of.
    static std::optional<FileHandle> CreateNew(const std::string& path, const std::string& shownAs);

    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) = delete;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle();

    std::uint64_t Length() const;
    void SeekTo(std::uint64_t offset);
    // Returns the number of bytes read; fewer than asked only at the end of the file.
    std::size_t Read(unsigned char* buffer, std::size_t count);
    void Write(const unsigned char* buffer, std::size_t count);
    // Puts the written bytes on the storage, so that a full or failing disk shows here and not
    // after the file has been given its final name.
    void Sync();
    // Tells the system that the cached bytes are no longer needed, so a later read comes from
    // the storage where it can. Only a hint.
    void DropCache();
    void Close();

private:
    FileHandle(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}
    [[noreturn]] void Fail(const char* what) const;

    int m_fd;
    std::string m_path;
};
