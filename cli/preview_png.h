// --preview: the calculator's screens of a processed text as one PNG, a
// column of screens parted by a row of one grey pixel.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "screen/screen_layout.h"

namespace tessaline::cli {

// Writes screens `first` to `last` (0-based, both included, within the
// layout) of `layout`, each pixel `zoom` times in both directions, to
// `sink` a piece at a time; only one screen is drawn at a time. False with
// `error` set when the PNG library fails or the sink refuses a piece.
bool writePreviewPng(const screen::ScreenLayout& layout, int first, int last, int zoom,
                     const std::function<bool(std::string_view)>& sink, std::string& error);

}  // namespace tessaline::cli
