// libFuzzer target: MatchStream against the naive whole-stream search, for any
// pattern, anchor and way of cutting a stream into buffers.
//
// Input layout, read from the front:
//   byte 0         pattern length minus 1 (patterns of 1 to 256 bytes)
//   byte 1         anchor, taken modulo the pattern length
//   next bytes     the pattern
//   next byte      how many buffer lengths follow (n)
//   next n bytes   the lengths of the first n buffers, in order; 0 is a
//                  zero-length buffer, a break in the stream. A length past the
//                  end of the stream is cut short to what is left.
//   the rest       the stream; what the n buffers leave is fed as one last
//                  buffer (zero-length, a break, when nothing is left).
// An input too short to hold its pattern is ignored.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <memory>
#include <string>

#include "match_stream.h"
#include "naive_search.h"
#include "test_signature.h"

namespace {

// libFuzzer reports the abort as a crash and saves the input that caused it.
void Disagree(const char* what, size_t call, size_t expected, size_t got)
{
    fprintf(stderr, "MatchStream disagrees with the reference on buffer %zu: %s: expected %zu, got %zu\n",
            call, what, expected, got);
    abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2 || size < 2 + size_t(data[0]) + 1)
        return 0;
    const size_t patternLength = size_t(data[0]) + 1;
    const std::string pattern(reinterpret_cast<const char*>(data + 2), patternLength);
    const uint32_t anchor = data[1] % patternLength;

    const uint8_t* next = data + 2 + patternLength;
    const uint8_t* const end = data + size;
    size_t lengthCount = next < end ? *next++ : 0;
    if (lengthCount > size_t(end - next))
        lengthCount = end - next;
    const uint8_t* lengths = next;
    const uint8_t* stream = next + lengthCount;

    ScopedSignature signature(pattern, anchor);
    MatchPosition position = 0;
    std::string tail;  // the stream since the last break
    for (size_t call = 0; call <= lengthCount; ++call) {
        const size_t left = end - stream;
        const size_t length = call < lengthCount && lengths[call] < left ? lengths[call] : left;
        // Each buffer gets an allocation of exactly its size, so that
        // AddressSanitizer catches a read past its end.
        std::unique_ptr<unsigned char[]> buffer(new unsigned char[length]);
        memcpy(buffer.get(), stream, length);
        stream += length;
        if (length == 0)
            tail.clear();
        else
            tail.append(reinterpret_cast<const char*>(buffer.get()), length);

        const MatchPosition before = position;
        const int found = MatchStream(buffer.get(), uint32_t(length), &position);
        const int expected = length > 0 && naive::Contains(pattern, tail) ? 1 : 0;
        if (found != expected)
            Disagree("match", call, expected, found);
        if (found) {
            if (position != before)
                Disagree("position written on a match", call, before, position);
            return 0;  // the scanner stops at the first match
        }
        const size_t carried = naive::LongestPrefixSuffix(pattern, tail);
        if (position != carried)
            Disagree("carried position", call, carried, position);
        // Nothing matched yet, so a later match can use at most the last
        // pattern-length-minus-one bytes: keep the reference's work small.
        if (tail.size() >= patternLength)
            tail.erase(0, tail.size() - patternLength + 1);
    }
    return 0;
}
