/* Preloaded into keldarin-cli by the tests to stand for storage the program cannot trust.
 * KELDARIN_FAULTY_WRITES=1: every large write (write, pwrite) to a regular file stores one byte
 * altered, as a failing disk or a broken network share would; the program's own code runs
 * unchanged.
 * KELDARIN_FAULTY_FOLDER_FLUSH=1: every flush of a folder fails with EIO, as a failing disk's
 * would; flushes of files still work.
 * KELDARIN_FAULTY_CLOSE=1: every close of a regular file open for writing fails with EIO after
 * closing it, as a network file system's failed write-back does. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

enum { kLargeWrite = 65536, kAlteredOffset = 0x1234 };

/* The bytes a faulty store keeps of a large write to a regular file, else the bytes as they are. */
static const void* Stored(int fd, const void* buffer, size_t count, unsigned char** altered) {
    struct stat info;
    *altered = NULL;
    if (count < kLargeWrite || !getenv("KELDARIN_FAULTY_WRITES") || fstat(fd, &info) != 0 ||
        !S_ISREG(info.st_mode) || !(*altered = malloc(count)))
        return buffer;
    memcpy(*altered, buffer, count);
    (*altered)[kAlteredOffset] ^= 0x5A;
    return *altered;
}

#define FAULTY(name, params, args)                                                                 \
    ssize_t name params {                                                                          \
        static ssize_t(*real) params;                                                              \
        if (!real)                                                                                 \
            real = (ssize_t(*) params)dlsym(RTLD_NEXT, #name);                                     \
        unsigned char* altered;                                                                    \
        buffer = Stored(fd, buffer, count, &altered);                                              \
        const ssize_t written = real args;                                                         \
        free(altered);                                                                             \
        return written;                                                                            \
    }
FAULTY(write, (int fd, const void* buffer, size_t count), (fd, buffer, count))
FAULTY(pwrite, (int fd, const void* buffer, size_t count, off_t at), (fd, buffer, count, at))
FAULTY(pwrite64, (int fd, const void* buffer, size_t count, off64_t at), (fd, buffer, count, at))

int fsync(int fd) {
    static int (*real)(int);
    if (!real)
        real = (int (*)(int))dlsym(RTLD_NEXT, "fsync");
    struct stat info;
    if (getenv("KELDARIN_FAULTY_FOLDER_FLUSH") && fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        errno = EIO;
        return -1;
    }
    return real(fd);
}

int close(int fd) {
    static int (*real)(int);
    if (!real)
        real = (int (*)(int))dlsym(RTLD_NEXT, "close");
    struct stat info;
    const int writable = (fcntl(fd, F_GETFL) & O_ACCMODE) != O_RDONLY;
    const int faulty = getenv("KELDARIN_FAULTY_CLOSE") && writable && fstat(fd, &info) == 0 &&
                       S_ISREG(info.st_mode);
    const int closed = real(fd);
    if (faulty && closed == 0) {
        errno = EIO;
        return -1;
    }
    return closed;
}
