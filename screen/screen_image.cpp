#include "screen/screen_image.h"

#include <algorithm>

namespace tessaline::screen {

Rgb colorOf(Pixel pixel)
{
    switch (pixel) {
    case Pixel::Ink:
        return kInkColor;
    case Pixel::Marked:
        return kMarkedColor;
    case Pixel::Paper:
        break;
    }
    return kPaperColor;
}

ScreenImage::ScreenImage(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height, Pixel::Paper)
{
}

void ScreenImage::fill(int x, int y, int width, int height, Pixel pixel)
{
    const int left = std::max(x, 0);
    const int right = std::min(x + width, width_);
    const int top = std::max(y, 0);
    const int bottom = std::min(y + height, height_);
    for (int row = top; row < bottom; ++row)
        for (int column = left; column < right; ++column)
            pixels_[index(column, row)] = pixel;
}

int ScreenImage::inkedCount() const
{
    return static_cast<int>(std::count_if(pixels_.begin(), pixels_.end(), [](Pixel p) { return p != Pixel::Paper; }));
}

}  // namespace tessaline::screen
