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

    uint32_t i = *position;
    const unsigned char* p = data;
    const unsigned char* end = data + length;
    while (p < end) {
        if (i == 0) {
            // Nothing open: let the library find the next possible start.
            p = static_cast<const unsigned char*>(memchr(p, pattern[0], end - p));
            if (p == 0)
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
