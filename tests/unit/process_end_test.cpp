// A process that ends part way through its walk, as the scanner's Windows side
// describes it: once the process is seen to have ended, every read fails and
// the rest of the low gigabyte is one unreadable region. The walk must then
// read nothing past the region it was in, still give every dot, and count only
// what it read before the end.
#include "memory_walk.h"

#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "match_stream.h"
#include "test_signature.h"

namespace {

class EndingProcess {
public:
    std::vector<MemoryRegion> regions;  // readable ones; anything else is free
    uint32_t readsBeforeEnd;  // the process ends right after this many reads
    uint32_t signatureAt;
    std::string signature;

    std::vector<uint32_t> readsAfterEnd;
    uint32_t bytesServed;
    int dots;

    EndingProcess() : readsBeforeEnd(0), signatureAt(0), bytesServed(0), dots(0), reads_(0) {}

    AddressSpace Space()
    {
        AddressSpace space = {this, &Describe, &Read, &Progress};
        return space;
    }

private:
    uint32_t reads_;

    bool Ended() const { return reads_ >= readsBeforeEnd; }

    static int Describe(void* context, uint32_t address, MemoryRegion* region)
    {
        EndingProcess& self = *static_cast<EndingProcess*>(context);
        if (self.Ended()) {
            MemoryRegion rest = {address, kScanLimit - address, 0};
            *region = rest;
            return 1;
        }
        uint64_t freeEnd = kScanLimit;
        for (size_t i = 0; i < self.regions.size(); ++i) {
            const MemoryRegion& r = self.regions[i];
            if (address >= r.base && address - r.base < r.size) {
                *region = r;
                return 1;
            }
            if (r.base > address && r.base < freeEnd)
                freeEnd = r.base;
        }
        MemoryRegion free = {address, uint32_t(freeEnd - address), 0};
        *region = free;
        return 1;
    }

    static int Read(void* context, uint32_t address, unsigned char* buffer, uint32_t size, uint32_t* count)
    {
        EndingProcess& self = *static_cast<EndingProcess*>(context);
        if (self.Ended()) {
            self.readsAfterEnd.push_back(address);
            return 0;
        }
        ++self.reads_;
        memset(buffer, 0, size);
        for (size_t k = 0; k < self.signature.size(); ++k) {
            const uint64_t at = uint64_t(self.signatureAt) + k;
            if (at >= address && at < uint64_t(address) + size)
                buffer[at - address] = static_cast<unsigned char>(self.signature[k]);
        }
        self.bytesServed += size;
        *count = size;
        return 1;
    }

    static void Progress(void* context) { ++static_cast<EndingProcess*>(context)->dots; }
};

TEST(ProcessEnd, NothingPastTheRegionInProgressIsReadAndEveryDotIsGiven)
{
    const std::string pattern = SlammerShapedPattern();
    ScopedSignature installed(pattern);
    const MemoryRegion first = {0x00400000, 0x00300000, 1};   // three reads of a mebibyte
    const MemoryRegion second = {0x20000000, 0x00100000, 1};  // past several dots
    const uint32_t half = uint32_t(pattern.size() / 2);
    const struct {
        const char* why;
        uint32_t readsBeforeEnd;  // the process ends right after this many reads
        uint32_t signatureAt;  // 0: none
        int found;
    } rows[] = {
        {"ends before anything is read", 0, 0, 0},
        {"ends inside the first region", 1, 0, 0},
        {"ends between the two regions", 3, 0, 0},
        {"a signature read before the end is found", 2, 0x00500000 - 2 * half, 1},
        {"a signature whose second half lay past the end is not", 1, 0x00500000 - half, 0},
    };
    for (size_t r = 0; r < sizeof rows / sizeof rows[0]; ++r) {
        SCOPED_TRACE(rows[r].why);
        EndingProcess process;
        process.regions.push_back(first);
        process.regions.push_back(second);
        process.readsBeforeEnd = rows[r].readsBeforeEnd;
        if (rows[r].signatureAt != 0) {
            process.signatureAt = rows[r].signatureAt;
            process.signature = pattern;
        }
        const AddressSpace space = process.Space();
        uint32_t bytesRead = 0xDEADBEEF;
        EXPECT_EQ(rows[r].found, SearchAddressSpace(&space, &bytesRead));
        EXPECT_EQ(process.bytesServed, bytesRead);
        if (rows[r].found)
            continue;
        EXPECT_EQ(16, process.dots);
        for (size_t k = 0; k < process.readsAfterEnd.size(); ++k) {
            const uint32_t at = process.readsAfterEnd[k];
            ASSERT_TRUE(at >= first.base && at < first.base + first.size)
                << "read at 0x" << std::hex << at << " after the end, outside the region in progress";
        }
    }
}

}  // namespace
