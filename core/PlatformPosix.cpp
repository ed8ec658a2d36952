// The POSIX side of the file layer.
#include "DurableReplace.h"
#include "File.h"
#include "FileError.h"
#include "Platform.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <optional>
#include <stdexcept>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>
#ifdef __linux__
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

using Action = FileError::Action;

namespace {

// One system call moves at most this much; a short count is simply continued.
constexpr std::size_t kMaxChunk = 1u << 30;
constexpr int kTemporaryNameAttempts = 100;

[[noreturn]] void Fail(Action action, const std::string& path, int code = errno) {
    throw FileError::System(action, path, code);
}

const char* KindOf(mode_t mode) {
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISSOCK(mode))
        return "a socket";
    return "a device";
}

// An open descriptor, closed when released.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    Descriptor(Descriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    ~Descriptor() {
        if (m_fd >= 0)
            close(m_fd);
    }
    int Get() const { return m_fd; }
    int Release() { return std::exchange(m_fd, -1); }
    // Closing is where a delayed write failure can show.
    int Close() { return close(std::exchange(m_fd, -1)); }

private:
    int m_fd;
};

std::string FolderForOpen(const std::string& folder) {
    return folder.empty() ? std::string(".") : folder;
}

void WriteAllAt(int fd, const unsigned char* bytes, std::size_t size, std::uint64_t offset,
                const std::string& shownAs) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t put = pwrite(fd, bytes + done, std::min(size - done, kMaxChunk),
                                   static_cast<off_t>(offset + done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            Fail(Action::Write, shownAs);
        // A file system that takes nothing without an error is as full as one that says so.
        if (put == 0)
            Fail(Action::Write, shownAs, ENOSPC);
        done += static_cast<std::size_t>(put);
    }
}

std::size_t ReadAllAt(int fd, std::uint64_t offset, unsigned char* buffer, std::size_t count,
                      const std::string& path) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = pread(fd, buffer + done, std::min(count - done, kMaxChunk),
                                  static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            Fail(Action::Read, path);
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

// The named temporaries of the pending replaces, for a signal handler to remove. Fixed buffers:
// a handler may not allocate.
struct PendingSlot {
    char path[PATH_MAX];
    volatile std::sig_atomic_t used;
};
PendingSlot g_pending[DurableReplace::kMaxPending];

void Remember(const std::string& path) {
    if (path.size() >= PATH_MAX)
        return;
    for (PendingSlot& slot : g_pending) {
        if (slot.used)
            continue;
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        // A handler must never see the flag before the whole name.
        std::atomic_signal_fence(std::memory_order_seq_cst);
        slot.used = 1;
        return;
    }
    throw std::logic_error("more than DurableReplace::kMaxPending replaces pending at once");
}

void Forget(const std::string& path) noexcept {
    for (PendingSlot& slot : g_pending) {
        if (slot.used && path == slot.path) {
            slot.used = 0;
            return;
        }
    }
}

// Takes the lock that tells a sweeping run that this temporary is still being written.
void Lock(int fd, const std::string& shownAs) {
    while (flock(fd, LOCK_EX) != 0)
        if (errno != EINTR)
            Fail(Action::Create, shownAs);
}

// Gives an unnamed temporary a name of the pattern, still locked.
bool LinkUnnamed(int fd, const std::string& path) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    // Without /proc, the same by descriptor, which needs more privilege.
    if (linkat(fd, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0)
        return true;
    return false;
}

Platform::FileIdentity IdentityIn(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

// The change time, not the modification time: a program can set the latter back.
File::Version VersionOf(const struct stat& info) {
    File::Version version;
    version.identity = IdentityIn(info);
    version.length = static_cast<std::uint64_t>(info.st_size);
    version.changed =
        static_cast<std::int64_t>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    return version;
}

} // namespace

namespace Platform {

std::string SystemReason(int code) {
    return std::strerror(code);
}

std::string FolderOf(const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return IdentityIn(info);
}

} // namespace Platform

File File::OpenForReading(const std::string& path) {
    // Non-blocking, so that opening a FIFO does not wait for a writer; the type test follows.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        Fail(Action::Open, path);
    File file(fd, path);
    struct stat info;
    if (fstat(fd, &info) != 0)
        Fail(Action::Open, path);
    if (S_ISDIR(info.st_mode))
        Fail(Action::Read, path, EISDIR);
    if (!S_ISREG(info.st_mode))
        throw FileError::NotARegularFile(Action::Open, path, KindOf(info.st_mode));
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return file;
}

File::File(File&& other) noexcept
    : m_handle(std::exchange(other.m_handle, -1)), m_path(std::move(other.m_path)) {}

File::~File() {
    if (m_handle >= 0)
        close(static_cast<int>(m_handle));
}

File::Version File::CurrentVersion() const {
    struct stat info;
    if (fstat(static_cast<int>(m_handle), &info) != 0)
        Fail(Action::Read, m_path);
    return VersionOf(info);
}

std::size_t File::ReadAt(std::uint64_t offset, unsigned char* buffer, std::size_t count) {
    return ReadAllAt(static_cast<int>(m_handle), offset, buffer, count, m_path);
}

void DurableReplace::Check(const std::string& target) {
    struct stat info;
    if (stat(target.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        Fail(Action::Replace, target, EISDIR);
    const std::string folderPart = Platform::FolderOf(target);
    const std::string folder = FolderForOpen(folderPart);
    const std::string name = target.substr(folderPart.size());
    errno = 0;
    const long nameMax = pathconf(folder.c_str(), _PC_NAME_MAX);
    if (nameMax < 0 && errno != 0)
        Fail(Action::Create, target);
    if (nameMax > 0 && name.size() > static_cast<std::size_t>(nameMax))
        Fail(Action::Create, target, ENAMETOOLONG);
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        Fail(Action::Create, target);
}

namespace {

// Opens a new temporary in the folder, locked. On Linux it has no name yet, so that no kill
// can leave it behind; elsewhere, or where the file system cannot, it is named at once.
Descriptor OpenTemporary(const std::string& folder, mode_t mode, const std::string& shownAs,
                         std::string& named) {
#ifdef O_TMPFILE
    Descriptor unnamed(open(FolderForOpen(folder).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode));
    if (unnamed.Get() >= 0) {
        Lock(unnamed.Get(), shownAs);
        return unnamed;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT)
        Fail(Action::Create, shownAs);
#endif
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        const std::string path = folder + DurableReplace::NewTemporaryName();
        Descriptor fd(open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode));
        if (fd.Get() < 0 && errno == EEXIST)
            continue;
        if (fd.Get() < 0)
            Fail(Action::Create, shownAs);
        Lock(fd.Get(), shownAs);
        // A sweeping run may have taken the name between the creation and the lock.
        struct stat info;
        if (fstat(fd.Get(), &info) == 0 && info.st_nlink == 0)
            continue;
        named = path;
        return fd;
    }
    Fail(Action::Create, shownAs, EEXIST);
}

mode_t ModeFor(const std::string& target, const std::string& permissionsFrom, bool& keepExisting) {
    struct stat info;
    keepExisting = stat(target.c_str(), &info) == 0;
    if (keepExisting)
        return info.st_mode & 07777;
    if (!permissionsFrom.empty() && stat(permissionsFrom.c_str(), &info) == 0)
        return info.st_mode & 0777;
    return 0666;
}

void Verify(int fd, const std::string& target, const unsigned char* bytes, std::size_t size,
            const DurableReplace::Options::Tail* tail) {
    // Dropping the cached pages makes the read come from the storage where the system can.
    fdatasync(fd);
    posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    DurableReplace::CompareReadBack(target, bytes, size, tail,
                                    [&](std::uint64_t at, unsigned char* buffer, std::size_t n) {
                                        return ReadAllAt(fd, at, buffer, n, target);
                                    });
    unsigned char extra;
    if (ReadAllAt(fd, size, &extra, 1, target) != 0)
        throw FileError::VerificationFailed(target, "verification failed: " + target +
                                                        " reads back more bytes than written; "
                                                        "nothing was written");
}

// Lets the file system share the source's blocks: all of the tail or nothing.
bool CloneTail(int fd, int source, const DurableReplace::Options::Tail& tail) {
#ifdef FICLONERANGE
    file_clone_range range{};
    range.src_fd = source;
    range.src_offset = tail.sourceAt;
    range.src_length = tail.length;
    range.dest_offset = tail.from;
    return ioctl(fd, FICLONERANGE, &range) == 0;
#else
    (void)fd, (void)source, (void)tail;
    return false;
#endif
}

// Lets the kernel copy the tail without a round trip through this process; returns how much
// it copied before it declined, if it did.
std::size_t CopyTailInKernel(int fd, int source, const DurableReplace::Options::Tail& tail,
                             const std::string& target) {
    std::size_t done = 0;
#ifdef __linux__
    while (done < tail.length) {
        loff_t in = static_cast<loff_t>(tail.sourceAt + done);
        loff_t out = static_cast<loff_t>(tail.from + done);
        const ssize_t copied = copy_file_range(source, &in, fd, &out, tail.length - done, 0);
        if (copied < 0 && errno == EINTR)
            continue;
        if (copied < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                           errno == EOPNOTSUPP || errno == EBADF))
            break;
        if (copied < 0)
            Fail(Action::Write, target);
        if (copied == 0)
            throw FileError::ChangedSinceRead(tail.source);
        done += static_cast<std::size_t>(copied);
    }
#else
    (void)fd, (void)source, (void)tail, (void)target;
#endif
    return done;
}

} // namespace

PendingReplace DurableReplace::Begin(const std::string& target, const unsigned char* bytes,
                                     std::size_t size, const Options& options) {
    Check(target);
    const std::string folder = Platform::FolderOf(target);
    RemoveStaleTemporaries(FolderForOpen(folder));

    bool keepExisting = false;
    const mode_t mode = ModeFor(target, options.permissionsFrom, keepExisting);
    std::string named;
    Descriptor opened = OpenTemporary(folder, keepExisting ? 0600 : mode, target, named);
    const int fd = opened.Get();
    // From here on the pending replace removes the temporary should anything fail.
    PendingReplace pending(opened.Release(), target, named);
    if (!named.empty())
        Remember(named);
    // A replaced file keeps its bits exactly; the umask applies only to new files.
    if (keepExisting && fchmod(fd, mode) != 0)
        Fail(Action::Create, target);
    WriteAllAt(fd, bytes, options.tail ? options.tail->from : size, 0, target);
    if (options.tail) {
        WriteTail(fd, *options.tail, target);
        if (ftruncate(fd, static_cast<off_t>(size)) != 0) // the zeros after the tail
            Fail(Action::Write, target);
    }
    if (options.verify)
        Verify(fd, target, bytes, size, options.tail ? &*options.tail : nullptr);
#ifdef SYNC_FILE_RANGE_WRITE
    // Starts the write-out without waiting for it: Finish's flush then finds it done or under way.
    sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
    return pending;
}

void DurableReplace::WriteTail(std::intptr_t handle, const Options::Tail& tail,
                               const std::string& target) {
    const int fd = static_cast<int>(handle);
    File source = File::OpenForReading(tail.source);
    const int in = static_cast<int>(source.m_handle);
    std::size_t done =
        CloneTail(fd, in, tail) ? tail.length : CopyTailInKernel(fd, in, tail, target);
    CopyTailThroughMemory(source, tail, done, [&](const unsigned char* bytes, std::size_t size) {
        WriteAllAt(fd, bytes, size, tail.from + done, target);
        done += size;
    });
}

PendingReplace::PendingReplace(PendingReplace&& other) noexcept
    : m_handle(std::exchange(other.m_handle, -1)), m_target(std::move(other.m_target)),
      m_named(std::exchange(other.m_named, std::string())) {}

PendingReplace::~PendingReplace() {
    Discard();
}

void PendingReplace::Discard() noexcept {
    if (!m_named.empty()) {
        unlink(m_named.c_str());
        Forget(m_named);
        m_named.clear();
    }
    if (m_handle >= 0)
        close(static_cast<int>(std::exchange(m_handle, -1)));
}

void PendingReplace::FinishNamed() {
    const int fd = static_cast<int>(m_handle);
    const std::string folder = Platform::FolderOf(m_target);
    try {
        if (fsync(fd) != 0)
            Fail(Action::Write, m_target);
        for (int attempt = 0; m_named.empty() && attempt < kTemporaryNameAttempts; ++attempt) {
            const std::string path = folder + DurableReplace::NewTemporaryName();
            if (LinkUnnamed(fd, path)) {
                m_named = path;
                Remember(m_named);
            } else if (errno != EEXIST) {
                Fail(Action::Create, m_target);
            }
        }
        if (m_named.empty())
            Fail(Action::Create, m_target, EEXIST);
        if (rename(m_named.c_str(), m_target.c_str()) != 0)
            Fail(Action::Replace, m_target);
    } catch (...) {
        Discard();
        throw;
    }
    Forget(m_named);
    m_named.clear();
    if (close(static_cast<int>(std::exchange(m_handle, -1))) != 0)
        Fail(Action::Write, m_target);
}

void PendingReplace::SyncFolderOf(const std::string& target) noexcept {
    // The rename itself must reach the storage too.
    const std::string folder = FolderForOpen(Platform::FolderOf(target));
    Descriptor folderFd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderFd.Get() >= 0)
        fsync(folderFd.Get());
}

void DurableReplace::RemovePendingTemporary() noexcept {
    for (const PendingSlot& slot : g_pending)
        if (slot.used)
            unlink(slot.path);
}

void DurableReplace::RemoveStaleTemporaries(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    const std::string prefix = folder == "." ? std::string() : folder + "/";
    while (const dirent* entry = readdir(dir)) {
        if (!IsTemporaryName(entry->d_name))
            continue;
        const std::string path = prefix + entry->d_name;
        Descriptor fd(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat held, named;
        // A write in progress holds the lock; a killed one has released it with its process.
        if (fd.Get() < 0 || flock(fd.Get(), LOCK_EX | LOCK_NB) != 0 ||
            fstat(fd.Get(), &held) != 0 || !S_ISREG(held.st_mode) ||
            lstat(path.c_str(), &named) != 0 || named.st_ino != held.st_ino ||
            named.st_dev != held.st_dev)
            continue;
        unlink(path.c_str());
    }
    closedir(dir);
}
