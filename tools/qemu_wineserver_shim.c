/* Loaded into the wineserver (LD_PRELOAD) when Wine's 32-bit processes run
 * under qemu's user mode, on kernels that cannot run 32-bit code themselves.
 *
 * qemu places a guest's address space at an offset (its guest base) inside the
 * host process, while the wineserver reads and writes other processes' memory
 * at their own addresses through /proc/<pid>/mem and ptrace. Without this shim
 * ReadProcessMemory under qemu returns the bytes of the wrong page. The shim
 * adds the guest base of the target process, which is where its lowest mapping
 * begins (qemu reserves the whole guest space in one block from there). */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ptrace.h>
#include <sys/types.h>
#include <unistd.h>

static unsigned long GuestBase(pid_t pid)
{
    char path[64], target[256];
    snprintf(path, sizeof path, "/proc/%d/exe", (int)pid);
    ssize_t n = readlink(path, target, sizeof target - 1);
    if (n <= 0)
        return 0;
    target[n] = '\0';
    if (strstr(target, "qemu-") == NULL)
        return 0;
    snprintf(path, sizeof path, "/proc/%d/maps", (int)pid);
    FILE* maps = fopen(path, "r");
    if (maps == NULL)
        return 0;
    unsigned long base = 0;
    if (fscanf(maps, "%lx", &base) != 1)
        base = 0;
    fclose(maps);
    return base;
}

static pid_t MemoryFileOwner(int fd)
{
    char path[64], target[64];
    snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
    ssize_t n = readlink(path, target, sizeof target - 1);
    if (n <= 0)
        return -1;
    target[n] = '\0';
    int pid;
    char tail[8];
    if (sscanf(target, "/proc/%d/%7s", &pid, tail) != 2 || strcmp(tail, "mem") != 0)
        return -1;
    return pid;
}

static off_t Shift(int fd, off_t offset)
{
    pid_t pid = MemoryFileOwner(fd);
    return pid > 0 ? offset + (off_t)GuestBase(pid) : offset;
}

ssize_t pread(int fd, void* buffer, size_t count, off_t offset)
{
    static ssize_t (*real)(int, void*, size_t, off_t);
    if (!real)
        real = (ssize_t(*)(int, void*, size_t, off_t))dlsym(RTLD_NEXT, "pread");
    return real(fd, buffer, count, Shift(fd, offset));
}

ssize_t pread64(int fd, void* buffer, size_t count, off_t offset)
{
    return pread(fd, buffer, count, offset);
}

ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset)
{
    static ssize_t (*real)(int, const void*, size_t, off_t);
    if (!real)
        real = (ssize_t(*)(int, const void*, size_t, off_t))dlsym(RTLD_NEXT, "pwrite");
    return real(fd, buffer, count, Shift(fd, offset));
}

ssize_t pwrite64(int fd, const void* buffer, size_t count, off_t offset)
{
    return pwrite(fd, buffer, count, offset);
}

long ptrace(enum __ptrace_request request, ...)
{
    static long (*real)(enum __ptrace_request, pid_t, void*, void*);
    if (!real)
        real = (long (*)(enum __ptrace_request, pid_t, void*, void*))dlsym(RTLD_NEXT, "ptrace");
    va_list args;
    va_start(args, request);
    pid_t pid = va_arg(args, pid_t);
    char* address = va_arg(args, char*);
    void* data = va_arg(args, void*);
    va_end(args);
    if (request == PTRACE_PEEKDATA || request == PTRACE_PEEKTEXT || request == PTRACE_POKEDATA ||
        request == PTRACE_POKETEXT)
        address += GuestBase(pid);
    return real(request, pid, address, data);
}
