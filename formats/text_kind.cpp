#include "formats/text_kind.h"

#include "formats/calc_text_file.h"

namespace tessaline::internal {

std::optional<WideEncoding> wideEncoding(std::string_view bytes)
{
    // The UTF-32 little-endian mark begins with the UTF-16 one, so it is
    // looked for first.
    if (bytes.starts_with(std::string_view("\xFF\xFE\0\0", 4)))
        return WideEncoding{4, false, 4};
    if (bytes.starts_with(std::string_view("\0\0\xFE\xFF", 4)))
        return WideEncoding{4, true, 4};
    if (bytes.starts_with("\xFF\xFE"))
        return WideEncoding{2, false, 2};
    if (bytes.starts_with("\xFE\xFF"))
        return WideEncoding{2, true, 2};
    return std::nullopt;
}

TextKind textKind(std::string_view start)
{
    if (start.starts_with("{\\rtf"))
        return TextKind::Rtf;
    if (hasCalcFileSignature(start))
        return TextKind::Calc;
    if (wideEncoding(start))
        return TextKind::Wide;
    return TextKind::Plain;
}

}  // namespace tessaline::internal
