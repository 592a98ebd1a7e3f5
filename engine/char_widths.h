// The character-width table: width in calculator screen pixels of each 8-bit
// code of the calculator's small font.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessaline {

// Indices 0 to 256; entry k is the width of code k. Entries 0 and 256 stay 0.
using CharWidthTable = std::array<std::int16_t, 257>;

// The 256 width strings the main window keeps in its hidden list: item k is
// the decimal text of the width of code k.
const std::array<std::string_view, 256>& widthStrings();

// Fills entries 1 to 255 from items 1 to 255 (item 0 is never read), each read
// by readNumber and rounded half to even into 16 bits. Throws
// std::out_of_range naming the item when one does not fit in 16 bits, and
// std::invalid_argument when fewer than 256 items are given.
CharWidthTable loadCharWidths(const std::vector<std::string>& items);

// The table as start-up loads it from widthStrings().
const CharWidthTable& defaultCharWidths();

}  // namespace tessaline
