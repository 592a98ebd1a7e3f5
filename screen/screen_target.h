// What the preview draws on: the calculator's screen and the way the text
// program there lays out lines.
#pragma once

#include "engine/char_widths.h"
#include "engine/line_settings.h"

namespace tessaline::screen {

struct ScreenSize {
    int width;
    int height;
};

inline constexpr ScreenSize kTi89Screen{160, 100};
inline constexpr ScreenSize kTi92PlusScreen{240, 128};

enum class LayoutKind {
    Reader,      // Folivane: the small font, lines measured in pixels, markup lines obeyed
    TextEditor,  // the calculator's Text Editor: a fixed grid of character cells
};

struct ScreenTarget {
    ScreenSize size = kTi89Screen;
    LayoutKind kind = LayoutKind::Reader;
    int lineLimit = 160;  // pixels (Reader) or characters (TextEditor); a longer line is marked
    CharWidthTable widths = defaultCharWidths();
};

// The target a run's settings aim at: pixels mean the reader, characters the
// Text Editor; the TI-89's screen while the limit fits it (160 pixels, 23
// characters), else the TI-92 Plus's.
ScreenTarget targetFor(const LineSettings& settings);

}  // namespace tessaline::screen
