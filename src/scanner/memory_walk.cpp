#include "memory_walk.h"

#include "match_stream.h"

// One buffer for every read of every process: nothing is allocated per read.
static unsigned char ReadBuffer[kLargestRead];

// Where the span that starts at address ends, from the region that describes
// it; 0 when the description does not hold address. Works in 64 bits because a
// region's base plus size can pass 4 GiB.
static uint64_t RegionEnd(const MemoryRegion& region, uint32_t address)
{
    uint64_t end = uint64_t(region.base) + region.size;
    if (region.base > address || end <= address)
        return 0;
    return (end + kPageSize - 1) & ~uint64_t(kPageSize - 1);
}

// Reads size bytes at address (at most kLargestRead) and searches what comes
// back. *next is the first page not read: after the bytes, at the page after
// the last byte when fewer came back, or address itself when the read failed.
// A failed or short read breaks the stream.
static int SearchRead(const AddressSpace* space, uint64_t address, uint32_t size, MatchPosition* position,
                      uint32_t* total, uint64_t* next)
{
    uint32_t count = 0;
    *next = address;
    if (!space->read(space->context, uint32_t(address), ReadBuffer, size, &count)) {
        *position = 0;
        return 0;
    }
    if (count > size)
        count = size;
    *total += count;
    if (MatchStream(ReadBuffer, count, position))
        return 1;
    *next = address + size;
    if (count < size) {
        *position = 0;
        *next = (address + count + kPageSize) & ~uint64_t(kPageSize - 1);
    }
    return 0;
}

// Reads [address, end) page by page: a page that fails costs only itself.
static int SearchPages(const AddressSpace* space, uint64_t address, uint64_t end, MatchPosition* position,
                       uint32_t* total)
{
    for (; address < end; address += kPageSize) {
        uint64_t next;
        if (SearchRead(space, address, kPageSize, position, total, &next))
            return 1;
    }
    return 0;
}

int SearchAddressSpace(const AddressSpace* space, uint32_t* bytesRead)
{
    MatchPosition position = 0;
    uint32_t total = 0;
    int useLayout = space->describe != 0;
    uint64_t address = 0;
    int found = 0;

    while (!found && address < kScanLimit) {
        if ((address & (kProgressSpacing - 1)) == 0)
            space->progress(space->context);
        // A span never crosses a progress boundary, so each dot comes first.
        uint64_t spanEnd = (address | (kProgressSpacing - 1)) + 1;
        int readable = 1;
        if (useLayout) {
            MemoryRegion region;
            uint64_t regionEnd = 0;
            if (space->describe(space->context, uint32_t(address), &region))
                regionEnd = RegionEnd(region, uint32_t(address));
            if (regionEnd != 0) {
                if (regionEnd < spanEnd)
                    spanEnd = regionEnd;
                readable = region.readable;
            } else {
                useLayout = 0;
            }
        }
        if (!useLayout)
            spanEnd = address + kPageSize;

        if (!readable) {
            position = 0;
            address = spanEnd;
            continue;
        }
        while (!found && address < spanEnd) {
            const uint64_t left = spanEnd - address;
            const uint64_t stretchEnd = address + (left < kLargestRead ? left : kLargestRead);
            uint64_t next;
            found = SearchRead(space, address, uint32_t(stretchEnd - address), &position, &total, &next);
            // Where a larger read failed or came back short, the rest of it is
            // read page by page, so one bad page costs only itself.
            if (!found && next < stretchEnd && stretchEnd - address > kPageSize)
                found = SearchPages(space, next, stretchEnd, &position, &total);
            address = stretchEnd;
        }
    }
    *bytesRead = total;
    return found;
}
