// The per-character line-break pass, as a template over its hooks, so that a
// caller with inline hooks pays for no call it does not make.
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
// Without hooks (batch work) batch_pass.cpp serves, which copies whole lines.
#pragma once

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "engine/line_break_pass.h"
#include "engine/line_settings.h"
#include "engine/pass_messages.h"

namespace tessaline {

// What runLineBreakPassWith asks of its hooks (called through a non-const
// reference; inline members cost nothing where they do nothing):
//   bool wordWrap();                                   asked at each break
//   bool cancelRequested();                            before each character
//   void yield();                                      twice per character
//   void progress(std::int64_t maximum, std::int64_t value);   after each character
// Optionally `static constexpr bool kLiveSettings = false;` says that the
// settings change only from within wordWrap() (or never): the pass then works
// on a copy, taken again after each wordWrap(). Otherwise the caller's
// settings object is read afresh at every use, so any hook may change it.
template <class Hooks>
concept LineBreakPassHooks = requires(Hooks& h, std::int64_t n) {
    { h.wordWrap() } -> std::convertible_to<bool>;
    { h.cancelRequested() } -> std::convertible_to<bool>;
    h.yield();
    h.progress(n, n);
};

namespace passDetail {

template <class Hooks>
constexpr bool liveSettings()
{
    if constexpr (requires { Hooks::kLiveSettings; }) {
        return Hooks::kLiveSettings;
    } else {
        return true;
    }
}

// The settings as the pass reads them: the caller's object at every use, or a
// copy refreshed after each word-wrap query.
template <bool Live>
class SettingsView;

template <>
class SettingsView<true> {
public:
    explicit SettingsView(const LineSettings& s) : s_(s) {}
    void refresh() {}
    std::int64_t width(unsigned char c) const { return s_.CharWidths[c]; }
    bool overflows(std::int64_t linePixels, std::int64_t lineChars) const
    {
        return s_.MeasureInPixels ? linePixels > s_.LineLimit : lineChars > s_.LineLimit;
    }
    const LineSettings& current() const { return s_; }

private:
    const LineSettings& s_;
};

template <>
class SettingsView<false> {
public:
    explicit SettingsView(const LineSettings& s) : source_(s), copy_(s) {}
    void refresh() { copy_ = source_; }
    std::int64_t width(unsigned char c) const { return copy_.CharWidths[c]; }
    bool overflows(std::int64_t linePixels, std::int64_t lineChars) const
    {
        return copy_.MeasureInPixels ? linePixels > copy_.LineLimit : lineChars > copy_.LineLimit;
    }
    const LineSettings& current() const { return copy_; }

private:
    const LineSettings& source_;
    LineSettings copy_;
};

}  // namespace passDetail

// Runs the pass over `text` with `hooks`. An empty text is returned as it is,
// without a hook call.
template <class Hooks>
    requires LineBreakPassHooks<Hooks>
PassResult runLineBreakPassWith(std::string text, const LineSettings& settings, Hooks& hooks)
{
    constexpr unsigned char kCr = 13;
    constexpr unsigned char kLf = 10;
    constexpr unsigned char kSpace = 32;

    PassResult result;
    if (text.empty()) {
        return result;
    }

    // Taken over from the caller and released when the pass returns.
    const std::string in = std::move(text);
    const std::size_t n = in.size();
    const auto* const source = reinterpret_cast<const unsigned char*>(in.data());

    // The output is written through a pointer. Each character gets at most
    // one break in front of it and the closing break adds two, so the
    // reserved capacity suffices (were it exceeded, the resize would simply
    // move the string); the string is lengthened a chunk at a time, so memory
    // is only touched as the output grows.
    std::string& out = result.text;
    out.reserve(3 * n + 2);
    char* o = nullptr;
    std::size_t room = 0;   // out.size(): bytes writable at o
    auto makeRoom = [&](std::size_t pos) {
        constexpr std::size_t kChunk = std::size_t{1} << 16;
        out.resize(std::max(pos + 4, out.size() + kChunk));
        o = out.data();
        room = out.size();
    };

    passDetail::SettingsView<passDetail::liveSettings<Hooks>()> view(settings);

    std::size_t i = 0;     // next character of `in`
    std::size_t pos = 0;   // CharPos: characters of the output
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

        if (room - pos < 4) [[unlikely]] {
            makeRoom(pos);
        }
        const unsigned char c = source[i++];
        o[pos++] = static_cast<char>(c);
        const bool space = c == kSpace;
        wordChars = space ? 0 : wordChars + 1;
        wordPixels = space ? 0 : wordPixels;
        if (c <= kCr && (c == kCr || c == kLf)) [[unlikely]] {
            linePixels = 0;
            wordChars = 0;
            wordPixels = 0;
            lineChars = 0;
        }
        const std::int64_t width = view.width(c);
        linePixels += width;
        wordPixels += width;
        ++lineChars;

        if (view.overflows(linePixels, lineChars)) [[unlikely]] {
            if (afterInsertedBreak) {
                // Alone on its line the character still overflows: another
                // break in front of it would be followed by the same overflow
                // for ever. Stop with the text as it stands.
                result.error = passMessages::tooShort(view.current(), c);
                --i;
                --pos;
                break;
            }
            const bool wrap = hooks.wordWrap();
            view.refresh();
            if (!wrap || linePixels == wordPixels) {
                // Hard break in front of the overflowing character, which is
                // examined again as the first character of the new line.
                o[pos - 1] = static_cast<char>(kCr);
                o[pos++] = static_cast<char>(kLf);
                --i;
                modifications += 1;
            } else {
                // The last space of the line becomes the break; the characters
                // after it are examined again on the new line.
                const auto tail = static_cast<std::size_t>(wordChars);
                pos -= tail + 1;
                o[pos++] = static_cast<char>(kCr);
                o[pos++] = static_cast<char>(kLf);
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

        // The length of the text as the literal pass would hold it now.
        hooks.yield();
        hooks.progress(static_cast<std::int64_t>(pos + (n - i)), static_cast<std::int64_t>(pos));
        if (i == n) {
            complete = true;
            break;
        }
    }

    if (complete) {
        if (hooks.cancelRequested()) {
            result.cancelled = true;
        } else if (pos != 1 && static_cast<unsigned char>(o[pos - 2]) != kCr) {
            if (room - pos < 2) {
                makeRoom(pos);
            }
            o[pos++] = static_cast<char>(kCr);
            o[pos++] = static_cast<char>(kLf);
            modifications += 1;
        }
        out.resize(pos);
    } else {
        out.resize(pos);
        out.append(in, i, std::string::npos);
    }
    result.modificationCount = modifications;
    return result;
}

}  // namespace tessaline
