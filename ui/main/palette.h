// The special-character palette: the calculator code each of the 64 buttons
// carries, in button order.
#pragma once

#include <array>

namespace tessaline {

inline constexpr std::array<unsigned char, 64> kPaletteCodes = {
    208, 187, 188, 189, 190, 191, 129, 130, 131, 132, 133, 134, 135, 136, 137, 138, 139, 140, 141, 142, 143, 144,
    145, 146, 147, 148, 150, 151, 152, 153, 154, 155, 156, 157, 158, 159, 161, 162, 163, 164, 165, 166, 167, 168,
    215, 169, 170, 172, 247, 174, 175, 176, 177, 178, 173, 180, 181, 222, 182, 183, 184, 185, 179, 248,
};

}  // namespace tessaline
