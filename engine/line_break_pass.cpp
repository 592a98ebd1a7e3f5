// The line-break pass, built for linear time.
//
// The pass is described as an in-place edit of one buffer: examine the
// character at CharPos, and on an overflow insert CR LF in front of it or
// replace the last space of the line by CR LF, then continue behind the
// inserted LF. Done literally, every edit moves the rest of the text. Here the
// text is split into the part already examined (`out`, whose size is CharPos)
// and the part still to come (`in` from index `i`); the buffer the literal pass
// would hold is always out + in[i..]. An edit only ever touches the end of
// `out`:
// - hard break: the overflowing character is the last of `out`; it is replaced
//   by CR LF and `i` steps back so that the same character comes next;
// - break at the last space: the space and the WordChars characters after it
//   are the tail of `out` (they were copied from `in` unchanged, since nothing
//   is edited inside a line); the tail is cut at the space, CR LF appended and
//   `i` steps back by WordChars so that those characters come next.
// Every hook sees the same sequence of calls and values as the literal pass.

#include "engine/line_break_pass.h"

#include <array>

namespace tessaline {

namespace {

constexpr unsigned char kCr = 13;
constexpr unsigned char kLf = 10;
constexpr unsigned char kSpace = 32;

std::string tooShortMessage(const LineSettings& settings, unsigned char code)
{
    if (!settings.MeasureInPixels) {
        return "Line length " + std::to_string(settings.LineLimit) + " characters admits no character";
    }
    return "Line length " + std::to_string(settings.LineLimit) + " pixels is too short for character " +
           std::to_string(code) + " (" + std::to_string(settings.CharWidths[code]) + " pixels wide)";
}

// Hooks for batch work: a fixed word-wrap state, nothing else. Everything
// inlines away.
struct FixedHooks {
    bool wrap;
    bool wordWrap() const { return wrap; }
    static constexpr bool cancelRequested() { return false; }
    static constexpr void yield() {}
    static constexpr void progress(std::int64_t, std::int64_t) {}
};

// The caller's hooks; an empty member costs one test of a pointer.
struct FunctionHooks {
    const PassHooks& hooks;
    bool wordWrap() const { return hooks.wordWrap ? hooks.wordWrap() : true; }
    bool cancelRequested() const { return hooks.cancelRequested && hooks.cancelRequested(); }
    void yield() const
    {
        if (hooks.yield) {
            hooks.yield();
        }
    }
    void progress(std::int64_t maximum, std::int64_t value) const
    {
        if (hooks.progress) {
            hooks.progress(maximum, value);
        }
    }
};

template <class Hooks>
PassResult runPass(std::string text, const LineSettings& settings, const Hooks& hooks)
{
    PassResult result;
    if (text.empty()) {
        return result;
    }

    // Taken over from the caller and released when the pass returns.
    const std::string in = std::move(text);
    const std::size_t n = in.size();
    std::string& out = result.text;
    // Each character gets at most one break in front of it and the closing
    // break adds two, so this never grows; untouched capacity costs no memory.
    out.reserve(3 * n + 2);

    std::size_t i = 0;                 // next character of `in`
    std::int64_t linePixels = 0;
    std::int64_t wordPixels = 0;
    std::int64_t wordChars = 0;
    std::int64_t lineChars = 0;
    std::int64_t modifications = 0;
    bool afterInsertedBreak = false;   // nothing examined yet on a line begun by an inserted break
    bool complete = false;

    for (;;) {
        if (hooks.cancelRequested()) {
            result.cancelled = true;
            break;
        }
        hooks.yield();

        const unsigned char c = static_cast<unsigned char>(in[i++]);
        out.push_back(static_cast<char>(c));
        if (c == kSpace) {
            wordChars = 0;
            wordPixels = 0;
        } else {
            ++wordChars;
        }
        if (c == kCr || c == kLf) {
            linePixels = 0;
            wordChars = 0;
            wordPixels = 0;
            lineChars = 0;
        }
        const std::int64_t width = settings.CharWidths[c];
        linePixels += width;
        wordPixels += width;
        ++lineChars;

        const bool overflow = settings.MeasureInPixels ? linePixels > settings.LineLimit
                                                       : lineChars > settings.LineLimit;
        if (overflow) {
            if (afterInsertedBreak) {
                // Alone on its line the character still overflows: another
                // break in front of it would be followed by the same overflow
                // for ever. Stop with the text as it stands.
                result.error = tooShortMessage(settings, c);
                --i;
                out.pop_back();
                break;
            }
            const bool wrap = hooks.wordWrap();
            if (!wrap || linePixels == wordPixels) {
                // Hard break in front of the overflowing character, which is
                // examined again as the first character of the new line.
                out.back() = static_cast<char>(kCr);
                out.push_back(static_cast<char>(kLf));
                --i;
                modifications += 1;
            } else {
                // The last space of the line becomes the break; the characters
                // after it are examined again on the new line.
                const auto tail = static_cast<std::size_t>(wordChars);
                out.resize(out.size() - tail - 1);
                out.push_back(static_cast<char>(kCr));
                out.push_back(static_cast<char>(kLf));
                i -= tail;
                modifications += 2;
            }
            linePixels = 0;
            wordChars = 0;
            wordPixels = 0;
            lineChars = 0;
            afterInsertedBreak = true;
        } else {
            afterInsertedBreak = false;
        }

        const auto length = static_cast<std::int64_t>(out.size() + (n - i));
        hooks.yield();
        hooks.progress(length, static_cast<std::int64_t>(out.size()));
        if (i == n) {
            complete = true;
            break;
        }
    }

    if (complete) {
        if (hooks.cancelRequested()) {
            result.cancelled = true;
        } else if (out.size() != 1 && static_cast<unsigned char>(out[out.size() - 2]) != kCr) {
            out.push_back(static_cast<char>(kCr));
            out.push_back(static_cast<char>(kLf));
            modifications += 1;
        }
    } else {
        out.append(in, i, std::string::npos);
    }
    result.modificationCount = modifications;
    return result;
}

}  // namespace

Refusal checkLimitAdmitsText(const LineSettings& settings, std::string_view text)
{
    if (text.empty()) {
        return {};
    }
    if (!settings.MeasureInPixels) {
        if (settings.LineLimit < 1) {
            return {true, tooShortMessage(settings, 0)};
        }
        return {};
    }
    std::array<bool, 256> present{};
    for (char c : text) {
        present[static_cast<unsigned char>(c)] = true;
    }
    int widest = -1;
    for (int code = 0; code < 256; ++code) {
        if (present[static_cast<std::size_t>(code)] &&
            (widest < 0 || settings.CharWidths[static_cast<std::size_t>(code)] >
                               settings.CharWidths[static_cast<std::size_t>(widest)])) {
            widest = code;
        }
    }
    if (settings.LineLimit < settings.CharWidths[static_cast<std::size_t>(widest)]) {
        return {true, tooShortMessage(settings, static_cast<unsigned char>(widest))};
    }
    return {};
}

PassResult runLineBreakPass(std::string text, const LineSettings& settings, const PassHooks& hooks)
{
    return runPass(std::move(text), settings, FunctionHooks{hooks});
}

PassResult runLineBreakPass(std::string text, const LineSettings& settings, bool wordWrap)
{
    return runPass(std::move(text), settings, FixedHooks{wordWrap});
}

}  // namespace tessaline
