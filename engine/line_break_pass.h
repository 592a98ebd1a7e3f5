// The line-break pass: inserts CR LF so that no line of a calculator text is
// wider than LineLimit, at the last space when word wrap is on.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/line_settings.h"

namespace tessaline {

struct PassResult {
    std::string text;                  // the processed text (as far as it got)
    std::int64_t modificationCount = 0;
    bool cancelled = false;            // a cancel was seen before a character
    std::optional<std::string> error;  // the limit stopped admitting a character mid-run
};

// Hooks the pass calls while it runs. Every member may be empty: an empty
// wordWrap means "on", an empty cancelRequested means "never", empty yield and
// progress are not called. The settings object handed to the pass is read
// afresh at every character, so a hook may change it mid-run.
struct PassHooks {
    std::function<bool()> wordWrap;           // asked at each break
    std::function<bool()> cancelRequested;    // asked before each character
    std::function<void()> yield;              // twice per character
    std::function<void(std::int64_t maximum, std::int64_t value)> progress;  // after each character
};

// Refuses a limit that admits no single character of `text` (which would
// insert breaks forever): character mode below 1, pixel mode below the width
// of a character that occurs. The message names the limit and the character.
Refusal checkLimitAdmitsText(const LineSettings& settings, std::string_view text);

// Runs the pass over `text`. An empty text is returned as it is.
PassResult runLineBreakPass(std::string text, const LineSettings& settings, const PassHooks& hooks);

// The same pass without hooks and with a fixed word-wrap state, for batch work.
PassResult runLineBreakPass(std::string text, const LineSettings& settings, bool wordWrap);

// Outcome of a streamed batch pass: what PassResult holds, without the text.
struct StreamedPass {
    std::int64_t size = 0;               // characters of the processed text
    std::int64_t modificationCount = 0;
    std::optional<std::string> error;    // as PassResult::error
    bool sinkFailed = false;             // the sink refused a piece; later pieces were not offered
};

// The batch pass over `text` (left unchanged), the processed text handed to
// `sink` in order, in pieces of at most `chunkBytes` characters, instead of
// being built in memory. The pieces joined equal the text that
// runLineBreakPass(text, settings, wordWrap) returns.
StreamedPass streamLineBreakPass(std::string_view text, const LineSettings& settings, bool wordWrap,
                                 const std::function<bool(std::string_view)>& sink,
                                 std::size_t chunkBytes = std::size_t{1} << 20);

}  // namespace tessaline
