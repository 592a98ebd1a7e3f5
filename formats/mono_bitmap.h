// A 1-bit picture as the calculator stores and shows it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessaline {

struct MonoBitmap {
    int width = 0;
    int height = 0;
    // (width + 7) / 8 bytes per row, top row first; the high bit is the
    // leftmost pixel, a set bit is ink. The padding bits of a row are clear.
    std::vector<std::uint8_t> rows;

    MonoBitmap() = default;
    MonoBitmap(int w, int h) : width(w), height(h), rows(static_cast<std::size_t>((w + 7) / 8) * h) {}

    int rowBytes() const { return (width + 7) / 8; }
    bool inked(int x, int y) const
    {
        return (rows[static_cast<std::size_t>(y) * rowBytes() + x / 8] >> (7 - x % 8)) & 1;
    }
    void ink(int x, int y)
    {
        rows[static_cast<std::size_t>(y) * rowBytes() + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
    bool operator==(const MonoBitmap&) const = default;
};

}  // namespace tessaline
