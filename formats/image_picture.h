// Turning an image file (PNG, JPEG, GIF, BMP) into a calculator picture: the
// image composited onto white, scaled to the calculator's screen, turned to
// grey and then to 1 bit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "formats/calc_text_file.h"
#include "formats/mono_bitmap.h"

namespace tessaline {

// The most pixels an image may have: larger ones are refused from their
// header, before any pixel is decoded, so that a small file cannot ask for
// gigabytes. 50 million pixels take 100 MB while they are scaled down.
inline constexpr std::uint64_t kMaxImagePixels = 50'000'000;

struct ImagePictureOptions {
    Calculator calculator = Calculator::Ti89;
    // An image larger than the screen is always scaled down to fit it, its
    // aspect ratio kept; a smaller one keeps its size unless this is set.
    bool fitScreen = false;
    // 0: error diffusion (Floyd-Steinberg), for photos. 1 to 255: a pixel
    // is ink when its grey (0 black, 255 white) is below this, for line art.
    int threshold = 0;
};

struct ImageSize {
    int width = 0;
    int height = 0;
};

struct ImagePicture {
    bool ok = false;
    MonoBitmap bitmap;
    ImageSize source;   // the image's own size
    std::string error;  // why, when !ok
};

// The picture of an image file's bytes. An image that is not PNG, JPEG, GIF
// or BMP, is damaged or cut short, or has more than kMaxImagePixels pixels is
// refused with a message. A GIF gives its first frame.
ImagePicture convertImage(std::string_view bytes, const ImagePictureOptions& options);

// The size a picture of an image of `source` pixels gets on the screen.
ImageSize pictureSizeFor(ImageSize source, const ImagePictureOptions& options);

}  // namespace tessaline
