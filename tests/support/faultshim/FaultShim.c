// Preloaded into a child test process (LD_PRELOAD) to make the file system fail underneath the
// product: write() after N bytes, or the Nth fsync()/fdatasync(), close() (of a file opened for
// writing) or rename(). Only files opened after arming whose path holds the armed filter text are
// touched; everything else goes straight to the C library. The test arms and disarms it through
// dxbk_fault_arm(), found with dlsym() in the child; nothing is read from the environment.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <unistd.h>

#define EXPORT __attribute__((visibility("default")))

enum
{
    OpNone = 0,
    OpWrite = 1, // write after n bytes fails
    OpSync = 2,  // the nth fsync() or fdatasync() fails
    OpClose = 3, // the nth close() fails (the descriptor is closed all the same)
    OpRename = 4 // the nth rename() fails and renames nothing
};

#define WATCHED_FDS 65536

static pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;
static int g_op = OpNone;
static char g_filter[4096];
static long long g_limit;
static long long g_written;
static long long g_calls;
static int g_errno = EIO;
static int g_hits;
// Per descriptor: 0 not watched, 1 watched, 2 watched and open for writing.
static unsigned char g_watched[WATCHED_FDS];

static void* next(const char* name)
{
    return dlsym(RTLD_NEXT, name);
}

#define REAL(type, name, ...)                                                                                \
    static type (*real)(__VA_ARGS__);                                                                        \
    if (!real) {                                                                                             \
        *(void**)(&real) = next(name);                                                                       \
    }

static int matches(const char* path)
{
    return path && g_filter[0] && strstr(path, g_filter) != NULL;
}

static int openedWith(int fd, const char* path, int flags)
{
    if (fd >= 0 && fd < WATCHED_FDS) {
        pthread_mutex_lock(&g_lock);
        g_watched[fd] = g_op == OpNone || !matches(path) ? 0 : (flags & (O_WRONLY | O_RDWR)) ? 2 : 1;
        pthread_mutex_unlock(&g_lock);
    }
    return fd;
}

static int watched(int fd)
{
    return fd >= 0 && fd < WATCHED_FDS && g_watched[fd];
}

static int watchedForWriting(int fd)
{
    return fd >= 0 && fd < WATCHED_FDS && g_watched[fd] == 2;
}

static mode_t modeOf(int flags, va_list args)
{
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? (mode_t)va_arg(args, int) : 0;
}

EXPORT void dxbk_fault_arm(int op, const char* filter, long long n, int error)
{
    pthread_mutex_lock(&g_lock);
    g_op = op;
    snprintf(g_filter, sizeof g_filter, "%s", filter ? filter : "");
    g_limit = n;
    g_written = 0;
    g_calls = 0;
    g_errno = error;
    g_hits = 0;
    memset(g_watched, 0, sizeof g_watched);
    pthread_mutex_unlock(&g_lock);
}

EXPORT void dxbk_fault_disarm(void)
{
    pthread_mutex_lock(&g_lock);
    g_op = OpNone;
    g_filter[0] = 0;
    memset(g_watched, 0, sizeof g_watched);
    pthread_mutex_unlock(&g_lock);
}

// How many calls were made to fail since arming.
EXPORT int dxbk_fault_hits(void)
{
    pthread_mutex_lock(&g_lock);
    const int hits = g_hits;
    pthread_mutex_unlock(&g_lock);
    return hits;
}

EXPORT int open(const char* path, int flags, ...)
{
    REAL(int, "open", const char*, int, ...);
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeOf(flags, args);
    va_end(args);
    return openedWith(real(path, flags, mode), path, flags);
}

EXPORT int open64(const char* path, int flags, ...)
{
    REAL(int, "open64", const char*, int, ...);
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeOf(flags, args);
    va_end(args);
    return openedWith(real(path, flags, mode), path, flags);
}

EXPORT int openat(int dirfd, const char* path, int flags, ...)
{
    REAL(int, "openat", int, const char*, int, ...);
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeOf(flags, args);
    va_end(args);
    return openedWith(real(dirfd, path, flags, mode), path, flags);
}

EXPORT int openat64(int dirfd, const char* path, int flags, ...)
{
    REAL(int, "openat64", int, const char*, int, ...);
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeOf(flags, args);
    va_end(args);
    return openedWith(real(dirfd, path, flags, mode), path, flags);
}

// The checked variants that _FORTIFY_SOURCE builds call.
EXPORT int __open_2(const char* path, int flags)
{
    REAL(int, "__open_2", const char*, int);
    return openedWith(real(path, flags), path, flags);
}

EXPORT int __open64_2(const char* path, int flags)
{
    REAL(int, "__open64_2", const char*, int);
    return openedWith(real(path, flags), path, flags);
}

EXPORT int __openat_2(int dirfd, const char* path, int flags)
{
    REAL(int, "__openat_2", int, const char*, int);
    return openedWith(real(dirfd, path, flags), path, flags);
}

EXPORT int __openat64_2(int dirfd, const char* path, int flags)
{
    REAL(int, "__openat64_2", int, const char*, int);
    return openedWith(real(dirfd, path, flags), path, flags);
}

EXPORT int creat(const char* path, mode_t mode)
{
    REAL(int, "creat", const char*, mode_t);
    return openedWith(real(path, mode), path, O_WRONLY);
}

EXPORT int creat64(const char* path, mode_t mode)
{
    REAL(int, "creat64", const char*, mode_t);
    return openedWith(real(path, mode), path, O_WRONLY);
}

// How many of count bytes a write to fd may pass: count, fewer (a short write), or -1 (fail).
static long long allowed(int fd, size_t count)
{
    long long pass = (long long)count;
    pthread_mutex_lock(&g_lock);
    if (g_op == OpWrite && watched(fd) && count > 0) {
        const long long left = g_limit - g_written;
        if (left <= 0) {
            ++g_hits;
            pass = -1;
        } else if ((long long)count > left) {
            pass = left;
        }
    }
    pthread_mutex_unlock(&g_lock);
    return pass;
}

static ssize_t wrote(int fd, ssize_t result)
{
    if (result > 0) {
        pthread_mutex_lock(&g_lock);
        if (g_op == OpWrite && watched(fd)) {
            g_written += result;
        }
        pthread_mutex_unlock(&g_lock);
    }
    return result;
}

EXPORT ssize_t write(int fd, const void* buffer, size_t count)
{
    REAL(ssize_t, "write", int, const void*, size_t);
    const long long pass = allowed(fd, count);
    if (pass < 0) {
        errno = g_errno;
        return -1;
    }
    return wrote(fd, real(fd, buffer, (size_t)pass));
}

EXPORT ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset)
{
    REAL(ssize_t, "pwrite", int, const void*, size_t, off_t);
    const long long pass = allowed(fd, count);
    if (pass < 0) {
        errno = g_errno;
        return -1;
    }
    return wrote(fd, real(fd, buffer, (size_t)pass, offset));
}

EXPORT ssize_t pwrite64(int fd, const void* buffer, size_t count, off64_t offset)
{
    REAL(ssize_t, "pwrite64", int, const void*, size_t, off64_t);
    const long long pass = allowed(fd, count);
    if (pass < 0) {
        errno = g_errno;
        return -1;
    }
    return wrote(fd, real(fd, buffer, (size_t)pass, offset));
}

EXPORT ssize_t writev(int fd, const struct iovec* iov, int count)
{
    REAL(ssize_t, "writev", int, const struct iovec*, int);
    size_t total = 0;
    for (int i = 0; i < count; ++i) {
        total += iov[i].iov_len;
    }
    const long long pass = allowed(fd, total);
    if (pass < 0) {
        errno = g_errno;
        return -1;
    }
    if ((size_t)pass == total) {
        return wrote(fd, real(fd, iov, count));
    }
    // Cut the vector at the allowed length.
    struct iovec cut[64];
    int used = 0;
    long long left = pass;
    for (int i = 0; i < count && used < 64 && left > 0; ++i) {
        cut[used] = iov[i];
        if ((long long)cut[used].iov_len > left) {
            cut[used].iov_len = (size_t)left;
        }
        left -= (long long)cut[used].iov_len;
        ++used;
    }
    return wrote(fd, real(fd, cut, used));
}

// True when this call is the one armed to fail.
static int nthCall(int op, int applies)
{
    int fail = 0;
    pthread_mutex_lock(&g_lock);
    if (g_op == op && applies && ++g_calls == g_limit) {
        ++g_hits;
        fail = 1;
    }
    pthread_mutex_unlock(&g_lock);
    return fail;
}

EXPORT int fsync(int fd)
{
    REAL(int, "fsync", int);
    if (nthCall(OpSync, watched(fd))) {
        errno = g_errno;
        return -1;
    }
    return real(fd);
}

EXPORT int fdatasync(int fd)
{
    REAL(int, "fdatasync", int);
    if (nthCall(OpSync, watched(fd))) {
        errno = g_errno;
        return -1;
    }
    return real(fd);
}

EXPORT int close(int fd)
{
    REAL(int, "close", int);
    // Closing a file only read loses nothing; the fault is for files written.
    const int fail = nthCall(OpClose, watchedForWriting(fd));
    if (fd >= 0 && fd < WATCHED_FDS) {
        pthread_mutex_lock(&g_lock);
        g_watched[fd] = 0;
        pthread_mutex_unlock(&g_lock);
    }
    const int result = real(fd);
    if (fail) {
        // As on a network file system that reports a deferred write error at close.
        errno = g_errno;
        return -1;
    }
    return result;
}

EXPORT int rename(const char* from, const char* to)
{
    REAL(int, "rename", const char*, const char*);
    if (nthCall(OpRename, matches(from) || matches(to))) {
        errno = g_errno;
        return -1;
    }
    return real(from, to);
}

EXPORT int renameat(int fromDir, const char* from, int toDir, const char* to)
{
    REAL(int, "renameat", int, const char*, int, const char*);
    if (nthCall(OpRename, matches(from) || matches(to))) {
        errno = g_errno;
        return -1;
    }
    return real(fromDir, from, toDir, to);
}

EXPORT int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned int flags)
{
    REAL(int, "renameat2", int, const char*, int, const char*, unsigned int);
    if (nthCall(OpRename, matches(from) || matches(to))) {
        errno = g_errno;
        return -1;
    }
    return real(fromDir, from, toDir, to, flags);
}
