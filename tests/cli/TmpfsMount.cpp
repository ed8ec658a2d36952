#include "TmpfsMount.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <sys/mount.h>

TmpfsMount::TmpfsMount(const std::filesystem::path& where, const std::string& size)
    : m_where(where) {
    std::filesystem::create_directories(where);
    const std::string options = "size=" + size;
    m_mounted = mount("tmpfs", where.c_str(), "tmpfs", 0, options.c_str()) == 0;
    if (!m_mounted)
        m_why = "cannot mount a tmpfs on " + where.string() + ": " + std::strerror(errno);
}

TmpfsMount::~TmpfsMount() {
    if (m_mounted)
        umount2(m_where.c_str(), MNT_DETACH);
}

void TmpfsMount::RemountReadOnly() {
    if (mount("tmpfs", m_where.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) != 0)
        throw std::runtime_error("cannot remount read-only: " + std::string(std::strerror(errno)));
}
