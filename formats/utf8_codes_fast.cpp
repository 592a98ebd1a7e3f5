#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "charset/byte_words.h"
#include "charset/charset.h"
#include "formats/utf8_codes.h"

// The fast path of UTF-8 to codes (see utf8_codes.h): what it does not
// settle eight bytes at a time or by a table goes to the plain path.

namespace tessaline::internal {

namespace {

// A piece of text converted by the plain path ends at the first place after
// this many bytes where it may end, so that memory stays bounded whatever the
// text.
constexpr std::size_t kLongestPiece = std::size_t{1} << 16;

// When the eight bytes at `p` are ASCII and whole sequences of two bytes
// (U+0080 to U+07FF), how many of them to step over: 8, or 7 when the last
// begins a sequence. Otherwise 0, and the bytes must be looked at one by one.
std::size_t asciiAndTwoByteSequences(const unsigned char* p)
{
    if constexpr (std::endian::native == std::endian::little) {
        // The high bit of each byte that is a continuation (10xxxxxx), and of
        // each that leads two bytes (110xxxxx) without being C0 or C1.
        const std::uint64_t word = wordAt(p);
        const std::uint64_t high = word & kHigh;
        const std::uint64_t continuations = word & ~(word << 1) & kHigh;
        const std::uint64_t notOverlong = ((word & (0x1E * kOnes)) + 0x7F * kOnes) & kHigh;
        const std::uint64_t leads = word & (word << 1) & ~(word << 2) & notOverlong & kHigh;
        const std::uint64_t lastByte = std::uint64_t{0x80} << 56;
        // Each continuation right after a lead, each lead but the last byte
        // followed by one, and no other byte above 127.
        if (high != (leads | continuations) || continuations != (leads & ~lastByte) << 8)
            return 0;
        return (leads & lastByte) != 0 ? 7 : 8;
    } else {
        return 0;
    }
}

// A combining mark (U+0300 to U+036F) starts with the byte CC or CD; it may
// join the character in front of it into another spelling.
bool markLead(unsigned char b) { return b == 0xCC || b == 0xCD; }

// The codes of the characters of two UTF-8 bytes (U+0080 to U+07FF, indexed
// by their low 11 bits) that are a whole spelling by themselves; -1 for the
// others and for CR and LF, which the writer must see as line ends.
const std::array<std::int16_t, 0x800>& twoByteCodes()
{
    static const std::array<std::int16_t, 0x800> table = [] {
        std::array<std::int16_t, 0x800> codes{};
        for (char32_t c = 0; c < 0x800; ++c) {
            const int code = c < 0x80 ? -1 : charset::soleCode(c);
            codes[c] = static_cast<std::int16_t>(code == '\r' || code == '\n' ? -1 : code);
        }
        return codes;
    }();
    return table;
}

}  // namespace

bool validUtf8(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t k = 0;
    while (k < n) {
        if (k + kLongStep <= n && asciiStep(p + k)) {
            k += kLongStep;
            continue;
        }
        if (k + 8 <= n) {
            const std::size_t whole = asciiAndTwoByteSequences(p + k);
            k += whole;
            if (whole > 0)
                continue;
        }
        const charset::Utf8Sequence sequence = charset::readUtf8Sequence(bytes.substr(k));
        if (!sequence.codePoint)
            return false;
        k += sequence.length;
    }
    return true;
}

// Most characters are converted here, written straight into the text:
// printable ASCII, tab, CR and LF are their own codes, and a character that
// is a whole spelling by itself is looked up. Anything next to a combining
// mark, anything without a code and any broken sequence goes, a piece at a
// time, through the plain path.
void appendUtf8(std::string_view bytes, CodeWriter& out)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    const std::array<std::int16_t, 0x800>& twoByte = twoByteCodes();
    auto markAt = [&](std::size_t k) { return k < n && markLead(p[k]); };
    // A character at k that is its own code and that no combining mark follows.
    auto ownCode = [&](std::size_t k) {
        const unsigned char b = p[k];
        return (printableAscii(b) || b == '\t' || b == '\r' || b == '\n') && !markAt(k + 1);
    };
    // Bytes converted between two checks of the room left: each step takes
    // at most kLongStep bytes, writes at most twice as many codes as it
    // takes and copies kLongStep bytes even where it keeps fewer.
    constexpr std::size_t kBlock = 4096;
    std::size_t k = 0;
    while (k < n) {
        const std::size_t blockEnd = k + std::min(n - k, kBlock);
        char* o = out.room(2 * (blockEnd - k) + 2 * kLongStep);
        bool afterCr = out.afterCr();
        bool simple = true;
        while (k < blockEnd) {
            if (k + kLongStep <= n) {
                // The printable characters in front of the first other byte
                // are their own codes, except one that a mark follows.
                std::size_t plain = printableAsciiStepPrefix(p + k);
                if (plain > 0 && markAt(k + plain))
                    --plain;
                std::memcpy(o, p + k, kLongStep);
                o += plain;
                k += plain;
                afterCr = afterCr && plain == 0;
                if (plain == kLongStep)
                    continue;
            }
            const unsigned char b = p[k];
            int code = -1;
            std::size_t length = 1;
            if (b < 0x80) {
                if (markAt(k + 1)) {
                    simple = false;  // the character may join the mark into another spelling
                    break;
                }
                if (b == '\n' || b == '\r') {
                    if (b == '\r' || !afterCr) {
                        *o++ = '\r';
                        *o++ = '\n';
                    }
                    afterCr = b == '\r';
                    ++k;
                    continue;
                }
                if (printableAscii(b) || b == '\t')
                    code = b;
            } else if (b >= 0xC2 && b < 0xE0) {
                length = 2;
                if (k + 2 <= n && isUtf8Continuation(p[k + 1]) && !markAt(k + 2))
                    code = twoByte[static_cast<std::size_t>((b & 0x1F) << 6 | (p[k + 1] & 0x3F))];
            } else if (b >= 0xE0 && b < 0xF0) {
                length = 3;
                if (k + 3 <= n && isUtf8Continuation(p[k + 1]) && isUtf8Continuation(p[k + 2]) && !markAt(k + 3)) {
                    const char32_t c = (b & 0x0Fu) << 12 | (p[k + 1] & 0x3Fu) << 6 | (p[k + 2] & 0x3Fu);
                    code = c >= 0x800 ? charset::soleCode(c) : -1;
                    if (code == '\r' || code == '\n')
                        code = -1;
                }
            }
            if (code < 0) {
                simple = false;
                break;
            }
            *o++ = static_cast<char>(code);
            afterCr = false;
            k += length;
        }
        out.done(o, afterCr);
        if (simple)
            continue;

        // The piece runs to the next character that is its own code: no
        // spelling and no UTF-8 sequence runs across an ASCII byte that no
        // mark follows. A long piece is cut before any whole sequence that
        // is not a combining mark.
        const std::size_t pieceFrom = k;
        ++k;
        while (k < n && !(p[k] < 0x80 && ownCode(k))) {
            if (k - pieceFrom >= kLongestPiece && !isUtf8Continuation(p[k]) && !markLead(p[k]))
                break;
            ++k;
        }
        appendUtf8Plain(bytes.substr(pieceFrom, k - pieceFrom), out);
    }
}

}  // namespace tessaline::internal
