#include "memory_walk.h"

#include "match_stream.h"

// One buffer for every read of every process: nothing is allocated per page.
static unsigned char PageBuffer[kPageSize];

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

int SearchAddressSpace(const AddressSpace* space, uint32_t* bytesRead)
{
    MatchPosition position = 0;
    uint32_t total = 0;
    int useLayout = space->describe != 0;
    uint32_t address = 0;

    while (address < kScanLimit) {
        if ((address & (kProgressSpacing - 1)) == 0)
            space->progress(space->context);
        // A span never crosses a progress boundary, so each dot comes first.
        uint64_t spanEnd = (uint64_t(address) | (kProgressSpacing - 1)) + 1;
        int readable = 1;
        if (useLayout) {
            MemoryRegion region;
            uint64_t regionEnd = 0;
            if (space->describe(space->context, address, &region))
                regionEnd = RegionEnd(region, address);
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
            address = uint32_t(spanEnd);
            continue;
        }
        for (; address < spanEnd; address += kPageSize) {
            uint32_t count = 0;
            if (!space->read(space->context, address, PageBuffer, kPageSize, &count)) {
                position = 0;
                continue;
            }
            if (count > kPageSize)
                count = kPageSize;
            total += count;
            if (MatchStream(PageBuffer, count, &position)) {
                *bytesRead = total;
                return 1;
            }
            if (count < kPageSize)
                position = 0;
        }
    }
    *bytesRead = total;
    return 0;
}
