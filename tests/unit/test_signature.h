// Installs a made-up pattern as SignaturePattern for the tests.
#ifndef VEXORIN_TESTS_TEST_SIGNATURE_H
#define VEXORIN_TESTS_TEST_SIGNATURE_H

#include <stdint.h>

#include <string>
#include <vector>

#include "match_stream.h"

// Owns the bytes and the fallback table that SignaturePattern points at while
// it lives, and clears SignaturePattern when it goes so no test sees a stale one.
// The anchor is the one the tool would choose unless a test names another.
class ScopedSignature {
public:
    explicit ScopedSignature(const std::string& pattern) : bytes_(pattern.begin(), pattern.end())
    {
        Install(ChooseAnchor(bytes_.data(), static_cast<uint32_t>(bytes_.size())));
    }
    ScopedSignature(const std::string& pattern, uint32_t anchor) : bytes_(pattern.begin(), pattern.end())
    {
        Install(anchor);
    }
    ~ScopedSignature() { SignaturePattern = Signature(); }

private:
    void Install(uint32_t anchor)
    {
        const uint32_t count = static_cast<uint32_t>(bytes_.size());
        fallback_.resize(count);
        BuildFallbackTable(bytes_.data(), count, fallback_.data());
        SignaturePattern.bytes = bytes_.data();
        SignaturePattern.count = count;
        SignaturePattern.fallback = fallback_.data();
        SignaturePattern.anchor = anchor;
    }

    ScopedSignature(const ScopedSignature&);
    ScopedSignature& operator=(const ScopedSignature&);

    std::vector<unsigned char> bytes_;
    std::vector<uint32_t> fallback_;
};

// Shaped like the worm's bytes (0x04, a long run of 0x01, then other bytes)
// without being them: the run is what makes partial matches overlap.
inline std::string SlammerShapedPattern(size_t runLength = 96)
{
    return std::string(1, '\x04') + std::string(runLength, '\x01') +
           std::string("\x5A\xC3\x7E\x21\x99\x3D\x62\xE8", 8);
}

#endif
