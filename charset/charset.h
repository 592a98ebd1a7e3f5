// The calculator character set <-> Unicode: how calculator text is shown, and
// how text typed, pasted or read from Unicode files becomes calculator codes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tessaline::charset {

// The two codes of a line end, CR LF.
inline constexpr char kCr = 13;
inline constexpr char kLf = 10;

// What the program shows for a code: one visible character (two code points
// for 154 and 155); 9, 10 and 13 are tab, LF and CR themselves.
std::u32string_view shown(unsigned char code);

// Codes to Unicode, each code through shown(); CR and LF are kept as they are.
std::u32string toUnicode(std::string_view codes);
std::string toUtf8(std::string_view codes);
// toUtf8 appended to `out`, which keeps what it holds.
void appendToUtf8(std::string_view codes, std::string& out);
// toUtf8 written into `room`, a string kept from call to call (its size is
// working room, not the text's), for a caller that converts many pieces.
// The view is valid until `room` changes.
std::string_view toUtf8(std::string_view codes, std::string& room);

// The code of the Unicode spelling at the start of `text` (shown form or an
// alias), preferring the longest match; nothing when the first character has
// no code of its own.
struct Match {
    unsigned char code;
    std::size_t length;  // code points consumed
};
std::optional<Match> matchCode(std::u32string_view text);

// The code of a character that is a whole spelling by itself and begins no
// longer one (so no look at what follows is needed); -1 otherwise.
int soleCode(char32_t c);

// Whether `c` may join the character before it into one spelling (a
// combining mark). Text may be converted in pieces cut before any other
// character.
bool joinsPrevious(char32_t c);

struct Conversion {
    std::string codes;
    std::size_t replaced = 0;  // characters transliterated or turned into "?"
};

// Unicode to codes. Known spellings map to their code (a letter followed by a
// combining accent as the accented letter); U+2028 and U+2029 become CR LF;
// any other character is transliterated to ISO-8859-1 (smart quotes to ",
// dashes to -, accented letters to plain ones, zero-width characters to
// nothing, ...) and mapped, and what is still unknown becomes "?". This works
// the same in every locale. Line ends are not otherwise touched (see
// normalizeLineEnds).
Conversion fromUnicode(std::u32string_view text);
// fromUnicode for a text that arrives in many pieces (a reader): appends the
// codes of `text` to `into.codes` and adds to `into.replaced`. Pieces are
// converted separately, so a piece should not end before a character that
// joinsPrevious.
void appendFromUnicode(std::u32string_view text, Conversion& into);

// The same from UTF-8; an invalid byte sequence counts as one replaced "?".
Conversion fromUtf8(std::string_view utf8);
// The same from UTF-16 (as Qt holds text); a surrogate without its other
// half counts as one replaced "?".
Conversion fromUtf16(std::u16string_view utf16);

// The shown forms in UTF-16, for text that holds only shown forms (the
// editor's document): the code whose shown form starts `text`, preferring
// the longest, and the UTF-16 units it takes; nothing when no shown form
// starts there. CR and LF never match: they are only ever parts of a line
// end, which the editor holds as paragraph breaks.
struct ShownMatch {
    unsigned char code;
    std::size_t units;
};
std::optional<ShownMatch> matchShown(std::u16string_view text);
// The most UTF-16 units a shown form takes.
std::size_t longestShownForm();

// CR LF, lone CR and lone LF all become CR LF.
std::string normalizeLineEnds(std::string_view codes);

// The UTF-8 sequence at the start of `utf8` (not empty): its code point and
// how many bytes it takes. A broken sequence (a byte that begins none, too few
// continuation bytes, a longer form than needed, a surrogate, a value beyond
// U+10FFFF) has no code point and takes its first byte and the continuation
// bytes that follow it, up to the length the first byte announces.
struct Utf8Sequence {
    std::optional<char32_t> codePoint;
    std::size_t length;
};
Utf8Sequence readUtf8Sequence(std::string_view utf8);

// Decodes UTF-8 to code points; an invalid sequence becomes U+FFFD. Returns
// nothing when `strict` and the input is not valid UTF-8.
std::optional<std::u32string> decodeUtf8(std::string_view utf8, bool strict);
std::string encodeUtf8(std::u32string_view text);

}  // namespace tessaline::charset
