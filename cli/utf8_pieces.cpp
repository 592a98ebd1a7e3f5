#include "cli/utf8_pieces.h"

#include <cstdint>
#include <cstring>

#include "cli/plain_text.h"
#include "richtext/charset.h"

namespace tessaline::cli {

namespace {

// Bytes that are read as the code of the same value: printable ASCII, tab,
// LF and CR.
struct OwnCodeTable {
    bool own[256] = {};
    OwnCodeTable()
    {
        for (int c = 32; c <= 126; ++c)
            own[c] = true;
        own[static_cast<unsigned char>('\t')] = own[static_cast<unsigned char>('\n')] =
            own[static_cast<unsigned char>('\r')] = true;
    }
};
const OwnCodeTable kOwnCodes;

std::uint64_t wordAt(const unsigned char* p)
{
    std::uint64_t word = 0;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Whether all eight bytes of `word` are printable ASCII (32 to 126).
bool printableAscii(std::uint64_t word)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHigh = 0x8080808080808080ull;
    const std::uint64_t below32 = (word - 0x20 * kOnes) & ~word & kHigh;
    const std::uint64_t del = word ^ (0x7F * kOnes);
    const std::uint64_t is127 = (del - kOnes) & ~del & kHigh;
    return ((word & kHigh) | below32 | is127) == 0;
}

// Whether a combining mark (U+0300 to U+036F: lead byte CC or CD) starts
// at k; it may join the character in front of it into another spelling.
bool markAt(const unsigned char* p, std::size_t n, std::size_t k)
{
    return k < n && (p[k] == 0xCC || p[k] == 0xCD);
}

// Whether a character at k can be converted by itself: a byte that is its own
// code, not followed by a combining mark.
bool standsAlone(const unsigned char* p, std::size_t n, std::size_t k)
{
    return kOwnCodes.own[p[k]] && !markAt(p, n, k + 1);
}

// Decodes `utf8` into `out` when every sequence in it is well-formed UTF-8
// (shortest form, no surrogate, at most U+10FFFF); false otherwise. Saves
// allocating a string per piece; anything unusual goes to the reader's own
// decoding.
bool decodeWellFormed(std::string_view utf8, std::u32string& out)
{
    out.clear();
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const std::size_t n = utf8.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        std::size_t length = 0;
        char32_t cp = 0;
        char32_t least = 0;
        if (b < 0x80) {
            length = 1;
            cp = b;
        } else if ((b & 0xE0) == 0xC0) {
            length = 2;
            cp = b & 0x1F;
            least = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            length = 3;
            cp = b & 0x0F;
            least = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            length = 4;
            cp = b & 0x07;
            least = 0x10000;
        } else {
            return false;
        }
        if (i + length > n) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        out.push_back(cp);
        i += length;
    }
    return true;
}

}  // namespace

std::optional<DecodedText> decodeUtf8InPieces(std::string_view bytes, std::size_t blockBytes)
{
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    const bool bom = bytes.substr(0, kBom.size()) == kBom;
    if (bom) {
        bytes.remove_prefix(kBom.size());
    }
    DecodedText result;
    result.ok = true;
    if (isAscii(bytes)) {
        // Only the mark was not ASCII: the rest is taken as codes.
        result.codes = withCrLfLineEnds(bytes);
        return result;
    }
    result.codes.reserve(bytes.size() + bytes.size() / 32 + 64);
    charset::UnicodeToCodes converter;   // set up once for all pieces
    std::u32string unicode;               // the piece being converted
    std::size_t start = 0;
    while (start < bytes.size()) {
        // The block ends after the first LF at or beyond blockBytes, or at the end.
        std::size_t end = bytes.size();
        const std::size_t from = start + blockBytes;
        if (from < bytes.size()) {
            const void* lf = std::memchr(bytes.data() + from, '\n', bytes.size() - from);
            if (lf) {
                end = static_cast<std::size_t>(static_cast<const char*>(lf) - bytes.data()) + 1;
            }
        }
        const std::string_view block = bytes.substr(start, end - start);
        charset::Conversion codes;   // the block's codes before the line ends are made CR LF
        codes.codes.reserve(block.size());
        // Runs of characters that are their own codes are copied; what lies
        // between them is decoded and converted. A piece to convert starts
        // and ends on whole UTF-8 sequences and spellings, since the
        // characters around it are ASCII and followed by ASCII.
        const auto* p = reinterpret_cast<const unsigned char*>(block.data());
        const std::size_t n = block.size();
        bool loneLineEnd = false;   // a CR or LF not in a CR LF pair, or one a conversion gave
        std::size_t k = 0;
        while (k < n) {
            // Eight printable ASCII characters that no combining mark
            // follows are copied at once.
            if (k + 8 < n && p[k + 8] < 0x80 && printableAscii(wordAt(p + k))) {
                codes.codes.append(block.data() + k, 8);
                k += 8;
                continue;
            }
            // Most characters are converted one at a time from a table: a
            // byte that is its own code, or a two-byte sequence of a
            // character that is a whole spelling by itself.
            const unsigned char b = p[k];
            if (b < 0x80) {
                if (standsAlone(p, n, k)) {
                    if (b == '\n')
                        loneLineEnd = loneLineEnd || k == 0 || p[k - 1] != '\r';
                    else if (b == '\r')
                        loneLineEnd = loneLineEnd || k + 1 == n || p[k + 1] != '\n';
                    codes.codes.push_back(static_cast<char>(b));
                    ++k;
                    continue;
                }
            } else if ((b & 0xE0) == 0xC0 && k + 1 < n && (p[k + 1] & 0xC0) == 0x80 && !markAt(p, n, k + 2)) {
                const char32_t cp = (static_cast<char32_t>(b & 0x1F) << 6) | (p[k + 1] & 0x3F);
                const int code = cp >= 0x80 ? charset::soleCode(cp) : -1;
                if (code >= 0) {
                    codes.codes.push_back(static_cast<char>(code));
                    k += 2;
                    continue;
                }
            }
            // The rest goes through the reader's conversion, up to the next
            // character that stands alone: a piece to convert starts and ends
            // on whole UTF-8 sequences and spellings.
            const std::size_t convertFrom = k;
            ++k;
            while (k < n && !(p[k] < 0x80 && standsAlone(p, n, k))) {
                ++k;
            }
            const std::string_view piece = block.substr(convertFrom, k - convertFrom);
            loneLineEnd = loneLineEnd || piece.find_first_of("\r\n") != std::string_view::npos;
            if (decodeWellFormed(piece, unicode)) {
                converter.convert(unicode, codes);
                continue;
            }
            // Some sequence is broken: the reader's own decoding decides. A
            // byte-order mark declares UTF-8 even where a sequence is broken;
            // without one, only valid UTF-8 is UTF-8.
            std::optional<std::u32string> decoded = charset::decodeUtf8(piece, !bom);
            if (!decoded) {
                return std::nullopt;
            }
            converter.convert(*decoded, codes);
        }
        // Only a block with a line end that is not CR LF needs another pass.
        if (loneLineEnd)
            result.codes += withCrLfLineEnds(codes.codes);
        else
            result.codes += codes.codes;
        result.replaced += codes.replaced;
        start = end;
    }
    return result;
}

}  // namespace tessaline::cli
