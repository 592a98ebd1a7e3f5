// A 1-bit picture as the calculator shows it, handed to the screen layout by
// whoever decoded it.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace tessaline::screen {

struct MonoPicture {
    int width = 0;
    int height = 0;
    // (width + 7) / 8 bytes per row, top row first; the high bit is the
    // leftmost pixel, a set bit is ink.
    std::vector<std::uint8_t> rows;

    int rowBytes() const { return (width + 7) / 8; }
    bool inked(int x, int y) const
    {
        return (rows[static_cast<std::size_t>(y) * rowBytes() + x / 8] >> (7 - x % 8)) & 1;
    }
};

// The picture a "_PIC name" line shows, or nullptr when there is none by that
// name. The picture must stay alive as long as the layout that asked for it.
using PictureLookup = std::function<const MonoPicture*(std::string_view name)>;

}  // namespace tessaline::screen
