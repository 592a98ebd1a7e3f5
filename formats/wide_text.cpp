#include "formats/wide_text.h"

#include "charset/utf16.h"

namespace tessaline::internal {

void appendWide(std::string_view bytes, WideEncoding encoding, CodeWriter& out)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    const std::size_t unit = encoding.unit;
    auto unitAt = [&](std::size_t k) {
        char32_t value = 0;
        for (std::size_t j = 0; j < unit; ++j) {
            const char32_t byte = p[k + (encoding.bigEndian ? j : unit - 1 - j)];
            value = (value << 8) | byte;
        }
        return value;
    };

    PendingUnicode pending(out);
    for (std::size_t k = 0; k < n; k += unit) {
        if (k + unit > n) {
            pending.pushUnit(charset::utf16::kReplacementCharacter);  // a piece of a unit
            break;
        }
        const char32_t value = unitAt(k);
        if (unit == 2)
            pending.pushUnit(value);
        else
            pending.push(charset::utf16::isScalarValue(value) ? value : charset::utf16::kReplacementCharacter);
    }
    pending.flush();
}

}  // namespace tessaline::internal
