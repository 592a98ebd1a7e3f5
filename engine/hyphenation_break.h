// The line-break pass's choice of a hyphenation point; not for use outside
// the engine. Asked only at an overflow with word wrap and a dictionary, so
// a pass without hyphenation never comes here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/line_settings.h"

namespace tessaline::internal {

// Whether the text line holding a character is a markup command line ("_CHA",
// "_TIL ...", "_PIC ...", "_BRK"). The line's start is looked for back to the
// last look only, so a long line is read once however many breaks it gets.
// `text` is the same at every call until restart(), which a new piece of the
// text (beginning a line) calls for.
class TextLineStart {
public:
    bool isMarkup(std::string_view text, std::size_t at);
    void restart();

private:
    std::size_t start_ = 0;    // the first character of the line
    std::size_t checked_ = 0;  // no line end in text[start_..checked_)
    bool known_ = false;       // markup_ is that of the line at start_
    bool markup_ = false;
};

// The counters of the line that overflowed, as the pass keeps them.
struct OverflowedLine {
    std::int64_t linePixels;
    std::int64_t lineChars;
    std::int64_t wordChars;  // characters after the line's last space, the overflowing one included
};

// How many characters at the end of the line go to the next line when the
// word whose character text[next - 1] overflowed is broken at a hyphenation
// point: the last point where the part before it and a hyphen fit the line.
// 0: the word is not hyphenated (no usable point, a markup line, a word of
// more than 100 characters, or the overflowing character is a space).
std::size_t hyphenationCut(std::string_view text, std::size_t next, const OverflowedLine& line,
                           const LineSettings& settings, TextLineStart& textLine);

}  // namespace tessaline::internal
