// Layout lengths are given in twips (1/1440 inch); the windows lay out in
// device-independent pixels at kTwipsPerPixel twips per pixel.
#pragma once

#include <QRect>

namespace tessaline {

inline constexpr int kTwipsPerPixel = 15;

// The main window and the output window share one client width.
inline constexpr int kClientWidthTwips = 8430;

constexpr int twipsToPixels(int twips)
{
    constexpr int half = kTwipsPerPixel / 2;
    return twips >= 0 ? (twips + half) / kTwipsPerPixel : -((-twips + half) / kTwipsPerPixel);
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

}  // namespace tessaline
