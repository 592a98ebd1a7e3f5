// One calculator screen as the preview draws it, and the colours it is shown
// in.
#pragma once

#include <cstdint>
#include <vector>

namespace tessaline::screen {

enum class Pixel : std::uint8_t {
    Paper,
    Ink,
    Marked,  // ink of a line wider than the target allows
};

struct Rgb {
    std::uint8_t red, green, blue;
};

// The screen's colours, the window's and the PNG's alike: the grey-green of
// the calculator's display, dark ink, a red that no calculator shows, and
// the grey between screens stacked in a column.
inline constexpr Rgb kPaperColor{0xD6, 0xDE, 0xC6};
inline constexpr Rgb kInkColor{0x20, 0x24, 0x1C};
inline constexpr Rgb kMarkedColor{0xD0, 0x20, 0x20};
inline constexpr Rgb kGapColor{0x80, 0x80, 0x80};

Rgb colorOf(Pixel pixel);

class ScreenImage {
public:
    ScreenImage(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    Pixel at(int x, int y) const { return pixels_[index(x, y)]; }
    // Does nothing outside the screen, so that what does not fit is cut off.
    void set(int x, int y, Pixel pixel)
    {
        if (x >= 0 && y >= 0 && x < width_ && y < height_)
            pixels_[index(x, y)] = pixel;
    }
    void fill(int x, int y, int width, int height, Pixel pixel);
    // The number of pixels that are not paper.
    int inkedCount() const;

private:
    std::size_t index(int x, int y) const { return static_cast<std::size_t>(y) * width_ + x; }

    int width_;
    int height_;
    std::vector<Pixel> pixels_;
};

}  // namespace tessaline::screen
