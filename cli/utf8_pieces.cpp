#include "cli/utf8_pieces.h"

#include <cstring>

#include "cli/plain_text.h"
#include "richtext/charset.h"

namespace tessaline::cli {

namespace {

// Whether the character at k is read as the code of the same value: printable
// ASCII, tab, LF and CR, unless a non-ASCII character follows (which may
// continue it into another spelling, as a combining macron makes x code 154).
bool ownCode(std::string_view block, std::size_t k)
{
    const auto c = static_cast<unsigned char>(block[k]);
    const bool plain = (c >= 32 && c <= 126) || c == '\t' || c == '\n' || c == '\r';
    return plain && (k + 1 == block.size() || static_cast<unsigned char>(block[k + 1]) < 0x80);
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
        std::size_t k = 0;
        while (k < block.size()) {
            const std::size_t copyFrom = k;
            while (k < block.size() && ownCode(block, k)) {
                ++k;
            }
            codes.codes.append(block.substr(copyFrom, k - copyFrom));
            const std::size_t convertFrom = k;
            while (k < block.size() && !ownCode(block, k)) {
                ++k;
            }
            if (k == convertFrom) {
                continue;
            }
            const std::string_view piece = block.substr(convertFrom, k - convertFrom);
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
        result.codes += withCrLfLineEnds(codes.codes);
        result.replaced += codes.replaced;
        start = end;
    }
    return result;
}

}  // namespace tessaline::cli
