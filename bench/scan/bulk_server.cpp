// Stands in for a busy database server: commits the given number of MiB below
// 1 GiB, fills it with pseudo-random bytes (no signature), says
// "ready <pid> <MiB committed>" and waits until it is killed or the seconds
// pass.
//
//   bulk_server <MiB> [seconds]
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

static const DWORD kMiB = 1 << 20;
static const DWORD kBlock = 16 * kMiB;

// Fills size bytes with an xorshift stream, four bytes at a time.
static void Fill(unsigned char* at, DWORD size, DWORD* state)
{
    for (DWORD k = 0; k < size; k += 4) {
        *state ^= *state << 13;
        *state ^= *state >> 17;
        *state ^= *state << 5;
        *reinterpret_cast<DWORD*>(at + k) = *state;
    }
}

int main(int argc, char** argv)
{
    const DWORD wanted = argc > 1 ? strtoul(argv[1], NULL, 10) : 0;
    const DWORD seconds = argc > 2 ? strtoul(argv[2], NULL, 10) : 600;
    DWORD committed = 0;
    DWORD state = 2463534242u;
    // Blocks of 16 MiB wherever the low gigabyte has room, then single MiBs
    // in what is left.
    for (DWORD block = kBlock; block >= kMiB && committed < wanted; block /= 16) {
        for (DWORD at = block; at < 0x40000000 && committed < wanted; at += block) {
            DWORD size = block;
            if (size / kMiB > wanted - committed)
                continue;
            void* p = VirtualAlloc(reinterpret_cast<void*>(at), size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
            if (!p)
                continue;
            Fill(static_cast<unsigned char*>(p), size, &state);
            committed += size / kMiB;
        }
    }
    printf("ready %lu %lu\n", GetCurrentProcessId(), committed);
    fflush(stdout);
    if (committed < wanted)
        return 1;
    Sleep(seconds * 1000);
    return 0;
}
