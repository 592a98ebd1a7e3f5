// Layout lengths are given in twips (1/1440 inch); the windows lay out in
// device-independent pixels at 15 twips per pixel.
#pragma once

#include <QRect>

namespace tessaline {

constexpr int twipsToPixels(int twips)
{
    return twips >= 0 ? (twips + 7) / 15 : -((-twips + 7) / 15);
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

}  // namespace tessaline
