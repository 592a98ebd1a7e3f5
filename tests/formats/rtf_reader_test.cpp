#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "formats/rtf.h"

using tessaline::rtf::read;

namespace {

// Plain text of a document that must read without trouble.
std::string text(const std::string& document)
{
    const auto r = read(document);
    EXPECT_TRUE(r.ok) << r.error;
    return r.codes;
}

std::size_t replaced(const std::string& document) { return read(document).replaced; }

const std::string kTwoFonts =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\fnil  tI92PLUSPC ;}}";

}  // namespace

TEST(RtfReader, RejectsWhatIsNotRichText)
{
    for (const char* doc : {"", "Hello", " {\\rtf1 x}", "{\\rt", "\xEF\xBB\xBF{\\rtf1 x}", "{rtf1}"}) {
        const auto r = read(doc);
        EXPECT_FALSE(r.ok) << doc;
        EXPECT_FALSE(r.error.empty());
        EXPECT_TRUE(r.codes.empty());
    }
    EXPECT_TRUE(read("{\\rtf").ok);
    EXPECT_TRUE(read("{\\rtf1}").ok);
}

TEST(RtfReader, ParagraphsLinesAndSpecialCharacters)
{
    EXPECT_EQ(text("{\\rtf1 Hello\\par World}"), "Hello\r\nWorld");
    EXPECT_EQ(text("{\\rtf1 Hello\\par}"), "Hello\r\n");  // trailing \par kept
    EXPECT_EQ(text("{\\rtf1 a\\line b\\par\\par c}"), "a\r\nb\r\n\r\nc");
    EXPECT_EQ(text("{\\rtf1 a\\\nb\\\r\nc}"), "a\r\nb\r\nc");  // backslash + line break
    EXPECT_EQ(text("{\\rtf1 a\r\nb\rc\n d}"), "abc d");        // source line breaks are not text
    EXPECT_EQ(text("{\\rtf1 a\\tab b\tc}"), "a\tb\tc");
    EXPECT_EQ(text("{\\rtf1 a\\~b\\-c\\_d\\{\\}\\\\}"), "a bc-d{}\\");
    EXPECT_EQ(text("{\\rtf1 \\lquote a\\rquote  \\ldblquote b\\rdblquote \\emdash\\endash}"), "'a' \"b\"--");
    EXPECT_EQ(replaced("{\\rtf1 \\lquote a\\rquote  \\ldblquote b\\rdblquote \\emdash\\endash}"), 6u);
    EXPECT_EQ(text("{\\rtf1 \\bullet x}"), "\xB7x");
    EXPECT_EQ(text("{\\rtf1 {\\b bold} {\\i italic}\\b0 plain}"), "bold italicplain");
    // Control words end at a space (eaten), a digit run, or any other character.
    EXPECT_EQ(text("{\\rtf1 \\b1 x\\b0y\\fs24  z\\i-1;}"), "xy z;");
    // Table cells and rows: one line per cell.
    EXPECT_EQ(text("{\\rtf1 \\trowd\\cellx1000\\cellx2000 A\\cell B\\cell\\row \\trowd C\\cell\\row}"),
              "A\r\nB\r\nC\r\n");
    // A page or section break ends a line only where one has not just ended.
    EXPECT_EQ(text("{\\rtf1 a\\page b\\par\\page c\\sect}"), "a\r\nb\r\nc\r\n");
    // Control bytes other than tab are not text; unknown words are ignored.
    EXPECT_EQ(text(std::string("{\\rtf1 a\x01\x00z\\unknownword123 b}", 29)), "azb");
}

TEST(RtfReader, HexBytesByFontAndCodePage)
{
    // In the calculator font the byte is the code itself; elsewhere it is a
    // character of the document's code page.
    EXPECT_EQ(text(kTwoFonts + "\\f0\\'80\\'e9\\'93x\\'94\\f1\\'80\\'e9\\'93\\'0d\\'0a}"),
              "EUR\xE9\"x\"\x80\xE9\x93\r\n");
    EXPECT_EQ(replaced(kTwoFonts + "\\f0\\'80\\'e9\\'93x\\'94\\f1\\'80\\'e9\\'93}"), 3u);
    // The default font, \plain and groups decide which font is current.
    EXPECT_EQ(
        text("{\\rtf1\\deff1{\\fonttbl{\\f0 Arial;}{\\f1 Ti92Pluspc;}}\\'8c{\\f0\\'8c}\\'8c\\f0\\'8c\\plain\\'8c}"),
        "\x8C"
        "OE\x8C"
        "OE\x8C");
    // Raw 8-bit bytes are read like \'hh.
    EXPECT_EQ(text(kTwoFonts + "\\f0 caf\xE9 \\f1 \x8C}"), "caf\xE9 \x8C");
    // Code pages: 1252 by default, \mac, \pc, \pca, and any other one that
    // \ansicpg names (Greek alpha and omega are calculator characters;
    // Cyrillic has none, so it is replaced, not read as Western letters).
    EXPECT_EQ(text("{\\rtf1 \\'e9\\'85}"), "\xE9\xA0");
    EXPECT_EQ(text("{\\rtf1\\mac \\'8e\\'c9}"), "\xE9\xA0");
    EXPECT_EQ(text("{\\rtf1\\pc \\'82\\'e3}"), "\xE9\x8C");
    EXPECT_EQ(text("{\\rtf1\\pca \\'9b\\'82}"), "\xF8\xE9");
    EXPECT_EQ(text("{\\rtf1\\ansi\\ansicpg1253 \\'e1\\'f9}"), "\x80\x94");  // alpha, omega
    EXPECT_EQ(replaced("{\\rtf1\\ansi\\ansicpg1253 \\'e1\\'f9}"), 0u);
    EXPECT_EQ(text("{\\rtf1\\ansi\\ansicpg1251 \\'e9x}"), "?x");
    EXPECT_EQ(replaced("{\\rtf1\\ansi\\ansicpg1251 \\'e9x}"), 1u);
    EXPECT_EQ(text("{\\rtf1\\ansi\\ansicpg1251 a{\\f0\\'c0}\\ansicpg1250 \\'e8\\ansicpg99999 \\'e9}"), "a?c\xE9");
    // Font names: without inner groups, without ";", with alternates.
    EXPECT_EQ(text("{\\rtf1{\\fonttbl\\f0\\fswiss Helvetica;\\f1\\fnil Ti92Pluspc;}\\f1\\'80}"), "\x80");
    EXPECT_EQ(text("{\\rtf1{\\fonttbl{\\f5 Ti92Pluspc{\\*\\falt Courier}}}\\f5\\'80}"), "\x80");
    EXPECT_EQ(text("{\\rtf1{\\fonttbl{\\f5 Ti92Pluspc Bold;}}\\f5\\'80}"), "EUR");
    // Broken hex escapes are dropped.
    EXPECT_EQ(text("{\\rtf1 a\\'zzb\\'4}"), "azzb4");
}

TEST(RtfReader, UnicodeEscapesAndTheirFallbacks)
{
    EXPECT_EQ(text("{\\rtf1 caf\\u233\\'e9 x}"), "caf\xE9 x");
    EXPECT_EQ(text("{\\rtf1 \\u233?\\u960 ?!}"), "\xE9\x8C!");
    EXPECT_EQ(text("{\\rtf1 \\uc2\\u233\\'65\\'66X\\uc0\\u233 Y}"), "\xE9X\xE9Y");
    EXPECT_EQ(text("{\\rtf1 {\\uc3\\u233}ab}"),
              "\xE9"
              "ab");  // a group end stops the skipping
    EXPECT_EQ(text("{\\rtf1 \\uc1{\\uc3 x}\\u233 ab}"),
              "x\xE9"
              "b");  // \uc belongs to its group
    // Negative numbers are the upper half; surrogate pairs are joined.
    EXPECT_EQ(text("{\\rtf1 \\u-3?}"), "?");
    EXPECT_EQ(replaced("{\\rtf1 \\u-3?}"), 1u);
    EXPECT_EQ(text("{\\rtf1 \\u-10187?\\u-8796?}"), "\x95");  // U+1D5A4, read as its code
    EXPECT_EQ(text("{\\rtf1 \\u-10179?\\u-8704?z}"), "?z");   // an emoji: no code
    EXPECT_EQ(replaced("{\\rtf1 \\u-10179?\\u-8704?z}"), 1u);
    EXPECT_EQ(text("{\\rtf1 \\u-10179?z\\u-8704?}"), "?z?");  // halves apart
    // A letter and a combining mark from different escapes still meet.
    EXPECT_EQ(text("{\\rtf1 x\\u773?e\\u769?}"), "\x9A\xE9");
    EXPECT_EQ(text("{\\rtf1 \\u8220\\'93Hi\\u8221\\'94}"), "\"Hi\"");
    EXPECT_EQ(replaced("{\\rtf1 \\u8220\\'93Hi\\u8221\\'94}"), 2u);
    // The fallback of \u is skipped in the calculator font too.
    EXPECT_EQ(text(kTwoFonts + "\\f1\\u960\\'8c\\u8800\\'9d}"), "\x8C\x9D");
    // U+007F has no code, however it is written; in the calculator font the
    // byte 7F is code 127.
    EXPECT_EQ(text(kTwoFonts + "\\u127?a\\'7f\x7F{\\f1\\'7f}}"), "?a??\x7F");
    EXPECT_EQ(replaced(kTwoFonts + "\\u127?a\\'7f\x7F{\\f1\\'7f}}"), 3u);
}

TEST(RtfReader, SkipsEverythingThatIsNotText)
{
    EXPECT_EQ(text("{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}"
                   "{\\stylesheet{\\s0 Normal;}{\\s1 Heading 1;}}{\\info{\\title T}{\\author A}}"
                   "{\\*\\generator Writer 1.0;}{\\*\\unknowndest junk}Text}"),
              "Text");
    EXPECT_EQ(text("{\\rtf1 {\\header H}{\\headerl H}{\\footerr F}{\\footerf F}{\\headerf X}a}"), "a");
    EXPECT_EQ(text("{\\rtf1 {\\pict\\pngblip 89504e470d0a}{\\*\\shppict{\\pict\\jpegblip ffd8}}"
                   "{\\nonshppict{\\pict\\wmetafile8 0100}}b}"),
              "b");
    // Fields: the instruction is skipped, the shown result kept.
    EXPECT_EQ(text("{\\rtf1 see {\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt {\\ul link}}} now}"),
              "see link now");
    EXPECT_EQ(text("{\\rtf1 {\\field{\\fldinst PAGE}{\\*\\fldrslt 7}}}"), "7");
    // A destination word counts only at the start of its group.
    EXPECT_EQ(text("{\\rtf1 {\\b \\info shown}{\\b\\*\\x shown}}"), "shownshown");
    // Binary data is skipped whole, whatever it holds, clamped to the file.
    EXPECT_EQ(text("{\\rtf1 a{\\pict\\bin6 }{\\}x}}b}"), "ab");
    EXPECT_EQ(text("{\\rtf1 a\\bin3 {}cd}"), "ad");
    EXPECT_EQ(text("{\\rtf1 a\\bin999999 bc}"), "a");
    EXPECT_EQ(text("{\\rtf1 a\\bin-5 bc}"), "abc");
}

TEST(RtfReader, RecoversFromDamage)
{
    EXPECT_EQ(text("{\\rtf1 Hello\\par Wor"), "Hello\r\nWor");  // truncated
    EXPECT_EQ(text("{\\rtf1 {\\b a{\\i b"), "ab");              // unclosed groups
    EXPECT_EQ(text("{\\rtf1 a} b}"), "a b");                    // a stray brace
    EXPECT_EQ(text("{\\rtf1 a}}}} \r\n\t"), "a");               // trailing blanks and braces
    EXPECT_EQ(text("{\\rtf1 a}junk after}"), "ajunk after");
    EXPECT_EQ(text("{\\rtf1 a\\"), "a");
    EXPECT_EQ(text("{\\rtf1 a\\u"), "a");
    EXPECT_EQ(text("{\\rtf1 a\\u-"), "a-");
    EXPECT_EQ(text("{\\rtf1 a\\'"), "a");
    EXPECT_EQ(text("{\\rtf1 a\\uc"), "a");
    EXPECT_EQ(text("{\\rtf1 a\\bin"), "a");
    EXPECT_EQ(text("{\\rtf1 {\\*"), "");
    EXPECT_EQ(text("{\\rtf1 \\u99999999999999999999 x\\fs99999999999 y}"), "?y");
    EXPECT_EQ(text("{\\rtf1 \\" + std::string(5000, 'a') + " x}"), "x");  // an absurdly long word

    // Deep nesting: read to the end, the deepest groups as if flat.
    const std::string deep = "{\\rtf1 " + std::string(100000, '{') + "x" + std::string(100000, '}') + "y}";
    EXPECT_EQ(text(deep), "xy");
    const std::string deepSkip =
        "{\\rtf1 " + std::string(500, '{') + "{\\info hidden}" + std::string(500, '}') + "shown}";
    EXPECT_EQ(text(deepSkip), "shown");
    EXPECT_EQ(text("{\\rtf1 " + std::string(200000, '}') + "z"), "z");
}

TEST(RtfReader, EveryCharacterWordAndCodePageWord)
{
    // Each word that stands for a character, between two letters, and a word
    // that only begins like one of them.
    const std::pair<const char*, const char*> words[] = {
        {"bullet", "\xB7"},  {"emdash", "-"},     {"emspace", " "}, {"endash", "-"},
        {"enspace", " "},    {"ldblquote", "\""}, {"lquote", "'"},  {"qmspace", " "},
        {"rdblquote", "\""}, {"rquote", "'"},     {"tab", "\t"},
    };
    for (const auto& [word, shown] : words) {
        EXPECT_EQ(text(std::string("{\\rtf1 a\\") + word + " b}"), std::string("a") + shown + "b") << word;
        EXPECT_EQ(text(std::string("{\\rtf1 a\\") + word + "x b}"), "ab") << word;
    }
    // The code page words: 0x82 is e acute in DOS 437 and 850, 0x9B a cent
    // sign in 437 and o with a stroke in 850; 0x8E is e acute on the Mac;
    // \ansicpg names a code page by number.
    EXPECT_EQ(text("{\\rtf1\\ansi \\'e9}"), "\xE9");
    EXPECT_EQ(text("{\\rtf1\\pc \\'82\\'9b}"), "\xE9\xA2");
    EXPECT_EQ(text("{\\rtf1\\pca \\'82\\'9b}"), "\xE9\xF8");
    EXPECT_EQ(text("{\\rtf1\\mac \\'8e}"), "\xE9");
    EXPECT_EQ(text("{\\rtf1\\ansicpg437 \\'82}"), "\xE9");
}

TEST(RtfReader, FontSizeIsTheSizeOfTheFirstCharacter)
{
    const auto size = [](const std::string& document) { return read(document).fontSizePoints; };
    EXPECT_DOUBLE_EQ(size("{\\rtf1\\ansi\\fs30 big}"), 15.0);
    EXPECT_DOUBLE_EQ(size("{\\rtf1\\ansi\\fs19 x}"), 9.5);
    // RTF's own default, and \plain going back to it.
    EXPECT_DOUBLE_EQ(size("{\\rtf1\\ansi x}"), 12.0);
    EXPECT_DOUBLE_EQ(size("{\\rtf1\\ansi\\fs40\\plain x}"), 12.0);
    // Sizes set after the first character, or in groups that end before it,
    // or in the font table, do not count.
    EXPECT_DOUBLE_EQ(size("{\\rtf1\\ansi\\fs20 a\\fs40 b}"), 10.0);
    EXPECT_DOUBLE_EQ(size("{\\rtf1\\ansi{\\fs40}\\fs18 a}"), 9.0);
    EXPECT_DOUBLE_EQ(size("{\\rtf1\\ansi{\\fonttbl{\\f0\\fs60 Arial;}}\\f0 a}"), 12.0);
    EXPECT_DOUBLE_EQ(size("{\\rtf1\\ansi{\\*\\generator \\fs60 x;}\\fs28 a}"), 14.0);
    EXPECT_DOUBLE_EQ(size("{\\rtf1\\ansi\\fs16{\\fs32 a}b}"), 16.0);
    // A paragraph end is not a character: the size at the text after it counts.
    EXPECT_DOUBLE_EQ(size("{\\rtf1\\ansi\\fs20\\par\\fs22 a}"), 11.0);
    // Without text: the size where the document ends.
    EXPECT_DOUBLE_EQ(size("{\\rtf1\\ansi\\pard\\plain\\f0\\fs34 }"), 17.0);
    EXPECT_DOUBLE_EQ(size("{\\rtf1\\ansi\\fs34\\par}"), 17.0);
    // Sizes no font has fall back to the default or to the largest one the
    // writer writes.
    EXPECT_DOUBLE_EQ(size("{\\rtf1\\ansi\\fs0 a}"), 12.0);
    EXPECT_DOUBLE_EQ(size("{\\rtf1\\ansi\\fs-8 a}"), 12.0);
    EXPECT_DOUBLE_EQ(size("{\\rtf1\\ansi\\fs99999999999 a}"), 32767 / 2.0);
    // The writer's documents read back at their size, rounded to half points.
    for (double points : {1.0, 8.0, 9.75, 15.0, 72.5})
        EXPECT_DOUBLE_EQ(size(tessaline::rtf::write("text", points)), std::round(points * 2.0) / 2.0) << points;
}
