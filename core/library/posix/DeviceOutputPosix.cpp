#include "DeviceOutput.h"

#include "PosixIo.h"

#include <fcntl.h>

using Action = FileError::Action;
using PosixIo::Fail;

namespace {

bool TakesTextAsItIs(mode_t mode) {
    return S_ISCHR(mode) || S_ISFIFO(mode) || S_ISSOCK(mode);
}

// Where open found a regular file or a folder, the replace judges it; a block device is refused.
bool IsForTheReplace(const std::string& path, mode_t mode) {
    if (S_ISBLK(mode))
        throw FileError::NotARegularFile(Action::Write, path, "a block device");
    return !TakesTextAsItIs(mode);
}

} // namespace

std::optional<DeviceOutput> DeviceOutput::OpenIfDevice(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || IsForTheReplace(path, info.st_mode))
        return std::nullopt;
    // A terminal named here never becomes the run's controlling one.
    SystemHandle fd(open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
    if (!fd.IsOpen())
        Fail(Action::Open, path);
    // Asked again of what was opened: another file may have taken the name meanwhile.
    if (fstat(fd.Get(), &info) != 0)
        Fail(Action::Open, path);
    if (IsForTheReplace(path, info.st_mode))
        return std::nullopt;
    return DeviceOutput(std::move(fd), path);
}

void DeviceOutput::Write(const unsigned char* bytes, std::size_t size) {
    PosixIo::WriteAll(m_handle->Get(), bytes, size, m_path);
}
