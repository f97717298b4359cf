#include "process_memory.h"

#include <windows.h>
#include <stdio.h>

#include "memory_walk.h"

static int DescribeRegion(void* context, uint32_t address, MemoryRegion* region)
{
    MEMORY_BASIC_INFORMATION info;
    if (VirtualQueryEx(static_cast<HANDLE>(context), reinterpret_cast<void*>(address), &info, sizeof info) == 0)
        return 0;
    region->base = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(info.BaseAddress));
    region->size = static_cast<uint32_t>(info.RegionSize);
    region->readable = info.State == MEM_COMMIT && (info.Protect & (PAGE_NOACCESS | PAGE_GUARD)) == 0 &&
                       info.Protect != 0;
    return 1;
}

static int ReadRegion(void* context, uint32_t address, unsigned char* buffer, uint32_t size, uint32_t* count)
{
    SIZE_T copied = 0;
    if (!ReadProcessMemory(static_cast<HANDLE>(context), reinterpret_cast<void*>(address), buffer, size, &copied))
        return 0;
    *count = static_cast<uint32_t>(copied);
    return 1;
}

static void PrintProgressDot(void*)
{
    printf(".");
}

int ScanProcessMemory(uint32_t processId, uint32_t* bytesRead)
{
    *bytesRead = 0;
    // Query rights let the walk read only committed memory; a process that
    // refuses them is still searched, page by page.
    int canQuery = 1;
    HANDLE process = OpenProcess(PROCESS_VM_READ | PROCESS_QUERY_INFORMATION, FALSE, processId);
    if (process == NULL || process == INVALID_HANDLE_VALUE) {
        canQuery = 0;
        process = OpenProcess(PROCESS_VM_READ, FALSE, processId);
    }
    if (process == NULL || process == INVALID_HANDLE_VALUE) {
        printf("cannot open process %ld\n", static_cast<long>(GetLastError()));
        return 0;
    }
    AddressSpace space = {process, canQuery ? DescribeRegion : 0, ReadRegion, PrintProgressDot};
    int found = SearchAddressSpace(&space, bytesRead);
    CloseHandle(process);
    return found;
}
