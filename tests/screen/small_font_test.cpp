// The drawn small font against the width table and the calculator's habit of
// drawing accented letters as their base letters; the list of those letters
// is typed here from the Latin-1 names, apart from the font's drawing.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "charset/small_font.h"
#include "engine/char_widths.h"

namespace tessaline {
namespace {

using charset::Glyph;
using charset::kGlyphRows;

bool inkedAnywhereInColumn(const Glyph& glyph, int column)
{
    for (int row = 0; row < kGlyphRows; ++row)
        if (glyph.inked(column, row))
            return true;
    return false;
}

TEST(SmallFont, EveryGlyphIsAsWideAsTheWidthTableSaysAndKeepsItsLastColumnBlank)
{
    const auto& font = charset::smallFont();
    const CharWidthTable& widths = defaultCharWidths();
    for (int code = 1; code <= 255; ++code) {
        const Glyph& glyph = font[code];
        ASSERT_EQ(glyph.width, widths[code]) << "code " << code;
        // Columns from the spacing column on (up to the byte's eighth) hold no ink.
        for (int column = glyph.width == 0 ? 0 : glyph.width - 1; column < 8; ++column)
            EXPECT_FALSE(inkedAnywhereInColumn(glyph, column)) << "code " << code << " column " << column;
    }
}

TEST(SmallFont, CodesOfWidthZeroDrawNothingAndEveryOtherGlyphButTheSpaceHasInk)
{
    const auto& font = charset::smallFont();
    for (int code = 0; code <= 255; ++code) {
        const Glyph& glyph = font[code];
        bool inked = false;
        for (int column = 0; column < 8; ++column)
            inked = inked || inkedAnywhereInColumn(glyph, column);
        if (glyph.width == 0 || code == ' ')
            EXPECT_FALSE(inked) << "code " << code;
        else
            EXPECT_TRUE(inked) << "code " << code << " is drawn blank";
    }
}

// Latin-1 accented letters and the letters they are drawn as.
std::vector<std::pair<int, char>> accentedLetters()
{
    std::vector<std::pair<int, char>> letters;
    auto add = [&](int first, int last, char base) {
        for (int code = first; code <= last; ++code)
            letters.emplace_back(code, base);
    };
    add(0xC0, 0xC5, 'A');  // À Á Â Ã Ä Å
    add(0xC7, 0xC7, 'C');  // Ç
    add(0xC8, 0xCB, 'E');  // È É Ê Ë
    add(0xCC, 0xCF, 'I');  // Ì Í Î Ï
    add(0xD1, 0xD1, 'N');  // Ñ
    add(0xD2, 0xD6, 'O');  // Ò Ó Ô Õ Ö
    add(0xD9, 0xDC, 'U');  // Ù Ú Û Ü
    add(0xDD, 0xDD, 'Y');  // Ý
    add(0xE0, 0xE5, 'a');
    add(0xE7, 0xE7, 'c');
    add(0xE8, 0xEB, 'e');
    add(0xEC, 0xEF, 'i');
    add(0xF1, 0xF1, 'n');
    add(0xF2, 0xF6, 'o');
    add(0xF9, 0xFC, 'u');
    add(0xFD, 0xFD, 'y');
    add(0xFF, 0xFF, 'y');  // ÿ
    return letters;
}

TEST(SmallFont, TheFiftyThreeAccentedLettersLookLikeTheirBaseLetters)
{
    const auto& font = charset::smallFont();
    const auto letters = accentedLetters();
    ASSERT_EQ(letters.size(), 53u);
    for (const auto& [code, base] : letters) {
        const Glyph& accented = font[code];
        const Glyph& plain = font[static_cast<unsigned char>(base)];
        EXPECT_EQ(accented.width, plain.width) << "code " << code;
        EXPECT_EQ(accented.rows, plain.rows) << "code " << code << " differs from " << base;
    }
}

TEST(SmallFont, LettersThatShareAGlyphAreOnlyTheAccentedOnes)
{
    // A glyph drawn by mistake as a copy of another shows here. In one
    // column some look-alikes cannot be told apart: the capital I and the
    // bar (five pixels), the small i and the inverted exclamation mark (a
    // dot over a stem).
    const auto& font = charset::smallFont();
    std::vector<bool> accented(256, false);
    for (const auto& [code, base] : accentedLetters())
        accented[code] = true;
    for (int a = 33; a <= 255; ++a) {
        for (int b = a + 1; b <= 255; ++b) {
            if (accented[a] || accented[b] || font[a].width == 0)
                continue;
            if (font[a].width != font[b].width || font[a].rows != font[b].rows)
                continue;
            const bool listed = (a == 'I' && b == '|') || (a == 'i' && b == 0xA1);
            EXPECT_TRUE(listed) << "codes " << a << " and " << b << " are drawn alike";
        }
    }
}

}  // namespace
}  // namespace tessaline
