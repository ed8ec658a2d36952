#include "DurableReplace.h"

#include "PosixIo.h"
#include "Temporaries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#ifdef __linux__
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

using Action = FileError::Action;
using PosixIo::Descriptor;
using PosixIo::Fail;
using PosixIo::FolderForOpen;

namespace {

// The file's attribute flags (chattr), or none where the file system has none.
int AttributeFlags(const std::string& path, int openFlags) {
#ifdef FS_IOC_GETFLAGS
    const Descriptor fd(open(path.c_str(), openFlags | O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    int flags = 0;
    if (fd.Get() >= 0 && ioctl(fd.Get(), FS_IOC_GETFLAGS, &flags) == 0)
        return flags;
#else
    (void)path, (void)openFlags;
#endif
    return 0;
}

bool RefusesChange(int flags) {
#ifdef FS_IOC_GETFLAGS
    return (flags & (FS_IMMUTABLE_FL | FS_APPEND_FL)) != 0;
#else
    (void)flags;
    return false;
#endif
}

// What a rename over at needs besides a writable folder: a folder that lets names change, a
// file of that name that may be replaced, and in a sticky folder, a file of one's own.
void CheckReplaceable(const std::string& at, const std::string& folder, const std::string& target) {
    if (RefusesChange(AttributeFlags(folder, O_DIRECTORY)))
        Fail(Action::Create, target, EPERM);
    struct stat file, dir;
    if (lstat(at.c_str(), &file) != 0 || !S_ISREG(file.st_mode))
        return;
    if (RefusesChange(AttributeFlags(at, O_NOFOLLOW)))
        Fail(Action::Replace, target, EPERM);
    const uid_t self = geteuid();
    if (stat(folder.c_str(), &dir) == 0 && (dir.st_mode & S_ISVTX) && self != 0 &&
        self != file.st_uid && self != dir.st_uid)
        Fail(Action::Replace, target, EPERM);
}

// Opens a new temporary in the folder, locked. On Linux it has no name yet, so that no kill
// can leave it behind; elsewhere, or where the file system cannot, it is named at once.
Descriptor OpenTemporary(const std::string& folder, mode_t mode, const std::string& shownAs,
                         std::string& named) {
#ifdef O_TMPFILE
    Descriptor unnamed(open(FolderForOpen(folder).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode));
    if (unnamed.Get() >= 0) {
        Temporaries::Lock(unnamed.Get(), shownAs);
        return unnamed;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT)
        Fail(Action::Create, shownAs);
#endif
    Descriptor fd;
    named = DurableReplace::TakeTemporaryName(folder, shownAs, [&](const std::string& path) {
        fd = Descriptor(open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode));
        if (fd.Get() < 0 && errno == EEXIST)
            return false;
        if (fd.Get() < 0)
            Fail(Action::Create, shownAs);
        Temporaries::Lock(fd.Get(), shownAs);
        // A sweeping run may have taken the name between the creation and the lock.
        struct stat info;
        return !(fstat(fd.Get(), &info) == 0 && info.st_nlink == 0);
    });
    return fd;
}

mode_t ModeFor(const std::string& target, const std::string& permissionsFrom, bool& keepExisting) {
    struct stat info;
    // A link in the target's place is replaced, not written through: the output is a new file,
    // whatever the bits of what the link points to.
    keepExisting = lstat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    if (keepExisting)
        return info.st_mode & 07777;
    if (!permissionsFrom.empty() && stat(permissionsFrom.c_str(), &info) == 0)
        return info.st_mode & 0777;
    return 0666;
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

const int DurableReplace::kNameTaken = EEXIST;

std::string DurableReplace::CheckTarget(const std::string& target) {
    const std::string at = PosixIo::Reachable(target);
    struct stat info;
    if (stat(at.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        Fail(Action::Replace, target, EISDIR);
    const std::string folderPart = Platform::FolderOf(at);
    const std::string folder = FolderForOpen(folderPart);
    const std::string name = at.substr(folderPart.size());
    if (access(folder.c_str(), F_OK) != 0 && errno == ENOENT)
        throw FileError::FolderMissing(target, folder, ENOENT);
    errno = 0;
    const long nameMax = pathconf(folder.c_str(), _PC_NAME_MAX);
    if (nameMax < 0 && errno != 0)
        Fail(Action::Create, target);
    if (nameMax > 0 && name.size() > static_cast<std::size_t>(nameMax))
        Fail(Action::Create, target, ENAMETOOLONG);
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        Fail(Action::Create, target);
    CheckReplaceable(at, folder, target);
    return at;
}

PendingReplace DurableReplace::CreateTemporary(const std::string& folder, const std::string& at,
                                               const std::string& target, const Options* write) {
    bool keepExisting = false;
    const mode_t mode = write ? ModeFor(at, write->permissionsFrom, keepExisting) : 0600;
    std::string named;
    Descriptor opened = OpenTemporary(folder, keepExisting ? 0600 : mode, target, named);
    const int fd = opened.Get();
    PendingReplace pending(opened.Release(), target, named);
    try {
        if (!named.empty())
            Temporaries::Remember(named);
        // A replaced file keeps its bits exactly; the umask applies only to new files.
        if (keepExisting && fchmod(fd, mode) != 0)
            Fail(Action::Create, target);
    } catch (const FileError& error) {
        pending.Abandon(error);
    }
    return pending;
}

void DurableReplace::WriteHead(Handle handle, const unsigned char* bytes, std::size_t size,
                               const std::string& target) {
    PosixIo::WriteAllAt(static_cast<int>(handle), bytes, size, 0, target);
}

void DurableReplace::SetLength(Handle handle, std::size_t size, const std::string& target) {
    if (ftruncate(static_cast<int>(handle), static_cast<off_t>(size)) != 0)
        Fail(Action::Write, target);
}

void DurableReplace::FlushForReadBack(Handle handle, const std::string& target) {
    const int fd = static_cast<int>(handle);
    if (fdatasync(fd) != 0)
        Fail(Action::Write, target);
    // Dropping the cached pages makes the read come from the storage where the system can.
    posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
}

std::size_t DurableReplace::ReadAt(Handle handle, std::uint64_t at, unsigned char* buffer,
                                   std::size_t count, const std::string& target) {
    return PosixIo::ReadAllAt(static_cast<int>(handle), at, buffer, count, target);
}

void DurableReplace::StartWriteOut(Handle handle) noexcept {
#ifdef SYNC_FILE_RANGE_WRITE
    // Finish's flush then finds the write-out done or under way.
    sync_file_range(static_cast<int>(handle), 0, 0, SYNC_FILE_RANGE_WRITE);
#else
    (void)handle;
#endif
}

void DurableReplace::WriteTail(Handle handle, const Options::Tail& tail,
                               const std::string& target) {
    const int fd = static_cast<int>(handle);
    File source = File::OpenForReading(tail.source);
    const int in = static_cast<int>(source.m_handle);
    std::size_t done =
        CloneTail(fd, in, tail) ? tail.length : CopyTailInKernel(fd, in, tail, target);
    CopyTailThroughMemory(source, tail, done, [&](const unsigned char* bytes, std::size_t size) {
        PosixIo::WriteAllAt(fd, bytes, size, tail.from + done, target);
        done += size;
    });
}

void DurableReplace::RemovePendingTemporary() noexcept {
    Temporaries::RemoveAll();
}

void DurableReplace::RemoveStaleTemporaries(const std::string& folder) {
    DIR* dir = opendir(FolderForOpen(folder).c_str());
    if (!dir)
        return;
    while (const dirent* entry = readdir(dir)) {
        if (!IsTemporaryName(entry->d_name))
            continue;
        const std::string path = folder + entry->d_name;
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
