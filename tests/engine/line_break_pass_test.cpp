// The line-break pass: worked examples, edge cases, hooks, refusals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/char_widths.h"
#include "engine/line_break_pass.h"
#include "engine/line_break_pass_core.h"
#include "engine/line_settings.h"
#include "tests/support/callback_hooks.h"

using namespace tessaline;

namespace {

LineSettings characters(int limit)
{
    LineSettings s;
    s.charWidths = defaultCharWidths();
    s.measureInPixels = false;
    s.lineLimit = static_cast<std::int16_t>(limit);
    return s;
}

LineSettings pixels(int limit)
{
    LineSettings s = characters(limit);
    s.measureInPixels = true;
    return s;
}

struct Outcome {
    std::string text;
    std::int64_t mods;
};

Outcome run(const std::string& text, const LineSettings& s, bool wrap)
{
    PassResult r = runLineBreakPass(text, s, wrap);
    EXPECT_FALSE(r.cancelled);
    EXPECT_FALSE(r.error);
    // Run character by character with hooks, the pass gives the same with a
    // fixed wrap hook and with no hook set.
    CallbackHooks hooks;
    hooks.onWordWrap = [wrap] { return wrap; };
    PassResult h = runLineBreakPassWith(text, s, hooks);
    EXPECT_EQ(h.text, r.text);
    EXPECT_EQ(h.modificationCount, r.modificationCount);
    if (wrap) {
        // No hook at all: word wrap counts as on.
        CallbackHooks unset;
        PassResult none = runLineBreakPassWith(text, s, unset);
        EXPECT_EQ(none.text, r.text);
        EXPECT_EQ(none.modificationCount, r.modificationCount);
    }
    return {r.text, r.modificationCount};
}

void expectOutcome(const std::string& text, const LineSettings& s, bool wrap, const std::string& want,
                   std::int64_t mods)
{
    Outcome o = run(text, s, wrap);
    EXPECT_EQ(o.text, want) << "text \"" << text << "\" wrap " << wrap;
    EXPECT_EQ(o.mods, mods) << "text \"" << text << "\" wrap " << wrap;
}

}  // namespace

TEST(LineBreakPass, WorkedExamplesInCharacterMode)
{
    const LineSettings s = characters(10);
    expectOutcome("abcd efgh ijkl", s, true, "abcd efgh\r\nijkl\r\n", 3);
    expectOutcome("abcd efgh ijkl", s, false, "abcd efgh \r\nijkl\r\n", 2);
    expectOutcome("abcdefghijklmn", s, true, "abcdefghij\r\nklmn\r\n", 2);
    expectOutcome("abcdefghij", s, true, "abcdefghij\r\n", 1);
    expectOutcome("abcdefghij", s, false, "abcdefghij\r\n", 1);
    expectOutcome("abc\r\nabcdefghij", s, true, "abc\r\nabcdefghi\r\nj\r\n", 2);
    expectOutcome(" abcdefghijk", s, true, " abcdefghi\r\njk\r\n", 2);
    expectOutcome("abcdefghi  kl", s, true, "abcdefghi \r\nkl\r\n", 3);
}

TEST(LineBreakPass, WorkedExampleInPixelMode)
{
    const LineSettings s = pixels(30);
    expectOutcome("aaaa aaaa aaaa", s, true, "aaaa\r\naaaa\r\naaaa\r\n", 5);
    expectOutcome("aaaa aaaa aaaa", s, false, "aaaa aaa\r\na aaaa\r\n", 2);
}

TEST(LineBreakPass, TextEnds)
{
    const LineSettings s = characters(10);
    // Empty text: returned as it is, no hook is called at all.
    int calls = 0;
    CallbackHooks counting;
    counting.onWordWrap = [&] {
        ++calls;
        return true;
    };
    counting.onCancelRequested = [&] {
        ++calls;
        return false;
    };
    counting.onYield = [&] { ++calls; };
    counting.onProgress = [&](std::int64_t, std::int64_t) { ++calls; };
    PassResult empty = runLineBreakPassWith("", s, counting);
    EXPECT_EQ(empty.text, "");
    EXPECT_EQ(empty.modificationCount, 0);
    EXPECT_EQ(calls, 0);

    // One character: unchanged, no closing break.
    expectOutcome("x", s, true, "x", 0);
    expectOutcome("\r", s, true, "\r", 0);
    // Already ends with CR LF: nothing added.
    expectOutcome("ab\r\n", s, true, "ab\r\n", 0);
    expectOutcome("\r\n", s, true, "\r\n", 0);
    // Any other ending gets CR LF and one modification; only the character in
    // front of the last one is looked at.
    expectOutcome("ab", s, true, "ab\r\n", 1);
    expectOutcome("ab\n", s, true, "ab\n\r\n", 1);
    expectOutcome("ab\r", s, true, "ab\r\r\n", 1);
    expectOutcome("ab\rc", s, true, "ab\rc", 0);
    // The size counts every break as two characters, after the closing one.
    EXPECT_EQ(run("abcdefghijklmn", s, false).text.size(), 18u);
}

TEST(LineBreakPass, LineLengthsInCharacterMode)
{
    const LineSettings s = characters(5);
    // The first line holds exactly lineLimit characters; one more breaks it.
    expectOutcome("abcde", s, false, "abcde\r\n", 1);
    expectOutcome("abcdef", s, false, "abcde\r\nf\r\n", 2);
    // A line after a CR LF of the text holds one character less (its LF counts).
    expectOutcome("x\r\nabcde", s, false, "x\r\nabcd\r\ne\r\n", 2);
    expectOutcome("x\r\nabcd", s, false, "x\r\nabcd\r\n", 1);
    // A line begun by an inserted break holds lineLimit characters again.
    expectOutcome("abcdefghijk", s, false, "abcde\r\nfghij\r\nk\r\n", 3);
    // In pixel mode CR and LF weigh nothing: the limit is the same after them.
    expectOutcome("aa\r\naaaa", pixels(16), false, "aa\r\naaaa\r\n", 1);
}

TEST(LineBreakPass, WhereWordWrapBreaks)
{
    const LineSettings s = characters(5);
    // The only space of a line stands at its start (after a line end): hard break.
    expectOutcome("x\r\n abcdef", s, true, "x\r\n abc\r\ndef\r\n", 2);
    // Two spaces, the second overflows: it becomes the break, the first stays.
    expectOutcome("abcd  xy", s, true, "abcd \r\nxy\r\n", 3);
    // An overflowing space is itself replaced.
    expectOutcome("abcde fg", s, true, "abcde\r\nfg\r\n", 3);
    // The characters after the space are measured again on the new line.
    expectOutcome("ab cdefghij", s, true, "ab\r\ncdefg\r\nhij\r\n", 4);
    // A space in front of which everything weighs 0 pixels is no usable space.
    LineSettings p = pixels(10);
    expectOutcome(std::string("\x01\x01 aaaa", 7), p, true, std::string("\x01\x01 aa\r\naa\r\n", 11), 2);
    // Equal pixel sums decide in character mode too.
    LineSettings c = characters(4);
    expectOutcome(std::string("\x01 abcd", 6), c, true, std::string("\x01 ab\r\ncd\r\n", 10), 2);
}

TEST(LineBreakPass, MarkupLinesAreBrokenLikeText)
{
    const LineSettings s = characters(10);
    expectOutcome("_CHA\r\n_TIL The long title\r\ntext", s, true, "_CHA\r\n_TIL The\r\nlong title\r\ntext\r\n", 3);
    expectOutcome("_TIL Chapterone\r\n", s, true, "_TIL\r\nChapterone\r\n", 2);
}

TEST(LineBreakPass, CountersBeyondSixteenBits)
{
    // More than 32767 modifications in one run.
    const std::string letters(40000, 'a');
    PassResult r = runLineBreakPass(letters, characters(1), false);
    EXPECT_EQ(r.modificationCount, 40000);
    EXPECT_EQ(r.text.size(), 40000u * 3u - 2u + 2u);
    EXPECT_EQ(r.text.substr(0, 7), "a\r\na\r\na");
    // A line of more than 32767 zero-width characters in pixel mode.
    const std::string zeros(40000, '\x01');
    PassResult z = runLineBreakPass(zeros, pixels(1), true);
    EXPECT_EQ(z.modificationCount, 1);
    EXPECT_EQ(z.text, zeros + "\r\n");
}

TEST(LineBreakPass, HookCalls)
{
    const LineSettings s = characters(10);
    int wraps = 0, cancels = 0, yields = 0;
    std::vector<std::pair<std::int64_t, std::int64_t>> progress;
    std::vector<char> order;
    CallbackHooks hooks;
    hooks.onWordWrap = [&] {
        ++wraps;
        order.push_back('W');
        return false;
    };
    hooks.onCancelRequested = [&] {
        ++cancels;
        order.push_back('C');
        return false;
    };
    hooks.onYield = [&] {
        ++yields;
        order.push_back('Y');
    };
    hooks.onProgress = [&](std::int64_t m, std::int64_t v) {
        progress.emplace_back(m, v);
        order.push_back('P');
    };
    // 14 letters, one hard break: the 11th letter is examined twice.
    PassResult r = runLineBreakPassWith("abcdefghijklmn", s, hooks);
    EXPECT_EQ(r.text, "abcdefghij\r\nklmn\r\n");
    const int examined = 15;
    EXPECT_EQ(static_cast<int>(progress.size()), examined);
    EXPECT_EQ(yields, 2 * examined);
    EXPECT_EQ(cancels, examined + 1);  // before each character and before the closing break
    EXPECT_EQ(wraps, 1);
    EXPECT_EQ(progress.front(), (std::pair<std::int64_t, std::int64_t>{14, 1}));
    EXPECT_EQ(progress[10], (std::pair<std::int64_t, std::int64_t>{16, 12}));  // the break, on the LF
    EXPECT_EQ(progress[11], (std::pair<std::int64_t, std::int64_t>{16, 13}));
    EXPECT_EQ(progress.back(), (std::pair<std::int64_t, std::int64_t>{16, 16}));
    // Per character: cancel test, yield, (word wrap at a break), yield, progress.
    const std::string calls(order.begin(), order.end());
    EXPECT_EQ(calls.substr(0, 8), "CYYPCYYP");
    EXPECT_EQ(calls.substr(40, 5), "CYWYP");
    EXPECT_EQ(calls.back(), 'C');
}

TEST(LineBreakPass, Cancel)
{
    const LineSettings s = characters(5);
    int asked = 0;
    CallbackHooks hooks;
    hooks.onCancelRequested = [&] { return ++asked > 8; };  // set during the 8th character
    PassResult r = runLineBreakPassWith("abcdefghijkl", s, hooks);
    EXPECT_TRUE(r.cancelled);
    // Seven characters examined (one of them twice): the part scanned is
    // broken, the rest untouched, no closing break.
    EXPECT_EQ(r.text, "abcde\r\nfghijkl");
    EXPECT_EQ(r.modificationCount, 1);

    // A cancel before the first character leaves the text as it was.
    hooks.onCancelRequested = [] { return true; };
    r = runLineBreakPassWith("abc", s, hooks);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.text, "abc");
    EXPECT_EQ(r.modificationCount, 0);

    // A cancel that arrives while the last character is finished: no closing break.
    int yields = 0;
    bool cancel = false;
    hooks.onCancelRequested = [&] { return cancel; };
    hooks.onYield = [&] { cancel = ++yields == 6; };
    r = runLineBreakPassWith("abc", s, hooks);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.text, "abc");
    EXPECT_EQ(r.modificationCount, 0);
}

TEST(LineBreakPass, SettingsChangedDuringARun)
{
    // Word wrap toggled off after the first break.
    LineSettings s = characters(10);
    int breaks = 0;
    CallbackHooks hooks;
    hooks.onWordWrap = [&] { return ++breaks == 1; };
    PassResult r = runLineBreakPassWith("aaa bbb ccc ddd eee fff", s, hooks);
    EXPECT_EQ(r.text, "aaa bbb\r\nccc ddd ee\r\ne fff\r\n");
    EXPECT_EQ(r.modificationCount, 4);

    // Another preset chosen just before the 12th examination (the first
    // letter of line 2): the rest of the run measures 160 pixels.
    LineSettings live = characters(10);
    int yields = 0;
    CallbackHooks presetHooks;
    presetHooks.onYield = [&] {
        if (++yields == 23) {
            applyPreset(0, live);  // pixels, 160
        }
    };
    r = runLineBreakPassWith(std::string(30, 'a') + " " + std::string(50, 'b'), live, presetHooks);
    EXPECT_EQ(r.text, std::string(10, 'a') + "\r\n" + std::string(20, 'a') + "\r\n" + std::string(40, 'b') + "\r\n"
                          + std::string(10, 'b') + "\r\n");
    EXPECT_EQ(r.modificationCount, 5);
}

TEST(LineBreakPass, RefusalNamesTheCharacterAsTheEditorShowsIt)
{
    // Characters without a visible form of their own are named; a control
    // code is shown by its stand-in; every message keeps the code.
    struct Case {
        char code;
        std::string named;
    };
    const std::vector<Case> cases = {
        {'\t', "the tab (code 9"},
        {'\n', "the line feed (code 10"},
        {'\r', "the carriage return (code 13"},
        {' ', "the space (code 32"},
        {'\x01', "character \"\u2401\" (code 1"},
        {'\x9A', "character \"x\u0305\" (code 154"},  // one character of two code points
    };
    for (const Case& c : cases) {
        LineSettings s = pixels(4);
        s.charWidths[static_cast<unsigned char>(c.code)] = 5;
        const Refusal refusal = checkLimitAdmitsText(s, std::string(1, c.code));
        ASSERT_TRUE(refusal) << c.named;
        EXPECT_EQ(refusal.message, "Line length 4 pixels is too short for " + c.named + ", 5 pixels wide)");
    }
}

TEST(LineBreakPass, LimitsThatAdmitNoCharacter)
{
    // Refused before a run.
    Refusal none = checkLimitAdmitsText(characters(0), "abc");
    EXPECT_TRUE(none);
    EXPECT_EQ(none.message, "Line length 0 characters admits no character");
    EXPECT_TRUE(checkLimitAdmitsText(characters(-3), "a"));
    EXPECT_FALSE(checkLimitAdmitsText(characters(1), "abc"));
    EXPECT_FALSE(checkLimitAdmitsText(characters(0), ""));

    Refusal narrow = checkLimitAdmitsText(pixels(3), std::string("ab\xAE", 3));
    EXPECT_TRUE(narrow);
    // The character is named as the editor shows it, with its code.
    EXPECT_EQ(narrow.message, "Line length 3 pixels is too short for character \"\u00AE\" (code 174, 8 pixels wide)");
    EXPECT_EQ(checkLimitAdmitsText(pixels(5), "aMa").message,
              "Line length 5 pixels is too short for character \"M\" (code 77, 6 pixels wide)");
    EXPECT_EQ(checkLimitAdmitsText(pixels(5), "m").message,
              "Line length 5 pixels is too short for character \"m\" (code 109, 6 pixels wide)");
    EXPECT_FALSE(checkLimitAdmitsText(pixels(6), "aMa"));
    EXPECT_FALSE(checkLimitAdmitsText(pixels(0), "\r\n\x01"));
    EXPECT_TRUE(checkLimitAdmitsText(pixels(-1), "\r\n"));

    // Run anyway, the pass stops instead of breaking in front of the same
    // character for ever.
    PassResult r = runLineBreakPass("abc", characters(0), true);
    ASSERT_TRUE(r.error);
    EXPECT_EQ(*r.error, "Line length 0 characters admits no character");
    EXPECT_EQ(r.text, "\r\nabc");
    EXPECT_EQ(r.modificationCount, 1);
    EXPECT_FALSE(r.cancelled);

    r = runLineBreakPass(
        "aa\xAE"
        "a",
        pixels(7), true);
    ASSERT_TRUE(r.error);
    EXPECT_EQ(*r.error, "Line length 7 pixels is too short for character \"\u00AE\" (code 174, 8 pixels wide)");
    EXPECT_EQ(r.text,
              "a\r\na\r\n\xAE"
              "a");
    EXPECT_EQ(r.modificationCount, 2);

    // A hook lowering the limit that far in the middle of a run.
    LineSettings live = characters(10);
    int yields = 0;
    CallbackHooks hooks;
    hooks.onYield = [&] {
        if (++yields == 8) {
            live.lineLimit = 0;
        }
    };
    r = runLineBreakPassWith("abcdefgh", live, hooks);
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.text, "abcd\r\nefgh");
    EXPECT_EQ(r.modificationCount, 1);
}

namespace {

// Quiet hooks whose word-wrap answer alternates, starting with yes.
struct AlternatingQuietHooks {
    static constexpr bool kQuiet = true;
    int asked = 0;
    bool wordWrap() { return ++asked % 2 == 1; }
    bool cancelRequested() { return true; }  // never asked
    void yield() { ADD_FAILURE() << "yield on quiet hooks"; }
    void progress(std::int64_t, std::int64_t) { ADD_FAILURE() << "progress on quiet hooks"; }
};

}  // namespace

TEST(LineBreakPass, QuietHooksAreAskedForWordWrapAtEachBreak)
{
    // Hooks that declare themselves quiet get no call per character, but the
    // word-wrap query still comes at every break, as many times and with the
    // same effect as when the characters are examined one by one.
    const std::string text = "aaa bbb ccc ddd eee fff ggg hhh iii jjj kkk lll";
    AlternatingQuietHooks quiet;
    PassResult q = runLineBreakPassWith(text, characters(10), quiet);
    int asked = 0;
    CallbackHooks oneByOne;
    oneByOne.onWordWrap = [&] { return ++asked % 2 == 1; };
    PassResult o = runLineBreakPassWith(text, characters(10), oneByOne);
    EXPECT_FALSE(q.cancelled);
    EXPECT_EQ(q.text, "aaa bbb\r\nccc ddd ee\r\ne fff ggg\r\nhhh iii jj\r\nj kkk lll\r\n");
    EXPECT_EQ(q.text, o.text);
    EXPECT_EQ(q.modificationCount, o.modificationCount);
    EXPECT_EQ(quiet.asked, 4);
    EXPECT_EQ(asked, 4);
}
