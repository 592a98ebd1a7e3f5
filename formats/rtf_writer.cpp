#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

#include "charset/charset.h"
#include "charset/utf16.h"
#include "formats/rtf.h"

namespace tessaline::rtf {

namespace {

void appendNumber(std::string& out, long value)
{
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

// "\uN\'hh": one UTF-16 unit as RTF writes it (a signed 16-bit number).
void appendUnicodeUnit(std::string& out, char16_t unit)
{
    out += "\\u";
    appendNumber(out, static_cast<int16_t>(unit));
}

void appendHexByte(std::string& out, unsigned char byte)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out += "\\'";
    out.push_back(kHex[byte >> 4]);
    out.push_back(kHex[byte & 15]);
}

// A code outside printable ASCII: its character from the table as Unicode,
// with the raw code as the fallback byte, so that other programs show what
// this program shows and the code itself reads back here.
void appendCharacter(std::string& out, unsigned char code)
{
    std::u16string units;
    for (char32_t c : charset::shown(code))
        charset::utf16::append(c, units);
    if (units.size() > 1) {
        // Several units, one fallback: only the last unit carries it.
        out += "\\uc0";
        for (std::size_t i = 0; i + 1 < units.size(); ++i)
            appendUnicodeUnit(out, units[i]);
        out += "\\uc1";
    }
    appendUnicodeUnit(out, units.back());
    appendHexByte(out, code);
}

}  // namespace

std::string write(std::string_view codes, double fontSizePoints)
{
    long halfPoints = 24;
    if (std::isfinite(fontSizePoints))
        halfPoints = static_cast<long>(std::clamp(std::round(fontSizePoints * 2.0), 1.0, 32767.0));

    std::string out;
    out.reserve(codes.size() + codes.size() / 4 + 128);
    out += "{\\rtf1\\ansi\\ansicpg1252\\deff0 {\\fonttbl{\\f0\\fnil ";
    out += kCalculatorFontName;
    out += ";}}\r\n\\uc1\\pard\\plain\\f0\\fs";
    appendNumber(out, halfPoints);
    out += ' ';

    bool afterSpace = false;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const auto c = static_cast<unsigned char>(codes[i]);
        if (c == ' ') {
            // Later spaces of a run each in a group of their own, so that no
            // reader folds or converts them.
            out += afterSpace ? "{ }" : " ";
            afterSpace = true;
            continue;
        }
        afterSpace = false;
        if (c == '\r' || c == '\n') {
            // CR LF ends a paragraph; a lone CR or LF is a line end too.
            if (c == '\r' && i + 1 < codes.size() && codes[i + 1] == '\n')
                ++i;
            out += "\r\n\\par ";
        } else if (c == '\t') {
            out += "\\tab ";
        } else if (c == '\\' || c == '{' || c == '}') {
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
        } else if (c > 0x20 && c < 0x7F) {
            out.push_back(static_cast<char>(c));
        } else {
            appendCharacter(out, c);
        }
    }
    out += "}\r\n";
    return out;
}

}  // namespace tessaline::rtf
