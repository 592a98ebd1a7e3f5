#include <gtest/gtest.h>

#include <string>

#include "charset/charset.h"
#include "charset/charset_table.h"

using namespace tessaline::charset;

namespace {

std::string allCodes()
{
    std::string codes;
    for (int c = 0; c < 256; ++c)
        codes.push_back(static_cast<char>(c));
    return codes;
}

}  // namespace

TEST(Charset, EveryCodeRoundTripsThroughUnicodeAndUtf8)
{
    const std::string codes = allCodes();
    const std::u32string unicode = toUnicode(codes);
    Conversion back = fromUnicode(unicode);
    EXPECT_EQ(back.codes, codes);
    EXPECT_EQ(back.replaced, 0u);

    back = fromUtf8(toUtf8(codes));
    EXPECT_EQ(back.codes, codes);
    EXPECT_EQ(back.replaced, 0u);

    // One code at a time too, so that no neighbour helps a match.
    for (int c = 0; c < 256; ++c) {
        const std::string one(1, static_cast<char>(c));
        EXPECT_EQ(fromUnicode(toUnicode(one)).codes, one) << c;
        const std::size_t expectedLength = (c == 154 || c == 155) ? 2 : 1;
        EXPECT_EQ(shown(static_cast<unsigned char>(c)).size(), expectedLength) << c;
    }
    EXPECT_EQ(toUnicode("\r\n\t"), U"\r\n\t");
    EXPECT_EQ(toUnicode(std::string(1, '\0')), U"\u2400");
    EXPECT_EQ(toUtf8("\xE9\x8C"), "\xC3\xA9\xCF\x80");  // e acute, pi
}

TEST(Charset, EveryAliasReadsBackToItsCode)
{
    const auto& table = codeTable();
    int aliases = 0;
    for (int c = 0; c < 256; ++c) {
        for (auto alias : table[c].alsoRead) {
            ++aliases;
            auto m = matchCode(alias);
            ASSERT_TRUE(m.has_value()) << c;
            EXPECT_EQ(m->code, c);
            EXPECT_EQ(m->length, alias.size()) << c;
            const Conversion conv = fromUnicode(alias);
            EXPECT_EQ(conv.codes, std::string(1, static_cast<char>(c)));
            EXPECT_EQ(conv.replaced, 0u);
        }
    }
    EXPECT_EQ(aliases, 16);
    // The longest spelling wins: x with a macron is one code, x alone another.
    EXPECT_EQ(fromUnicode(U"x\u0304x\u0305xy\u0305").codes, "\x9A\x9Ax\x9B");
    EXPECT_FALSE(matchCode(U"\u4E2D").has_value());
    EXPECT_FALSE(matchCode(U"").has_value());
}

TEST(Charset, UnknownCharactersAreTransliteratedThenReplaced)
{
    // Typographic punctuation becomes its plain form.
    Conversion conv = fromUnicode(U"\u201CQuoted\u201D \u2018it\u2019s\u2019 a\u2014b c\u2013d");
    EXPECT_EQ(conv.codes, "\"Quoted\" 'it's' a-b c-d");
    EXPECT_EQ(conv.replaced, 7u);

    // Letters that exist only under a UTF-8 locale's rules are still
    // transliterated while the program runs in the "C" locale.
    conv = fromUnicode(U"\u0101\u0142\u0160\u017E");
    EXPECT_EQ(conv.codes, "alSz");
    EXPECT_EQ(conv.replaced, 4u);

    // Several characters for one, nothing for a zero-width one, "?" when
    // there is no spelling at all; each counted once.
    conv = fromUnicode(U"5\u20AC|\u200B|\u4E2D|\U0001F600|\uFFFD");
    EXPECT_EQ(conv.codes, "5EUR||?|?|?");
    EXPECT_EQ(conv.replaced, 5u);

    // Latin-1 characters without a code of their own.
    conv = fromUnicode(U"a\u00A0b\u00BD\u00ADc");
    EXPECT_EQ(conv.codes, "a b1/2c");
    EXPECT_EQ(conv.replaced, 3u);

    // A bullet becomes the middle dot; an ellipsis and a minus have codes.
    conv = fromUnicode(U"\u2022\u2026\u2212");
    EXPECT_EQ(conv.codes, "\xB7\xA0\xAD");
    EXPECT_EQ(conv.replaced, 1u);

    // Decomposed accented letters are exact characters, not replacements.
    conv = fromUnicode(U"e\u0301A\u030Ao\u0308n\u0303");
    EXPECT_EQ(conv.codes, "\xE9\xC5\xF6\xF1");
    EXPECT_EQ(conv.replaced, 0u);
    conv = fromUnicode(U"q\u0301");  // no Latin-1 letter: the mark is dropped
    EXPECT_EQ(conv.codes, "q");
    EXPECT_EQ(conv.replaced, 1u);

    // Line and paragraph separators are line ends; other line ends are kept.
    conv = fromUnicode(U"a\u2028b\u2029c\rd\ne");
    EXPECT_EQ(conv.codes, "a\r\nb\r\nc\rd\ne");
    EXPECT_EQ(conv.replaced, 0u);
}

TEST(Charset, Utf8DecodingAndEncoding)
{
    EXPECT_EQ(decodeUtf8("a\xC3\xA9\xE2\x80\x9C\xF0\x9F\x98\x80", true), U"a\u00E9\u201C\U0001F600");
    EXPECT_FALSE(decodeUtf8("a\xE9z", true).has_value());            // Latin-1 byte
    EXPECT_FALSE(decodeUtf8("\xC0\xAF", true).has_value());          // overlong
    EXPECT_FALSE(decodeUtf8("\xED\xA0\x80", true).has_value());      // surrogate
    EXPECT_FALSE(decodeUtf8("\xF4\x90\x80\x80", true).has_value());  // beyond U+10FFFF
    EXPECT_FALSE(decodeUtf8("\xE2\x82", true).has_value());          // truncated
    // A broken sequence is one replacement character, the next byte survives.
    EXPECT_EQ(decodeUtf8("a\xE2\x82z\xFF", false), U"a\uFFFDz\uFFFD");
    const Conversion conv = fromUtf8("a\xE2\x82z \xC3\xA9");
    EXPECT_EQ(conv.codes, "a?z \xE9");
    EXPECT_EQ(conv.replaced, 1u);

    const std::u32string all = U"A\u00FF\u0800\uFFFF\U00010000\U0010FFFF";
    EXPECT_EQ(decodeUtf8(encodeUtf8(all), true), all);
    EXPECT_EQ(encodeUtf8(std::u32string(1, char32_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(Charset, LineEndsBecomeCrLf)
{
    EXPECT_EQ(normalizeLineEnds("a\rb\nc\r\nd\n\re\r\r"), "a\r\nb\r\nc\r\nd\r\n\r\ne\r\n\r\n");
    EXPECT_EQ(normalizeLineEnds(""), "");
    EXPECT_EQ(normalizeLineEnds("\n"), "\r\n");
    EXPECT_EQ(normalizeLineEnds(std::string("x\0y", 3)), std::string("x\0y", 3));
}
