// Eight bytes looked at as one 64-bit word: the tests that let the readers
// and writers of text step over runs of plain ASCII eight bytes at a time.
// Internal to the character set and the file formats.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tessaline::internal {

inline constexpr std::uint64_t kOnes = 0x0101010101010101ull;
inline constexpr std::uint64_t kHigh = 0x8080808080808080ull;

inline std::uint64_t wordAt(const unsigned char* p)
{
    std::uint64_t word = 0;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Whether a byte of `word` is below 14 (maybe a CR or LF); bytes above 127
// never count.
inline bool mayHoldLineEnd(std::uint64_t word) { return (((word & ~kHigh) - 14 * kOnes) & ~word & kHigh) != 0; }

// A byte that continues a UTF-8 sequence (10xxxxxx).
inline bool isUtf8Continuation(unsigned char b) { return (b & 0xC0) == 0x80; }

inline bool printableAscii(unsigned char b) { return b >= 0x20 && b < 0x7F; }

// How many of the eight bytes at `p` are printable ASCII (32 to 126) before
// the first that is not.
inline std::size_t printableAsciiPrefix(const unsigned char* p)
{
    if constexpr (std::endian::native == std::endian::little) {
        // The high bit of each byte that is not printable; a borrow may also
        // mark a printable byte, but only one after a byte that is not.
        const std::uint64_t word = wordAt(p);
        const std::uint64_t below32 = (word - 0x20 * kOnes) & ~word & kHigh;
        const std::uint64_t del = word ^ (0x7F * kOnes);
        const std::uint64_t is127 = (del - kOnes) & ~del & kHigh;
        const std::uint64_t stop = (word & kHigh) | below32 | is127;
        return stop == 0 ? 8 : static_cast<std::size_t>(std::countr_zero(stop)) / 8;
    } else {
        std::size_t k = 0;
        while (k < 8 && printableAscii(p[k]))
            ++k;
        return k;
    }
}

// The bytes a long step looks at: sixteen where the processor compares them
// at once (SSE2, which every x86-64 has), otherwise one word.
#if defined(__SSE2__)
inline constexpr std::size_t kLongStep = 16;
#else
inline constexpr std::size_t kLongStep = 8;
#endif

// Whether the kLongStep bytes at `p` are all ASCII.
inline bool asciiStep(const unsigned char* p)
{
#if defined(__SSE2__)
    return _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))) == 0;
#else
    return (wordAt(p) & kHigh) == 0;
#endif
}

// printableAsciiPrefix for the kLongStep bytes at `p`.
inline std::size_t printableAsciiStepPrefix(const unsigned char* p)
{
#if defined(__SSE2__)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    // Compared as signed bytes, those above 127 are below 32 too.
    const __m128i stop = _mm_or_si128(_mm_cmplt_epi8(v, _mm_set1_epi8(0x20)), _mm_cmpeq_epi8(v, _mm_set1_epi8(0x7F)));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(stop));
    return mask == 0 ? 16 : static_cast<std::size_t>(std::countr_zero(mask));
#else
    return printableAsciiPrefix(p);
#endif
}

// The high bit of each byte of `word` that is 0 and of no other (exact:
// no borrow runs from one byte into the next).
inline std::uint64_t zeroBytes(std::uint64_t word)
{
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    return ~(((word & kLow7) + kLow7) | word | kLow7);
}

// The high bit of each byte of `word` that is not printable ASCII, tab, LF
// or CR, the codes that are their own UTF-8 (exact for every byte).
inline std::uint64_t notOwnUtf8(std::uint64_t word)
{
    // Below 32 is (b & 0x60) == 0 for a byte under 128.
    const std::uint64_t control = zeroBytes(word & (0x60 * kOnes));
    const std::uint64_t lineOrTab =
        zeroBytes(word ^ ('\t' * kOnes)) | zeroBytes(word ^ ('\n' * kOnes)) | zeroBytes(word ^ ('\r' * kOnes));
    return (word & kHigh) | (control & ~lineOrTab) | zeroBytes(word ^ (0x7F * kOnes));
}

// How many of the eight bytes at `p` are their own UTF-8 before the first
// that is not.
inline std::size_t ownUtf8Prefix(const unsigned char* p)
{
    const std::uint64_t other = notOwnUtf8(wordAt(p));
    if constexpr (std::endian::native == std::endian::little) {
        return other == 0 ? 8 : static_cast<std::size_t>(std::countr_zero(other)) / 8;
    } else {
        std::size_t k = 0;
        while (k < 8 && (notOwnUtf8(std::uint64_t{p[k]}) & 0x80) == 0)
            ++k;
        return k;
    }
}

}  // namespace tessaline::internal
