// The line-break pass done literally, as the reference the fast pass is held
// against: edits in place through the text-buffer operations, the length read
// afresh after every character. Quadratic; for small texts and limits that
// admit every character only (otherwise it never ends).
#pragma once

#include <cstdint>
#include <string>

#include "engine/line_settings.h"
#include "tests/support/callback_hooks.h"
#include "tests/support/text_buffer.h"

namespace tessaline::oracle {

struct LiteralResult {
    std::string text;
    std::int64_t modificationCount = 0;
    bool cancelled = false;
};

inline LiteralResult literalPass(const std::string& source, const LineSettings& settings, const CallbackHooks& hooks)
{
    auto wordWrap = [&] { return hooks.wordWrap(); };
    auto cancelRequested = [&] { return hooks.cancelRequested(); };
    auto yield = [&] { hooks.yield(); };

    TextBuffer buffer;
    buffer.setText(source);
    LiteralResult r;
    std::int64_t charPos = 0;
    std::int64_t lineChars = 0, linePixels = 0, wordPixels = 0, wordChars = 0;
    if (buffer.length() == 0) {
        return r;
    }
    do {
        if (cancelRequested()) {
            r.cancelled = true;
            break;
        }
        yield();
        ++charPos;
        const unsigned char c = buffer.charAt(static_cast<std::size_t>(charPos));
        if (c == 32) {
            wordChars = 0;
            wordPixels = 0;
        } else {
            ++wordChars;
        }
        if (c == 13 || c == 10) {
            linePixels = wordChars = wordPixels = lineChars = 0;
        }
        linePixels += settings.charWidths[c];
        wordPixels += settings.charWidths[c];
        ++lineChars;
        const bool overflow =
            settings.measureInPixels ? linePixels > settings.lineLimit : lineChars > settings.lineLimit;
        if (overflow) {
            const bool wrap = wordWrap();
            if (!wrap || linePixels == wordPixels) {
                buffer.setSelStart(static_cast<std::size_t>(charPos - 1));
                buffer.replaceSelection("\r\n");
                r.modificationCount += 1;
                charPos += 1;
            } else {
                const auto offset = static_cast<std::size_t>(charPos - wordChars - 1);
                buffer.setSelStart(offset);
                buffer.setSelLength(1);
                buffer.replaceSelection("");
                buffer.setSelStart(offset);
                buffer.replaceSelection("\r\n");
                r.modificationCount += 2;
                charPos = charPos - wordChars + 1;
            }
            linePixels = wordChars = wordPixels = lineChars = 0;
        }
        const auto maximum = static_cast<std::int64_t>(buffer.length());
        yield();
        hooks.progress(maximum, charPos);
    } while (static_cast<std::int64_t>(buffer.length()) != charPos);

    if (!r.cancelled && cancelRequested()) {
        r.cancelled = true;
    }
    if (!r.cancelled && charPos != 1 && buffer.charAt(static_cast<std::size_t>(charPos - 1)) != 13) {
        buffer.setSelStart(static_cast<std::size_t>(charPos));
        buffer.replaceSelection("\r\n");
        r.modificationCount += 1;
    }
    r.text = buffer.text();
    return r;
}

}  // namespace tessaline::oracle
