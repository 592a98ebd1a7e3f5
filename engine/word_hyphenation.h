// Which words the line-break pass may hyphenate, and where: the dictionary's
// points, kept to the program's own rule.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "engine/hyphenator.h"

namespace tessaline {

// The codes the hyphenation rule counts as letters: A to Z, a to z and the
// accented Latin letters of codes 192 to 255 (not 215 and 247, the
// multiplication and division signs).
bool isWordLetter(unsigned char code);

// The points (offsets into `word`, rising) where the pass may break `word`,
// a run of characters between spaces and line ends whose character at
// `overflowAt` overflows the line. Leading and trailing characters that are
// not letters (quotes, commas) stay with the word's ends. No points for a
// word holding a digit, holding a hyphen in front of `overflowAt` (a hyphen
// already on the line), holding a character other than a letter or
// apostrophe between its letters, or of fewer than 5 letters; a word holding
// hyphens only from `overflowAt` on is broken in its part before the first
// hyphen. Every point leaves at least 2 letters before it and 3 after it.
std::vector<std::size_t> hyphenationPoints(std::string_view word, std::size_t overflowAt, const Hyphenator& hyphenator);

}  // namespace tessaline
