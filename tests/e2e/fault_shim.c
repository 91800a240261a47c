/* Loaded into a program with LD_PRELOAD: numbers every call that changes a file
 * (an open for writing or creation, a write, a sync, a rename, a deletion, a new
 * folder or link, a truncation) and, at the chosen number, kills the program or
 * makes that call fail as a full disk or a failing disk would.
 *
 *   FRAMEWISE_FAULT_AT    the number of the call to strike (1 is the first);
 *                         0 or unset: strike none, only count
 *   FRAMEWISE_FAULT_MODE  kill (SIGKILL), enospc or eio
 *   FRAMEWISE_FAULT_LOG   a file that gets one line per counted call:
 *                         "<number> <call> <path>"
 *
 * Only the process that loaded it counts: the variables are taken out of the
 * environment at once, so the game it starts runs without the shim, and a child
 * between fork and exec is not counted. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <unistd.h>

#define MAX_FDS 4096

static long strike_at;
static int strike_errno; /* 0: kill */
static int log_fd = -1;
static long counted;
static pid_t owner;
static char fd_paths[MAX_FDS][256];
static unsigned char fd_counted[MAX_FDS];

__attribute__((constructor)) static void shim_start(void) {
    const char* at = getenv("FRAMEWISE_FAULT_AT");
    const char* mode = getenv("FRAMEWISE_FAULT_MODE");
    const char* log = getenv("FRAMEWISE_FAULT_LOG");
    strike_at = at ? atol(at) : 0;
    strike_errno = 0;
    if (mode && strcmp(mode, "enospc") == 0) strike_errno = ENOSPC;
    if (mode && strcmp(mode, "eio") == 0) strike_errno = EIO;
    if (log && *log)
        log_fd = (int)syscall(SYS_openat, AT_FDCWD, log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC,
                              0644);
    owner = getpid();
    unsetenv("LD_PRELOAD");
    unsetenv("FRAMEWISE_FAULT_AT");
    unsetenv("FRAMEWISE_FAULT_MODE");
    unsetenv("FRAMEWISE_FAULT_LOG");
}

/* Counts one call; returns nonzero when this call must fail (errno is set then). */
static int strike(const char* call, const char* path) {
    if (getpid() != owner) return 0;
    ++counted;
    if (log_fd >= 0) {
        char line[PATH_MAX + 64];
        int n = snprintf(line, sizeof line, "%ld %s %s\n", counted, call, path ? path : "");
        if (n > 0)
            syscall(SYS_write, log_fd, line,
                    (size_t)(n < (int)sizeof line ? n : (int)sizeof line - 1));
    }
    if (counted != strike_at) return 0;
    if (strike_errno == 0) {
        syscall(SYS_kill, owner, SIGKILL);
        for (;;)
            pause();
    }
    errno = strike_errno;
    return 1;
}

static const char* fd_path(int fd) {
    return fd >= 0 && fd < MAX_FDS ? fd_paths[fd] : "";
}

static int writes_file(int fd) {
    return fd >= 0 && fd < MAX_FDS && fd_counted[fd];
}

static void opened(int fd, const char* path, int counts) {
    if (fd < 0 || fd >= MAX_FDS) return;
    fd_counted[fd] = (unsigned char)counts;
    snprintf(fd_paths[fd], sizeof fd_paths[fd], "%s", path ? path : "");
}

static int changes(int flags) {
    return (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0;
}

static int open_common(const char* call, int dirfd, const char* path, int flags, mode_t mode) {
    const int counts = changes(flags);
    if (counts && strike(call, path)) return -1;
    int fd = (int)syscall(SYS_openat, dirfd, path, flags, mode);
    if (fd >= 0) opened(fd, path, counts);
    return fd;
}

static mode_t mode_arg(int flags, va_list ap) {
    return (flags & (O_CREAT | __O_TMPFILE)) ? (mode_t)va_arg(ap, int) : 0;
}

int open(const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    mode_t mode = mode_arg(flags, ap);
    va_end(ap);
    return open_common("open", AT_FDCWD, path, flags, mode);
}
int open64(const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    mode_t mode = mode_arg(flags, ap);
    va_end(ap);
    return open_common("open", AT_FDCWD, path, flags, mode);
}
int openat(int dirfd, const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    mode_t mode = mode_arg(flags, ap);
    va_end(ap);
    return open_common("open", dirfd, path, flags, mode);
}
int openat64(int dirfd, const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    mode_t mode = mode_arg(flags, ap);
    va_end(ap);
    return open_common("open", dirfd, path, flags, mode);
}
int __open_2(const char* path, int flags) {
    return open_common("open", AT_FDCWD, path, flags, 0);
}
int __open64_2(const char* path, int flags) {
    return open_common("open", AT_FDCWD, path, flags, 0);
}
int __openat_2(int dirfd, const char* path, int flags) {
    return open_common("open", dirfd, path, flags, 0);
}
int creat(const char* path, mode_t mode) {
    return open_common("open", AT_FDCWD, path, O_CREAT | O_WRONLY | O_TRUNC, mode);
}
int creat64(const char* path, mode_t mode) {
    return creat(path, mode);
}

FILE* fopen(const char* path, const char* how) {
    typedef FILE* (*fopen_fn)(const char*, const char*);
    static fopen_fn real_fopen;
    if (!real_fopen) real_fopen = (fopen_fn)dlsym(RTLD_NEXT, "fopen");
    const int counts = how && (strchr(how, 'w') || strchr(how, 'a') || strchr(how, '+'));
    if (counts && strike("open", path)) return NULL;
    FILE* f = real_fopen(path, how);
    if (f) opened(fileno(f), path, counts);
    return f;
}
FILE* fopen64(const char* path, const char* how) {
    return fopen(path, how);
}

int close(int fd) {
    if (fd >= 0 && fd < MAX_FDS) fd_counted[fd] = 0;
    return (int)syscall(SYS_close, fd);
}

ssize_t write(int fd, const void* buf, size_t n) {
    if (writes_file(fd) && strike("write", fd_path(fd))) return -1;
    return syscall(SYS_write, fd, buf, n);
}
ssize_t pwrite(int fd, const void* buf, size_t n, off_t at) {
    if (writes_file(fd) && strike("write", fd_path(fd))) return -1;
    return syscall(SYS_pwrite64, fd, buf, n, at);
}
ssize_t pwrite64(int fd, const void* buf, size_t n, off_t at) {
    return pwrite(fd, buf, n, at);
}
ssize_t writev(int fd, const struct iovec* iov, int count) {
    if (writes_file(fd) && strike("write", fd_path(fd))) return -1;
    return syscall(SYS_writev, fd, iov, count);
}

int fsync(int fd) {
    if (strike("fsync", fd_path(fd))) return -1;
    return (int)syscall(SYS_fsync, fd);
}
int fdatasync(int fd) {
    if (strike("fsync", fd_path(fd))) return -1;
    return (int)syscall(SYS_fdatasync, fd);
}
int ftruncate(int fd, off_t size) {
    if (strike("truncate", fd_path(fd))) return -1;
    return (int)syscall(SYS_ftruncate, fd, size);
}
int ftruncate64(int fd, off_t size) {
    return ftruncate(fd, size);
}
int truncate(const char* path, off_t size) {
    if (strike("truncate", path)) return -1;
    return (int)syscall(SYS_truncate, path, size);
}
int truncate64(const char* path, off_t size) {
    return truncate(path, size);
}

ssize_t copy_file_range(int in, off_t* inAt, int out, off_t* outAt, size_t n, unsigned flags) {
    if (strike("write", fd_path(out))) return -1;
    return syscall(SYS_copy_file_range, in, inAt, out, outAt, n, flags);
}
ssize_t sendfile(int out, int in, off_t* at, size_t n) {
    if (strike("write", fd_path(out))) return -1;
    return syscall(SYS_sendfile, out, in, at, n);
}
ssize_t sendfile64(int out, int in, off_t* at, size_t n) {
    return sendfile(out, in, at, n);
}

int rename(const char* from, const char* to) {
    if (strike("rename", to)) return -1;
    return (int)syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, 0);
}
int renameat(int fromDir, const char* from, int toDir, const char* to) {
    if (strike("rename", to)) return -1;
    return (int)syscall(SYS_renameat2, fromDir, from, toDir, to, 0);
}
int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) {
    if (strike("rename", to)) return -1;
    return (int)syscall(SYS_renameat2, fromDir, from, toDir, to, flags);
}

int unlink(const char* path) {
    if (strike("unlink", path)) return -1;
    return (int)syscall(SYS_unlinkat, AT_FDCWD, path, 0);
}
int unlinkat(int dirfd, const char* path, int flags) {
    if (strike("unlink", path)) return -1;
    return (int)syscall(SYS_unlinkat, dirfd, path, flags);
}
int rmdir(const char* path) {
    if (strike("rmdir", path)) return -1;
    return (int)syscall(SYS_unlinkat, AT_FDCWD, path, AT_REMOVEDIR);
}
int remove(const char* path) {
    if (strike("unlink", path)) return -1;
    int rc = (int)syscall(SYS_unlinkat, AT_FDCWD, path, 0);
    if (rc != 0 && errno == EISDIR) rc = (int)syscall(SYS_unlinkat, AT_FDCWD, path, AT_REMOVEDIR);
    return rc;
}

int mkdir(const char* path, mode_t mode) {
    if (strike("mkdir", path)) return -1;
    return (int)syscall(SYS_mkdirat, AT_FDCWD, path, mode);
}
int mkdirat(int dirfd, const char* path, mode_t mode) {
    if (strike("mkdir", path)) return -1;
    return (int)syscall(SYS_mkdirat, dirfd, path, mode);
}

int link(const char* from, const char* to) {
    if (strike("link", to)) return -1;
    return (int)syscall(SYS_linkat, AT_FDCWD, from, AT_FDCWD, to, 0);
}
int linkat(int fromDir, const char* from, int toDir, const char* to, int flags) {
    if (strike("link", to)) return -1;
    return (int)syscall(SYS_linkat, fromDir, from, toDir, to, flags);
}
int symlink(const char* target, const char* path) {
    if (strike("symlink", path)) return -1;
    return (int)syscall(SYS_symlinkat, target, AT_FDCWD, path);
}
int symlinkat(const char* target, int dirfd, const char* path) {
    if (strike("symlink", path)) return -1;
    return (int)syscall(SYS_symlinkat, target, dirfd, path);
}
