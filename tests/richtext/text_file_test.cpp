#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "richtext/charset.h"
#include "richtext/rtf.h"
#include "richtext/text_file.h"
#include "crlf_pairs.h"

using tessaline::decodeTextFile;
using tessaline::DecodedText;

namespace {

// The codes of a file that is not RTF, worked out the plain way: the whole
// text decoded to code points at once, converted, then its line ends made CR
// LF. decodeTextFile takes shortcuts and must give the same.
DecodedText plainDecode(std::string_view bytes)
{
    using namespace tessaline::charset;
    DecodedText d;
    d.ok = true;
    const bool bom = bytes.starts_with("\xEF\xBB\xBF");
    if (bom)
        bytes.remove_prefix(3);
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
    if (!ascii) {
        if (auto unicode = decodeUtf8(bytes, !bom)) {
            const Conversion conv = fromUnicode(*unicode);
            d.codes = normalizeLineEnds(conv.codes);
            d.replaced = conv.replaced;
            return d;
        }
    }
    d.codes = normalizeLineEnds(bytes);
    return d;
}

void expectPlainDecoding(const std::string& bytes)
{
    const DecodedText want = plainDecode(bytes);
    const DecodedText got = decodeTextFile(bytes);
    ASSERT_TRUE(got.ok);
    EXPECT_TRUE(got.codes == want.codes) << "codes differ for " << testing::PrintToString(bytes.substr(0, 200))
                                         << " (" << bytes.size() << " bytes)";
    EXPECT_EQ(got.replaced, want.replaced) << testing::PrintToString(bytes.substr(0, 200));
    EXPECT_TRUE(tessaline::onlyCrLfPairs(got.codes));
}

}  // namespace

TEST(TextFile, RichTextIsReadAsRichText)
{
    auto d = decodeTextFile("{\\rtf1 Hello\\par \\u8220\\'93x\\u8221\\'94}");
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.codes, "Hello\r\n\"x\"");
    EXPECT_EQ(d.replaced, 2u);

    const std::string saved = tessaline::rtf::write("a\r\n\x8C\tb\r\n", 12.0);
    d = decodeTextFile(saved);
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.codes, "a\r\n\x8C\tb\r\n");
    EXPECT_EQ(d.replaced, 0u);

    // Not at the very start: not rich text, just characters.
    d = decodeTextFile(" {\\rtf1 x}");
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.codes, " {\\rtf1 x}");
}

TEST(TextFile, Utf8AndCalculatorCodes)
{
    // Valid UTF-8 with non-ASCII characters is decoded and mapped.
    auto d = decodeTextFile("caf\xC3\xA9 \xCF\x80 \xE2\x80\x9Cq\xE2\x80\x9D\n\xE2\x82\xAC");
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.codes, "caf\xE9 \x8C \"q\"\r\nEUR");
    EXPECT_EQ(d.replaced, 3u);

    // A byte-order mark is dropped, with or without other non-ASCII text.
    d = decodeTextFile("\xEF\xBB\xBFplain\r\n");
    EXPECT_EQ(d.codes, "plain\r\n");
    d = decodeTextFile("\xEF\xBB\xBF\xC3\xA9");
    EXPECT_EQ(d.codes, "\xE9");
    // After a byte-order mark a broken sequence is one replaced character.
    d = decodeTextFile("\xEF\xBB\xBF\xC3\xA9\xFFz");
    EXPECT_EQ(d.codes, "\xE9?z");
    EXPECT_EQ(d.replaced, 1u);

    // Anything else is the calculator's own codes, byte for byte.
    d = decodeTextFile(std::string("\x8C\xE9\x00\x7F x", 6));
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.codes, std::string("\x8C\xE9\x00\x7F x", 6));
    EXPECT_EQ(d.replaced, 0u);
    d = decodeTextFile("caf\xC3");   // broken UTF-8 without a mark
    EXPECT_EQ(d.codes, "caf\xC3");

    EXPECT_TRUE(decodeTextFile("").ok);
    EXPECT_EQ(decodeTextFile("").codes, "");
}

TEST(TextFile, EveryLineEndBecomesCrLf)
{
    EXPECT_EQ(decodeTextFile("a\nb\rc\r\nd\n\n").codes, "a\r\nb\r\nc\r\nd\r\n\r\n");
    EXPECT_EQ(decodeTextFile("\xC3\xA9\ra\xE2\x80\xA8" "b\n").codes, "\xE9\r\na\r\nb\r\n");
    EXPECT_EQ(decodeTextFile("\xE9\rx\n").codes, "\xE9\r\nx\r\n");
    EXPECT_EQ(decodeTextFile("{\\rtf1 a\\'0db\\uc0\\u10 c\\line}").codes, "a\r\nb\r\nc\r\n");
}

TEST(TextFile, ShortcutsGiveTheCodesOfThePlainConversion)
{
    // Pieces that meet in every order and at every offset within eight
    // bytes: characters with a code of their own and without, spellings of
    // two code points (x and y with an overline or macron, decomposed
    // letters), combining marks after ASCII, after other letters and alone,
    // line ends of every kind next to line separators and to characters that
    // become nothing, control bytes, broken and overlong sequences.
    const char* const pieces[] = {
        "a",          "word ",        "\xC3\xA9",     "\xCE\xB1",      "\xCF\x80",     "\xE2\x86\x92",
        "\xE2\x80\x9C", "\xF0\x9F\x98\x80", "\xE4\xB8\xAD", "x\xCC\x85",  "y\xCC\x84",     "e\xCC\x81",
        "\xC3\xA9\xCC\x81", "\xCC\x81",   "\xCD\xAF",      "\r",          "\n",           "\r\n",
        "\xE2\x80\xA8", "\xE2\x80\xA9", "\xE2\x80\x8B", "\t",        "\x0B",         "\x7F",
        "\x01",       "\xC0\xAF",     "\xED\xA0\x80", "\xE2\x82",     "\xFF",         "12345678",
    };
    constexpr int kPieces = sizeof pieces / sizeof pieces[0];
    constexpr int kBroken = 25;   // pieces from here on are not UTF-8
    std::mt19937 rng(10);
    std::uniform_int_distribution<int> pick(0, kPieces - 1);
    std::uniform_int_distribution<int> length(0, 40);
    for (int round = 0; round < 1000; ++round) {
        std::string text;
        const bool broken = round % 3 == 0;
        for (int n = length(rng); n > 0; --n) {
            int k = pick(rng);
            if (!broken && k >= kBroken)
                k %= kBroken;
            text += pieces[k];
        }
        expectPlainDecoding(text);
        expectPlainDecoding("\xEF\xBB\xBF" + text);
    }

    // Whole texts of one kind, and the ends of the text.
    expectPlainDecoding("\xEF\xBB\xBF");
    expectPlainDecoding("\xEF\xBB\xBF" "ascii\x0B\r");
    expectPlainDecoding(std::string(100, 'a') + "\xC3");
    expectPlainDecoding(std::string(100, 'a') + "\xC3\xA9");
    expectPlainDecoding("12345678x\xCC\x85");
    expectPlainDecoding("1234567x\xCC\x85");
    expectPlainDecoding("\r\xE2\x80\x8B\n\xC3\xA9");   // CR, a character that becomes nothing, LF
}

TEST(TextFile, LongStretchesWithoutAnOwnCode)
{
    // Long runs of characters that all go through the full conversion are
    // converted in pieces; no spelling may be cut in two where a piece ends.
    std::string marks;
    while (marks.size() < 200000)
        marks += "x\xCC\x85\xCC\x81\xE4\xB8\xAD\xCC\x84y\xCC\x85";
    expectPlainDecoding(marks);
    expectPlainDecoding("\xEF\xBB\xBF" + marks + "\xFF" + marks);
    std::string arrows;
    while (arrows.size() < 150000)
        arrows += "\xE2\x86\x92\xE2\x80\xA8";
    expectPlainDecoding(arrows + "\r" + arrows);
    expectPlainDecoding(arrows + "\xE2\x82");   // not UTF-8 at the very end: codes after all
}
