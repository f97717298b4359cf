// Times the tool's scan of one stand-in server under Wine (or Windows) against
// the floor, one plain pass of 1 MiB reads over the same committed memory, and
// against reading it a page at a time. Prints the figures; asserts nothing.
//
//   scan_time        (bulk_server.exe must be beside it)
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "match_stream.h"
#include "memory_walk.h"
#include "process_memory.h"
#include "signature.h"

static const DWORD kMiB = 1 << 20;
static unsigned char Buffer[1 << 20];

static double Seconds()
{
    static LARGE_INTEGER frequency;
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

struct Server {
    PROCESS_INFORMATION process;
    DWORD id;
    DWORD committed;  // MiB
};

// Starts bulk_server.exe with the MiB to commit and reads its "ready" line.
static int StartServer(DWORD mebibytes, Server* server)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return 0;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);

    char path[MAX_PATH + 1] = "";
    GetModuleFileNameA(NULL, path, MAX_PATH);
    char* slash = strrchr(path, '\\');
    char command[2 * MAX_PATH];
    snprintf(command, sizeof command, "\"%.*sbulk_server.exe\" %lu 600", slash ? int(slash + 1 - path) : 0, path,
             mebibytes);
    const int started = CreateProcessA(NULL, command, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &server->process);
    CloseHandle(writeEnd);
    char line[128] = "";
    DWORD used = 0, got = 0;
    while (started && used < sizeof line - 1 && !strchr(line, '\n') &&
           ReadFile(readEnd, line + used, sizeof line - 1 - used, &got, NULL) && got > 0) {
        used += got;
        line[used] = '\0';
    }
    CloseHandle(readEnd);
    unsigned long id = 0, committed = 0;
    if (!started || sscanf(line, "ready %lu %lu", &id, &committed) != 2)
        return 0;
    server->id = id;
    server->committed = committed;
    return 1;
}

static void StopServer(Server* server)
{
    TerminateProcess(server->process.hProcess, 0);
    WaitForSingleObject(server->process.hProcess, 10000);
    CloseHandle(server->process.hProcess);
    CloseHandle(server->process.hThread);
}

struct Region {
    DWORD base, size;
};
static Region Regions[65536];
static DWORD RegionCount;

// The committed, readable regions below 1 GiB: what the tool's scan reads.
static void ListReadableRegions(HANDLE process)
{
    RegionCount = 0;
    DWORD address = 0;
    MEMORY_BASIC_INFORMATION info;
    while (address < kScanLimit && RegionCount < 65536 &&
           VirtualQueryEx(process, reinterpret_cast<void*>(address), &info, sizeof info)) {
        DWORD end = DWORD(reinterpret_cast<uintptr_t>(info.BaseAddress)) + DWORD(info.RegionSize);
        if (end > kScanLimit || end <= address)
            end = kScanLimit;
        if (info.State == MEM_COMMIT && info.Protect != 0 && (info.Protect & (PAGE_NOACCESS | PAGE_GUARD)) == 0) {
            Regions[RegionCount].base = address;
            Regions[RegionCount].size = end - address;
            ++RegionCount;
        }
        address = end;
    }
}

// Reads every listed region in pieces of at most size bytes; with search, feeds
// them to the matcher as the tool would. Returns the bytes read.
static double ReadRegions(HANDLE process, DWORD size, int search)
{
    double total = 0;
    MatchPosition position = 0;
    for (DWORD r = 0; r < RegionCount; ++r) {
        for (DWORD at = Regions[r].base; at - Regions[r].base < Regions[r].size; at += size) {
            DWORD left = Regions[r].base + Regions[r].size - at;
            SIZE_T got = 0;
            if (!ReadProcessMemory(process, reinterpret_cast<void*>(at), Buffer, left < size ? left : size, &got))
                continue;
            total += double(got);
            if (search && MatchStream(Buffer, DWORD(got), &position))
                return total;
        }
    }
    return total;
}

static int ReadPage(void* context, uint32_t address, unsigned char* buffer, uint32_t size, uint32_t* count)
{
    SIZE_T got = 0;
    if (!ReadProcessMemory(static_cast<HANDLE>(context), reinterpret_cast<void*>(address), buffer, size, &got))
        return 0;
    *count = DWORD(got);
    return 1;
}

static void NoDot(void*) {}

int main()
{
    OSVERSIONINFOA version;
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    typedef const char*(__cdecl * WineVersion)();
    WineVersion wine = reinterpret_cast<WineVersion>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")));
    printf("system: Windows %lu.%lu build %lu%s%s\n", version.dwMajorVersion, version.dwMinorVersion,
           version.dwBuildNumber, wine ? ", Wine " : "", wine ? wine() : "");
    if (!LoadSignature())
        return 2;

    const DWORD sizes[] = {16, 96, 256, 768};
    const int kRounds = 3;
    for (DWORD s = 0; s < sizeof sizes / sizeof sizes[0]; ++s) {
        Server server;
        if (!StartServer(sizes[s], &server)) {
            printf("\n%lu MiB: the stand-in server did not start\n", sizes[s]);
            continue;
        }
        if (server.committed < sizes[s]) {
            printf("\n%lu MiB: cannot be committed below 1 GiB here (%lu MiB at most); skipped\n", sizes[s],
                   server.committed);
            StopServer(&server);
            continue;
        }
        HANDLE process = OpenProcess(PROCESS_VM_READ | PROCESS_QUERY_INFORMATION, FALSE, server.id);
        ListReadableRegions(process);
        double readable = 0;
        for (DWORD r = 0; r < RegionCount; ++r)
            readable += Regions[r].size;
        printf("\n%lu MiB committed by the server; %.1f MiB readable below 1 GiB in %lu regions\n", sizes[s],
               readable / kMiB, RegionCount);

        double floor = 1e30, scan = 1e30, bytes = 0;
        for (int round = 0; round < kRounds; ++round) {
            double start = Seconds();
            bytes = ReadRegions(process, kMiB, 0);
            const double took = Seconds() - start;
            if (took < floor)
                floor = took;
        }
        printf("  floor (1 MiB reads, no search)   %8.3f s  %7.1f MiB/s\n", floor, bytes / kMiB / floor);
        // The same reads with the search, without the walk's layout queries:
        // tells the matcher's share of the scan from the walk's.
        double searched = 1e30;
        for (int round = 0; round < kRounds; ++round) {
            double start = Seconds();
            ReadRegions(process, kMiB, 1);
            const double took = Seconds() - start;
            if (took < searched)
                searched = took;
        }
        printf("  1 MiB reads, each searched       %8.3f s  %7.1f MiB/s  %.2fx the floor\n", searched,
               bytes / kMiB / searched, searched / floor);
        for (int round = 0; round < kRounds; ++round) {
            printf("  tool's scan                      ");
            fflush(stdout);
            int complete = 0;
            const double start = Seconds();
            const int found = ScanProcessMemory(server.id, &complete);
            const double took = Seconds() - start;
            if (took < scan)
                scan = took;
            printf(" %.3f s%s%s\n", took, found ? " (found the signature: wrong)" : "",
                   complete ? "" : " (not vouched for: wrong)");
        }
        printf("  tool's scan, best of %d           %8.3f s  %7.1f MiB/s  %.2fx the floor\n", kRounds, scan,
               bytes / kMiB / scan, scan / floor);

        if (sizes[s] == 16) {
            double start = Seconds();
            ReadRegions(process, 4096, 1);
            const double pages = Seconds() - start;
            printf("  same regions, 4096-byte reads    %8.3f s  (%.0fx the tool's scan)\n", pages, pages / scan);
            AddressSpace blind = {process, 0, ReadPage, NoDot};
            uint32_t blindBytes = 0;
            start = Seconds();
            SearchAddressSpace(&blind, &blindBytes);
            const double walk = Seconds() - start;
            printf("  every page to 1 GiB, no layout   %8.3f s  (%.0fx the tool's scan)\n", walk, walk / scan);
        }
        CloseHandle(process);
        StopServer(&server);
    }
    return 0;
}
