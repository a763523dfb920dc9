#pragma once

// Byte searches the text readers spend most of their time in, sixteen bytes at a
// time where the processor allows (SSE2 is part of every x86-64).

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tackedit {

#if defined(__SSE2__)
namespace scan_detail {
inline unsigned Mask(__m128i v) { return static_cast<unsigned>(_mm_movemask_epi8(v)); }
inline __m128i Load16(const char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
} // namespace scan_detail
#endif

// The first CR or LF in [p, end), or end.
inline const char* FindLineBreak(const char* p, const char* end)
{
#if defined(__SSE2__)
    using namespace scan_detail;
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    for (; end - p >= 16; p += 16) {
        const __m128i v = Load16(p);
        if (const unsigned m = Mask(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))))
            return p + __builtin_ctz(m);
    }
#endif
    for (; p < end; ++p)
        if (*p == '\r' || *p == '\n')
            return p;
    return end;
}

// The positions of two byte values (CR and LF, or the one byte a binary scan
// looks for, given twice) in order, found sixty-four bytes at a time: a text of
// short lines costs one pass, not one search per line.
class ByteFinder {
public:
    ByteFinder(const char* begin, const char* end, char a, char b) : end_(end), block_(begin), a_(a), b_(b)
    {
        Load();
    }

    // The first of the two values at or after p, or the end; p never moves back.
    // Blocks that p has passed are skipped, not read.
    const char* From(const char* p)
    {
        if (block_ + 64 <= p) {
            block_ += (p - block_) / 64 * 64;
            Load();
        }
        for (;;) {
            const std::uint64_t m = bits_ & (~std::uint64_t{0} << (p - block_));
            if (m)
                return block_ + __builtin_ctzll(m);
            block_ += 64;
            if (block_ >= end_)
                return end_;
            p = block_;
            Load();
        }
    }

private:
    void Load()
    {
        bits_ = 0;
        if (block_ >= end_)
            return;
        if (end_ - block_ >= 64) {
#if defined(__SSE2__)
            using namespace scan_detail;
            const __m128i a = _mm_set1_epi8(a_), b = _mm_set1_epi8(b_);
            for (int k = 0; k < 4; ++k) {
                const __m128i v = Load16(block_ + 16 * k);
                bits_ |= std::uint64_t{Mask(_mm_or_si128(_mm_cmpeq_epi8(v, a), _mm_cmpeq_epi8(v, b)))} << (16 * k);
            }
            return;
#endif
        }
        const std::ptrdiff_t n = std::min<std::ptrdiff_t>(64, end_ - block_);
        for (std::ptrdiff_t i = 0; i < n; ++i)
            if (block_[i] == a_ || block_[i] == b_)
                bits_ |= std::uint64_t{1} << i;
    }

    const char* end_;
    const char* block_;  // the 64 bytes bits_ describes
    char a_, b_;
    std::uint64_t bits_ = 0;
};

// CR and LF: where the lines of a text end.
class LineBreaks : public ByteFinder {
public:
    LineBreaks(const char* begin, const char* end) : ByteFinder(begin, end, '\r', '\n') {}
};

// The first `c` in [p, end), or end: memchr without the call, for the short
// distances between the marks of a point's text.
inline const char* FindByte(const char* p, const char* end, char c)
{
#if defined(__SSE2__)
    using namespace scan_detail;
    const __m128i key = _mm_set1_epi8(c);
    for (; end - p >= 16; p += 16)
        if (const unsigned m = Mask(_mm_cmpeq_epi8(Load16(p), key)))
            return p + __builtin_ctz(m);
#endif
    for (; p < end; ++p)
        if (*p == c)
            return p;
    return end;
}

// The first occurrence of `word` (exact bytes) starting at or after `from`, or
// npos. Candidates are positions where the word's bytes at `a` and `b` (two of
// its rarer letters) both match, sixteen positions at a time.
inline std::size_t FindWord(std::string_view data, std::size_t from, std::string_view word, std::size_t a,
                            std::size_t b)
{
    const std::size_t n = word.size();
    if (n == 0 || from > data.size() || data.size() - from < n)
        return std::string_view::npos;
    const char* base = data.data();
    const std::size_t last = data.size() - n;  // last possible start
    std::size_t i = from;
#if defined(__SSE2__)
    using namespace scan_detail;
    const __m128i ca = _mm_set1_epi8(word[a]), cb = _mm_set1_epi8(word[b]);
    // Loads at i + a and i + b stay inside the data while i + 15 <= last.
    for (; i + 15 <= last; i += 16) {
        unsigned m = Mask(_mm_and_si128(_mm_cmpeq_epi8(Load16(base + i + a), ca),
                                        _mm_cmpeq_epi8(Load16(base + i + b), cb)));
        while (m) {
            const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(m));
            if (std::memcmp(base + at, word.data(), n) == 0)
                return at;
            m &= m - 1;
        }
    }
#endif
    for (; i <= last; ++i)
        if (base[i + a] == word[a] && base[i + b] == word[b] && std::memcmp(base + i, word.data(), n) == 0)
            return i;
    return std::string_view::npos;
}

// The first position where `word` (lower case) stands in `text` read as if
// lower-cased (ASCII letters only), or npos.
inline std::size_t FindNoCase(std::string_view text, std::string_view word)
{
    const std::size_t n = word.size();
    if (n == 0 || n > text.size())
        return std::string_view::npos;
    const char first = word[0];
    const bool letter = first >= 'a' && first <= 'z';
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    const auto matches_at = [&](std::size_t i) {
        for (std::size_t k = 1; k < n; ++k)
            if (lower(text[i + k]) != word[k])
                return false;
        return true;
    };
    const std::size_t last = text.size() - n;
    std::size_t i = 0;
#if defined(__SSE2__)
    using namespace scan_detail;
    // For a letter, or-ing 0x20 folds exactly its capital onto it.
    const __m128i fold = _mm_set1_epi8(letter ? 0x20 : 0), key = _mm_set1_epi8(first);
    for (; i + 16 <= text.size() && i <= last; i += 16) {
        unsigned m = Mask(_mm_cmpeq_epi8(_mm_or_si128(Load16(text.data() + i), fold), key));
        while (m) {
            const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(m));
            if (at > last)
                return std::string_view::npos;
            if (matches_at(at))
                return at;
            m &= m - 1;
        }
    }
#endif
    for (; i <= last; ++i)
        if (lower(text[i]) == first && matches_at(i))
            return i;
    return std::string_view::npos;
}

// Where blanks, control characters (below the blank, line ends among them)
// and "D" stand in the 64 bytes at `p`, as bit masks by position; all 64 bytes
// must be readable. A short line is read from one such block: its end is the
// first control character when that is a CR or LF.
struct BlockMasks {
    std::uint64_t blanks = 0, controls = 0, ds = 0;
};

inline void MaskBlock(const char* p, BlockMasks& out)
{
#if defined(__SSE2__)
    using namespace scan_detail;
    const __m128i blank = _mm_set1_epi8(' '), below = _mm_set1_epi8(0x1f), d = _mm_set1_epi8('D');
    std::uint64_t blanks = 0, controls = 0, ds = 0;
#pragma GCC unroll 4
    for (int k = 0; k < 4; ++k) {
        const __m128i v = Load16(p + 16 * k);
        blanks |= std::uint64_t{Mask(_mm_cmpeq_epi8(v, blank))} << (16 * k);
        controls |= std::uint64_t{Mask(_mm_cmpeq_epi8(_mm_min_epu8(v, below), v))} << (16 * k);
        ds |= std::uint64_t{Mask(_mm_cmpeq_epi8(v, d))} << (16 * k);
    }
    out = {blanks, controls, ds};
#else
    out = {};
    for (int i = 0; i < 64; ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        out.blanks |= std::uint64_t{c == ' '} << i;
        out.controls |= std::uint64_t{c < ' '} << i;
        out.ds |= std::uint64_t{c == 'D'} << i;
    }
#endif
}

} // namespace tackedit
