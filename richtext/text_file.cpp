#include "richtext/text_file.h"

#include "richtext/charset.h"

namespace tessaline {

DecodedText decodeTextFile(std::string_view bytes)
{
    DecodedText d;
    d.ok = true;
    d.codes = charset::normalizeLineEnds(bytes);
    return d;
}

}  // namespace tessaline
