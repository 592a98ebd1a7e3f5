// Calculator picture variables: the 1-bit pictures a TI-89 (.89i), TI-92 Plus
// (.9xi) or Voyage 200 (.v2i) stores, as single files and as entries of the
// group files of calc_text_file.h.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "formats/calc_text_file.h"
#include "formats/mono_bitmap.h"

namespace tessaline {

struct CalcScreenSize {
    int width;
    int height;
};

// The screen a picture is shown on: 160 x 100 on the TI-89, 240 x 128 on the
// TI-92 Plus and the Voyage 200. The calculator cuts off a larger picture, so
// none is written.
CalcScreenSize calcScreenSize(Calculator calculator);

// "89i", "9xi", "v2i", and back (case-insensitive, a leading dot allowed).
std::string calcPictureExtension(Calculator calculator);
std::optional<Calculator> calcPictureCalculatorFromExtension(std::string_view extension);

// The bytes a calculator stores for one picture variable, as its file holds
// them between the four zero bytes and the checksum: size word, height, width
// (big-endian), the rows, then the picture tag 0xDF.
std::string calcPictureData(const MonoBitmap& bitmap);

struct CalcPictureDecode {
    std::optional<MonoBitmap> bitmap;
    std::string error;  // why, when there is no bitmap: "its …" said of the variable
};

// The bitmap of a picture variable's data (size word included), or why it
// cannot be one. Never reads past `data`.
CalcPictureDecode decodeCalcPictureData(std::string_view data);

// One picture variable file (.89i, .9xi, .v2i) holding `picture`, in the
// folder picture.folder. Refused, with the message, for an invalid name or
// folder, a comment over 40 characters, an empty picture or one larger than
// the calculator's screen.
CalcWriteResult writeCalcPicture(const CalcPicture& picture, Calculator calculator, std::string_view comment = {});

// Empty when a picture of this size can go onto the calculator's screen,
// otherwise the message.
std::string calcPictureSizeProblem(const MonoBitmap& bitmap, Calculator calculator);

}  // namespace tessaline
