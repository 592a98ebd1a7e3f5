// Any bytes at all: the reader and the text-file decoder finish, in time
// proportional to the input, with only CR LF pairs as line ends.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "charset/charset.h"
#include "formats/rtf.h"
#include "formats/text_file.h"
#include "tests/formats/crlf_pairs.h"

using tessaline::decodeTextFile;
using tessaline::onlyCrLfPairs;
using tessaline::rtf::read;
using tessaline::rtf::write;

namespace {

std::string randomBytes(std::mt19937& random, std::size_t size)
{
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() & 0xFF);
    return bytes;
}

// Random documents made of RTF's own pieces, most of them odd.
std::string tokenSoup(std::mt19937& random, int tokens)
{
    static const char* const kPieces[] = {
        "{",
        "}",
        "{\\*",
        "\\fonttbl",
        "{\\f1 Ti92Pluspc;}",
        "\\f1",
        "\\f0",
        "\\plain",
        "\\deff1",
        "\\u-10179",
        "\\u-8704",
        "\\u960",
        "\\u-3",
        "\\uc0",
        "\\uc5",
        "\\uc-1",
        "\\'e9",
        "\\'8c",
        "\\'",
        "\\'g",
        "\\bin3 ",
        "\\bin",
        "\\bin-2 ",
        "\\par",
        "\\line",
        "\\cell",
        "\\row",
        "\\page",
        "\\tab",
        "\\~",
        "\\-",
        "\\_",
        "\\\r",
        "\\",
        "text ",
        "x",
        "\\u773?",
        "\r\n",
        "\xE9",
        "\x8C",
        "\\pict",
        "\\fldinst",
        "\\fldrslt",
        "\\info",
        "\\header",
        "\\mac",
        "\\pc",
        "\\ansicpg437",
        "\\u99999999999",
        "\\fs-99999999999",
        "\\\\",
        "\\{",
        "\\}",
    };
    std::string doc = "{\\rtf1";
    for (int i = 0; i < tokens; ++i)
        doc += kPieces[random() % std::size(kPieces)];
    return doc;
}

void expectSound(const std::string& document)
{
    const auto r = read(document);
    EXPECT_EQ(r.ok, document.starts_with("{\\rtf"));
    EXPECT_TRUE(onlyCrLfPairs(r.codes));
    const auto d = decodeTextFile(document);
    EXPECT_TRUE(d.ok);
    EXPECT_TRUE(onlyCrLfPairs(d.codes));
    // Whatever was read is written and read back unchanged.
    if (r.ok) {
        const auto again = read(write(r.codes, 12.0));
        EXPECT_EQ(again.codes, r.codes);
        EXPECT_EQ(again.replaced, 0u);
    }
}

}  // namespace

TEST(RtfRobustness, EveryPrefixOfADocumentReads)
{
    std::string text;
    for (int c = 0; c < 256; ++c)
        if (c != '\r' && c != '\n')
            text += std::string(1, static_cast<char>(c)) + (c % 16 == 15 ? "\r\n" : " ");
    const std::string document = write(text, 12.0);
    for (std::size_t n = 5; n <= document.size(); ++n) {
        const auto r = read(document.substr(0, n));
        ASSERT_TRUE(r.ok) << n;
        ASSERT_TRUE(onlyCrLfPairs(r.codes)) << n;
        // A cut document gives a beginning of the text (a cut escape may
        // leave one character of its own).
        ASSERT_LE(r.codes.size(), text.size() + 1) << n;
    }
    EXPECT_EQ(read(document).codes, text);
}

TEST(RtfRobustness, RandomBytesAndRandomDocuments)
{
    std::mt19937 random(2024);
    for (int round = 0; round < 300; ++round) {
        std::string bytes = randomBytes(random, random() % 2000);
        expectSound(bytes);
        expectSound("{\\rtf1" + bytes);
        expectSound(tokenSoup(random, static_cast<int>(random() % 400)));
    }
    // One megabyte of noise, as a file and behind an RTF header.
    const std::string noise = randomBytes(random, 1 << 20);
    expectSound(noise);
    expectSound("{\\rtf1 " + noise);
}

TEST(RtfRobustness, LargeAndDeepDocuments)
{
    // Several megabytes of text, written and read back.
    std::string text;
    const std::string line = "The quick brown fox \x8C\xE9\x9A  jumps\t{over} the lazy dog\\\r\n";
    while (text.size() < (4u << 20))
        text += line;
    const std::string document = write(text, 10.0);
    const auto r = read(document);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.codes, text);

    // Deep and unbalanced nesting, a long run of escapes, a huge \bin.
    expectSound("{\\rtf1 " + std::string(1 << 20, '{') + "deep");
    expectSound("{\\rtf1 " + std::string(1 << 20, '}') + "shallow");
    std::string escapes = "{\\rtf1 ";
    while (escapes.size() < (2u << 20))
        escapes += "\\u-10179\\'3f{\\*\\x}\\'e9\\uc9";
    expectSound(escapes);
    expectSound("{\\rtf1 \\bin2147483647 " + std::string(1 << 20, 'x'));
}

TEST(RtfRobustness, ParagraphOfManyPiecesReadsAsTheWholeText)
{
    // A paragraph far longer than the piece of text the reader converts at
    // once, of characters that must meet their neighbours: a letter and a
    // combining mark from different escapes, the halves of a surrogate pair,
    // a lone mark, a CR from an escape beside a paragraph end.
    struct Piece {
        const char* rtf;
        const char32_t* unicode;
    };
    const Piece pieces[] = {
        {"word ", U"word "},
        {"x\\u773?", U"x\u0305"},
        {"e\\u769?", U"e\u0301"},
        {"\\u769?", U"\u0301"},
        {"\\u-10179?\\u-8704?", U"\U0001F600"},
        {"caf\\'e9", U"caf\u00E9"},
        {"\\u8220?", U"\u201C"},
        {"\\u20013?", U"\u4E2D"},
        {"\\tab ", U"\t"},
        {"\\u127?", U"\u007F"},
        {"\\u13?", U"\r"},
        {"\\u10?", U"\n"},
        {"\\par ", U"\r\n"},
        {"{\\f1 \\'8c}", U"\u03C0"},
        {"\\u8232?", U"\u2028"},
    };
    std::mt19937 random(7);
    for (const bool withParagraphEnds : {false, true}) {
        std::string document = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1 Ti92Pluspc;}}";
        std::u32string unicode;
        while (unicode.size() < 300000) {
            const Piece& piece = pieces[random() % (std::size(pieces) - (withParagraphEnds ? 0 : 3))];
            document += piece.rtf;
            unicode += piece.unicode;
        }
        document += "}";
        const tessaline::charset::Conversion whole = tessaline::charset::fromUnicode(unicode);
        const auto r = read(document);
        ASSERT_TRUE(r.ok);
        EXPECT_TRUE(r.codes == tessaline::charset::normalizeLineEnds(whole.codes));
        EXPECT_EQ(r.replaced, whole.replaced);
    }
}
