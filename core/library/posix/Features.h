#pragma once

// The calls beyond POSIX that this side uses where the system has them, each KELDARIN_HAVE_…
// 1 or 0 by the system's own headers; the files of this side test only these. With
// KELDARIN_PORTABLE_POSIX (the CMake option of that name) each is 0, and every file takes its
// portable POSIX branch, as on a system without these calls.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/fs.h>
#endif

// Unnamed files, which no kill can leave behind, given a name by linkat once complete.
#if defined(O_TMPFILE) && !defined(KELDARIN_PORTABLE_POSIX)
#define KELDARIN_HAVE_O_TMPFILE 1
#else
#define KELDARIN_HAVE_O_TMPFILE 0
#endif

// Files sharing blocks (reflinks).
#if defined(FICLONERANGE) && !defined(KELDARIN_PORTABLE_POSIX)
#define KELDARIN_HAVE_FICLONERANGE 1
#else
#define KELDARIN_HAVE_FICLONERANGE 0
#endif

// A copy between two files within the kernel.
#if defined(__linux__) && !defined(KELDARIN_PORTABLE_POSIX)
#define KELDARIN_HAVE_COPY_FILE_RANGE 1
#else
#define KELDARIN_HAVE_COPY_FILE_RANGE 0
#endif

// A write-out started without waiting for it.
#if defined(SYNC_FILE_RANGE_WRITE) && !defined(KELDARIN_PORTABLE_POSIX)
#define KELDARIN_HAVE_SYNC_FILE_RANGE 1
#else
#define KELDARIN_HAVE_SYNC_FILE_RANGE 0
#endif

// The attribute flags of chattr: immutable, append-only; read by path where statx tells them.
#if defined(FS_IOC_GETFLAGS) && !defined(KELDARIN_PORTABLE_POSIX)
#define KELDARIN_HAVE_FS_IOC_GETFLAGS 1
#else
#define KELDARIN_HAVE_FS_IOC_GETFLAGS 0
#endif
#if defined(STATX_ATTR_IMMUTABLE) && !defined(KELDARIN_PORTABLE_POSIX)
#define KELDARIN_HAVE_STATX_ATTRIBUTES 1
#else
#define KELDARIN_HAVE_STATX_ATTRIBUTES 0
#endif

// One flush of a whole file system, which fails for any file of it whose write-back failed.
#if defined(__linux__) && !defined(KELDARIN_PORTABLE_POSIX)
#define KELDARIN_HAVE_SYNCFS 1
#else
#define KELDARIN_HAVE_SYNCFS 0
#endif
