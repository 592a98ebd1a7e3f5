// The shown forms in UTF-16 (as the editor holds text), checked against the
// character table's source file rather than the generated table.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "charset/charset.h"

using namespace tessaline::charset;

namespace {

// Code -> shown form in UTF-16, read from charset/charset.tsv.
std::map<int, std::u16string> shownFormsFromSource()
{
    const auto path =
        std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "charset" / "charset.tsv";
    std::ifstream in(path);
    std::map<int, std::u16string> forms;
    std::string line;
    bool header = true;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        if (header) {
            header = false;
            continue;
        }
        std::istringstream row(line);
        std::string code, unicode;
        std::getline(row, code, '\t');
        std::getline(row, unicode, '\t');
        std::u16string units;
        std::istringstream points(unicode);
        std::string point;
        while (points >> point) {
            const char32_t c = static_cast<char32_t>(std::stoul(point.substr(2), nullptr, 16));
            if (c >= 0x10000) {
                units.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
                units.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
            } else {
                units.push_back(static_cast<char16_t>(c));
            }
        }
        forms[std::stoi(code)] = units;
    }
    return forms;
}

}  // namespace

TEST(CharsetShown, EveryShownFormMatchesItsCode)
{
    const auto forms = shownFormsFromSource();
    ASSERT_EQ(forms.size(), 256u);
    std::size_t longest = 0;
    for (const auto& [code, units] : forms) {
        longest = std::max(longest, units.size());
        if (code == '\r' || code == '\n') {
            EXPECT_FALSE(matchShown(units).has_value()) << code;  // only parts of a line end
            continue;
        }
        for (const std::u16string& text : {units, units + u"a", units + u"\u2029"}) {
            const auto m = matchShown(text);
            ASSERT_TRUE(m.has_value()) << code;
            EXPECT_EQ(m->code, code);
            EXPECT_EQ(m->units, units.size()) << code;
        }
    }
    EXPECT_EQ(longestShownForm(), longest);
    EXPECT_EQ(longest, 2u);  // x and y with an overline
}

TEST(CharsetShown, OnlyShownFormsMatch)
{
    // The first units of the two-unit forms are codes of their own.
    EXPECT_EQ(matchShown(u"x")->code, 'x');
    EXPECT_EQ(matchShown(u"y\u0304")->code, 'y');  // the macron is read as an overline, but is not shown
    EXPECT_EQ(matchShown(u"y\u0304")->units, 1u);
    EXPECT_EQ(matchShown(u"y\u0305")->code, 155);
    // Spellings that are only read, line and paragraph ends, characters
    // without a code, a lone mark.
    for (const std::u16string text :
         {u"\u0000", u"\u000C", u"\r\n", u"\n", u"\u2029", u"\u4E2D", u"\u0305", u"\u007F", u""})
        EXPECT_FALSE(matchShown(text).has_value()) << testing::PrintToString(std::u32string(text.begin(), text.end()));
}

TEST(CharsetShown, Utf16ConversionDecodesSurrogatePairs)
{
    Conversion c = fromUtf16(u"a\U0001F600b\u00E9x\u0305");
    const Conversion want = fromUnicode(U"a\U0001F600b\u00E9x\u0305");
    EXPECT_EQ(c.codes, want.codes);
    EXPECT_EQ(c.replaced, want.replaced);
    EXPECT_EQ(c.codes.back(), '\x9A');

    // A surrogate without its other half is one replaced character.
    const char16_t lone[] = {u'a', 0xD800, u'b', 0xDC00, 0xD83D};
    c = fromUtf16(std::u16string_view(lone, 5));
    EXPECT_EQ(c.codes, "a?b??");
    EXPECT_EQ(c.replaced, 3u);
}

TEST(CharsetShown, DeleteCharacterHasNoCode)
{
    // Code 127 is shown as a diamond and typed as one; U+007F itself is a
    // control character without a code, as in a file.
    ASSERT_TRUE(shown(127) == U"\u25C6");
    EXPECT_EQ(matchShown(u"\u25C6")->code, 127);
    const Conversion typed = fromUtf16(u"a\u007Fb\u25C6");
    EXPECT_EQ(typed.codes, "a?b\x7F");
    EXPECT_EQ(typed.replaced, 1u);
}
