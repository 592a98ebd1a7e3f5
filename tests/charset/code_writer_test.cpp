#include <gtest/gtest.h>

#include <string>

#include "charset/charset.h"
#include "charset/code_writer.h"

using namespace tessaline;
using internal::CodeWriter;
using internal::PendingUnicode;

namespace {

constexpr std::size_t kLimit = PendingUnicode::kLongestRun;

struct Written {
    std::string codes;
    std::size_t replaced;
};

// `text` through a PendingUnicode, a character at a time.
Written throughPending(std::u32string_view text)
{
    std::string codes;
    CodeWriter out(codes);
    PendingUnicode pending(out);
    for (char32_t c : text)
        pending.push(c);
    pending.flush();
    out.finish();
    return {codes, out.replaced()};
}

// The whole text converted at once, line ends made CR LF.
Written whole(std::u32string_view text)
{
    const charset::Conversion c = charset::fromUnicode(text);
    return {charset::normalizeLineEnds(c.codes), c.replaced};
}

}  // namespace

TEST(CodeWriter, UnicodeInSeveralCallsCountsEveryReplacementAndJoinsLineEnds)
{
    std::string codes = "head\r\n";
    CodeWriter out(codes);
    out.unicode(U"a\u2603\r");  // a snowman, which has no code
    out.unicode(U"\nb\u2603");
    out.unicode(U"");
    out.finish();
    EXPECT_EQ(codes, "head\r\na?\r\nb?");
    EXPECT_EQ(out.replaced(), 2u);
}

TEST(CodeWriter, APendingRunCutAtItsLimitGivesWhatTheWholeTextGives)
{
    // A combining mark right at the limit stays with its letter: e + U+0301
    // is one code, é.
    std::u32string text(kLimit - 1, U'x');
    text += U"e\u0301\u0301tail";
    EXPECT_EQ(throughPending(text).codes, whole(text).codes);
    const std::string codes = throughPending(text).codes;
    EXPECT_EQ(codes.substr(kLimit - 1, 1), charset::fromUnicode(U"\u00E9").codes);

    // Runs several times the limit, with characters to replace on both
    // sides of each cut and a CR LF split by one.
    std::u32string long_;
    for (std::size_t i = 0; long_.size() < 3 * kLimit + 10; ++i)
        long_ += i % 7 == 0 ? U"\u2603" : (i % 11 == 0 ? U"\r\n" : U"ab");
    for (std::size_t cut : {kLimit - 1, kLimit, kLimit + 1, 2 * kLimit})
        long_[cut] = U'\u2603';
    const Written pending = throughPending(long_);
    const Written expected = whole(long_);
    EXPECT_EQ(pending.codes, expected.codes);
    EXPECT_EQ(pending.replaced, expected.replaced);
    EXPECT_GT(pending.replaced, 3u);
}

TEST(CodeWriter, PendingUnitsJoinPairsAcrossTheLimitAndReplaceAHalfLeftAtTheEnd)
{
    std::string codes;
    CodeWriter out(codes);
    PendingUnicode pending(out);
    for (std::size_t i = 0; i < kLimit; ++i)
        pending.pushUnit(U'x');
    pending.pushUnit(0xD83D);  // U+1F600, no code: one "?"
    pending.pushUnit(0xDE00);
    pending.pushUnit(0xD800);  // a half that waits...
    EXPECT_FALSE(pending.empty());
    pending.flush();  // ...and is replaced
    EXPECT_TRUE(pending.empty());
    out.finish();
    EXPECT_EQ(codes, std::string(kLimit, 'x') + "??");
    EXPECT_EQ(out.replaced(), 2u);
}
