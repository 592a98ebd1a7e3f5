// The linear-time pass against the literal in-place pass on random texts,
// random settings and settings changed by the hooks in the middle of a run.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/char_widths.h"
#include "engine/line_break_pass.h"
#include "engine/line_break_pass_core.h"
#include "tests/engine/literal_pass.h"
#include "tests/support/callback_hooks.h"

using namespace tessaline;

namespace {

std::string randomText(std::mt19937& rng, std::size_t maxLength)
{
    std::uniform_int_distribution<std::size_t> lengthOf(0, maxLength);
    std::uniform_int_distribution<int> kind(0, 99);
    std::uniform_int_distribution<int> anyCode(0, 255);
    std::uniform_int_distribution<int> letter('a', 'z');
    std::uniform_int_distribution<int> run(1, 5);
    const std::size_t length = lengthOf(rng);
    std::string text;
    while (text.size() < length) {
        int k = kind(rng);
        if (k < 50) {
            text.push_back(static_cast<char>(letter(rng)));
        } else if (k < 65) {
            text.append(static_cast<std::size_t>(run(rng)), ' ');
        } else if (k < 69) {
            text.push_back('\r');
        } else if (k < 73) {
            text.push_back('\n');
        } else if (k < 78) {
            text.append("\r\n");
        } else {
            text.push_back(static_cast<char>(anyCode(rng)));
        }
    }
    return text;
}

// A schedule of changes the hooks make; the same for both passes.
struct Change {
    int atYield;
    enum Kind { Limit, Preset, Wrap, Width } kind;
    bool pixels;
    int value;
    int code;
};

struct Scenario {
    LineSettings settings;
    bool wrap = true;
    std::vector<Change> changes;
    int cancelAtQuery = -1;  // the cancel query from which on the answer is yes
};

int widest(const CharWidthTable& w) { return *std::max_element(w.begin(), w.end()); }

int admittingLimit(std::mt19937& rng, bool pixels, const CharWidthTable& widths)
{
    if (pixels) {
        int low = std::max(0, widest(widths));
        return std::uniform_int_distribution<int>(low, low + 40)(rng);
    }
    return std::uniform_int_distribution<int>(1, 25)(rng);
}

Scenario randomScenario(std::mt19937& rng, std::size_t textLength)
{
    Scenario s;
    std::uniform_int_distribution<int> coin(0, 1);
    std::uniform_int_distribution<int> percent(0, 99);
    s.settings.charWidths = defaultCharWidths();
    if (percent(rng) < 30) {
        // A table with zero and negative widths as well.
        std::uniform_int_distribution<int> width(-2, 9);
        for (int code = 1; code <= 255; ++code) {
            s.settings.charWidths[code] = static_cast<std::int16_t>(width(rng));
        }
    }
    s.settings.measureInPixels = coin(rng) == 1;
    s.settings.lineLimit =
        static_cast<std::int16_t>(admittingLimit(rng, s.settings.measureInPixels, s.settings.charWidths));
    s.wrap = percent(rng) < 75;

    const int yieldsAbout = static_cast<int>(2 * textLength + 10);
    std::uniform_int_distribution<int> when(1, yieldsAbout);
    const int changeCount = percent(rng) < 50 ? 0 : std::uniform_int_distribution<int>(1, 6)(rng);
    for (int i = 0; i < changeCount; ++i) {
        Change c{when(rng), static_cast<Change::Kind>(std::uniform_int_distribution<int>(0, 3)(rng)), coin(rng) == 1, 0,
                 0};
        c.code = std::uniform_int_distribution<int>(1, 255)(rng);
        c.value = std::uniform_int_distribution<int>(0, 8)(rng);
        s.changes.push_back(c);
    }
    if (percent(rng) < 15) {
        s.cancelAtQuery = std::uniform_int_distribution<int>(1, static_cast<int>(textLength) + 5)(rng);
    }
    return s;
}

// Runs one pass with hooks that carry out the scenario and log every call.
struct Recorder {
    Scenario scenario;
    LineSettings live;
    bool wrap;
    int yields = 0;
    int cancelQueries = 0;
    std::vector<std::int64_t> log;

    explicit Recorder(const Scenario& s) : scenario(s), live(s.settings), wrap(s.wrap) {}

    bool onWordWrap()
    {
        log.push_back(-1);
        return wrap;
    }
    bool onCancelRequested()
    {
        log.push_back(-2);
        ++cancelQueries;
        return scenario.cancelAtQuery > 0 && cancelQueries >= scenario.cancelAtQuery;
    }
    void onYield()
    {
        log.push_back(-3);
        ++yields;
        for (const Change& c : scenario.changes) {
            if (c.atYield == yields) {
                apply(c);
            }
        }
    }
    void onProgress(std::int64_t maximum, std::int64_t value)
    {
        log.push_back(maximum);
        log.push_back(value);
    }

    CallbackHooks hooks()
    {
        CallbackHooks h;
        h.onWordWrap = [this] { return onWordWrap(); };
        h.onCancelRequested = [this] { return onCancelRequested(); };
        h.onYield = [this] { onYield(); };
        h.onProgress = [this](std::int64_t maximum, std::int64_t value) { onProgress(maximum, value); };
        return h;
    }

    void apply(const Change& c)
    {
        std::mt19937 local(static_cast<unsigned>(c.atYield * 7919 + c.value));
        switch (c.kind) {
        case Change::Limit:
            live.lineLimit = static_cast<std::int16_t>(admittingLimit(local, live.measureInPixels, live.charWidths));
            break;
        case Change::Preset:
            live.measureInPixels = c.pixels;
            live.lineLimit = static_cast<std::int16_t>(admittingLimit(local, c.pixels, live.charWidths));
            break;
        case Change::Wrap:
            wrap = !wrap;
            break;
        case Change::Width:
            // Narrower only, so that the limit keeps admitting every character.
            live.charWidths[c.code] = static_cast<std::int16_t>(std::min<int>(c.value, live.charWidths[c.code]));
            break;
        }
    }
};

// The same recorder handed to the template pass as a hooks type, the way
// the window calls it.
struct TypedHooks {
    Recorder& r;
    bool wordWrap() { return r.onWordWrap(); }
    bool cancelRequested() { return r.onCancelRequested(); }
    void yield() { r.onYield(); }
    void progress(std::int64_t maximum, std::int64_t value) { r.onProgress(maximum, value); }
};

// Hooks that declare the settings fixed: the template pass then works on a
// copy of them.
struct FixedSettingsHooks {
    static constexpr bool kLiveSettings = false;
    bool wrap;
    bool wordWrap() { return wrap; }
    bool cancelRequested() { return false; }
    void yield() {}
    void progress(std::int64_t, std::int64_t) {}
};

}  // namespace

TEST(PassProperty, FastPassEqualsLiteralPass)
{
    std::mt19937 rng(20240607);
    int broken = 0, changed = 0, cancelled = 0;
    for (int round = 0; round < 4000; ++round) {
        const std::string text = randomText(rng, round % 10 == 0 ? 1500 : 120);
        const Scenario scenario = randomScenario(rng, text.size());

        Recorder fast(scenario);
        CallbackHooks fastHooks = fast.hooks();
        PassResult got = runLineBreakPassWith(text, fast.live, fastHooks);
        Recorder slow(scenario);
        oracle::LiteralResult want = oracle::literalPass(text, slow.live, slow.hooks());

        SCOPED_TRACE("round " + std::to_string(round) + ", length " + std::to_string(text.size()));
        ASSERT_FALSE(got.error) << *got.error;
        ASSERT_EQ(got.text, want.text);
        ASSERT_EQ(got.modificationCount, want.modificationCount);
        ASSERT_EQ(got.cancelled, want.cancelled);
        ASSERT_EQ(fast.log, slow.log);  // the same hook calls with the same values

        Recorder typed(scenario);
        TypedHooks typedHooks{typed};
        PassResult viaTemplate = runLineBreakPassWith(text, typed.live, typedHooks);
        ASSERT_EQ(viaTemplate.text, want.text);
        ASSERT_EQ(viaTemplate.modificationCount, want.modificationCount);
        ASSERT_EQ(viaTemplate.cancelled, want.cancelled);
        ASSERT_FALSE(viaTemplate.error);
        ASSERT_EQ(typed.log, slow.log);
        broken += got.modificationCount > 1;
        changed += !scenario.changes.empty();
        cancelled += got.cancelled;

        if (scenario.changes.empty() && scenario.cancelAtQuery < 0) {
            PassResult batch = runLineBreakPass(text, scenario.settings, scenario.wrap);
            ASSERT_EQ(batch.text, want.text);
            ASSERT_EQ(batch.modificationCount, want.modificationCount);
        }
    }
    // The random cases did exercise breaks, mid-run changes and cancels.
    EXPECT_GT(broken, 2000);
    EXPECT_GT(changed, 1500);
    EXPECT_GT(cancelled, 100);
}

TEST(PassProperty, ProcessedLinesFitTheLimit)
{
    // Without mid-run changes every line of the result fits: in character
    // mode a line (with the LF that begins it) holds at most lineLimit
    // characters, in pixel mode its widths sum to at most lineLimit.
    std::mt19937 rng(77);
    for (int round = 0; round < 500; ++round) {
        std::string text = randomText(rng, 400);
        LineSettings s;
        s.charWidths = defaultCharWidths();
        s.measureInPixels = round % 2 == 0;
        s.lineLimit = static_cast<std::int16_t>(s.measureInPixels ? 8 + round % 200 : 1 + round % 40);
        PassResult r = runLineBreakPass(text, s, round % 3 != 0);
        ASSERT_FALSE(r.error);
        std::int64_t chars = 0, px = 0;
        for (char ch : r.text) {
            const auto c = static_cast<unsigned char>(ch);
            if (c == '\r' || c == '\n') {
                chars = 0;
                px = 0;
            }
            ++chars;
            px += s.charWidths[c];
            if (s.measureInPixels) {
                ASSERT_LE(px, s.lineLimit) << "round " << round;
            } else {
                ASSERT_LE(chars, s.lineLimit + 1) << "round " << round;  // an inserted LF begins the line
            }
        }
    }
}

TEST(PassProperty, BatchPassEqualsLiteralPass)
{
    // The batch entry point (fixed settings, hooks that do nothing) measures
    // the characters that fit as a run and copies them in one piece; it must
    // still give the literal result, in both modes, with or without word
    // wrap, with zero and negative widths, and at any limit that admits the
    // text.
    std::mt19937 rng(4242);
    std::uniform_int_distribution<int> percent(0, 99);
    for (int round = 0; round < 6000; ++round) {
        const std::string text = randomText(rng, round % 20 == 0 ? 2000 : 150);
        LineSettings s;
        s.charWidths = defaultCharWidths();
        if (percent(rng) < 40) {
            std::uniform_int_distribution<int> width(percent(rng) < 50 ? 0 : -3, 9);
            for (int code = 1; code <= 255; ++code) {
                s.charWidths[code] = static_cast<std::int16_t>(width(rng));
            }
        }
        s.measureInPixels = percent(rng) < 50;
        s.lineLimit = static_cast<std::int16_t>(s.measureInPixels ? admittingLimit(rng, true, s.charWidths)
                                                                  : std::uniform_int_distribution<int>(1, 60)(rng));
        const bool wrap = percent(rng) < 70;

        CallbackHooks hooks;
        hooks.onWordWrap = [wrap] { return wrap; };
        oracle::LiteralResult want = oracle::literalPass(text, s, hooks);
        PassResult got = runLineBreakPass(text, s, wrap);
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_FALSE(got.error);
        ASSERT_EQ(got.text, want.text);
        ASSERT_EQ(got.modificationCount, want.modificationCount);
    }
}

TEST(PassProperty, BatchAndHookPassesStopAlikeOnLimitsThatAdmitNothing)
{
    // Limits below the widest character (or below 1 character): the pass run
    // character by character and the batch run stop at the same point with the same message, text and count.
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> percent(0, 99);
    int stopped = 0;
    for (int round = 0; round < 2000; ++round) {
        const std::string text = randomText(rng, 200);
        LineSettings s;
        s.charWidths = defaultCharWidths();
        s.measureInPixels = percent(rng) < 70;
        s.lineLimit = static_cast<std::int16_t>(s.measureInPixels ? std::uniform_int_distribution<int>(-3, 9)(rng)
                                                                  : std::uniform_int_distribution<int>(-2, 2)(rng));
        const bool wrap = percent(rng) < 70;
        CallbackHooks hooks;
        hooks.onWordWrap = [wrap] { return wrap; };
        hooks.onYield = [] {};
        PassResult slow = runLineBreakPassWith(text, s, hooks);
        PassResult fast = runLineBreakPass(text, s, wrap);
        // The template pass with hooks that declare fixed settings.
        FixedSettingsHooks fixed{wrap};
        PassResult copied = runLineBreakPassWith(text, s, fixed);
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_EQ(fast.error, slow.error);
        ASSERT_EQ(fast.text, slow.text);
        ASSERT_EQ(fast.modificationCount, slow.modificationCount);
        ASSERT_EQ(copied.error, slow.error);
        ASSERT_EQ(copied.text, slow.text);
        ASSERT_EQ(copied.modificationCount, slow.modificationCount);
        // Refused beforehand exactly when the run would stop.
        ASSERT_EQ(static_cast<bool>(checkLimitAdmitsText(s, text)), fast.error.has_value());
        stopped += fast.error.has_value();
    }
    EXPECT_GT(stopped, 300);
}

// `text` in pieces of 0 to `longest` characters, cut anywhere (inside a
// word, between a CR and its LF, right after an LF), handed on as a reader of
// a file would: each piece readable until the next is asked for.
TextPieces randomPieces(const std::string& text, std::mt19937& rng, std::size_t longest)
{
    auto pieces = std::make_shared<std::vector<std::string>>();
    std::uniform_int_distribution<std::size_t> length(0, longest);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t take = std::min(length(rng), text.size() - at);
        pieces->push_back(text.substr(at, take));
        at += take;
    }
    return [pieces, next = std::size_t{0}, current = std::string()](std::string_view& piece) mutable {
        if (next == pieces->size()) {
            return false;
        }
        current = (*pieces)[next++];  // a copy, overwritten by the next call
        piece = current;
        return true;
    };
}

// The streamed pass over `pieces`, its pieces joined.
std::pair<StreamedPass, std::string> streamPieces(const TextPieces& pieces, const LineSettings& s, bool wrap,
                                                  std::size_t chunk)
{
    std::string joined;
    const StreamedPass result = streamLineBreakPass(
        pieces, s, wrap,
        [&](std::string_view piece) {
            joined.append(piece);
            return true;
        },
        chunk);
    return {result, joined};
}

TEST(PassProperty, StreamedPassHandsOnTheSameText)
{
    std::mt19937 rng(31);
    for (int round = 0; round < 300; ++round) {
        const std::string text = randomText(rng, 3000);
        LineSettings s;
        s.charWidths = defaultCharWidths();
        s.measureInPixels = round % 2 == 0;
        s.lineLimit = static_cast<std::int16_t>(s.measureInPixels ? 8 + round % 100 : 1 + round % 30);
        const bool wrap = round % 3 != 0;
        const std::size_t chunk = 1 + static_cast<std::size_t>(round % 17);
        PassResult whole = runLineBreakPass(text, s, wrap);

        std::string joined;
        std::size_t pieces = 0;
        bool oversized = false;
        StreamedPass streamed = streamLineBreakPass(
            text, s, wrap,
            [&](std::string_view piece) {
                joined.append(piece);
                oversized = oversized || piece.size() > chunk || piece.empty();
                ++pieces;
                return true;
            },
            chunk);
        ASSERT_EQ(joined, whole.text) << "round " << round;
        ASSERT_EQ(streamed.size, static_cast<std::int64_t>(whole.text.size()));
        ASSERT_EQ(streamed.modificationCount, whole.modificationCount);
        ASSERT_FALSE(streamed.sinkFailed);
        ASSERT_FALSE(oversized) << "round " << round;
        ASSERT_EQ(pieces, (whole.text.size() + chunk - 1) / chunk);
    }

    // A sink that refuses: later pieces are not offered, the counts still come.
    int offered = 0;
    StreamedPass refused = streamLineBreakPass(
        std::string(100, 'a'), LineSettings{defaultCharWidths(), 10, false}, true,
        [&](std::string_view) {
            ++offered;
            return false;
        },
        8);
    EXPECT_TRUE(refused.sinkFailed);
    EXPECT_EQ(offered, 1);
    EXPECT_EQ(refused.size, 120);
    EXPECT_EQ(refused.modificationCount, 10);
}

TEST(PassProperty, StreamedPassEqualsLiteralPass)
{
    // Pieces as short as one character, words longer than a piece (zero
    // widths make long lines in pixel mode), negative widths: the pieces
    // joined are the literal result, and every piece but the last is whole.
    std::mt19937 rng(5150);
    std::uniform_int_distribution<int> percent(0, 99);
    for (int round = 0; round < 3000; ++round) {
        std::string text = randomText(rng, round % 25 == 0 ? 1500 : 200);
        if (percent(rng) < 20) {
            // A word far longer than any piece.
            text.insert(text.size() / 2, std::string(static_cast<std::size_t>(percent(rng) + 50), 'w'));
        }
        LineSettings s;
        s.charWidths = defaultCharWidths();
        if (percent(rng) < 40) {
            std::uniform_int_distribution<int> width(percent(rng) < 50 ? 0 : -3, 6);
            for (int code = 1; code <= 255; ++code) {
                s.charWidths[code] = static_cast<std::int16_t>(width(rng));
            }
        }
        s.measureInPixels = percent(rng) < 50;
        s.lineLimit = static_cast<std::int16_t>(s.measureInPixels ? admittingLimit(rng, true, s.charWidths)
                                                                  : std::uniform_int_distribution<int>(1, 60)(rng));
        const bool wrap = percent(rng) < 70;
        const std::size_t chunk = std::uniform_int_distribution<std::size_t>(1, 40)(rng);

        CallbackHooks hooks;
        hooks.onWordWrap = [wrap] { return wrap; };
        const oracle::LiteralResult want = oracle::literalPass(text, s, hooks);
        std::vector<std::size_t> sizes;
        std::string joined;
        const StreamedPass got = streamLineBreakPass(
            text, s, wrap,
            [&](std::string_view piece) {
                joined.append(piece);
                sizes.push_back(piece.size());
                return true;
            },
            chunk);
        SCOPED_TRACE("round " + std::to_string(round) + ", piece " + std::to_string(chunk));
        ASSERT_FALSE(got.error);
        ASSERT_EQ(joined, want.text);
        ASSERT_EQ(got.size, static_cast<std::int64_t>(want.text.size()));
        ASSERT_EQ(got.modificationCount, want.modificationCount);
        for (std::size_t k = 0; k + 1 < sizes.size(); ++k) {
            ASSERT_EQ(sizes[k], chunk);
        }
        ASSERT_TRUE(sizes.empty() || (sizes.back() >= 1 && sizes.back() <= chunk));

        // The same text arriving in pieces cut anywhere.
        const auto [inPieces, piecesJoined] = streamPieces(randomPieces(text, rng, 1 + round % 60), s, wrap, chunk);
        ASSERT_FALSE(inPieces.error);
        ASSERT_EQ(piecesJoined, want.text);
        ASSERT_EQ(inPieces.size, got.size);
        ASSERT_EQ(inPieces.modificationCount, want.modificationCount);
    }
}

TEST(PassProperty, StreamedPassStopsLikeTheWholePass)
{
    // On a limit that admits no character of the text the streamed pass hands
    // on the text as far as it got and the untouched rest, as the whole pass
    // returns it.
    std::mt19937 rng(606);
    std::uniform_int_distribution<int> percent(0, 99);
    int stopped = 0;
    for (int round = 0; round < 1000; ++round) {
        const std::string text = randomText(rng, 300);
        LineSettings s;
        s.charWidths = defaultCharWidths();
        s.measureInPixels = percent(rng) < 70;
        s.lineLimit = static_cast<std::int16_t>(s.measureInPixels ? std::uniform_int_distribution<int>(-3, 9)(rng)
                                                                  : std::uniform_int_distribution<int>(-2, 2)(rng));
        const bool wrap = percent(rng) < 70;
        const std::size_t chunk = std::uniform_int_distribution<std::size_t>(1, 20)(rng);
        const PassResult whole = runLineBreakPass(text, s, wrap);
        std::string joined;
        const StreamedPass streamed = streamLineBreakPass(
            text, s, wrap,
            [&](std::string_view piece) {
                joined.append(piece);
                return true;
            },
            chunk);
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_EQ(streamed.error, whole.error);
        ASSERT_EQ(joined, whole.text);
        ASSERT_EQ(streamed.modificationCount, whole.modificationCount);
        const auto [inPieces, piecesJoined] = streamPieces(randomPieces(text, rng, 30), s, wrap, chunk);
        ASSERT_EQ(inPieces.error, whole.error);
        ASSERT_EQ(piecesJoined, whole.text);
        ASSERT_EQ(inPieces.modificationCount, whole.modificationCount);
        stopped += whole.error.has_value();
    }
    EXPECT_GT(stopped, 200);
}

TEST(PassProperty, StreamedHookPassEqualsTheWholeHookPass)
{
    // With hooks that change the settings, toggle word wrap and cancel
    // mid-run, the pass that hands on its text in pieces gives the same text
    // as the whole pass, and its hooks see the same calls with the same
    // values: progress counts what was handed on.
    std::mt19937 rng(31337);
    int changed = 0, cancelled = 0, stopped = 0;
    for (int round = 0; round < 2000; ++round) {
        const std::string text = randomText(rng, round % 10 == 0 ? 1500 : 120);
        Scenario scenario = randomScenario(rng, text.size());
        if (round % 7 == 0) {
            // A limit narrower than most characters: the pass stops at one.
            scenario.settings.measureInPixels = true;
            scenario.settings.lineLimit = 3;
        }
        const std::size_t chunk = std::uniform_int_distribution<std::size_t>(1, 200)(rng);

        Recorder whole(scenario);
        TypedHooks wholeHooks{whole};
        const PassResult want = runLineBreakPassWith(text, whole.live, wholeHooks);
        Recorder streamed(scenario);
        TypedHooks streamedHooks{streamed};
        std::string joined;
        std::size_t longestPiece = 0;
        const StreamedPass got = streamLineBreakPassWith(
            text, streamed.live, streamedHooks,
            [&](std::string_view piece) {
                joined.append(piece);
                longestPiece = std::max(longestPiece, piece.size());
                return true;
            },
            chunk);

        SCOPED_TRACE("round " + std::to_string(round) + ", length " + std::to_string(text.size()));
        ASSERT_EQ(joined, want.text);
        ASSERT_EQ(got.size, static_cast<std::int64_t>(want.text.size()));
        ASSERT_EQ(got.modificationCount, want.modificationCount);
        ASSERT_EQ(got.cancelled, want.cancelled);
        ASSERT_EQ(got.error, want.error);
        ASSERT_EQ(streamed.log, whole.log);
        ASSERT_LE(longestPiece, chunk);
        changed += !scenario.changes.empty();
        cancelled += want.cancelled;
        stopped += want.error.has_value();
    }
    EXPECT_GT(changed, 900);
    EXPECT_GT(cancelled, 50);
    EXPECT_GT(stopped, 20);
}
