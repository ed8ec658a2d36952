#include "DurableReplaceSystem.h"

#include "Features.h"
#include "PendingReplaceTemporary.h"
#include "PosixIo.h"
#include "Temporaries.h"

#include <algorithm>
#include <cstdint>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>

using Action = FileError::Action;
using PosixIo::Fail;
using PosixIo::FolderForOpen;
using namespace DurableReplaceSystem;

namespace {

// Whether the file's attribute flags (chattr +i, +a) forbid a change of its name or bytes;
// never where the system has no such flags. Where the file system tells them with the file's
// status, that is enough: opening the file only to ask costs each output three calls.
bool RefusesChange(const std::string& path, int openFlags) {
#if KELDARIN_HAVE_STATX_ATTRIBUTES
    constexpr auto kFlags = STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND;
    struct statx status;
    const int follow = (openFlags & O_NOFOLLOW) ? AT_SYMLINK_NOFOLLOW : 0;
    if (statx(AT_FDCWD, path.c_str(), follow, 0, &status) == 0 &&
        (status.stx_attributes_mask & kFlags) == kFlags)
        return (status.stx_attributes & kFlags) != 0;
#endif
#if KELDARIN_HAVE_FS_IOC_GETFLAGS
    const SystemHandle fd(open(path.c_str(), openFlags | O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    int flags = 0;
    return fd.IsOpen() && ioctl(fd.Get(), FS_IOC_GETFLAGS, &flags) == 0 &&
           (flags & (FS_IMMUTABLE_FL | FS_APPEND_FL)) != 0;
#else
    (void)path, (void)openFlags;
    return false;
#endif
}

// Whether the folder takes new names: writable, and not made immutable (chattr +i, +a).
void CheckFolderTakesNames(const std::string& folder, const std::string& target) {
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        Fail(Action::Create, target);
    if (RefusesChange(folder, O_DIRECTORY))
        Fail(Action::Create, target, EPERM);
}

// What a rename over the file at (of status file) needs besides a folder that takes names: a
// file that may be replaced, and in a sticky folder, a file of one's own.
void CheckReplaceable(const std::string& at, const struct stat& file, const std::string& folder,
                      const std::string& target) {
    if (RefusesChange(at, O_NOFOLLOW))
        Fail(Action::Replace, target, EPERM);
    const uid_t self = geteuid();
    struct stat dir;
    if (stat(folder.c_str(), &dir) == 0 && (dir.st_mode & S_ISVTX) && self != 0 &&
        self != file.st_uid && self != dir.st_uid)
        Fail(Action::Replace, target, EPERM);
}

// A new temporary in the folder, locked. Where the system and the file system can, it has no
// name yet, so that no kill can leave it behind; elsewhere it is named at once, for the next
// write into the folder to sweep should this run be killed.
std::unique_ptr<Temporary> OpenTemporary(const std::string& folder, mode_t mode,
                                         const std::string& target) {
#if KELDARIN_HAVE_O_TMPFILE
    SystemHandle unnamed(open(FolderForOpen(folder).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode));
    if (unnamed.IsOpen()) {
        Temporaries::Lock(unnamed.Get(), target);
        return std::make_unique<Temporary>(std::move(unnamed), target, Temporary::Unnamed{});
    }
    // EISDIR, ENOENT: older kernels' words for a file system without unnamed files.
    if (!PosixIo::IsRefusedHere(errno) && errno != EISDIR && errno != ENOENT)
        Fail(Action::Create, target);
#endif
    SystemHandle fd;
    const std::string named = TakeTemporaryName(folder, target, [&](const std::string& path) {
        fd = SystemHandle(open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode));
        if (!fd.IsOpen() && errno == EEXIST)
            return false;
        if (!fd.IsOpen())
            Fail(Action::Create, target);
        Temporaries::Lock(fd.Get(), target);
        // A sweeping run may have taken the name between the creation and the lock.
        struct stat info;
        return !(fstat(fd.Get(), &info) == 0 && info.st_nlink == 0);
    });
    auto temporary = std::make_unique<Temporary>(std::move(fd), target, Temporary::Named{named});
    Temporaries::Remember(named);
    return temporary;
}

// The bits a temporary is made with, and whether they are then set as they are, past the umask.
struct Permissions {
    mode_t mode;
    bool exact;
};

Permissions PermissionsFor(const Probe&) {
    return {0600, false};
}

Permissions PermissionsFor(const ForTarget& write) {
    struct stat info;
    // A replaced file keeps its bits exactly. A link in the target's place is replaced, not
    // written through: the output is a new file, whatever the bits of what the link points to.
    if (lstat(write.at.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        return {static_cast<mode_t>(info.st_mode & 07777), true};
    if (write.permissionsFrom && stat(write.permissionsFrom->c_str(), &info) == 0)
        return {static_cast<mode_t>(info.st_mode & 0777), false};
    return {0666, false};
}

// Lets the file system share length bytes of source from offset from as fd's from offset at:
// all of them or nothing.
bool Clone(int fd, int source, std::uint64_t from, std::size_t length, std::uint64_t at) {
#if KELDARIN_HAVE_FICLONERANGE
    file_clone_range range{};
    range.src_fd = source;
    range.src_offset = from;
    range.src_length = length;
    range.dest_offset = at;
    return ioctl(fd, FICLONERANGE, &range) == 0;
#else
    (void)fd, (void)source, (void)from, (void)length, (void)at;
    return false;
#endif
}

// Lets the kernel copy the tail without a round trip through this process; returns how much
// it copied before it declined, if it did.
std::size_t CopyTailInKernel(int fd, int source, const FromFile& content,
                             const std::string& target) {
    std::size_t done = 0;
#if KELDARIN_HAVE_COPY_FILE_RANGE
    while (done < content.sourceBytes) {
        loff_t in = static_cast<loff_t>(content.sourceAt + done);
        loff_t out = static_cast<loff_t>(content.head.size + done);
        const ssize_t copied =
            copy_file_range(source, &in, fd, &out, content.sourceBytes - done, 0);
        if (copied < 0 && errno == EINTR)
            continue;
        // EXDEV, EBADF: not between these two files, on older kernels. Nothing copied (a
        // source that ended early, or a file system that copies nothing itself) is for the
        // memory copy to judge.
        if (copied < 0 && (PosixIo::IsRefusedHere(errno) || errno == EXDEV || errno == EBADF))
            break;
        if (copied < 0)
            Fail(Action::Write, target);
        if (copied == 0)
            break;
        done += static_cast<std::size_t>(copied);
    }
#else
    (void)fd, (void)source, (void)content, (void)target;
#endif
    return done;
}

// The bits of the file the temporary replaces, past the umask. A file system without bits of
// its own for each file (FAT, exFAT, NTFS through their FUSE drivers) shows every file with the
// same: the temporary has them already, or the file system refuses a change it cannot hold.
void KeepBits(Temporary& temporary, mode_t mode, const std::string& target) {
    const int fd = temporary.Handle().Get();
    struct stat info;
    if (fstat(fd, &info) == 0 && (info.st_mode & 07777) == mode)
        return;
    // This process made the file: a refusal is the file system's, not one of ownership.
    if (fchmod(fd, mode) != 0 && !PosixIo::IsRefusedHere(errno))
        temporary.Abandon(FileError::System(Action::Create, target, errno));
}

void WriteZeros(int fd, std::size_t from, std::size_t to, const std::string& target) {
    static const unsigned char zeros[1 << 16] = {};
    for (std::size_t at = from; at < to; at += sizeof zeros)
        PosixIo::WriteAllAt(fd, zeros, std::min(sizeof zeros, to - at), at, target);
}

} // namespace

void DurableReplace::RemovePendingTemporary() noexcept {
    Temporaries::RemoveAll();
}

namespace DurableReplaceSystem {

const int kNameTaken = EEXIST;

std::string CheckTarget(const std::string& target, DurableReplace::Folder known) {
    const std::string at = PosixIo::Reachable(target);
    // A link in the target's place is replaced, but one to a folder is refused as that folder.
    struct stat file, linked;
    const bool there = lstat(at.c_str(), &file) == 0;
    if (there &&
        (S_ISDIR(file.st_mode) ||
         (S_ISLNK(file.st_mode) && stat(at.c_str(), &linked) == 0 && S_ISDIR(linked.st_mode))))
        Fail(Action::Replace, target, EISDIR);
    const std::string folderPart = Platform::FolderOf(at);
    const std::string folder = FolderForOpen(folderPart);
    const std::string name = at.substr(folderPart.size());
    errno = 0;
    const long nameMax = pathconf(folder.c_str(), _PC_NAME_MAX);
    if (nameMax < 0 && errno == ENOENT)
        throw FileError::FolderMissing(target, folder, ENOENT);
    if (nameMax < 0 && errno != 0)
        Fail(Action::Create, target);
    if (nameMax > 0 && name.size() > static_cast<std::size_t>(nameMax))
        Fail(Action::Create, target, ENAMETOOLONG);
    if (known == DurableReplace::Folder::New)
        CheckFolderTakesNames(folder, target);
    if (there && S_ISREG(file.st_mode))
        CheckReplaceable(at, file, folder, target);
    return at;
}

void RemoveStaleTemporaries(const std::string& folder) {
    DIR* dir = opendir(FolderForOpen(folder).c_str());
    if (!dir)
        return;
    while (const dirent* entry = readdir(dir)) {
        if (!DurableReplace::IsTemporaryName(entry->d_name))
            continue;
        const std::string path = folder + entry->d_name;
        const SystemHandle fd(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat held, named;
        // A write in progress holds the lock; a killed one has released it with its process.
        if (!fd.IsOpen() || flock(fd.Get(), LOCK_EX | LOCK_NB) != 0 ||
            fstat(fd.Get(), &held) != 0 || !S_ISREG(held.st_mode) ||
            lstat(path.c_str(), &named) != 0 || named.st_ino != held.st_ino ||
            named.st_dev != held.st_dev)
            continue;
        unlink(path.c_str());
    }
    closedir(dir);
}

std::unique_ptr<Temporary> CreateTemporary(const std::string& folder, const std::string& target,
                                           const Purpose& purpose) {
    const Permissions permissions =
        std::visit([](const auto& made) { return PermissionsFor(made); }, purpose);
    std::unique_ptr<Temporary> temporary =
        OpenTemporary(folder, permissions.exact ? 0600 : permissions.mode, target);
    // The umask applies to new files only.
    if (permissions.exact)
        KeepBits(*temporary, permissions.mode, target);
    return temporary;
}

void WriteHead(const SystemHandle& file, const InMemory& head, const std::string& target) {
    PosixIo::WriteAllAt(file.Get(), head.bytes, head.size, 0, target);
}

// Checked against the version the head's bytes were read at once shared: a change before the
// call shows then as well. The target then holds what was read, and was checked, or the head is
// written from memory over whatever the call left.
bool ShareHead(const SystemHandle& file, const FromFile& content) noexcept {
    if (!content.headFile)
        return false;
    try {
        const File& source = *content.headFile->file;
        return Clone(file.Get(), source.Handle().Get(), 0, content.head.size, 0) &&
               source.CurrentVersion() == content.headFile->version;
    } catch (...) {
        // Only for speed: a head file that cannot say its version leaves the copy in memory.
        return false;
    }
}

void WriteTail(const SystemHandle& file, const FromFile& content, const std::string& target) {
    File source = File::OpenForReading(content.source);
    const int fd = file.Get();
    const int in = source.Handle().Get();
    std::size_t done = Clone(fd, in, content.sourceAt, content.sourceBytes, content.head.size)
                           ? content.sourceBytes
                           : CopyTailInKernel(fd, in, content, target);
    CopyTailThroughMemory(source, content, done, [&](const unsigned char* bytes, std::size_t size) {
        PosixIo::WriteAllAt(fd, bytes, size, content.head.size + done, target);
        done += size;
    });
}

// A length that is right already is not set again: FAT through its FUSE driver refuses even
// that. Where a file system will not stretch a file, the zeros are written instead.
void SetLength(const SystemHandle& file, std::size_t size, const std::string& target) {
    struct stat info;
    if (fstat(file.Get(), &info) != 0)
        Fail(Action::Write, target);
    const auto length = static_cast<std::size_t>(info.st_size);
    if (length == size || ftruncate(file.Get(), static_cast<off_t>(size)) == 0)
        return;
    if (length > size || !PosixIo::IsRefusedHere(errno))
        Fail(Action::Write, target);
    WriteZeros(file.Get(), length, size, target);
}

void FlushForReadBack(const SystemHandle& file, const std::string& target) {
    if (fdatasync(file.Get()) != 0)
        Fail(Action::Write, target);
    // Dropping the cached pages makes the read come from the storage where the system can.
    posix_fadvise(file.Get(), 0, 0, POSIX_FADV_DONTNEED);
}

std::size_t ReadAt(const SystemHandle& file, std::uint64_t at, unsigned char* buffer,
                   std::size_t count, const std::string& target) {
    return PosixIo::ReadAllAt(file.Get(), at, buffer, count, target);
}

void StartWriteOut(const SystemHandle& file) noexcept {
#if KELDARIN_HAVE_SYNC_FILE_RANGE
    // Finish's flush then finds the write-out done or under way.
    sync_file_range(file.Get(), 0, 0, SYNC_FILE_RANGE_WRITE);
#else
    (void)file;
#endif
}

} // namespace DurableReplaceSystem
