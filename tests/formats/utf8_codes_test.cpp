#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "charset/charset.h"
#include "charset/code_writer.h"
#include "formats/utf8_codes.h"

using namespace tessaline;

namespace {

struct Codes {
    std::string codes;
    std::size_t replaced;
    bool operator==(const Codes&) const = default;
};

Codes fast(std::string_view bytes)
{
    std::string codes;
    internal::CodeWriter out(codes);
    internal::appendUtf8(bytes, out);
    out.finish();
    return {codes, out.replaced()};
}

Codes plain(std::string_view bytes)
{
    std::string codes;
    internal::CodeWriter out(codes);
    internal::appendUtf8Plain(bytes, out);
    out.finish();
    return {codes, out.replaced()};
}

// Pieces of UTF-8 chosen where the fast path takes its decisions: ASCII
// that is its own code, line ends, characters of two and three bytes with
// and without a code, combining marks (which may join the character in
// front), characters of four bytes, and broken sequences of every kind.
const std::vector<std::string> kPieces = {
    "a",
    " ",
    "~",
    "\t",
    "\r",
    "\n",
    "\r\n",
    "\x7F",
    "\x01",
    "\xC3\xA9",
    "\xC3\x9F",
    "\xCE\xB1",
    "\xD0\x96",
    "\xC2\xA0",
    "\xCC\x81",
    "\xCD\x82",
    "\xCC\x88",
    "\xE2\x80\x94",
    "\xE2\x80\xA8",
    "\xE2\x88\x9A",
    "\xE2\x98\x83",
    "\xEF\xBB\xBF",
    "\xF0\x9F\x98\x80",
    "\xC0\xAF",
    "\xC1\xBF",
    "\xE0\x80\xAF",
    "\xED\xA0\x80",
    "\xF4\x90\x80\x80",
    "\x80",
    "\xBF",
    "\xC3",
    "\xE2\x80",
    "\xF0\x9F\x98",
    "\xFE",
    "\xFF",
};

std::string randomText(std::mt19937& random, std::size_t pieces, int asciiPercent)
{
    std::string text;
    for (std::size_t i = 0; i < pieces; ++i) {
        if (static_cast<int>(random() % 100) < asciiPercent)
            text.push_back(static_cast<char>('a' + random() % 26));
        else
            text += kPieces[random() % kPieces.size()];
    }
    return text;
}

}  // namespace

TEST(Utf8Codes, FastPathEqualsPlainPathOnEveryPairOfPieces)
{
    // Each pair once, then with ASCII in front, so that the pair falls both
    // inside and at the edges of an eight- and a sixteen-byte step.
    for (const std::string& first : kPieces) {
        for (const std::string& second : kPieces) {
            for (std::size_t ascii : {0, 7, 8, 15, 16}) {
                const std::string text = std::string(ascii, 'a') + first + second + "xyz";
                ASSERT_EQ(fast(text), plain(text)) << testing::PrintToString(text);
            }
        }
    }
}

TEST(Utf8Codes, FastPathEqualsPlainPathOnLongHostileTexts)
{
    std::mt19937 random(8);
    for (int asciiPercent : {0, 50, 98}) {
        for (std::size_t pieces : {std::size_t{3}, std::size_t{5000}, std::size_t{60000}}) {
            const std::string text = randomText(random, pieces, asciiPercent);
            ASSERT_EQ(fast(text), plain(text)) << asciiPercent << " " << pieces;
        }
    }
}

TEST(Utf8Codes, ALongRunWithoutAsciiIsCutWithoutChangingTheCodes)
{
    // More than the plain path takes at once, a mark on each side of where
    // the run may be cut.
    std::string text;
    while (text.size() < 3 * 65536 + 5)
        text +=
            "\xC3\xA9\xE2\x98\x83"
            "e\xCC\x81";
    text.erase(text.size() - 3);
    text += "\xCC\x81";
    const Codes got = fast(text);
    EXPECT_EQ(got, plain(text));
    EXPECT_GT(got.replaced, 0u);
}

TEST(Utf8Codes, ValidityEqualsTheDecoders)
{
    std::mt19937 random(3);
    for (const std::string& piece : kPieces) {
        for (const std::string& before : {std::string(), std::string("\xC3\xA9"
                                                                     "abcd\xC3\xA9")}) {
            const std::string text = before + piece + before;
            EXPECT_EQ(internal::validUtf8(text), charset::decodeUtf8(text, true).has_value())
                << testing::PrintToString(text);
        }
    }
    for (int i = 0; i < 200; ++i) {
        const std::string text = randomText(random, 40, 80);
        EXPECT_EQ(internal::validUtf8(text), charset::decodeUtf8(text, true).has_value())
            << testing::PrintToString(text);
    }
}
