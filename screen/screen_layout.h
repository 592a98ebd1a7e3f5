// Lays out a processed text as the calculator's screens and draws any one of
// them on demand. The reader's layout: one line of text per 6 pixel rows in
// the small font; "_CHA" and "_BRK" start a new screen, a "_TIL" line shows
// its title in bold (twice as wide) on an inverse bar, a "_PIC" line its picture (or a box
// with the picture's name where there is none). The Text Editor's layout: a
// fixed grid of character cells, every line starting with a colon, markup
// shown as the text it is. A line wider than the target's limit is drawn in
// the marked colour.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "screen/mono_picture.h"
#include "screen/screen_image.h"
#include "screen/screen_target.h"

namespace tessaline::screen {

class ScreenLayout {
public:
    // Finds where each screen starts in one pass over `codes` (calculator
    // codes, lines ending in CR LF), which is cheap: a 1 MB text takes a few
    // milliseconds. No screen is drawn. The pictures `pictures` hands out
    // must outlive the layout.
    ScreenLayout(std::string codes, const ScreenTarget& target, PictureLookup pictures = {});

    const ScreenTarget& target() const { return target_; }
    // At least 1: an empty text is one empty screen.
    int screenCount() const { return static_cast<int>(starts_.size()); }
    // Screen `index` (0-based, below screenCount()).
    ScreenImage draw(int index) const;

    // Pixel rows a line of text takes in the reader, and the inverse bar of
    // a title.
    static constexpr int kLineRows = 6;
    static constexpr int kTitleRows = 7;
    // The placeholder box of a picture that is not at hand: three lines high.
    static constexpr int kPlaceholderRows = 3 * kLineRows;
    // The Text Editor's character cell.
    static constexpr int kCellWidth = 6;
    static constexpr int kCellHeight = 8;

private:
    enum class LineKind { Text, Chapter, Title, Break, Picture };
    struct Line {
        std::size_t begin;       // offset of the first code
        std::string_view codes;  // without the line end
        std::size_t next;        // offset of the next line; the text's size after the last
    };

    Line lineAt(std::size_t offset) const;
    LineKind kindOf(std::string_view line) const;
    // Rows the line takes on a screen; 0 for the lines that start a screen.
    int rowsOf(const Line& line, LineKind kind) const;
    // Walks the lines from `offset`, a screen's start, to the end of that
    // screen; calls draw(line, kind, top) for each line placed on it, and
    // returns the offset where the next screen starts (the text's size at
    // the end).
    template <typename Draw>
    std::size_t walkScreen(std::size_t offset, Draw&& draw) const;
    // The offset of the first line from `offset` on that is not a chapter or
    // page break: breaks at the end of the text open no screen.
    std::size_t skipScreenBreaks(std::size_t offset) const;

    int lineWidth(std::string_view codes) const;
    // Draws `codes` with their top row at `top`, from column `left`, each
    // column `scale` times.
    void drawCodes(ScreenImage& image, std::string_view codes, int left, int top, Pixel ink, int scale) const;
    void drawTextLine(ScreenImage& image, std::string_view codes, int top) const;
    void drawTitle(ScreenImage& image, std::string_view line, int top) const;
    void drawPicture(ScreenImage& image, std::string_view line, int top) const;
    void drawEditorLine(ScreenImage& image, std::string_view codes, int row) const;

    std::string codes_;
    ScreenTarget target_;
    PictureLookup pictures_;
    std::vector<std::size_t> starts_;  // offset of each screen's first line
};

}  // namespace tessaline::screen
