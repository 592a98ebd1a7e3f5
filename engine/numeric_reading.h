// Reading a number the way the custom-size box and the width list are read.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tessaline {

// Reads the leading number of `text`. Blanks, tabs and line feeds are ignored
// wherever they stand; what remains is read from its start as an optional sign,
// decimal digits with at most one "." and an optional exponent (E, sign,
// digits), or as hexadecimal / octal digits after an &H / &O prefix. Reading
// stops at the first character that cannot continue the number; a text with no
// leading number reads as 0.
double readNumber(std::string_view text);

// Rounds to the nearest integer, an exact half to the even neighbour
// (12.5 -> 12, 13.5 -> 14). Returns nothing when the result does not fit in a
// signed 16-bit integer (or the value is not finite).
std::optional<std::int16_t> roundToInt16(double value);

}  // namespace tessaline
