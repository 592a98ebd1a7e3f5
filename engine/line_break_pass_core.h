// The line-break pass, as a template over its hooks, so that a caller with
// inline hooks pays for no call it does not make. This is the one
// implementation of where lines break; the window runs it with hooks that
// report progress and take a cancel, batch work with hooks that do nothing.
//
// The rules are those of an in-place edit of one buffer: examine the next
// character, and on an overflow insert CR LF in front of it or replace the
// last space of the line by CR LF, then continue behind the inserted LF. Done
// that way, every edit moves the rest of the text. Here the text is split
// into the part already examined (`out`, whose size is the position of the
// character last examined) and the part still to come (`in` from index `i`);
// the edited buffer is always out + in[i..]. An edit only ever touches the
// end of `out`:
// - hard break: the overflowing character is the last of `out`; it is replaced
//   by CR LF and `i` steps back so that the same character comes next;
// - break at the last space: the space and the wordChars characters after it
//   are the tail of `out` (they were copied from `in` unchanged, since nothing
//   is edited inside a line); the tail is cut at the space, CR LF appended and
//   `i` steps back by wordChars so that those characters come next.
// - hyphenation (with word wrap and a dictionary in the settings): the end of
//   the line's last word is the tail of `out`; it is cut at the chosen point,
//   "-" CR LF appended and `i` steps back by the characters cut off. The
//   choice (engine/hyphenation_break.h) reads the word in `in`, which holds
//   it whole; a pass without a dictionary never makes it.
// Every hook sees the calls and values that editing the buffer in place would
// produce: progress(maximum, value) gets the buffer's length and the position
// of the character last examined.
#pragma once

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "engine/hyphenation_break.h"
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
// Optionally `static constexpr bool kQuiet = true;` says more: the settings
// never change during the run, cancelRequested() is always false, and yield()
// and progress() do nothing. The pass then calls none of these three and
// copies the characters that fit on a line as one piece.
template <class Hooks>
concept LineBreakPassHooks = requires(Hooks& h, std::int64_t n)
{
    {
        h.wordWrap()
        } -> std::convertible_to<bool>;
    {
        h.cancelRequested()
        } -> std::convertible_to<bool>;
    h.yield();
    h.progress(n, n);
};

// Hooks for batch work: a fixed word-wrap state, nothing else.
struct QuietPassHooks {
    static constexpr bool kQuiet = true;
    bool wrap = true;
    bool wordWrap() const { return wrap; }
    bool cancelRequested() const { return false; }
    void yield() const {}
    void progress(std::int64_t, std::int64_t) const {}
};

// The pass's building blocks; not for use outside the engine.
namespace internal {

inline constexpr unsigned char kCr = 13;
inline constexpr unsigned char kLf = 10;
inline constexpr unsigned char kSpace = 32;

template <class Hooks>
constexpr bool quiet()
{
    if constexpr (requires { Hooks::kQuiet; }) {
        return Hooks::kQuiet;
    } else {
        return false;
    }
}

// How the pass reads the settings: the caller's object at every use, a copy
// refreshed after each word-wrap query, or a copy taken once.
enum class SettingsReading { Live, RefreshedAtBreaks, Fixed };

template <class Hooks>
constexpr SettingsReading settingsReading()
{
    if constexpr (quiet<Hooks>()) {
        return SettingsReading::Fixed;
    } else if constexpr (requires { Hooks::kLiveSettings; }) {
        return Hooks::kLiveSettings ? SettingsReading::Live : SettingsReading::RefreshedAtBreaks;
    } else {
        return SettingsReading::Live;
    }
}

template <SettingsReading Reading>
class SettingsView;

template <>
class SettingsView<SettingsReading::Live> {
public:
    explicit SettingsView(const LineSettings& s) : s_(s) {}
    void refresh() {}
    const LineSettings& current() const { return s_; }

private:
    const LineSettings& s_;
};

template <>
class SettingsView<SettingsReading::RefreshedAtBreaks> {
public:
    explicit SettingsView(const LineSettings& s) : source_(s), copy_(s) {}
    void refresh() { copy_ = source_; }
    const LineSettings& current() const { return copy_; }

private:
    const LineSettings& source_;
    LineSettings copy_;
};

template <>
class SettingsView<SettingsReading::Fixed> {
public:
    explicit SettingsView(const LineSettings& s) : copy_(s) {}
    void refresh() {}
    const LineSettings& current() const { return copy_; }

private:
    LineSettings copy_;
};

// The counters of the line being measured. A space begins a new word (its
// width counts to the word's pixels, not to its characters); CR and LF begin
// a new line and count to it.
struct LineMeasure {
    std::int64_t linePixels = 0;
    std::int64_t lineChars = 0;
    std::int64_t wordPixels = 0;
    std::int64_t wordChars = 0;

    void take(unsigned char c, std::int64_t width)
    {
        // All ones except on a space: spaces come too irregularly for a
        // branch to be predicted.
        const std::int64_t inWord = -static_cast<std::int64_t>(c != kSpace);
        wordChars = (wordChars + 1) & inWord;
        wordPixels &= inWord;
        if (c <= kCr && (c == kCr || c == kLf)) [[unlikely]] {
            clear();
        }
        linePixels += width;
        wordPixels += width;
        ++lineChars;
    }
    void clear() { *this = LineMeasure{}; }
    template <bool InPixels>
    bool exceeds(std::int64_t limit) const
    {
        return InPixels ? linePixels > limit : lineChars > limit;
    }
    bool overflows(const LineSettings& s) const
    {
        return s.measureInPixels ? exceeds<true>(s.lineLimit) : exceeds<false>(s.lineLimit);
    }
};

// Where the processed text goes while the pass runs: it stays in the buffer
// (KeepOutput), or finished pieces are handed on and the buffer reused
// (PieceOutput).
struct KeepOutput {
    static constexpr bool kHandsOn = false;
    // The most characters the pass copies as one piece.
    static constexpr std::size_t longestRun() { return static_cast<std::size_t>(-1); }
};

// Hands the processed text to a sink in pieces of exactly `chunk` characters
// while the pass runs; the rest goes when it ends.
class PieceOutput {
public:
    static constexpr bool kHandsOn = true;

    PieceOutput(const std::function<bool(std::string_view)>& sink, std::size_t chunk) : sink_(sink), chunk_(chunk) {}

    // A run of characters copied in one piece stays short enough that the
    // buffer holds little more than one piece.
    std::size_t longestRun() const { return chunk_; }

    // Hands on the whole pieces at the front of `finished`; returns how many
    // characters went.
    std::size_t handOn(std::string_view finished)
    {
        std::size_t given = 0;
        while (finished.size() - given >= chunk_) {
            offer(finished.substr(given, chunk_));
            given += chunk_;
        }
        return given;
    }

    // Hands on everything, the last piece possibly shorter.
    void finish(std::string_view rest)
    {
        while (!rest.empty()) {
            const std::size_t take = std::min(rest.size(), chunk_);
            offer(rest.substr(0, take));
            rest.remove_prefix(take);
        }
    }

    std::int64_t size() const { return size_; }
    bool failed() const { return failed_; }

private:
    void offer(std::string_view piece)
    {
        size_ += static_cast<std::int64_t>(piece.size());
        if (!failed_) {
            failed_ = !sink_(piece);
        }
    }

    const std::function<bool(std::string_view)>& sink_;
    std::size_t chunk_;
    std::int64_t size_ = 0;
    bool failed_ = false;
};

// Where the text comes from after the first piece: more(piece) gives the
// next piece and returns true, or returns false at the end. Every piece but
// the last must end with an LF (so that no break reaches back into an
// earlier piece) and none may be empty.
struct NoMorePieces {
    static constexpr bool kPieces = false;
    bool operator()(std::string_view&) const { return false; }
};

// What the pass reports besides the text.
struct PassCounts {
    std::int64_t modifications = 0;
    bool cancelled = false;
    std::optional<std::string> error;
};

// Runs the pass over `in`, then the pieces `more` gives, into `out` (which
// it resizes as it writes). With an output that hands on pieces, `out` holds
// only the unfinished end of the text when the pass returns; otherwise it
// holds the whole processed text.
template <class Hooks, class Output, class More = NoMorePieces>
PassCounts runPass(std::string_view in, const LineSettings& settings, Hooks& hooks, std::string& out, Output& output,
                   More&& more = {})
{
    constexpr bool kQuiet = quiet<Hooks>();
    static_assert(kQuiet || !std::remove_cvref_t<More>::kPieces, "only quiet hooks read a text in pieces");

    PassCounts counts;
    std::size_t n = in.size();
    if (n == 0) {
        return counts;
    }
    const auto* source = reinterpret_cast<const unsigned char*>(in.data());

    // The output is written through a pointer; the string is lengthened a
    // chunk at a time, so memory is only touched as the output grows.
    char* o = out.data();
    std::size_t pos = 0;            // characters written to `out`
    std::size_t room = out.size();  // characters writable at o
    auto ensureRoom = [&](std::size_t needed) {
        if (room - pos < needed) [[unlikely]] {
            constexpr std::size_t kChunk = std::size_t{1} << 16;
            out.resize(std::max(pos + needed, out.size() + kChunk));
            o = out.data();
            room = out.size();
        }
    };
    std::size_t handedOn = 0;  // characters that `output` took from the front of `out`

    SettingsView<settingsReading<Hooks>()> view(settings);
    LineMeasure line;
    TextLineStart textLine;           // looked at only when hyphenation is on
    std::size_t i = 0;                // next character of `in`
    bool afterInsertedBreak = false;  // nothing examined yet on a line begun by an inserted break
    bool complete = false;

    for (;;) {
        if constexpr (!kQuiet) {
            if (hooks.cancelRequested()) {
                counts.cancelled = true;
                break;
            }
            hooks.yield();
        }

        unsigned char c;
        bool overflow;
        if constexpr (kQuiet) {
            // No hook wants to see the characters one by one: the characters
            // up to the first that overflows are measured in a row and copied
            // as one piece, the overflowing one with them.
            const LineSettings& s = view.current();
            const std::size_t start = i;
            const std::size_t end = i + std::min(n - i, output.longestRun());
            const std::int64_t limit = s.lineLimit;
            if (s.measureInPixels) {
                do {
                    c = source[i++];
                    line.take(c, s.charWidths[c]);
                    overflow = line.exceeds<true>(limit);
                } while (!overflow && i != end);
            } else {
                // Counted in characters, the line can only overflow once the
                // characters that still fit are taken (a CR or LF among them
                // begins a shorter line), so the limit is looked at only then.
                for (;;) {
                    const std::int64_t fit = std::max<std::int64_t>(limit - line.lineChars + 1, 1);
                    const std::size_t stop = i + std::min(end - i, static_cast<std::size_t>(fit));
                    do {
                        c = source[i++];
                        line.take(c, s.charWidths[c]);
                    } while (i != stop);
                    overflow = line.exceeds<false>(limit);
                    if (overflow || i == end) {
                        break;
                    }
                }
            }
            const std::size_t taken = i - start;
            ensureRoom(taken + 2);
            std::memcpy(o + pos, source + start, taken);
            pos += taken;
            if (taken > 1) {
                // Characters in front of the overflowing one fitted.
                afterInsertedBreak = false;
            }
        } else {
            ensureRoom(4);
            c = source[i++];
            o[pos++] = static_cast<char>(c);
            line.take(c, view.current().charWidths[c]);
            overflow = line.overflows(view.current());
        }

        if (overflow) [[unlikely]] {
            if (afterInsertedBreak) {
                // Alone on its line the character still overflows: another
                // break in front of it would be followed by the same overflow
                // for ever. Stop with the text as it stands.
                counts.error = messages::tooShort(view.current(), c);
                --i;
                --pos;
                break;
            }
            const bool wrap = hooks.wordWrap();
            view.refresh();
            ensureRoom(2);
            std::size_t cut = 0;
            if (wrap && view.current().hyphenator != nullptr) {
                cut =
                    hyphenationCut(in, i, {line.linePixels, line.lineChars, line.wordChars}, view.current(), textLine);
            }
            if (cut != 0) {
                // The word is broken inside: the last `cut` characters of the
                // line go to the next one behind "-" CR LF (room for the
                // three: at least one character goes).
                pos -= cut;
                o[pos++] = '-';
                o[pos++] = static_cast<char>(kCr);
                o[pos++] = static_cast<char>(kLf);
                i -= cut;
                counts.modifications += 2;
            } else if (!wrap || line.linePixels == line.wordPixels) {
                // Hard break in front of the overflowing character, which is
                // examined again as the first character of the new line.
                o[pos - 1] = static_cast<char>(kCr);
                o[pos++] = static_cast<char>(kLf);
                --i;
                counts.modifications += 1;
            } else {
                // The last space of the line becomes the break; the characters
                // after it are examined again on the new line.
                const auto tail = static_cast<std::size_t>(line.wordChars);
                pos -= tail + 1;
                o[pos++] = static_cast<char>(kCr);
                o[pos++] = static_cast<char>(kLf);
                i -= tail;
                counts.modifications += 2;
            }
            line.clear();
            afterInsertedBreak = true;
        } else {
            afterInsertedBreak = false;
        }

        if constexpr (!kQuiet) {
            // The length of the edited buffer now, and the position examined
            // (counting what was handed on).
            hooks.yield();
            const std::size_t examined = handedOn + pos;
            hooks.progress(static_cast<std::int64_t>(examined + (n - i)), static_cast<std::int64_t>(examined));
        }
        if (i == n) {
            if constexpr (std::remove_cvref_t<More>::kPieces) {
                // The piece ended with an LF: the next begins a line.
                if (more(in)) {
                    n = in.size();
                    source = reinterpret_cast<const unsigned char*>(in.data());
                    i = 0;
                    textLine.restart();
                    continue;
                }
            }
            complete = true;
            break;
        }
        if constexpr (Output::kHandsOn) {
            // A later break cuts back to the last space at most; the closing
            // break looks at the last two characters.
            const std::size_t keep = std::max<std::size_t>(static_cast<std::size_t>(line.wordChars) + 1, 2);
            if (pos > keep) {
                const std::size_t given = output.handOn(std::string_view(o, pos - keep));
                if (given > 0) {
                    std::memmove(o, o + given, pos - given);
                    pos -= given;
                    handedOn += given;
                }
            }
        }
    }

    if (complete) {
        if constexpr (!kQuiet) {
            counts.cancelled = hooks.cancelRequested();
        }
        if (!counts.cancelled && handedOn + pos != 1 && static_cast<unsigned char>(o[pos - 2]) != kCr) {
            ensureRoom(2);
            o[pos++] = static_cast<char>(kCr);
            o[pos++] = static_cast<char>(kLf);
            counts.modifications += 1;
        }
        out.resize(pos);
    } else {
        out.resize(pos);
        out.append(in.substr(i));
        if constexpr (std::remove_cvref_t<More>::kPieces) {
            while (more(in)) {
                out.append(in);
            }
        }
    }
    return counts;
}

// Hands on what the pass left in `buffer` and tells how the stream ended.
inline StreamedPass finishStream(PieceOutput& output, std::string& buffer, PassCounts& counts)
{
    output.finish(buffer);
    StreamedPass result;
    result.size = output.size();
    result.modificationCount = counts.modifications;
    result.cancelled = counts.cancelled;
    result.error = std::move(counts.error);
    result.sinkFailed = output.failed();
    return result;
}

}  // namespace internal

// Runs the pass over `text` with `hooks`. An empty text is returned as it is,
// without a hook call.
template <class Hooks>
requires LineBreakPassHooks<Hooks> PassResult runLineBreakPassWith(std::string text, const LineSettings& settings,
                                                                   Hooks& hooks)
{
    PassResult result;
    if (text.empty()) {
        return result;
    }
    // Taken over from the caller and released when the pass returns.
    const std::string in = std::move(text);
    // Each character gets at most one break in front of it and the closing
    // break adds two, so the output never needs more than this.
    result.text.reserve(3 * in.size() + 2);
    internal::KeepOutput keep;
    internal::PassCounts counts = internal::runPass(in, settings, hooks, result.text, keep);
    result.modificationCount = counts.modifications;
    result.cancelled = counts.cancelled;
    result.error = std::move(counts.error);
    return result;
}

// Runs the pass over `text` (left unchanged) with `hooks`, handing the
// processed text to `sink` in order, in pieces of `chunkBytes` characters
// (the last one may be shorter), while it runs. The pieces joined equal the
// text runLineBreakPassWith returns with the same hooks: on a cancel or an
// error they end with the rest of `text` as it stood. progress() counts the
// characters handed on.
template <class Hooks>
requires LineBreakPassHooks<Hooks>
    StreamedPass streamLineBreakPassWith(std::string_view text, const LineSettings& settings, Hooks& hooks,
                                         const std::function<bool(std::string_view)>& sink, std::size_t chunkBytes)
{
    internal::PieceOutput output(sink, std::max<std::size_t>(chunkBytes, 1));
    std::string buffer;
    internal::PassCounts counts = internal::runPass(text, settings, hooks, buffer, output);
    return internal::finishStream(output, buffer, counts);
}

}  // namespace tessaline
