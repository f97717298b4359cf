// Prints how fast MatchStream searches 256 MiB, fed in the walk's 1 MiB reads,
// beside a naive byte loop and memchr for the anchor byte over the same bytes.
//
//   match_throughput <signature.bin>
//
// The signature is the tool's own resource file, decoded here in memory.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/utsname.h>
#include <time.h>
#include <unistd.h>

#include "match_stream.h"

static const size_t kTotal = size_t(256) << 20;
static const uint32_t kRead = 1 << 20;  // what the memory walk reads at a time
static const int kRounds = 5;           // the best of these is printed

static double Now()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

// What each contender found, so the compiler cannot drop the work and the
// runs can be checked against each other.
typedef uint64_t (*Search)(const unsigned char* data, size_t length);

static uint64_t WithMatchStream(const unsigned char* data, size_t length)
{
    MatchPosition position = 0;
    uint64_t found = 0;
    for (size_t at = 0; at < length; at += kRead) {
        if (MatchStream(data + at, kRead, &position)) {
            ++found;
            position = 0;
        }
    }
    return found;
}

// The plainest matcher: one byte at a time, restarting on a mismatch (it
// misses overlapping starts, which costs it nothing here).
static uint64_t WithByteLoop(const unsigned char* data, size_t length)
{
    const unsigned char* pattern = SignaturePattern.bytes;
    const uint32_t count = SignaturePattern.count;
    uint32_t i = 0;
    uint64_t found = 0;
    for (size_t k = 0; k < length; ++k) {
        if (data[k] == pattern[i]) {
            if (++i == count) {
                ++found;
                i = 0;
            }
        } else {
            i = data[k] == pattern[0] ? 1 : 0;
        }
    }
    return found;
}

// The floor for a skipping matcher: find every anchor byte and do nothing else.
static uint64_t WithMemchr(const unsigned char* data, size_t length)
{
    const unsigned char anchor = SignaturePattern.bytes[SignaturePattern.anchor];
    uint64_t hits = 0;
    for (size_t at = 0; at < length; at += kRead) {
        const unsigned char* p = data + at;
        const unsigned char* end = p + kRead;
        while ((p = static_cast<const unsigned char*>(memchr(p, anchor, end - p))) != 0) {
            ++hits;
            ++p;
        }
    }
    return hits;
}

static double BestGBps(Search search, const unsigned char* data, uint64_t* result)
{
    double best = 0;
    for (int round = 0; round < kRounds; ++round) {
        const double start = Now();
        *result = search(data, kTotal);
        const double seconds = Now() - start;
        if (kTotal / seconds / 1e9 > best)
            best = kTotal / seconds / 1e9;
    }
    return best;
}

static void FillRandom(unsigned char* data)
{
    uint64_t state = 0x9E3779B97F4A7C15ull;
    for (size_t k = 0; k < kTotal; k += 8) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        memcpy(data + k, &state, 8);
    }
}

// Prefixes of the signature, one after another, of lengths that cycle: the
// matcher is inside a partial match almost all the time.
static void FillPrefixes(unsigned char* data)
{
    const uint32_t count = SignaturePattern.count;
    size_t at = 0;
    for (uint32_t length = 1; at < kTotal; length = length % (count - 1) + 1) {
        const size_t n = length < kTotal - at ? length : kTotal - at;
        memcpy(data + at, SignaturePattern.bytes, n);
        at += n;
    }
}

static void PrintMachine()
{
    utsname name;
    uname(&name);
    char model[512] = "unknown CPU";
    if (FILE* cpu = fopen("/proc/cpuinfo", "r")) {
        char line[256];
        while (fgets(line, sizeof line, cpu)) {
            if (strncmp(line, "model name", 10) == 0) {
                const char* colon = strchr(line, ':');
                snprintf(model, sizeof model, "%s", colon ? colon + 2 : line);
                model[strcspn(model, "\n")] = 0;
                break;
            }
        }
        fclose(cpu);
    }
    printf("machine: %s %s %s, %s, %ld cores; %s\n", name.sysname, name.release, name.machine, model,
           sysconf(_SC_NPROCESSORS_ONLN), __VERSION__);
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: match_throughput <signature.bin>\n");
        return 2;
    }
    FILE* file = fopen(argv[1], "rb");
    static unsigned char bytes[65536];
    const size_t count = file ? fread(bytes, 1, sizeof bytes, file) : 0;
    if (count < 2) {
        fprintf(stderr, "cannot read the signature from %s\n", argv[1]);
        return 2;
    }
    fclose(file);
    for (size_t k = 0; k < count; ++k)
        bytes[k] = static_cast<unsigned char>(~bytes[k]);
    static uint32_t fallback[65536];
    BuildFallbackTable(bytes, uint32_t(count), fallback);
    SignaturePattern.bytes = bytes;
    SignaturePattern.count = uint32_t(count);
    SignaturePattern.fallback = fallback;
    SignaturePattern.anchor = ChooseAnchor(bytes, uint32_t(count));

    unsigned char* data = static_cast<unsigned char*>(malloc(kTotal));
    if (!data) {
        fprintf(stderr, "cannot allocate %zu MiB\n", kTotal >> 20);
        return 2;
    }
    PrintMachine();
    printf("signature: %zu bytes, anchor byte 0x%02X at offset %u; 256 MiB per pass, best of %d\n", count,
           bytes[SignaturePattern.anchor], SignaturePattern.anchor, kRounds);
    printf("%-22s %12s %12s %12s %14s %14s\n", "stream", "MatchStream", "byte loop", "memchr", "vs byte loop",
           "vs memchr");

    const struct {
        const char* name;
        void (*fill)(unsigned char*);
    } streams[] = {
        {"pseudo-random bytes", FillRandom},
        {"zeros", 0},
        {"signature prefixes", FillPrefixes},
    };
    int failed = 0;
    for (size_t s = 0; s < sizeof streams / sizeof streams[0]; ++s) {
        if (streams[s].fill)
            streams[s].fill(data);
        else
            memset(data, 0, kTotal);
        uint64_t matched, looped, hits;
        const double match = BestGBps(WithMatchStream, data, &matched);
        const double loop = BestGBps(WithByteLoop, data, &looped);
        const double scan = BestGBps(WithMemchr, data, &hits);
        printf("%-22s %8.2f GB/s %7.2f GB/s %7.2f GB/s %13.1fx %13.2fx\n", streams[s].name, match, loop, scan,
               match / loop, match / scan);
        // None of these streams holds the signature; a find is a fault.
        if (matched != 0 || looped != 0) {
            printf("  unexpected match: MatchStream %llu, byte loop %llu\n",
                   static_cast<unsigned long long>(matched), static_cast<unsigned long long>(looped));
            failed = 1;
        }
    }
    free(data);
    return failed;
}
