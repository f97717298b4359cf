#include "match_stream.h"

#include <string.h>

Signature SignaturePattern;

void BuildFallbackTable(const unsigned char* bytes, uint32_t count, uint32_t* table)
{
    if (count == 0)
        return;
    table[0] = 0;
    uint32_t k = 0;
    for (uint32_t q = 1; q < count; ++q) {
        while (k > 0 && bytes[k] != bytes[q])
            k = table[k - 1];
        if (bytes[k] == bytes[q])
            ++k;
        table[q] = k;
    }
}

// How often a byte value turns up in memory, roughly: zeros, then 0xFF and
// small integers, then text; other bytes are rare. Lower is rarer.
static int Commonness(unsigned char byte)
{
    if (byte == 0x00)
        return 5;
    if (byte == 0xFF || byte < 0x10)
        return 4;
    if ((byte >= 'a' && byte <= 'z') || byte == ' ')
        return 3;
    if (byte >= 0x20 && byte < 0x7F)
        return 2;
    if (byte >= 0x80 && byte <= 0x8F)  // common opcodes and address bytes
        return 1;
    return 0;
}

uint32_t ChooseAnchor(const unsigned char* bytes, uint32_t count)
{
    uint32_t anchor = 0;
    for (uint32_t k = 1; k < count; ++k) {
        if (Commonness(bytes[k]) < Commonness(bytes[anchor]))
            anchor = k;
    }
    return anchor;
}

// The first byte equal to byte in [p, end), or null: what memchr does, but a
// word at a time in plain C++. A C runtime's memchr may test one byte at a
// time (Wine's does), and the tool runs on whatever msvcrt.dll the system has.
static const unsigned char* FindByte(const unsigned char* p, const unsigned char* end, unsigned char byte)
{
    const size_t ones = ~size_t(0) / 0xFF;  // 0x01 in every byte
    const size_t highs = ones << 7;          // 0x80 in every byte
    const size_t spread = ones * byte;
    while (p < end && (reinterpret_cast<uintptr_t>(p) & (sizeof(size_t) - 1)) != 0) {
        if (*p == byte)
            return p;
        ++p;
    }
    // A word holds byte where word ^ spread has a zero byte; two words a turn.
    while (size_t(end - p) >= 2 * sizeof(size_t)) {
        size_t a, b;
        memcpy(&a, p, sizeof a);
        memcpy(&b, p + sizeof a, sizeof b);
        a ^= spread;
        b ^= spread;
        if ((((a - ones) & ~a) | ((b - ones) & ~b)) & highs)
            break;
        p += 2 * sizeof(size_t);
    }
    for (; p < end; ++p) {
        if (*p == byte)
            return p;
    }
    return 0;
}

int MatchStream(const unsigned char* data, uint32_t length, MatchPosition* position)
{
    if (length == 0) {
        *position = 0;
        return 0;
    }
    const unsigned char* pattern = SignaturePattern.bytes;
    const uint32_t count = SignaturePattern.count;
    if (count == 0)
        return 1;
    const uint32_t* fallback = SignaturePattern.fallback;
    const uint32_t anchor = SignaturePattern.anchor < count ? SignaturePattern.anchor : 0;
    const unsigned char anchorByte = pattern[anchor];

    uint32_t i = *position;
    const unsigned char* p = data;
    const unsigned char* end = data + length;
    // Past this point a start's anchor byte would lie beyond the buffer, so
    // those starts are stepped through one byte at a time.
    const unsigned char* lastAnchored = uint32_t(end - p) > anchor ? end - anchor : p;
    while (p < end) {
        if (i == 0 && p < lastAnchored) {
            // Nothing open: a match can start no earlier than p, and a start
            // is only possible where its anchor byte is. Skip to the next one;
            // none means no start before lastAnchored.
            const unsigned char* hit = FindByte(p + anchor, end, anchorByte);
            p = hit != 0 ? hit - anchor : lastAnchored;
            if (p == end)
                break;
        }
        const unsigned char byte = *p;
        while (i > 0 && pattern[i] != byte)
            i = fallback[i - 1];
        if (pattern[i] == byte && ++i == count)
            return 1;
        ++p;
    }
    *position = i;
    return 0;
}
