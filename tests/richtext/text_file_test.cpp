#include <gtest/gtest.h>

#include <string>

#include "richtext/rtf.h"
#include "richtext/text_file.h"

using tessaline::decodeTextFile;

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
