// Calculator codes to UTF-8, the way the batch tool writes its UTF-8 output:
// codes that are printable ASCII, tab, LF or CR, each shown as itself, are
// copied as they are, sixteen (or eight) at a time; any other code is looked up in a table of the UTF-8
// bytes of its shown form.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "charset/byte_words.h"
#include "charset/charset.h"

namespace tessaline::charset {

namespace {

// The bytes written for one code: room for two characters of four bytes.
constexpr std::size_t kMostBytes = 8;

struct Utf8Table {
    struct Entry {
        char bytes[kMostBytes];
        std::uint8_t length;
    };
    std::array<Entry, 256> entries{};
    // Whether every printable ASCII code, tab, LF and CR is shown as itself,
    // so that a run of them is its own UTF-8.
    bool asciiIsItself = true;

    Utf8Table()
    {
        for (int code = 0; code < 256; ++code) {
            const std::string utf8 = encodeUtf8(shown(static_cast<unsigned char>(code)));
            Entry& entry = entries[static_cast<std::size_t>(code)];
            // The table of shown forms has one or two characters of at most
            // three bytes each; a longer form would be cut here.
            entry.length = static_cast<std::uint8_t>(std::min(utf8.size(), kMostBytes));
            std::memcpy(entry.bytes, utf8.data(), entry.length);
            const bool own = (code >= 0x20 && code < 0x7F) || code == '\t' || code == '\n' || code == '\r';
            if (own && utf8 != std::string(1, static_cast<char>(code)))
                asciiIsItself = false;
        }
    }
};

// The codes one step looks at.
#if defined(__SSE2__)
constexpr std::size_t kStep = 16;
#else
constexpr std::size_t kStep = 8;
#endif

// How many of the kStep codes at `p` are printable ASCII, tab, LF or CR
// before the first that is not.
std::size_t ownUtf8Prefix(const unsigned char* p)
{
#if defined(__SSE2__)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    // Compared as signed bytes, those above 127 are below 32 too.
    const __m128i below32 = _mm_cmplt_epi8(v, _mm_set1_epi8(0x20));
    const __m128i lineOrTab =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\t')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))),
                     _mm_cmpeq_epi8(v, _mm_set1_epi8('\r')));
    const __m128i del = _mm_cmpeq_epi8(v, _mm_set1_epi8(0x7F));
    const unsigned other =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_andnot_si128(lineOrTab, below32), del)));
    return other == 0 ? kStep : static_cast<std::size_t>(std::countr_zero(other));
#else
    return internal::ownUtf8Prefix(p);
#endif
}

const Utf8Table& utf8Table()
{
    static const Utf8Table table;
    return table;
}

// Writes the UTF-8 of `codes` into `out` from `at` on and returns where it
// ends. The string is lengthened as the writing needs, never shortened: its
// size past the end is room, filled with zeros only when first made.
std::size_t writeUtf8(std::string_view codes, std::string& out, std::size_t at)
{
    const Utf8Table& table = utf8Table();
    const auto* p = reinterpret_cast<const unsigned char*>(codes.data());
    const std::size_t n = codes.size();
    // Codes converted between two checks of the room left. A step takes at
    // most kStep + 1 codes, writes at most kMostBytes bytes for each and
    // copies kStep bytes (or kMostBytes) even where it keeps fewer.
    constexpr std::size_t kBlock = 4096;
    std::size_t written = at;
    // Mostly ASCII, as most texts are: a little room for the rest.
    out.reserve(written + n + n / 8 + kMostBytes * (kBlock + kStep));
    const bool asciiIsItself = table.asciiIsItself;
    std::size_t k = 0;
    while (k < n) {
        const std::size_t blockEnd = k + std::min(n - k, kBlock);
        const std::size_t need = written + kMostBytes * (blockEnd - k + kStep) + kMostBytes;
        if (out.size() < need)
            out.resize(std::max(need, out.size() + out.size() / 2));
        char* o = out.data() + written;
        while (k < blockEnd) {
            if (k + kStep <= n && asciiIsItself) {
                // The codes in front of the first one that is not its own
                // UTF-8 are copied as they are.
                const std::size_t own = ownUtf8Prefix(p + k);
                std::memcpy(o, p + k, kStep);
                o += own;
                k += own;
                if (own == kStep)
                    continue;
            }
            const Utf8Table::Entry& entry = table.entries[p[k]];
            std::memcpy(o, entry.bytes, kMostBytes);
            o += entry.length;
            ++k;
        }
        written = static_cast<std::size_t>(o - out.data());
    }
    return written;
}

}  // namespace

void appendToUtf8(std::string_view codes, std::string& out) { out.resize(writeUtf8(codes, out, out.size())); }

std::string_view toUtf8(std::string_view codes, std::string& room)
{
    const std::size_t end = writeUtf8(codes, room, 0);
    return {room.data(), end};
}

}  // namespace tessaline::charset
