// A slow, plainly correct answer for what MatchStream should report, used to
// check it. Test-only, and free of GoogleTest so a fuzzer can share it.
#ifndef VEXORIN_TESTS_NAIVE_SEARCH_H
#define VEXORIN_TESTS_NAIVE_SEARCH_H

#include <stddef.h>
#include <string.h>

#include <string>

namespace naive {

// Whether pattern occurs anywhere in stream. An empty pattern occurs in every
// stream (MatchStream only says so once it is given a non-empty buffer).
inline bool Contains(const unsigned char* pattern, size_t patternLength,
                     const unsigned char* stream, size_t streamLength)
{
    for (size_t start = 0; start + patternLength <= streamLength; ++start) {
        if (memcmp(stream + start, pattern, patternLength) == 0)
            return true;
    }
    return false;
}

// The length of the longest proper prefix of pattern that the stream ends
// with: what MatchStream must carry in *position when the stream so far does
// not contain the pattern. Meaningless once Contains is true.
inline size_t LongestPrefixSuffix(const unsigned char* pattern, size_t patternLength,
                                  const unsigned char* stream, size_t streamLength)
{
    for (size_t length = patternLength == 0 ? 0 : patternLength - 1; length > 0; --length) {
        if (length <= streamLength && memcmp(stream + streamLength - length, pattern, length) == 0)
            return length;
    }
    return 0;
}

inline const unsigned char* Bytes(const std::string& s)
{
    return reinterpret_cast<const unsigned char*>(s.data());
}

inline bool Contains(const std::string& pattern, const std::string& stream)
{
    return Contains(Bytes(pattern), pattern.size(), Bytes(stream), stream.size());
}

inline size_t LongestPrefixSuffix(const std::string& pattern, const std::string& stream)
{
    return LongestPrefixSuffix(Bytes(pattern), pattern.size(), Bytes(stream), stream.size());
}

}  // namespace naive

#endif
