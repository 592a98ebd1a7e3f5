// The line-break pass: inserts CR LF so that no line of a calculator text is
// wider than lineLimit, at the last space when word wrap is on. The pass with
// hooks (progress, cancel, settings that change mid-run) is
// runLineBreakPassWith in engine/line_break_pass_core.h; the entry points here
// run it for batch work.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/line_settings.h"

namespace tessaline {

struct PassResult {
    std::string text;  // the processed text (as far as it got)
    std::int64_t modificationCount = 0;
    bool cancelled = false;            // a cancel was seen before a character
    std::optional<std::string> error;  // the limit stopped admitting a character mid-run
};

// Refuses a limit that admits no single character of `text` (which would
// insert breaks forever): character mode below 1, pixel mode below the width
// of a character that occurs. The message names the limit and the character.
Refusal checkLimitAdmitsText(const LineSettings& settings, std::string_view text);

// Whether the limit admits every code alone on a line: then no text is
// refused, and a text need not be looked at before its pass.
bool limitAdmitsEveryCode(const LineSettings& settings);

// The pass with fixed settings and a fixed word-wrap state, for batch work.
// An empty text is returned as it is.
PassResult runLineBreakPass(std::string text, const LineSettings& settings, bool wordWrap);

// Outcome of a streamed batch pass: what PassResult holds, without the text.
struct StreamedPass {
    std::int64_t size = 0;  // characters of the processed text
    std::int64_t modificationCount = 0;
    std::optional<std::string> error;  // as PassResult::error
    bool cancelled = false;            // as PassResult::cancelled
    bool sinkFailed = false;           // the sink refused a piece; later pieces were not offered
};

// The batch pass over `text` (left unchanged), the processed text handed to
// `sink` in order, in pieces of `chunkBytes` characters (the last one may be
// shorter), instead of being built in memory. The pieces joined equal the
// text that runLineBreakPass(text, settings, wordWrap) returns.
StreamedPass streamLineBreakPass(std::string_view text, const LineSettings& settings, bool wordWrap,
                                 const std::function<bool(std::string_view)>& sink,
                                 std::size_t chunkBytes = std::size_t{1} << 20);

// A text that arrives in pieces: sets its argument to the next piece, which
// stays readable until the next call, and returns true; returns false at
// the end. Pieces may be cut anywhere; pieces that end with an LF are read
// where they are, others are joined with what follows.
using TextPieces = std::function<bool(std::string_view&)>;

// streamLineBreakPass over the text that `pieces` gives, which need never be
// held whole.
StreamedPass streamLineBreakPass(const TextPieces& pieces, const LineSettings& settings, bool wordWrap,
                                 const std::function<bool(std::string_view)>& sink,
                                 std::size_t chunkBytes = std::size_t{1} << 20);

}  // namespace tessaline
