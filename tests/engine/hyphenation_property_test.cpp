// Hyphenation in the line-break pass on random texts: what the pass inserts
// can be taken out again, every line fits, and every hyphen stands at a point
// the dictionary allows and the rule admits.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "engine/char_widths.h"
#include "engine/hyphenator.h"
#include "engine/line_break_pass.h"
#include "engine/line_settings.h"

using namespace tessaline;

namespace {

// Allows the points a hash of the (lower-case) word picks.
class HashedPoints : public Hyphenator {
public:
    static bool allows(std::string_view word, std::size_t k)
    {
        return (std::hash<std::string_view>{}(word) + k * 0x9E3779B9u) % 3 == 0;
    }
    void points(std::string_view word, std::vector<std::size_t>& points) const override
    {
        for (std::size_t k = 1; k < word.size(); ++k) {
            if (allows(word, k)) {
                points.push_back(k);
            }
        }
    }
};

std::string randomProse(std::mt19937& rng)
{
    static const char* const kPieces[] = {"the ",
                                          "a ",
                                          "hyphenation ",
                                          "calculator ",
                                          "x ",
                                          "well-known ",
                                          "don't ",
                                          "\"quoted\" ",
                                          "word, ",
                                          "abc123def ",
                                          "\xc4rger ",
                                          "\r\n",
                                          "\r\n_TIL extraordinary title here\r\n",
                                          "\r\n_BRK\r\n",
                                          "  ",
                                          "Unbelievable ",
                                          "supercalifragilistic "};
    std::uniform_int_distribution<std::size_t> piece(0, std::size(kPieces) - 1);
    std::uniform_int_distribution<int> letters(1, 14);
    std::uniform_int_distribution<int> letter('a', 'z');
    std::string text;
    const int count = std::uniform_int_distribution<int>(0, 80)(rng);
    for (int n = 0; n < count; ++n) {
        if (rng() % 2) {
            text += kPieces[piece(rng)];
        } else {
            const int length = letters(rng);
            for (int i = 0; i < length; ++i) {
                text.push_back(static_cast<char>(letter(rng)));
            }
            text.push_back(' ');
        }
    }
    return text;
}

bool endsWord(char c) { return c == ' ' || c == '\r' || c == '\n'; }
bool isLetter(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= 192 && u != 215 && u != 247);
}

// What the pass inserted, found by walking output and input side by side.
struct Insertions {
    std::vector<std::size_t> hyphensAt;  // input positions a "-" CR LF went in front of
    int spaceBreaks = 0;
    int hardBreaks = 0;
    bool consistent = false;
};

Insertions insertions(const std::string& in, const std::string& out)
{
    Insertions r;
    std::size_t i = 0;
    std::size_t j = 0;
    while (j < out.size()) {
        if (i < in.size() && out[j] == in[i]) {
            ++i;
            ++j;
        } else if (out.compare(j, 3, "-\r\n") == 0 && i < in.size()) {
            r.hyphensAt.push_back(i);
            j += 3;
        } else if (out.compare(j, 2, "\r\n") == 0 && i < in.size() && in[i] == ' ') {
            ++r.spaceBreaks;
            ++i;
            j += 2;
        } else if (out.compare(j, 2, "\r\n") == 0) {
            ++r.hardBreaks;  // the closing break counts here too
            j += 2;
        } else {
            return r;
        }
    }
    r.consistent = i == in.size();
    return r;
}

}  // namespace

TEST(HyphenationProperty, InsertionsComeOutAgainAndLinesFit)
{
    HashedPoints dictionary;
    std::mt19937 rng(2025);
    const CharWidthTable& widths = defaultCharWidths();
    int hyphenated = 0;
    for (int round = 0; round < 3000; ++round) {
        const std::string text = randomProse(rng);
        LineSettings s;
        s.charWidths = widths;
        s.measureInPixels = round % 2 == 0;
        s.lineLimit = static_cast<std::int16_t>(s.measureInPixels ? 24 + round % 140 : 6 + round % 30);
        s.hyphenator = &dictionary;
        const PassResult r = runLineBreakPass(text, s, true);
        ASSERT_FALSE(r.error) << text;

        const Insertions got = insertions(text, r.text);
        ASSERT_TRUE(got.consistent) << text << "\n--\n" << r.text;
        EXPECT_EQ(r.modificationCount,
                  2 * static_cast<std::int64_t>(got.hyphensAt.size()) + 2 * got.spaceBreaks + got.hardBreaks);
        hyphenated += static_cast<int>(got.hyphensAt.size());

        // Every line fits (a line after a line end of the text may hold one
        // character less in character mode; none holds more).
        std::int64_t pixels = 0;
        std::int64_t chars = 0;
        for (char c : r.text) {
            if (c == '\r' || c == '\n') {
                pixels = chars = 0;
                continue;
            }
            pixels += widths[static_cast<unsigned char>(c)];
            ++chars;
            ASSERT_LE(s.measureInPixels ? pixels : chars, s.lineLimit) << r.text;
        }

        // Every hyphen inside a word of 5 letters or more, without digits,
        // on no markup line, at a point the dictionary allows, with 2 letters
        // before and 3 after.
        for (std::size_t at : got.hyphensAt) {
            std::size_t begin = at;
            while (begin > 0 && !endsWord(text[begin - 1])) {
                --begin;
            }
            std::size_t end = at;
            while (end < text.size() && !endsWord(text[end])) {
                ++end;
            }
            const std::string word = text.substr(begin, end - begin);
            std::size_t first = 0;
            while (!isLetter(word[first])) {
                ++first;
            }
            std::size_t last = word.find('-', first);
            last = last == std::string::npos ? word.size() : last;
            while (!isLetter(word[last - 1])) {
                --last;
            }
            const std::string core = word.substr(first, last - first);
            const std::size_t k = at - begin - first;
            EXPECT_TRUE(HashedPoints::allows(core, k)) << word << " at " << k;
            EXPECT_GE(std::count_if(core.begin(), core.begin() + static_cast<long>(k), isLetter), 2) << word;
            EXPECT_GE(std::count_if(core.begin() + static_cast<long>(k), core.end(), isLetter), 3) << word;
            EXPECT_EQ(word.find_first_of("0123456789"), std::string::npos) << word;
            const std::size_t lineStart = text.find_last_of("\r\n", begin == 0 ? 0 : begin - 1);
            const std::string line = text.substr(lineStart == std::string::npos || begin == 0 ? 0 : lineStart + 1);
            EXPECT_NE(line.substr(0, 1), "_") << line;
        }
    }
    // The texts do give the rule work.
    EXPECT_GT(hyphenated, 1000);
}

TEST(HyphenationProperty, ADictionaryWithoutPointsChangesNothing)
{
    struct NoPoints : Hyphenator {
        void points(std::string_view, std::vector<std::size_t>&) const override {}
    } none;
    std::mt19937 rng(7);
    for (int round = 0; round < 1000; ++round) {
        const std::string text = randomProse(rng);
        LineSettings s;
        s.charWidths = defaultCharWidths();
        s.measureInPixels = round % 2 == 1;
        s.lineLimit = static_cast<std::int16_t>(s.measureInPixels ? 24 + round % 140 : 6 + round % 30);
        const PassResult plain = runLineBreakPass(text, s, true);
        s.hyphenator = &none;
        const PassResult with = runLineBreakPass(text, s, true);
        EXPECT_EQ(with.text, plain.text);
        EXPECT_EQ(with.modificationCount, plain.modificationCount);
        // Without word wrap the dictionary is not asked either.
        EXPECT_EQ(runLineBreakPass(text, s, false).text, [&] {
            LineSettings off = s;
            off.hyphenator = nullptr;
            return runLineBreakPass(text, off, false).text;
        }());
    }
}
