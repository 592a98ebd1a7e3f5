// The calculator's small font as drawn in charset/small_font.txt: a glyph of
// five pixel rows for each 8-bit code.
#pragma once

#include <array>
#include <cstdint>

namespace tessaline::charset {

inline constexpr int kGlyphRows = 5;

struct Glyph {
    // Columns, the blank spacing column on the right included; the same as
    // the code's entry in the width table. 0 for a code that draws nothing.
    std::uint8_t width;
    // One byte per pixel row, top first; column 0 is the high bit, a set bit
    // is ink.
    std::array<std::uint8_t, kGlyphRows> rows;

    bool inked(int column, int row) const { return (rows[row] >> (7 - column)) & 1; }
};

const std::array<Glyph, 256>& smallFont();

}  // namespace tessaline::charset
