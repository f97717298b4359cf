#include "memory_walk.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "match_stream.h"
#include "test_signature.h"

namespace {

const uint64_t kNever = uint64_t(1) << 32;

struct WalkEvent {
    enum Kind { kDescribe, kRead, kProgress } kind;
    uint32_t address;
    uint32_t size;  // of a read
};

// A 32-bit process's address space without the memory: reads return zeros
// except where a test placed bytes. As on Windows, a read fails as a whole if
// any page of it cannot be read. Every call is recorded in order.
class FakeProcess {
public:
    // What describe does once the layout gives out.
    enum DescribeFailure { kReturnsZero, kZeroSizeRegion, kRegionAboveAddress };

    std::vector<MemoryRegion> regions;  // anything not listed is free
    std::map<uint32_t, unsigned char> bytes;
    std::set<uint32_t> failingPages;
    std::map<uint32_t, uint32_t> reportedCount;  // page -> the count its read reports
    uint64_t describeFailsFrom;
    DescribeFailure describeFailure;

    std::vector<WalkEvent> events;
    uint64_t bytesServed;  // bytes actually put into the walk's buffer

    FakeProcess() { Reset(); }

    void Reset()
    {
        regions.clear();
        bytes.clear();
        failingPages.clear();
        reportedCount.clear();
        describeFailsFrom = kNever;
        describeFailure = kReturnsZero;
        events.clear();
        bytesServed = 0;
    }

    void Place(uint32_t address, const std::string& data)
    {
        for (size_t i = 0; i < data.size(); ++i)
            bytes[address + static_cast<uint32_t>(i)] = static_cast<unsigned char>(data[i]);
    }

    AddressSpace Space(bool withLayout)
    {
        AddressSpace space = {this, withLayout ? &Describe : 0, &Read, &Progress};
        return space;
    }

    std::vector<uint32_t> Reads() const { return Addresses(WalkEvent::kRead); }
    std::vector<WalkEvent> ReadEvents() const
    {
        std::vector<WalkEvent> out;
        for (size_t i = 0; i < events.size(); ++i) {
            if (events[i].kind == WalkEvent::kRead)
                out.push_back(events[i]);
        }
        return out;
    }
    // Every page the reads asked for, in the order asked; a page asked for
    // twice (a failed larger read, then page by page) shows twice.
    std::vector<uint32_t> PagesAskedFor() const
    {
        std::vector<uint32_t> pages;
        const std::vector<WalkEvent> reads = ReadEvents();
        for (size_t i = 0; i < reads.size(); ++i) {
            for (uint64_t page = reads[i].address; page < uint64_t(reads[i].address) + reads[i].size;
                 page += kPageSize)
                pages.push_back(uint32_t(page));
        }
        return pages;
    }
    size_t Dots() const { return Addresses(WalkEvent::kProgress).size(); }

    const MemoryRegion* Holding(uint32_t address) const
    {
        for (size_t i = 0; i < regions.size(); ++i) {
            if (address >= regions[i].base && address - regions[i].base < regions[i].size)
                return &regions[i];
        }
        return 0;
    }

private:
    std::vector<uint32_t> Addresses(WalkEvent::Kind kind) const
    {
        std::vector<uint32_t> out;
        for (size_t i = 0; i < events.size(); ++i) {
            if (events[i].kind == kind)
                out.push_back(events[i].address);
        }
        return out;
    }

    static int Describe(void* context, uint32_t address, MemoryRegion* region)
    {
        FakeProcess& self = *static_cast<FakeProcess*>(context);
        WalkEvent event = {WalkEvent::kDescribe, address, 0};
        self.events.push_back(event);
        if (address >= self.describeFailsFrom) {
            switch (self.describeFailure) {
            case kReturnsZero:
                return 0;
            case kZeroSizeRegion: {
                MemoryRegion empty = {address, 0, 1};
                *region = empty;
                return 1;
            }
            case kRegionAboveAddress: {
                MemoryRegion above = {address + kPageSize, kPageSize, 1};
                *region = above;
                return 1;
            }
            }
        }
        if (const MemoryRegion* listed = self.Holding(address)) {
            *region = *listed;
            return 1;
        }
        // A free region reaches from the end of the listed one below to the
        // start of the listed one above.
        uint64_t low = 0;
        uint64_t high = 0x80000000;
        for (size_t i = 0; i < self.regions.size(); ++i) {
            const uint64_t end = uint64_t(self.regions[i].base) + self.regions[i].size;
            if (end <= address)
                low = std::max(low, end);
            if (self.regions[i].base > address)
                high = std::min(high, uint64_t(self.regions[i].base));
        }
        MemoryRegion free = {uint32_t(low), uint32_t(high - low), 0};
        *region = free;
        return 1;
    }

    static int Read(void* context, uint32_t address, unsigned char* buffer, uint32_t size, uint32_t* count)
    {
        FakeProcess& self = *static_cast<FakeProcess*>(context);
        WalkEvent event = {WalkEvent::kRead, address, size};
        self.events.push_back(event);
        for (uint64_t page = address; page < uint64_t(address) + size; page += kPageSize) {
            const MemoryRegion* region = self.Holding(uint32_t(page));
            if (region == 0 || !region->readable || self.failingPages.count(uint32_t(page)))
                return 0;
        }
        uint32_t reported = size;
        std::map<uint32_t, uint32_t>::const_iterator r = self.reportedCount.find(address);
        if (r != self.reportedCount.end())
            reported = r->second;
        const uint32_t written = std::min(reported, size);
        memset(buffer, 0, written);
        for (std::map<uint32_t, unsigned char>::const_iterator b = self.bytes.lower_bound(address);
             b != self.bytes.end() && b->first - address < written; ++b)
            buffer[b->first - address] = b->second;
        self.bytesServed += written;
        *count = reported;
        return 1;
    }

    static void Progress(void* context)
    {
        FakeProcess& self = *static_cast<FakeProcess*>(context);
        WalkEvent event = {WalkEvent::kProgress, 0, 0};
        self.events.push_back(event);
    }
};

std::string Hex(uint64_t value)
{
    char text[24];
    snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

// The dot for a boundary comes when the walk reaches it: before every read at
// or past it, and after every read below it. So no read may cross a boundary.
::testing::AssertionResult DotsLeadReads(const FakeProcess& fake)
{
    uint32_t dots = 0;
    for (size_t i = 0; i < fake.events.size(); ++i) {
        const WalkEvent& event = fake.events[i];
        if (event.kind == WalkEvent::kProgress) {
            ++dots;
        } else if (event.kind == WalkEvent::kRead) {
            if (dots != event.address / kProgressSpacing + 1)
                return ::testing::AssertionFailure()
                       << "read at " << Hex(event.address) << " came after " << dots << " dots";
            if (event.size == 0 || event.size > kLargestRead ||
                (event.address + uint64_t(event.size) - 1) / kProgressSpacing != event.address / kProgressSpacing)
                return ::testing::AssertionFailure()
                       << "read of " << Hex(event.size) << " bytes at " << Hex(event.address);
        }
    }
    return ::testing::AssertionSuccess();
}

// Every page of the readable regions below the limit, in address order.
std::vector<uint32_t> ReadablePages(std::vector<MemoryRegion> regions)
{
    std::vector<uint32_t> pages;
    for (size_t i = 0; i < regions.size(); ++i) {
        if (!regions[i].readable)
            continue;
        const uint64_t end = std::min(uint64_t(regions[i].base) + regions[i].size, uint64_t(kScanLimit));
        for (uint64_t page = regions[i].base; page < end; page += kPageSize)
            pages.push_back(uint32_t(page));
    }
    std::sort(pages.begin(), pages.end());
    return pages;
}

std::vector<uint32_t> EveryPage(uint32_t from, uint32_t to)
{
    std::vector<uint32_t> pages;
    for (uint64_t page = from; page < to; page += kPageSize)
        pages.push_back(uint32_t(page));
    return pages;
}

class MemoryWalkTest : public ::testing::Test {
protected:
    MemoryWalkTest() : pattern_(SlammerShapedPattern()), signature_(pattern_) {}

    int Walk(bool withLayout, uint32_t* bytesRead)
    {
        *bytesRead = 0xDEADBEEF;
        const AddressSpace space = fake_.Space(withLayout);
        return SearchAddressSpace(&space, bytesRead);
    }

    FakeProcess fake_;
    const std::string pattern_;
    ScopedSignature signature_;
};

TEST_F(MemoryWalkTest, LayoutLimitsReadsToReadablePagesAndDotsLeadThem)
{
    const MemoryRegion layout[] = {
        {0x00010000, 0x3000, 1},
        {0x00013000, 0x2000, 0},      // a guard region between two readable ones
        {0x00015000, 0x1000, 1},
        {0x03FFE000, 0x4000, 1},      // across the first 64 MiB boundary
        {0x08000000, 0x10000000, 0},  // reserved across several boundaries
        {0x3FFFE000, 0x4000, 1},      // runs past the 1 GiB limit
    };
    fake_.regions.assign(layout, layout + sizeof layout / sizeof layout[0]);

    uint32_t bytesRead;
    EXPECT_EQ(0, Walk(true, &bytesRead));
    const std::vector<uint32_t> expected = ReadablePages(fake_.regions);
    EXPECT_EQ(expected, fake_.PagesAskedFor());
    EXPECT_EQ(expected.size() * kPageSize, bytesRead);
    EXPECT_EQ(16u, fake_.Dots());
    EXPECT_TRUE(DotsLeadReads(fake_));
}

struct PlacementCase {
    const char* why;
    bool withLayout;
    std::vector<MemoryRegion> regions;
    uint32_t signatureAt;
    uint64_t describeFailsFrom;
};

TEST_F(MemoryWalkTest, SignatureInReadableMemoryIsFound)
{
    const PlacementCase rows[] = {
        {"inside one page", true, {{0x00400000, 0x1000, 1}}, 0x00400100, kNever},
        {"across two pages of one region", true, {{0x00400000, 0x2000, 1}}, 0x00401000 - 40, kNever},
        {"across two adjacent readable regions", true,
         {{0x00400000, 0x1000, 1}, {0x00401000, 0x1000, 1}}, 0x00401000 - 40, kNever},
        {"across a 64 MiB boundary, its dot in between", true, {{0x03FFF000, 0x2000, 1}}, 0x04000000 - 40, kNever},
        {"across the page where the layout gives out", true,
         {{0x00400000, 0x1000, 1}, {0x00401000, 0x1000, 1}}, 0x00401000 - 40, 0x00401000},
        {"across two pages, without a layout", false, {{0x20000000, 0x2000, 1}}, 0x20001000 - 50, kNever},
        {"in the last page below the limit", true, {{0x3FFFF000, 0x1000, 1}}, 0x40000000 - 200, kNever},
    };
    for (size_t r = 0; r < sizeof rows / sizeof rows[0]; ++r) {
        const PlacementCase& row = rows[r];
        SCOPED_TRACE(row.why);
        fake_.Reset();
        fake_.regions = row.regions;
        fake_.describeFailsFrom = row.describeFailsFrom;
        fake_.Place(row.signatureAt, pattern_);

        uint32_t bytesRead;
        EXPECT_EQ(1, Walk(row.withLayout, &bytesRead));
        EXPECT_GT(bytesRead, 0u);
        EXPECT_EQ(fake_.bytesServed, bytesRead);
        const uint32_t lastByte = row.signatureAt + uint32_t(pattern_.size()) - 1;
        ASSERT_FALSE(fake_.Reads().empty());
        const WalkEvent last = fake_.ReadEvents().back();
        EXPECT_TRUE(lastByte >= last.address && lastByte - last.address < last.size)
            << "the walk went on after the match, to " << Hex(last.address);
        EXPECT_TRUE(DotsLeadReads(fake_));
    }
}

struct BreakCase {
    const char* why;
    bool withLayout;
    std::vector<MemoryRegion> regions;
    uint32_t firstHalfEnd;      // the first half of the signature ends here...
    uint32_t secondHalfStart;   // ...and the second half starts here
    std::vector<uint32_t> failingPages;
    std::map<uint32_t, uint32_t> reportedCount;
};

TEST_F(MemoryWalkTest, SignatureAcrossABreakIsNotFound)
{
    const BreakCase rows[] = {
        {"an unreadable region between the halves", true,
         {{0x00400000, 0x1000, 1}, {0x00401000, 0x1000, 0}, {0x00402000, 0x1000, 1}},
         0x00401000, 0x00402000, {}, {}},
        {"free space between the halves", true,
         {{0x00400000, 0x1000, 1}, {0x00402000, 0x1000, 1}},
         0x00401000, 0x00402000, {}, {}},
        {"a page whose read fails between the halves", true,
         {{0x00400000, 0x3000, 1}}, 0x00401000, 0x00402000, {0x00401000}, {}},
        {"a page whose read fails between the halves, without a layout", false,
         {{0x00400000, 0x3000, 1}}, 0x00401000, 0x00402000, {0x00401000}, {}},
        {"a short read ends with the first half, the next page starts with the rest", true,
         {{0x00400000, 0x2000, 1}}, 0x00400800, 0x00401000, {}, {{0x00400000, 0x800}}},
        {"a short read then the rest, without a layout", false,
         {{0x00400000, 0x2000, 1}}, 0x00400800, 0x00401000, {}, {{0x00400000, 0x800}}},
        {"a read that returns no bytes between the halves", true,
         {{0x00400000, 0x3000, 1}}, 0x00401000, 0x00402000, {}, {{0x00401000, 0}}},
    };
    const size_t half = 50;  // inside the run of 0x01
    for (size_t r = 0; r < sizeof rows / sizeof rows[0]; ++r) {
        const BreakCase& row = rows[r];
        SCOPED_TRACE(row.why);
        fake_.Reset();
        fake_.regions = row.regions;
        fake_.failingPages.insert(row.failingPages.begin(), row.failingPages.end());
        fake_.reportedCount = row.reportedCount;
        fake_.Place(row.firstHalfEnd - uint32_t(half), pattern_.substr(0, half));
        fake_.Place(row.secondHalfStart, pattern_.substr(half));

        uint32_t bytesRead;
        EXPECT_EQ(0, Walk(row.withLayout, &bytesRead));
        EXPECT_EQ(fake_.bytesServed, bytesRead);
        EXPECT_EQ(16u, fake_.Dots());
        EXPECT_TRUE(DotsLeadReads(fake_));
    }
}

TEST_F(MemoryWalkTest, EachWalkStartsANewStream)
{
    const size_t half = 50;
    fake_.regions.push_back(MemoryRegion{0x3FFFF000, 0x1000, 1});
    fake_.Place(kScanLimit - uint32_t(half), pattern_.substr(0, half));
    uint32_t bytesRead;
    ASSERT_EQ(0, Walk(true, &bytesRead));

    // The next process's memory must start right at 0: any gap first would
    // break the stream anyway and hide a carried-over position.
    fake_.Reset();
    fake_.regions.push_back(MemoryRegion{0x00000000, 0x1000, 1});
    fake_.Place(0x00000000, pattern_.substr(half));
    EXPECT_EQ(0, Walk(true, &bytesRead)) << "the previous process's partial match carried over";
}

TEST_F(MemoryWalkTest, WithoutLayoutEveryPageIsTried)
{
    fake_.regions.push_back(MemoryRegion{0x00400000, 0x3000, 1});
    fake_.regions.push_back(MemoryRegion{0x20000000, 0x1000, 1});

    uint32_t bytesRead;
    EXPECT_EQ(0, Walk(false, &bytesRead));
    EXPECT_TRUE(fake_.Reads() == EveryPage(0, kScanLimit)) << "reads were not every page once, in order";
    EXPECT_EQ(4 * kPageSize, bytesRead);
    EXPECT_EQ(16u, fake_.Dots());
    EXPECT_TRUE(DotsLeadReads(fake_));
}

TEST_F(MemoryWalkTest, LayoutGivingOutPartWayFallsBackToEveryPage)
{
    const struct {
        FakeProcess::DescribeFailure failure;
        const char* why;
    } rows[] = {
        {FakeProcess::kReturnsZero, "describe fails"},
        {FakeProcess::kZeroSizeRegion, "describe reports an empty region"},
        {FakeProcess::kRegionAboveAddress, "describe reports a region that does not hold the address"},
    };
    const MemoryRegion layout[] = {
        {0x00001000, 0x2000, 1},
        {0x0FFFF000, 0x1000, 1},
        {0x10000000, 0x100000, 0},  // the walk must ask what starts here
        {0x20000000, 0x3000, 1},
    };
    const uint32_t givesOut = 0x10000000;
    for (size_t r = 0; r < sizeof rows / sizeof rows[0]; ++r) {
        SCOPED_TRACE(rows[r].why);
        fake_.Reset();
        fake_.regions.assign(layout, layout + sizeof layout / sizeof layout[0]);
        fake_.describeFailsFrom = givesOut;
        fake_.describeFailure = rows[r].failure;

        uint32_t bytesRead;
        EXPECT_EQ(0, Walk(true, &bytesRead));
        std::vector<MemoryRegion> below(layout, layout + 2);
        std::vector<uint32_t> expected = ReadablePages(below);
        const std::vector<uint32_t> rest = EveryPage(givesOut, kScanLimit);
        expected.insert(expected.end(), rest.begin(), rest.end());
        EXPECT_TRUE(fake_.PagesAskedFor() == expected) << "reads were not the readable pages below "
                                               << Hex(givesOut) << " and then every page";
        EXPECT_EQ(6 * kPageSize, bytesRead);
        EXPECT_EQ(16u, fake_.Dots());
        EXPECT_TRUE(DotsLeadReads(fake_));
    }
}

TEST_F(MemoryWalkTest, RegionsReachingPast4GiBEndTheWalk)
{
    const struct {
        MemoryRegion region;
        const char* why;
    } rows[] = {
        {{0x3FFF0000, 0xC0010000, 1}, "base + size is exactly 4 GiB: 0 in 32 bits"},
        {{0x3FFF0000, 0xC0020000, 1}, "base + size passes 4 GiB and wraps below the base"},
        {{0x3FFF0000, 0xC0020000, 0}, "the same, unreadable"},
        {{0x3FFFF000, 0xFFFFFFFF, 1}, "the last page below the limit, with the largest size"},
        {{0x20000000, 0xFFFFFFFF, 0}, "unreadable with the largest size, across eight boundaries"},
        {{0x00000000, 0xFFFFFFFF, 1}, "one readable region from 0 with the largest size"},
    };
    for (size_t r = 0; r < sizeof rows / sizeof rows[0]; ++r) {
        SCOPED_TRACE(rows[r].why);
        fake_.Reset();
        fake_.regions.push_back(rows[r].region);

        uint32_t bytesRead;
        EXPECT_EQ(0, Walk(true, &bytesRead));
        const std::vector<uint32_t> expected = ReadablePages(fake_.regions);
        EXPECT_TRUE(fake_.PagesAskedFor() == expected) << "reads were not the region's pages below the limit";
        EXPECT_EQ(expected.size() * kPageSize, bytesRead);
        EXPECT_EQ(16u, fake_.Dots());
        EXPECT_TRUE(DotsLeadReads(fake_));
    }
}

TEST_F(MemoryWalkTest, NothingReadableMeansNothingChecked)
{
    const struct {
        const char* why;
        bool withLayout;
        std::vector<MemoryRegion> regions;
        std::vector<uint32_t> failingPages;
        std::map<uint32_t, uint32_t> reportedCount;
    } rows[] = {
        {"only unreadable regions", true, {{0x00400000, 0x10000, 0}}, {}, {}},
        {"every read fails, without a layout", false, {}, {}, {}},
        {"readable regions whose reads fail", true, {{0x00400000, 0x2000, 1}}, {0x00400000, 0x00401000}, {}},
        {"reads that succeed with no bytes", true, {{0x00400000, 0x2000, 1}}, {},
         {{0x00400000, 0}, {0x00401000, 0}}},
    };
    for (size_t r = 0; r < sizeof rows / sizeof rows[0]; ++r) {
        SCOPED_TRACE(rows[r].why);
        fake_.Reset();
        fake_.regions = rows[r].regions;
        fake_.failingPages.insert(rows[r].failingPages.begin(), rows[r].failingPages.end());
        fake_.reportedCount = rows[r].reportedCount;

        uint32_t bytesRead;
        EXPECT_EQ(0, Walk(rows[r].withLayout, &bytesRead));
        EXPECT_EQ(0u, bytesRead);
        EXPECT_EQ(16u, fake_.Dots());
    }
}

TEST_F(MemoryWalkTest, OverlongReadCountIsClampedToTheRead)
{
    const uint32_t counts[] = {2 * kPageSize + 1, 3 * kPageSize, 0xFFFFFFFF};
    for (size_t c = 0; c < sizeof counts / sizeof counts[0]; ++c) {
        SCOPED_TRACE("read reports " + Hex(counts[c]) + " bytes");
        fake_.Reset();
        fake_.regions.push_back(MemoryRegion{0x00400000, 0x2000, 1});
        fake_.reportedCount[0x00400000] = counts[c];
        // Partial matches to the very end of the buffer, so the matcher runs
        // up to whatever length the walk hands it.
        fake_.Place(0x00400000, std::string(2 * kPageSize, '\x04'));

        uint32_t bytesRead;
        EXPECT_EQ(0, Walk(true, &bytesRead));
        EXPECT_EQ(2 * kPageSize, bytesRead);
    }
}

// Reads as (address, size), in order.
typedef std::vector<std::pair<uint32_t, uint32_t> > ReadList;

ReadList ReadsOf(const FakeProcess& fake)
{
    ReadList out;
    const std::vector<WalkEvent> reads = fake.ReadEvents();
    for (size_t i = 0; i < reads.size(); ++i)
        out.push_back(std::make_pair(reads[i].address, reads[i].size));
    return out;
}

// Appends reads of [from, to) in pieces of size.
void AddReads(ReadList* reads, uint32_t from, uint32_t to, uint32_t size)
{
    for (uint64_t at = from; at < to; at += size)
        reads->push_back(std::make_pair(uint32_t(at), uint32_t(std::min<uint64_t>(size, to - at))));
}

std::string Describe(const ReadList& reads)
{
    std::string out;
    for (size_t i = 0; i < reads.size(); ++i)
        out += (i ? " " : "") + Hex(reads[i].first) + "+" + Hex(reads[i].second);
    return out;
}

TEST_F(MemoryWalkTest, ReadsAreLargeAndABadPageCostsOnlyItself)
{
    const uint32_t kMiB = 0x100000;
    struct Row {
        const char* why;
        std::vector<MemoryRegion> regions;
        std::vector<uint32_t> failingPages;
        std::map<uint32_t, uint32_t> reportedCount;
        ReadList reads;
        uint32_t bytesRead;
    };
    std::vector<Row> rows;
    {
        Row row = {"16 MiB and three pages: whole reads, then the rest", {{0x00400000, 16 * kMiB + 0x3000, 1}},
                   {}, {}, {}, 16 * kMiB + 0x3000};
        AddReads(&row.reads, 0x00400000, 0x01400000 + 0x3000, kLargestRead);
        rows.push_back(row);
    }
    {
        Row row = {"a region across a 64 MiB boundary is read in two", {{0x03F80000, kMiB, 1}}, {}, {}, {}, kMiB};
        AddReads(&row.reads, 0x03F80000, 0x04080000, kMiB / 2);
        rows.push_back(row);
    }
    {
        Row row = {"a failed read is read again page by page", {{0x00400000, 2 * kMiB, 1}}, {0x00480000}, {}, {},
                   2 * kMiB - kPageSize};
        AddReads(&row.reads, 0x00400000, 0x00500000, kLargestRead);
        AddReads(&row.reads, 0x00400000, 0x00500000, kPageSize);
        AddReads(&row.reads, 0x00500000, 0x00600000, kLargestRead);
        rows.push_back(row);
    }
    {
        Row row = {"a short read: the rest of it page by page", {{0x00400000, 2 * kMiB, 1}}, {},
                   {{0x00400000, 0x1800}}, {}, 0x1800 + (kMiB - 0x2000) + kMiB};
        row.reads.push_back(std::make_pair(0x00400000u, kLargestRead));
        AddReads(&row.reads, 0x00402000, 0x00500000, kPageSize);
        AddReads(&row.reads, 0x00500000, 0x00600000, kLargestRead);
        rows.push_back(row);
    }
    for (size_t r = 0; r < rows.size(); ++r) {
        const Row& row = rows[r];
        SCOPED_TRACE(row.why);
        fake_.Reset();
        fake_.regions = row.regions;
        fake_.failingPages.insert(row.failingPages.begin(), row.failingPages.end());
        fake_.reportedCount = row.reportedCount;

        uint32_t bytesRead;
        EXPECT_EQ(0, Walk(true, &bytesRead));
        EXPECT_EQ(Describe(row.reads), Describe(ReadsOf(fake_)));
        EXPECT_EQ(Hex(row.bytesRead), Hex(bytesRead));
        EXPECT_TRUE(DotsLeadReads(fake_));
    }
}

TEST_F(MemoryWalkTest, SignaturePastABadPageInTheSameReadIsFound)
{
    fake_.regions.push_back(MemoryRegion{0x00400000, 0x200000, 1});
    fake_.failingPages.insert(0x00480000);
    fake_.Place(0x00482000 - 30, pattern_);  // straddles the two pages after the bad one

    uint32_t bytesRead;
    EXPECT_EQ(1, Walk(true, &bytesRead));
    EXPECT_EQ(fake_.bytesServed, bytesRead);
    EXPECT_EQ(Hex(0x00482000), Hex(fake_.Reads().back()));
}

}  // namespace
