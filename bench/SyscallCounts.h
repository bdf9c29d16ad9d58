// Counts the system calls of the stores (stat family, fsync and fdatasync,
// rename, directory listings) by standing before libc's: the engine's static
// libraries and libsqlite3 reach these first. It defines those functions, so
// one source of a bench program includes it.
#pragma once

#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>

namespace {

struct SyscallCounts {
    std::atomic<long> stats {0};
    std::atomic<long> syncs {0};
    std::atomic<long> renames {0};
    std::atomic<long> listings {0};
};

SyscallCounts gCalls;

template <typename F> F real(const char* name)
{
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" {
int stat(const char* __restrict path, struct stat* __restrict buf) __THROW
{
    static auto next = real<int (*)(const char*, struct stat*)>("stat");
    ++gCalls.stats;
    return next(path, buf);
}
int lstat(const char* __restrict path, struct stat* __restrict buf) __THROW
{
    static auto next = real<int (*)(const char*, struct stat*)>("lstat");
    ++gCalls.stats;
    return next(path, buf);
}
int fstat(int fd, struct stat* buf) __THROW
{
    static auto next = real<int (*)(int, struct stat*)>("fstat");
    ++gCalls.stats;
    return next(fd, buf);
}
int fstatat(int dirfd, const char* __restrict path, struct stat* __restrict buf, int flags) __THROW
{
    static auto next = real<int (*)(int, const char*, struct stat*, int)>("fstatat");
    ++gCalls.stats;
    return next(dirfd, path, buf, flags);
}
int statvfs(const char* __restrict path, struct statvfs* __restrict buf) __THROW
{
    static auto next = real<int (*)(const char*, struct statvfs*)>("statvfs");
    ++gCalls.stats;
    return next(path, buf);
}
int fsync(int fd)
{
    static auto next = real<int (*)(int)>("fsync");
    ++gCalls.syncs;
    return next(fd);
}
int fdatasync(int fd)
{
    static auto next = real<int (*)(int)>("fdatasync");
    ++gCalls.syncs;
    return next(fd);
}
int rename(const char* from, const char* to) __THROW
{
    static auto next = real<int (*)(const char*, const char*)>("rename");
    ++gCalls.renames;
    return next(from, to);
}
DIR* opendir(const char* name)
{
    static auto next = real<DIR* (*)(const char*)>("opendir");
    ++gCalls.listings;
    return next(name);
}
DIR* fdopendir(int fd)
{
    static auto next = real<DIR* (*)(int)>("fdopendir");
    ++gCalls.listings;
    return next(fd);
}
}
