// UTF-16 and UTF-32 files for tests: writing them, and a plain reference
// decoder that the text-file decoder must agree with.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaline {

enum class WideForm { Utf16Le, Utf16Be, Utf32Le, Utf32Be };

// `text` in `form` behind its byte-order mark. Code points are written as
// they are, so a test may write a lone surrogate.
inline std::string wideFile(std::u32string_view text, WideForm form)
{
    const bool utf16 = form == WideForm::Utf16Le || form == WideForm::Utf16Be;
    const bool big = form == WideForm::Utf16Be || form == WideForm::Utf32Be;
    std::string out;
    auto unit = [&](std::uint32_t value) {
        const int size = utf16 ? 2 : 4;
        for (int j = 0; j < size; ++j) {
            const int shift = 8 * (big ? size - 1 - j : j);
            out.push_back(static_cast<char>((value >> shift) & 0xFF));
        }
    };
    unit(0xFEFF);
    for (char32_t c : text) {
        if (utf16 && c >= 0x10000 && c <= 0x10FFFF) {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            unit(c);
        }
    }
    return out;
}

// The code points of a file with a UTF-16 or UTF-32 byte-order mark, read
// unit by unit: a surrogate without its other half, a value beyond U+10FFFF
// and a piece of a unit at the end each become U+FFFD. Nothing without such
// a mark.
inline std::optional<std::u32string> decodeWide(std::string_view bytes)
{
    int size = 0;
    bool big = false;
    if (bytes.substr(0, 4) == std::string_view("\xFF\xFE\0\0", 4)) {
        size = 4;
    } else if (bytes.substr(0, 4) == std::string_view("\0\0\xFE\xFF", 4)) {
        size = 4;
        big = true;
    } else if (bytes.substr(0, 2) == "\xFF\xFE") {
        size = 2;
    } else if (bytes.substr(0, 2) == "\xFE\xFF") {
        size = 2;
        big = true;
    } else {
        return std::nullopt;
    }
    std::vector<std::uint32_t> units;
    std::size_t at = size;
    for (; at + size <= bytes.size(); at += size) {
        std::uint32_t value = 0;
        for (int j = 0; j < size; ++j) {
            const int shift = 8 * (big ? size - 1 - j : j);
            value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + j])) << shift;
        }
        units.push_back(value);
    }
    const bool pieceLeft = at < bytes.size();

    auto high = [](std::uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; };
    auto low = [](std::uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; };
    std::u32string text;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const std::uint32_t u = units[i];
        if (size == 2 && high(u) && i + 1 < units.size() && low(units[i + 1])) {
            text.push_back(0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else if (high(u) || low(u) || u > 0x10FFFF) {
            text.push_back(0xFFFD);
        } else {
            text.push_back(u);
        }
    }
    if (pieceLeft)
        text.push_back(0xFFFD);
    return text;
}

}  // namespace tessaline
