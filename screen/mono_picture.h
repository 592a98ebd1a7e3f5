// A 1-bit picture as the calculator shows it, handed to the screen layout by
// whoever decoded it.
#pragma once

#include <functional>
#include <string_view>

#include "formats/mono_bitmap.h"

namespace tessaline::screen {

// (width + 7) / 8 bytes per row, top row first; the high bit is the leftmost
// pixel, a set bit is ink.
using MonoPicture = MonoBitmap;

// The picture a "_PIC name" line shows, or nullptr when there is none by that
// name. The picture must stay alive as long as the layout that asked for it.
using PictureLookup = std::function<const MonoPicture*(std::string_view name)>;

}  // namespace tessaline::screen
