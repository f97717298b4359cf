// The walk over the low gigabyte of one process's address space, feeding what
// it reads to MatchStream. Portable: the process is reached only through the
// callbacks below, so the walk is tested natively against a fake address space.
#ifndef VEXORIN_MEMORY_WALK_H
#define VEXORIN_MEMORY_WALK_H

#include <stdint.h>

static const uint32_t kScanLimit = 0x40000000;       // 1 GiB: nothing above is searched
static const uint32_t kPageSize = 4096;
static const uint32_t kProgressSpacing = 0x4000000;  // one dot per 64 MiB
// Readable memory is read this much at a time: each read is a system call
// whose cost hardly depends on its size. Divides kProgressSpacing.
static const uint32_t kLargestRead = 0x100000;

struct MemoryRegion {
    uint32_t base;
    uint32_t size;
    int readable;  // committed, and neither no-access nor guard
};

struct AddressSpace {
    void* context;
    // Describes the region that holds address: 1 on success, 0 when the layout
    // cannot be had. Null when the process was opened without query rights.
    int (*describe)(void* context, uint32_t address, MemoryRegion* region);
    // Reads up to size bytes at address into buffer: 1 with *count set on
    // success, 0 on failure.
    int (*read)(void* context, uint32_t address, unsigned char* buffer, uint32_t size, uint32_t* count);
    // Called once at each 64 MiB boundary, before anything at or after it is read.
    void (*progress)(void* context);
};

// Searches addresses 0 up to kScanLimit for SignaturePattern. With a layout it
// reads only readable regions, up to kLargestRead at a time, and reads again
// page by page where a larger read fails; without a layout, or once it cannot
// be had, it tries every page. Anything not read (a gap, a failed read, the end
// of a short read) breaks the stream: a match never spans it. No read crosses
// a 64 MiB boundary.
// Returns 1 on the first complete match, 0 otherwise; *bytesRead is the number
// of bytes read and searched, so 0 means nothing of the process was checked.
int SearchAddressSpace(const AddressSpace* space, uint32_t* bytesRead);

#endif
