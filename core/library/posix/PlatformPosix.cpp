#include "Platform.h"

#include "PosixIo.h"

#include <cstring>
#include <limits>
#include <sys/resource.h>

namespace Platform {

std::string SystemReason(int code) {
    return std::strerror(code);
}

bool IsOutOfHandles(int code) {
    return code == EMFILE || code == ENFILE;
}

std::size_t OpenFileLimit() {
    struct rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
        limit.rlim_cur > std::numeric_limits<std::size_t>::max())
        return std::numeric_limits<std::size_t>::max();
    return static_cast<std::size_t>(limit.rlim_cur);
}

std::string FolderOf(const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool IsVerbatim(const std::string&) {
    return false;
}

std::string Unprefixed(const std::string& path) {
    return path;
}

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/')
        return folder + name;
    return folder + '/' + name;
}

std::filesystem::path PathOf(const std::string& name) {
    return name;
}

std::string NameOf(const std::filesystem::path& path) {
    return path.string();
}

std::optional<std::string> Utf8Of(const std::string& name) {
    return name;
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return PosixIo::IdentityIn(info);
}

std::optional<FileIdentity> StandardOutputIdentity() {
    struct stat info;
    if (fstat(STDOUT_FILENO, &info) != 0)
        return std::nullopt;
    return PosixIo::IdentityIn(info);
}

} // namespace Platform
