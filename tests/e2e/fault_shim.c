// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

/* A preloaded library that makes one step of reading or writing the ticker's settings file fail,
 * so that the end-to-end tests can meet faults that hold even for root (who writes through any
 * permission): a directory that cannot be written, a full disk, an I/O error, a file that
 * cannot be read.
 *
 *   cc -shared -fPIC -o fault_shim.so fault_shim.c -ldl
 *   TIRLINK_FAULT=write:ENOSPC LD_PRELOAD=./fault_shim.so tirlink
 *
 * TIRLINK_FAULT is "<step>:<errno name>", the step one of
 *   open-read   opening tirlink.cfg for reading
 *   read        reading from it (the stream's error flag is set, nothing is read)
 *   open-write  creating or opening tirlink.cfg or its temporary file for writing
 *   write       writing to such a file
 *   fsync       flushing such a file to disk
 *   rename      renaming anything onto or from such a name
 * Only files whose name contains "tirlink.cfg" are touched; everything else passes through.
 * Each fault that fires is noted on the error stream as "fault_shim: <step> <errno name>", so a
 * test can tell that the fault was really met.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <unistd.h>

enum step { NONE, OPEN_READ, READ, OPEN_WRITE, WRITE, FSYNC, RENAME };

static const struct { const char* name; enum step step; } k_steps[] = {
    {"open-read", OPEN_READ}, {"read", READ}, {"open-write", OPEN_WRITE},
    {"write", WRITE},         {"fsync", FSYNC}, {"rename", RENAME},
};
static const struct { const char* name; int value; } k_errors[] = {
    {"EACCES", EACCES}, {"EPERM", EPERM}, {"ENOSPC", ENOSPC}, {"EDQUOT", EDQUOT},
    {"EIO", EIO},       {"EROFS", EROFS}, {"EXDEV", EXDEV},   {"EISDIR", EISDIR},
};

static enum step g_step = NONE;
static int g_errno = 0;
static const char* g_errname = "";
static const char* g_stepname = "";
static int g_parsed = 0;

/* File descriptors that belong to a settings file (up to this many are followed). */
#define MAX_FD 4096
static unsigned char g_ours[MAX_FD];

static void parse(void)
{
    if (g_parsed) return;
    g_parsed = 1;
    const char* setting = getenv("TIRLINK_FAULT");
    if (!setting) return;
    const char* colon = strchr(setting, ':');
    if (!colon) return;
    for (size_t i = 0; i < sizeof k_steps / sizeof k_steps[0]; ++i)
        if (strlen(k_steps[i].name) == (size_t)(colon - setting) && !strncmp(setting, k_steps[i].name, colon - setting)) {
            g_step = k_steps[i].step;
            g_stepname = k_steps[i].name;
        }
    for (size_t i = 0; i < sizeof k_errors / sizeof k_errors[0]; ++i)
        if (!strcmp(colon + 1, k_errors[i].name)) {
            g_errno = k_errors[i].value;
            g_errname = k_errors[i].name;
        }
    if (!g_errno) g_step = NONE;
}

static int ours(const char* path) { return path && strstr(path, "tirlink.cfg") != NULL; }

static int fire(enum step s)
{
    parse();
    if (g_step != s) return 0;
    /* The note goes straight to the descriptor: stdio might be what is being faulted. */
    char note[80];
    int n = snprintf(note, sizeof note, "fault_shim: %s %s\n", g_stepname, g_errname);
    if (n > 0) {
        ssize_t (*real_write)(int, const void*, size_t) = (ssize_t(*)(int, const void*, size_t))dlsym(RTLD_NEXT, "write");
        (void)real_write(2, note, (size_t)n);
    }
    errno = g_errno;
    return 1;
}

static void follow(int fd, const char* path)
{
    if (fd >= 0 && fd < MAX_FD) g_ours[fd] = (unsigned char)ours(path);
}

static int followed(int fd) { return fd >= 0 && fd < MAX_FD && g_ours[fd]; }

static int writing(int flags) { return (flags & O_ACCMODE) != O_RDONLY || (flags & O_CREAT); }

/* The next definition of name, normally the C library's. */
#define REAL(name) static __typeof__(name)* real_##name; if (!real_##name) real_##name = (__typeof__(name)*)dlsym(RTLD_NEXT, #name)

static int open_common(int dirfd, const char* path, int flags, mode_t mode, int at, int large)
{
    if (ours(path) && fire(writing(flags) ? OPEN_WRITE : OPEN_READ)) return -1;
    int fd;
    if (at) {
        if (large) { REAL(openat64); fd = real_openat64(dirfd, path, flags, mode); }
        else { REAL(openat); fd = real_openat(dirfd, path, flags, mode); }
    } else {
        if (large) { REAL(open64); fd = real_open64(path, flags, mode); }
        else { REAL(open); fd = real_open(path, flags, mode); }
    }
    follow(fd, path);
    return fd;
}

static mode_t mode_arg(int flags, va_list ap)
{
    return (flags & O_CREAT) || (flags & __O_TMPFILE) == __O_TMPFILE ? (mode_t)va_arg(ap, int) : 0;
}

int open(const char* path, int flags, ...)
{
    va_list ap; va_start(ap, flags); mode_t m = mode_arg(flags, ap); va_end(ap);
    return open_common(AT_FDCWD, path, flags, m, 0, 0);
}
int open64(const char* path, int flags, ...)
{
    va_list ap; va_start(ap, flags); mode_t m = mode_arg(flags, ap); va_end(ap);
    return open_common(AT_FDCWD, path, flags, m, 0, 1);
}
int openat(int dirfd, const char* path, int flags, ...)
{
    va_list ap; va_start(ap, flags); mode_t m = mode_arg(flags, ap); va_end(ap);
    return open_common(dirfd, path, flags, m, 1, 0);
}
int openat64(int dirfd, const char* path, int flags, ...)
{
    va_list ap; va_start(ap, flags); mode_t m = mode_arg(flags, ap); va_end(ap);
    return open_common(dirfd, path, flags, m, 1, 1);
}

static FILE* fopen_common(const char* path, const char* mode, int large)
{
    const int w = mode && (strchr(mode, 'w') || strchr(mode, 'a') || strchr(mode, '+'));
    if (ours(path) && fire(w ? OPEN_WRITE : OPEN_READ)) return NULL;
    FILE* f;
    if (large) { REAL(fopen64); f = real_fopen64(path, mode); }
    else { REAL(fopen); f = real_fopen(path, mode); }
    if (f) follow(fileno(f), path);
    return f;
}
FILE* fopen(const char* path, const char* mode) { return fopen_common(path, mode, 0); }
FILE* fopen64(const char* path, const char* mode) { return fopen_common(path, mode, 1); }

size_t fread(void* buf, size_t size, size_t n, FILE* f)
{
    REAL(fread);
    if (f && followed(fileno(f)) && fire(READ)) {
        f->_flags |= _IO_ERR_SEEN; /* what the C library sets when a read fails */
        return 0;
    }
    return real_fread(buf, size, n, f);
}

ssize_t read(int fd, void* buf, size_t n)
{
    REAL(read);
    if (followed(fd) && fire(READ)) return -1;
    return real_read(fd, buf, n);
}

ssize_t write(int fd, const void* buf, size_t n)
{
    REAL(write);
    if (followed(fd) && fire(WRITE)) return -1;
    return real_write(fd, buf, n);
}

int fsync(int fd)
{
    REAL(fsync);
    if (followed(fd) && fire(FSYNC)) return -1;
    return real_fsync(fd);
}

int fdatasync(int fd)
{
    REAL(fdatasync);
    if (followed(fd) && fire(FSYNC)) return -1;
    return real_fdatasync(fd);
}

int close(int fd)
{
    REAL(close);
    if (fd >= 0 && fd < MAX_FD) g_ours[fd] = 0;
    return real_close(fd);
}

int fclose(FILE* f)
{
    REAL(fclose);
    if (f) {
        const int fd = fileno(f);
        if (fd >= 0 && fd < MAX_FD) g_ours[fd] = 0;
    }
    return real_fclose(f);
}

int rename(const char* from, const char* to)
{
    REAL(rename);
    if ((ours(from) || ours(to)) && fire(RENAME)) return -1;
    return real_rename(from, to);
}

int renameat(int fromdir, const char* from, int todir, const char* to)
{
    REAL(renameat);
    if ((ours(from) || ours(to)) && fire(RENAME)) return -1;
    return real_renameat(fromdir, from, todir, to);
}

int renameat2(int fromdir, const char* from, int todir, const char* to, unsigned flags)
{
    REAL(renameat2);
    if ((ours(from) || ours(to)) && fire(RENAME)) return -1;
    return real_renameat2(fromdir, from, todir, to, flags);
}
