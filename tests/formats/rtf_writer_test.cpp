#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "charset/charset.h"
#include "formats/rtf.h"

using tessaline::rtf::read;
using tessaline::rtf::write;

namespace {

const std::string kHeader = "{\\rtf1\\ansi\\ansicpg1252\\deff0 {\\fonttbl{\\f0\\fnil Ti92Pluspc;}}\r\n";

// The part of a written document after the font size.
std::string body(const std::string& document)
{
    const auto start = document.find("\\fs");
    const auto space = document.find(' ', start);
    return document.substr(space + 1);
}

}  // namespace

TEST(RtfWriter, DocumentHeaderFontAndParagraphs)
{
    EXPECT_EQ(write("Hi\r\nthere", 10.0), kHeader + "\\uc1\\pard\\plain\\f0\\fs20 Hi\r\n\\par there}\r\n");
    EXPECT_EQ(write("", 12.0), kHeader + "\\uc1\\pard\\plain\\f0\\fs24 }\r\n");
    // The last line keeps its line end as a paragraph end; none is added.
    EXPECT_EQ(body(write("a\r\n", 12.0)), "a\r\n\\par }\r\n");
    EXPECT_EQ(body(write("a\r\n\r\nb", 12.0)), "a\r\n\\par \r\n\\par b}\r\n");
    // A lone CR or LF is a line end as well.
    EXPECT_EQ(body(write("a\rb\nc", 12.0)), "a\r\n\\par b\r\n\\par c}\r\n");

    // Half points, rounded; nonsense sizes fall back to something usable.
    EXPECT_NE(write("x", 8.25).find("\\fs17 "), std::string::npos);
    EXPECT_NE(write("x", 9.7499).find("\\fs19 "), std::string::npos);
    EXPECT_NE(write("x", 72.0).find("\\fs144 "), std::string::npos);
    EXPECT_NE(write("x", 0.0).find("\\fs1 "), std::string::npos);
    EXPECT_NE(write("x", 1e9).find("\\fs32767 "), std::string::npos);
    EXPECT_NE(write("x", std::nan("")).find("\\fs24 "), std::string::npos);
    EXPECT_EQ(write("x", 12.0).find("fcharset"), std::string::npos);
}

TEST(RtfWriter, EscapesSpacesAndCharacters)
{
    EXPECT_EQ(body(write("a\\b{c}d", 12.0)), "a\\\\b\\{c\\}d}\r\n");
    EXPECT_EQ(body(write("a\tb", 12.0)), "a\\tab b}\r\n");
    EXPECT_EQ(body(write("\t b", 12.0)), "\\tab  b}\r\n");
    EXPECT_EQ(body(write("a b  c    d", 12.0)), "a b { }c { }{ }{ }d}\r\n");
    EXPECT_EQ(body(write("  \r\n  x", 12.0)), " { }\r\n\\par  { }x}\r\n");
    // Codes outside printable ASCII: their Unicode character with the raw
    // code as fallback.
    EXPECT_EQ(body(write("\xE9", 12.0)), "\\u233\\'e9}\r\n");
    EXPECT_EQ(body(write("\x8C\xAD\xA0", 12.0)), "\\u960\\'8c\\u8722\\'ad\\u8230\\'a0}\r\n");
    EXPECT_EQ(body(write(std::string(1, '\0'), 12.0)), "\\u9216\\'00}\r\n");
    EXPECT_EQ(body(write("\x7F", 12.0)), "\\u9670\\'7f}\r\n");
    // Two code points, one fallback.
    EXPECT_EQ(body(write("\x9A"
                         "x",
                         12.0)),
              "\\uc0\\u120\\uc1\\u773\\'9ax}\r\n");
}

TEST(RtfWriter, EveryTextReadsBackExactly)
{
    std::string all;
    for (int c = 0; c < 256; ++c)
        if (c != '\r' && c != '\n')
            all.push_back(static_cast<char>(c));
    const std::string texts[] = {
        all,
        "Line one\r\n  indented\t\ttabs\r\n\r\n" + all + "\r\n",
        "x\x9Ax\x9By\x9By",  // letters next to the letters with a bar
        "   ",
        "\\par {\\b not bold}\\u233\\'e9",
        "_CHA\r\n_TIL Chapter\r\n_PIC pic1\r\n_BRK\r\n",
    };
    for (const std::string& text : texts) {
        const auto r = read(write(text, 10.5));
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.codes, text);
        EXPECT_EQ(r.replaced, 0u);
    }

    std::mt19937 random(12345);
    for (int round = 0; round < 200; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 300);
        for (int i = 0; i < length; ++i) {
            const int pick = static_cast<int>(random() % 10);
            if (pick == 0)
                text += "\r\n";
            else if (pick < 3)
                text.push_back(' ');
            else
                text.push_back(static_cast<char>(random() % 256));
        }
        const auto r = read(write(text, 12.0));
        EXPECT_EQ(r.codes, tessaline::charset::normalizeLineEnds(text)) << round;
        EXPECT_EQ(r.replaced, 0u);
    }
}
