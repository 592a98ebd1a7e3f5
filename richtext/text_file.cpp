#include "richtext/text_file.h"

#include <algorithm>

#include "richtext/charset.h"
#include "richtext/rtf.h"

namespace tessaline {

DecodedText decodeTextFile(std::string_view bytes)
{
    DecodedText d;
    if (bytes.starts_with("{\\rtf")) {
        rtf::ReadResult r = rtf::read(bytes);
        d.ok = r.ok;
        d.codes = std::move(r.codes);
        d.replaced = r.replaced;
        d.error = std::move(r.error);
        return d;
    }

    d.ok = true;
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    const bool bom = bytes.starts_with(kBom);
    if (bom)
        bytes.remove_prefix(kBom.size());

    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii) {
        // A byte-order mark declares UTF-8 even where a sequence is broken;
        // without one, only valid UTF-8 is taken as UTF-8.
        if (auto unicode = charset::decodeUtf8(bytes, !bom)) {
            charset::Conversion conv = charset::fromUnicode(*unicode);
            d.codes = charset::normalizeLineEnds(conv.codes);
            d.replaced = conv.replaced;
            return d;
        }
    }
    d.codes = charset::normalizeLineEnds(bytes);   // the calculator's own codes
    return d;
}

}  // namespace tessaline
