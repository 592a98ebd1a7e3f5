#include "formats/utf8_codes.h"

#include <optional>
#include <string>

#include "charset/charset.h"

namespace tessaline::internal {

void appendUtf8Plain(std::string_view bytes, CodeWriter& out)
{
    const std::optional<std::u32string> unicode = charset::decodeUtf8(bytes, false);
    out.unicode(*unicode);
}

}  // namespace tessaline::internal
