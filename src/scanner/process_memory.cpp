#include "process_memory.h"

#include <windows.h>
#include <stdio.h>

#include "memory_walk.h"

// The process being searched, as the walk's callbacks see it.
struct SearchedProcess {
    HANDLE handle;
    int canQuery;  // opened with query rights: its layout and its exit code can be had
    int ended;     // seen to have ended during the walk
};

// GetExitCodeProcess needs the query rights. A process that ended with the
// code STILL_ACTIVE passes for a running one: the walk then tries every page,
// slowly but without harm.
static int HasEnded(SearchedProcess* process)
{
    DWORD code = STILL_ACTIVE;
    if (!process->ended && process->canQuery && GetExitCodeProcess(process->handle, &code) &&
        code != STILL_ACTIVE)
        process->ended = 1;
    return process->ended;
}

static int DescribeRegion(void* context, uint32_t address, MemoryRegion* region)
{
    SearchedProcess* process = static_cast<SearchedProcess*>(context);
    MEMORY_BASIC_INFORMATION info;
    if (!process->ended &&
        VirtualQueryEx(process->handle, reinterpret_cast<void*>(address), &info, sizeof info) != 0) {
        region->base = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(info.BaseAddress));
        region->size = static_cast<uint32_t>(info.RegionSize);
        region->readable = info.State == MEM_COMMIT && (info.Protect & (PAGE_NOACCESS | PAGE_GUARD)) == 0 &&
                           info.Protect != 0;
        return 1;
    }
    // An ended process has no memory left. Without this the walk would take
    // the failed query for a lost layout and try each remaining page, a failed
    // call apiece: up to 262,144 of them.
    if (!HasEnded(process) || address >= kScanLimit)
        return 0;
    region->base = address;
    region->size = kScanLimit - address;
    region->readable = 0;
    return 1;
}

static int ReadRegion(void* context, uint32_t address, unsigned char* buffer, uint32_t size, uint32_t* count)
{
    SearchedProcess* process = static_cast<SearchedProcess*>(context);
    if (process->ended)
        return 0;
    SIZE_T copied = 0;
    if (!ReadProcessMemory(process->handle, reinterpret_cast<void*>(address), buffer, size, &copied)) {
        HasEnded(process);
        return 0;
    }
    *count = static_cast<uint32_t>(copied);
    return 1;
}

static void PrintProgressDot(void*)
{
    printf(".");
}

int ScanProcessMemory(uint32_t processId, int* complete)
{
    *complete = 0;
    // Query rights let the walk read only committed memory and notice that the
    // process has ended; a process that refuses them is still searched, page
    // by page.
    SearchedProcess process = {NULL, 1, 0};
    process.handle = OpenProcess(PROCESS_VM_READ | PROCESS_QUERY_INFORMATION, FALSE, processId);
    if (process.handle == NULL || process.handle == INVALID_HANDLE_VALUE) {
        process.canQuery = 0;
        process.handle = OpenProcess(PROCESS_VM_READ, FALSE, processId);
    }
    if (process.handle == NULL || process.handle == INVALID_HANDLE_VALUE) {
        printf("cannot open process %ld\n", static_cast<long>(GetLastError()));
        return 0;
    }
    AddressSpace space = {&process, process.canQuery ? DescribeRegion : 0, ReadRegion, PrintProgressDot};
    uint32_t bytesRead = 0;
    int found = SearchAddressSpace(&space, &bytesRead);
    // Asked once more at the end, whatever the platform's queries and reads
    // did after the process went: a process gone by now may have gone before
    // the walk reached all of its memory.
    *complete = bytesRead > 0 && !HasEnded(&process);
    CloseHandle(process.handle);
    return found;
}
