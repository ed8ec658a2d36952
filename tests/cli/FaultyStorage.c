/* Preloaded into keldarin-cli by the tests to stand for storage the program cannot trust.
 * KELDARIN_FAULTY_WRITES=1: every large write to a regular file stores one byte altered, as a
 * failing disk or a broken network share would; the program's own code runs unchanged.
 * KELDARIN_OPEN_LOG=FILE: appends the name of every file the program opens, one a line. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

enum { kLargeWrite = 65536, kAlteredOffset = 0x1234 };

ssize_t write(int fd, const void* buffer, size_t count) {
    static ssize_t (*realWrite)(int, const void*, size_t);
    if (!realWrite)
        realWrite = (ssize_t(*)(int, const void*, size_t))dlsym(RTLD_NEXT, "write");
    struct stat info;
    if (count < kLargeWrite || !getenv("KELDARIN_FAULTY_WRITES") || fstat(fd, &info) != 0 ||
        !S_ISREG(info.st_mode))
        return realWrite(fd, buffer, count);
    unsigned char* altered = malloc(count);
    if (!altered)
        return realWrite(fd, buffer, count);
    memcpy(altered, buffer, count);
    altered[kAlteredOffset] ^= 0x5A;
    const ssize_t written = realWrite(fd, altered, count);
    free(altered);
    return written;
}

static void LogOpen(const char* path) {
    const char* log = getenv("KELDARIN_OPEN_LOG");
    if (!log)
        return;
    FILE* file = fopen(log, "a");
    if (file) {
        fprintf(file, "%s\n", path);
        fclose(file);
    }
}

static int RealOpen(const char* name, const char* path, int flags, mode_t mode) {
    int (*real)(const char*, int, ...) = (int (*)(const char*, int, ...))dlsym(RTLD_NEXT, name);
    return real(path, flags, mode);
}

int open(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = (flags & O_CREAT) ? va_arg(args, mode_t) : 0;
    va_end(args);
    LogOpen(path);
    return RealOpen("open", path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = (flags & O_CREAT) ? va_arg(args, mode_t) : 0;
    va_end(args);
    LogOpen(path);
    return RealOpen("open64", path, flags, mode);
}
