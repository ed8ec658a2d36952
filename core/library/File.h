#pragma once

#include "Platform.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class SystemHandle;

// A regular file open for reading, closed when released. A folder, FIFO, device or socket is
// refused at once rather than waited on: an image or boot-loader file is only ever a file's
// bytes. On Windows it is opened without sharing, so no other program changes it meanwhile.
class File {
public:
    // Which file a path names and how far its bytes have got: any write to the file, or another
    // file taking its name, gives another version.
    struct Version {
        Platform::FileIdentity identity;
        std::uint64_t length = 0;
        std::int64_t changed = 0; // the system's own count of when the file last changed
        bool operator==(const Version& other) const {
            return identity == other.identity && length == other.length && changed == other.changed;
        }
    };

    // Throws FileError.
    static File OpenForReading(const std::string& path);

    File(File&& other) noexcept;
    ~File();

    std::uint64_t Length() const { return CurrentVersion().length; }
    Version CurrentVersion() const;
    // Reads from offset until count bytes are in or the file ends; returns how many came.
    std::size_t ReadAt(std::uint64_t offset, unsigned char* buffer, std::size_t count);
    const std::string& Path() const { return m_path; }
    // The open file itself, for the library's system side, which shares or copies a file's
    // blocks by it.
    const SystemHandle& Handle() const;

private:
    File(SystemHandle handle, std::string path);

    std::unique_ptr<SystemHandle> m_handle;
    std::string m_path;
};
