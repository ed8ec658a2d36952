#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

class SystemHandle;

// A device, FIFO or socket (on Windows a character device such as NUL or CON, or a pipe) open
// for writing as it is: nothing is created, truncated or replaced, as a shell's redirection
// writes to it. Closed when released.
class DeviceOutput {
public:
    // Opens path, links followed, when it names such a thing; nothing when it names a regular
    // file, a folder or nothing at all, which are a durable replace's to judge. Throws FileError
    // for one that cannot be opened, and for a disk or block device, which holds a file system,
    // not text. A FIFO waits here for its reader, as a redirection does.
    static std::optional<DeviceOutput> OpenIfDevice(const std::string& path);

    DeviceOutput(DeviceOutput&& other) noexcept;
    ~DeviceOutput();

    // Throws FileError.
    void Write(const unsigned char* bytes, std::size_t size);

private:
    DeviceOutput(SystemHandle handle, std::string path);

    std::unique_ptr<SystemHandle> m_handle;
    std::string m_path;
};
