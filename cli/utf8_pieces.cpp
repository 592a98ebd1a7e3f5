#include "cli/utf8_pieces.h"

#include <cstring>

#include "cli/plain_text.h"
#include "richtext/charset.h"

namespace tessaline::cli {

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
        // A byte-order mark declares UTF-8 even where a sequence is broken;
        // without one, only valid UTF-8 is UTF-8.
        std::optional<std::u32string> unicode = charset::decodeUtf8(block, !bom);
        if (!unicode) {
            return std::nullopt;
        }
        charset::Conversion conversion = charset::fromUnicode(*unicode);
        unicode.reset();
        result.codes += charset::normalizeLineEnds(conversion.codes);
        result.replaced += conversion.replaced;
        start = end;
    }
    return result;
}

}  // namespace tessaline::cli
