#include "match_stream.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "naive_search.h"
#include "test_signature.h"

namespace {

using naive::Bytes;

std::string Printable(const std::string& bytes)
{
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[5];
            snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

std::string Printable(const std::vector<std::string>& pieces)
{
    std::string out;
    for (size_t i = 0; i < pieces.size(); ++i)
        out += (i ? "|" : "") + Printable(pieces[i]);
    return out;
}

// Feeds the pieces as one stream (an empty piece is a break) and checks every
// call against the reference. Stops at the first match, as the scanner does.
void FeedAndCheck(const std::string& pattern, const std::vector<std::string>& pieces)
{
    SCOPED_TRACE("pattern \"" + Printable(pattern) + "\", pieces \"" + Printable(pieces) + "\"");
    MatchPosition position = 0;
    std::string tail;  // the stream since the last break
    for (size_t i = 0; i < pieces.size(); ++i) {
        const std::string& piece = pieces[i];
        if (piece.empty())
            tail.clear();
        else
            tail += piece;
        const MatchPosition before = position;
        const int found = MatchStream(Bytes(piece), static_cast<uint32_t>(piece.size()), &position);
        if (!piece.empty() && naive::Contains(pattern, tail)) {
            ASSERT_EQ(1, found) << "call " << i;
            ASSERT_EQ(before, position) << "call " << i << " wrote the position on a match";
            return;
        }
        ASSERT_EQ(0, found) << "call " << i;
        ASSERT_EQ(naive::LongestPrefixSuffix(pattern, tail), position) << "call " << i;
        // Nothing matched so far, so a later match can use at most the last
        // pattern-length-minus-one bytes; dropping the rest keeps long streams cheap.
        if (tail.size() >= pattern.size())
            tail.erase(0, tail.size() - pattern.size() + 1);
    }
}

void FeedAndCheckWith(const std::string& pattern, const std::vector<std::string>& pieces)
{
    ScopedSignature signature(pattern);
    FeedAndCheck(pattern, pieces);
}

void FeedAndCheckWith(const std::string& pattern, uint32_t anchor, const std::vector<std::string>& pieces)
{
    SCOPED_TRACE("anchor " + std::to_string(anchor));
    ScopedSignature signature(pattern, anchor);
    FeedAndCheck(pattern, pieces);
}

std::vector<std::string> AllStrings(const std::string& alphabet, size_t maxLength)
{
    std::vector<std::string> all(1, std::string());
    for (size_t begin = 0; all.back().size() < maxLength;) {
        const size_t end = all.size();
        for (size_t i = begin; i < end; ++i) {
            for (size_t a = 0; a < alphabet.size(); ++a)
                all.push_back(all[i] + alphabet[a]);
        }
        begin = end;
    }
    return all;
}

std::vector<std::string> CutAt(const std::string& s, std::vector<size_t> cuts)
{
    std::sort(cuts.begin(), cuts.end());
    std::vector<std::string> pieces;
    size_t from = 0;
    for (size_t i = 0; i < cuts.size(); ++i) {
        pieces.push_back(s.substr(from, cuts[i] - from));
        from = cuts[i];
    }
    pieces.push_back(s.substr(from));
    return pieces;
}

std::vector<std::string> OneByteAtATime(const std::string& s)
{
    std::vector<std::string> pieces;
    for (size_t i = 0; i < s.size(); ++i)
        pieces.push_back(s.substr(i, 1));
    return pieces;
}

struct PatternCase {
    const char* pattern;
    const char* why;
};

const PatternCase kTwoLetterPatterns[] = {
    {"A", "one byte: every A completes it at once"},
    {"AAB", "a run then another byte: an A where B was due keeps AA open"},
    {"ABA", "overlaps itself by one byte"},
    {"ABAB", "overlaps itself by two bytes"},
    {"AABAA", "border AA inside a run: fallback must go 4 -> 2 -> 1"},
    {"ABAABAB", "nested borders of lengths 3 and 1"},
};

const PatternCase kThreeLetterPatterns[] = {
    {"ABAB", "C never takes part: the skip to the next first byte"},
    {"ABAC", "an ABAB-like start that ends in a different byte"},
    {"CAB", "first byte differs from the rest"},
};

TEST(BuildFallbackTable, GivesTheLongestBorderOfEveryPrefix)
{
    std::vector<std::string> patterns = AllStrings("AB", 8);
    const std::vector<std::string> three = AllStrings("ABC", 5);
    patterns.insert(patterns.end(), three.begin(), three.end());
    patterns.push_back(SlammerShapedPattern());
    for (size_t p = 0; p < patterns.size(); ++p) {
        const std::string& pattern = patterns[p];
        SCOPED_TRACE("pattern \"" + Printable(pattern) + "\"");
        std::vector<uint32_t> table(pattern.size() + 1, 0xDEADBEEF);
        BuildFallbackTable(Bytes(pattern), static_cast<uint32_t>(pattern.size()), table.data());
        for (size_t k = 0; k < pattern.size(); ++k) {
            // A proper border of the first k+1 bytes is a pattern prefix that
            // ends the same bytes with the first one dropped.
            const std::string prefix = pattern.substr(0, k + 1);
            ASSERT_EQ(naive::LongestPrefixSuffix(prefix, prefix.substr(1)), table[k]) << "k=" << k;
        }
        ASSERT_EQ(0xDEADBEEFu, table[pattern.size()]) << "wrote past the table";
    }
}

TEST(MatchStreamSplits, EveryCutOfShortStreamsAgreesWithReference)
{
    const std::vector<std::string> streams = AllStrings("AB", 8);
    for (size_t p = 0; p < sizeof kTwoLetterPatterns / sizeof kTwoLetterPatterns[0]; ++p) {
        const PatternCase& row = kTwoLetterPatterns[p];
        SCOPED_TRACE(row.why);
        // The anchor only decides where the matcher looks first: every choice
        // must give the same answers.
        for (uint32_t anchor = 0; anchor < strlen(row.pattern); ++anchor) {
            SCOPED_TRACE("anchor " + std::to_string(anchor));
            ScopedSignature signature(row.pattern, anchor);
            for (size_t s = 0; s < streams.size() && !HasFailure(); ++s) {
                const std::string& stream = streams[s];
                FeedAndCheck(row.pattern, std::vector<std::string>(1, stream));
                for (size_t cut = 0; cut <= stream.size(); ++cut)
                    FeedAndCheck(row.pattern, CutAt(stream, std::vector<size_t>(1, cut)));
            }
        }
    }
}

// Two cuts in one place leave an empty piece between them, a break in the
// stream, so this also checks that a break forgets what came before.
TEST(MatchStreamSplits, EveryPairOfCutsAgreesWithReference)
{
    const std::vector<std::string> streams = AllStrings("AB", 7);
    for (size_t p = 0; p < sizeof kTwoLetterPatterns / sizeof kTwoLetterPatterns[0]; ++p) {
        const PatternCase& row = kTwoLetterPatterns[p];
        SCOPED_TRACE(row.why);
        ScopedSignature signature(row.pattern);
        for (size_t s = 0; s < streams.size() && !HasFailure(); ++s) {
            const std::string& stream = streams[s];
            for (size_t first = 0; first <= stream.size(); ++first) {
                for (size_t second = first; second <= stream.size(); ++second) {
                    std::vector<size_t> cuts;
                    cuts.push_back(first);
                    cuts.push_back(second);
                    FeedAndCheck(row.pattern, CutAt(stream, cuts));
                }
            }
        }
    }
}

TEST(MatchStreamSplits, BytesOutsideThePatternAgreeWithReference)
{
    const std::vector<std::string> streams = AllStrings("ABC", 7);
    for (size_t p = 0; p < sizeof kThreeLetterPatterns / sizeof kThreeLetterPatterns[0]; ++p) {
        const PatternCase& row = kThreeLetterPatterns[p];
        SCOPED_TRACE(row.why);
        for (uint32_t anchor = 0; anchor < strlen(row.pattern); ++anchor) {
            SCOPED_TRACE("anchor " + std::to_string(anchor));
            ScopedSignature signature(row.pattern, anchor);
            for (size_t s = 0; s < streams.size() && !HasFailure(); ++s) {
                const std::string& stream = streams[s];
                for (size_t cut = 0; cut <= stream.size(); ++cut)
                    FeedAndCheck(row.pattern, CutAt(stream, std::vector<size_t>(1, cut)));
            }
        }
    }
}

// Streams built from pieces of the pattern, so partial matches that break off
// and restart are the common case rather than the rare one.
TEST(MatchStreamSplits, SeededRandomStreamsAgreeWithReference)
{
    const char kFiller[] = {'\x04', '\x01', '\x7F', '\x00'};
    for (unsigned seed = 1; seed <= 400 && !HasFailure(); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        std::string pattern;
        if (rng() % 2) {
            pattern = std::string(1, '\x04') + std::string(1 + rng() % 16, '\x01');
            for (size_t n = 1 + rng() % 3; n > 0; --n)
                pattern += kFiller[rng() % 3];
        } else {
            for (size_t n = 1 + rng() % 12; n > 0; --n)
                pattern += kFiller[rng() % 2];
        }

        std::string stream;
        const size_t length = rng() % 3000;
        while (stream.size() < length) {
            if (rng() % 3)
                stream += pattern.substr(0, rng() % pattern.size());
            else
                stream += kFiller[rng() % 4];
        }
        if (rng() % 2) {
            const size_t at = rng() % (stream.size() + 1);
            stream.insert(at, pattern);
        }

        std::vector<size_t> cuts;
        for (size_t n = rng() % 25; n > 0; --n)
            cuts.push_back(rng() % (stream.size() + 1));
        FeedAndCheckWith(pattern, CutAt(stream, cuts));
        FeedAndCheckWith(pattern, rng() % pattern.size(), CutAt(stream, cuts));
        if (seed % 20 == 0)
            FeedAndCheckWith(pattern, OneByteAtATime(stream));
    }
}

// The anchor is what the matcher skips to through memory full of zeros, small
// integers and text, so it must be a byte those are not made of.
TEST(ChooseAnchor, PrefersAByteRareInMemory)
{
    const struct {
        std::string pattern;
        uint32_t anchor;
    } kCases[] = {
        {SlammerShapedPattern(), 98},             // 0xC3, past 0x04, the run of 0x01 and a letter
        {std::string("\0\x01" "ab\xC3\x90", 6), 4},  // 0xC3 beats zeros, small integers, letters and 0x90
        {std::string("\0\0\x02", 3), 2},        // a small integer beats zeros
        {std::string("AAAA"), 0},                 // all equal: the first
    };
    for (size_t k = 0; k < sizeof kCases / sizeof kCases[0]; ++k) {
        const std::string& pattern = kCases[k].pattern;
        EXPECT_EQ(kCases[k].anchor, ChooseAnchor(Bytes(pattern), static_cast<uint32_t>(pattern.size())))
            << "pattern \"" << Printable(pattern) << "\"";
    }
}

// The skip to the anchor byte reads a word at a time once the buffer is
// aligned: a buffer may start and end anywhere within a word, and the anchor
// may sit at any byte of one, first or last of the buffer included.
TEST(MatchStreamBuffers, AnchorIsFoundAtEveryAlignment)
{
    const std::string pattern("\x04\xC3\x01", 3);  // anchor 0xC3 at offset 1
    ScopedSignature signature(pattern);
    ASSERT_EQ(1u, SignaturePattern.anchor);
    std::vector<unsigned char> memory(96, 'x');
    for (size_t at = 0; at + pattern.size() <= memory.size() && !HasFailure(); ++at) {
        std::fill(memory.begin(), memory.end(), 'x');
        memcpy(&memory[at], pattern.data(), pattern.size());
        for (size_t from = 0; from < 40 && from <= at + 1; ++from) {
            for (size_t to = from; to <= memory.size(); to += (to < at + 8 ? 1 : 7)) {
                const std::string stream(memory.begin() + from, memory.begin() + to);
                MatchPosition position = 0;
                const int found = MatchStream(&memory[from], static_cast<uint32_t>(to - from), &position);
                ASSERT_EQ(naive::Contains(pattern, stream) ? 1 : 0, found)
                    << "pattern at " << at << ", buffer [" << from << ", " << to << ")";
                if (!found) {
                    ASSERT_EQ(naive::LongestPrefixSuffix(pattern, stream), position)
                        << "pattern at " << at << ", buffer [" << from << ", " << to << ")";
                }
            }
        }
    }
}

TEST(MatchStreamBuffers, ZeroLengthBufferResetsPositionAndFindsNothing)
{
    ScopedSignature signature("ABCD");
    MatchPosition position = 0;
    ASSERT_EQ(0, MatchStream(Bytes("xxAB"), 4, &position));
    ASSERT_EQ(2u, position);

    const unsigned char unused = 'A';
    EXPECT_EQ(0, MatchStream(&unused, 0, &position));
    EXPECT_EQ(0u, position);

    EXPECT_EQ(0, MatchStream(Bytes("CD"), 2, &position)) << "the match spanned a break";
    EXPECT_EQ(0u, position);
}

TEST(MatchStreamBuffers, OneByteAtATimeAgreesWithReference)
{
    const std::string pattern = SlammerShapedPattern();
    const std::string truncated = pattern.substr(0, 60);
    const struct {
        std::string stream;
        const char* why;
    } rows[] = {
        {"zz" + pattern + "zz", "a whole copy"},
        {truncated + pattern, "a truncated copy runs straight into a whole one"},
        {truncated + truncated + pattern.substr(0, pattern.size() - 1), "only partial copies"},
        {std::string(200, '\x01') + "\x04" + std::string(300, '\x01'), "the run without its tail"},
    };
    for (size_t r = 0; r < sizeof rows / sizeof rows[0]; ++r) {
        SCOPED_TRACE(rows[r].why);
        FeedAndCheckWith(pattern, OneByteAtATime(rows[r].stream));
    }
}

TEST(MatchStreamExamples, RestartsOnTheByteThatBrokeAPartialMatch)
{
    ScopedSignature signature("ABCD");
    const struct {
        const char* stream;
        int found;
        const char* why;
    } rows[] = {
        {"XABCD", 1, "the pattern after an unrelated byte"},
        {"AABCD", 1, "the A that breaks AA is where the match starts"},
        {"ABABCD", 1, "the second A breaks AB and starts the match"},
        {"ABCABCD", 1, "the A that breaks ABC starts the match"},
        {"ABCXD", 0, "a byte in the middle of the pattern is wrong"},
        {"ABDC", 0, "last two bytes swapped"},
    };
    for (size_t r = 0; r < sizeof rows / sizeof rows[0]; ++r) {
        SCOPED_TRACE(std::string(rows[r].stream) + ": " + rows[r].why);
        const std::string stream = rows[r].stream;
        MatchPosition position = 0;
        EXPECT_EQ(rows[r].found, MatchStream(Bytes(stream), static_cast<uint32_t>(stream.size()), &position));
    }
}

TEST(MatchStreamExamples, TruncatedCopyRightBeforeAWholeOneIsFound)
{
    const std::string pattern = SlammerShapedPattern();
    ScopedSignature signature(pattern);
    for (size_t cut = 1; cut < pattern.size(); ++cut) {
        SCOPED_TRACE("truncated to " + std::to_string(cut) + " bytes");
        const std::string stream = "\x7F" + pattern.substr(0, cut) + pattern + "\x7F";
        MatchPosition position = 0;
        ASSERT_EQ(1, MatchStream(Bytes(stream), static_cast<uint32_t>(stream.size()), &position));
    }
}

TEST(MatchStreamExamples, TruncatedThenWholeCopyAgreesWithReferenceAtEveryCut)
{
    const std::string pattern = SlammerShapedPattern();
    const size_t truncations[] = {1, 2, 50, 97, pattern.size() - 1};
    for (size_t t = 0; t < sizeof truncations / sizeof truncations[0]; ++t) {
        const std::string stream = pattern.substr(0, truncations[t]) + pattern;
        for (size_t cut = 0; cut <= stream.size() && !HasFailure(); ++cut)
            FeedAndCheckWith(pattern, CutAt(stream, std::vector<size_t>(1, cut)));
    }
}

TEST(MatchStreamExamples, PatternSplitAcrossTwoBuffersIsFound)
{
    const std::string pattern = SlammerShapedPattern();
    ScopedSignature signature(pattern);
    for (size_t cut = 1; cut < pattern.size(); ++cut) {
        SCOPED_TRACE("first buffer ends after " + std::to_string(cut) + " pattern bytes");
        const std::string first = "\x7F\x7F" + pattern.substr(0, cut);
        const std::string second = pattern.substr(cut) + "\x7F";
        MatchPosition position = 0;
        ASSERT_EQ(0, MatchStream(Bytes(first), static_cast<uint32_t>(first.size()), &position));
        ASSERT_EQ(cut, position);
        ASSERT_EQ(1, MatchStream(Bytes(second), static_cast<uint32_t>(second.size()), &position));
    }
}

TEST(MatchStreamExamples, MatchLeavesPositionUnwritten)
{
    ScopedSignature signature("ABCD");
    const struct {
        MatchPosition carried;
        const char* buffer;
        const char* why;
    } rows[] = {
        {3, "D", "the last byte completes the carried match"},
        {2, "CDAB", "completes at once, bytes after the match are not looked at"},
        {1, "XABCD", "the carried match dies and a new one completes"},
        {0, "ABCDABC", "a whole match from nothing, then a partial one"},
    };
    for (size_t r = 0; r < sizeof rows / sizeof rows[0]; ++r) {
        SCOPED_TRACE(rows[r].why);
        const std::string buffer = rows[r].buffer;
        MatchPosition position = rows[r].carried;
        ASSERT_EQ(1, MatchStream(Bytes(buffer), static_cast<uint32_t>(buffer.size()), &position));
        EXPECT_EQ(rows[r].carried, position);
    }
}

TEST(MatchStreamExamples, EmptyPatternMatchesAnyNonEmptyBuffer)
{
    ScopedSignature signature("");
    const std::string buffers[] = {std::string(1, '\0'), "A", std::string(5000, '\x01')};
    for (size_t b = 0; b < sizeof buffers / sizeof buffers[0]; ++b) {
        SCOPED_TRACE("buffer of " + std::to_string(buffers[b].size()) + " bytes");
        MatchPosition position = 0xDEADBEEF;
        EXPECT_EQ(1, MatchStream(Bytes(buffers[b]), static_cast<uint32_t>(buffers[b].size()), &position));
        EXPECT_EQ(0xDEADBEEFu, position);
    }

    MatchPosition position = 0xDEADBEEF;
    EXPECT_EQ(0, MatchStream(Bytes(buffers[0]), 0, &position)) << "a break is not a match";
    EXPECT_EQ(0u, position);
}

}  // namespace
