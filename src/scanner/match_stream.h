// Streaming search for the worm signature in memory that arrives in buffers.
// Portable: no Windows headers, so it is built and tested natively too.
#ifndef VEXORIN_MATCH_STREAM_H
#define VEXORIN_MATCH_STREAM_H

#include <stdint.h>

// How many leading pattern bytes the last bytes seen so far match, in order.
// Always less than the pattern's length between calls.
typedef uint32_t MatchPosition;

struct Signature {
    const unsigned char* bytes;
    uint32_t count;
    // fallback[k] is the length of the longest proper prefix of the first k+1
    // pattern bytes that is also a suffix of them (the prefix function). It lets
    // the matcher resume after a mismatch without missing an overlapping start.
    const uint32_t* fallback;
    // Offset of the pattern byte the matcher looks for first while no partial
    // match is open: a byte rarely seen in memory lets it skip far. Any offset
    // below count gives the same results; only the speed differs.
    uint32_t anchor;
};

// Set once by LoadSignature (or by a test) before any search; read-only after.
extern Signature SignaturePattern;

// Fills table[0..count-1] with the prefix function of bytes[0..count-1].
void BuildFallbackTable(const unsigned char* bytes, uint32_t count, uint32_t* table);

// The offset of the pattern byte least likely to turn up in process memory,
// by a fixed guess at how common each byte value is; the first of equals.
uint32_t ChooseAnchor(const unsigned char* bytes, uint32_t count);

// Searches data[0..length-1] for SignaturePattern, continuing a partial match
// carried in *position from the previous buffer of the same stream.
// Returns 1 as soon as the last pattern byte is matched; *position is then left
// unwritten. Otherwise returns 0 and leaves in *position the longest pattern
// prefix that is a suffix of everything seen. A zero-length buffer resets
// *position to 0 (it marks a break in the stream). An empty pattern matches any
// non-empty buffer at once.
int MatchStream(const unsigned char* data, uint32_t length, MatchPosition* position);

#endif
