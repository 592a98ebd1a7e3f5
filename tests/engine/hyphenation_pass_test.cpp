// Hyphenation in the line-break pass: which words break, where, and what the
// pass does around them; checked with dictionaries made up for the test.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine/char_widths.h"
#include "engine/hyphenator.h"
#include "engine/line_break_pass.h"
#include "engine/line_break_pass_core.h"
#include "engine/line_settings.h"
#include "engine/word_hyphenation.h"
#include "tests/support/callback_hooks.h"

using namespace tessaline;

namespace {

// The points of a few words, as a dictionary would give them; records what
// it was asked.
class TableHyphenator : public Hyphenator {
public:
    explicit TableHyphenator(std::map<std::string, std::vector<std::size_t>> table) : table_(std::move(table)) {}
    void points(std::string_view word, std::vector<std::size_t>& points) const override
    {
        asked.emplace_back(word);
        auto it = table_.find(std::string(word));
        if (it != table_.end()) {
            points.insert(points.end(), it->second.begin(), it->second.end());
        }
    }
    mutable std::vector<std::string> asked;

private:
    std::map<std::string, std::vector<std::size_t>> table_;
};

// Allows a break between any two characters.
class EveryPoint : public Hyphenator {
public:
    void points(std::string_view word, std::vector<std::size_t>& points) const override
    {
        for (std::size_t k = 1; k < word.size(); ++k) {
            points.push_back(k);
        }
    }
};

// Allows the points a hash of the word picks, about one in three.
class HashedPoints : public Hyphenator {
public:
    static bool allows(std::string_view word, std::size_t k)
    {
        return std::hash<std::string_view>{}(word) % 3 == k % 3 || (k * 7 + word.size()) % 5 == 0;
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

LineSettings characters(int limit, const Hyphenator* h)
{
    LineSettings s;
    s.charWidths = defaultCharWidths();
    s.measureInPixels = false;
    s.lineLimit = static_cast<std::int16_t>(limit);
    s.hyphenator = h;
    return s;
}

LineSettings pixels(int limit, const Hyphenator* h)
{
    LineSettings s = characters(limit, h);
    s.measureInPixels = true;
    return s;
}

std::string pass(const std::string& text, const LineSettings& s, std::int64_t* mods = nullptr)
{
    PassResult r = runLineBreakPass(text, s, true);
    if (mods) {
        *mods = r.modificationCount;
    }
    return r.text;
}

std::string plainPass(const std::string& text, LineSettings s)
{
    s.hyphenator = nullptr;
    return pass(text, s);
}

const TableHyphenator kEnglish({{"hyphenation", {2, 6}}, {"word", {2}}, {"Hyphenation", {2, 6}}});

}  // namespace

TEST(Hyphenation, BreaksAtTheLastPointThatFitsWithTheHyphen)
{
    std::int64_t mods = 0;
    // "aaa hyphen-" is 11 characters: the earlier point is taken.
    EXPECT_EQ(pass("aaa hyphenation", characters(10, &kEnglish), &mods), "aaa hy-\r\nphenation\r\n");
    EXPECT_EQ(mods, 3);  // the hyphen, the break, the closing break
    EXPECT_EQ(pass("aaa hyphenation", characters(11, &kEnglish)), "aaa hyphen-\r\nation\r\n");
    // No point fits: the word goes to the next line, where it is broken.
    EXPECT_EQ(pass("aaaaa hyphenation", characters(8, &kEnglish)), "aaaaa\r\nhyphen-\r\nation\r\n");
    // A word without a usable point is broken hard, as without hyphenation.
    EXPECT_EQ(pass("aaaaa abcdefghijk", characters(5, &kEnglish)), "aaaaa\r\nabcde\r\nfghij\r\nk\r\n");
    // A word that fits is left alone, whatever its points.
    EXPECT_EQ(pass("aaa hyphenation", characters(15, &kEnglish)), "aaa hyphenation\r\n");
    // Upper case reaches the dictionary as the text has it.
    EXPECT_EQ(pass("aaa Hyphenation", characters(10, &kEnglish)), "aaa Hy-\r\nphenation\r\n");
}

TEST(Hyphenation, WordsThatAreNotHyphenated)
{
    EveryPoint every;
    const struct {
        const char* text;
        int limit;
    } cases[] = {
        {"aaaaaa word", 8},          // fewer than 5 letters
        {"aaa hyphen2tion", 10},     // a digit
        {"aaa hyphen\xb2tion", 10},  // a superscript two
        {"aa well-known", 10},       // a hyphen already on the line
        {"aaa and/orelse", 10},      // a sign between the letters
        {"aaaaaaa abcdef", 9},       // 2 letters and the hyphen do not fit
        {"aaaa can't", 9},           // 4 letters and an apostrophe
        {"_TIL a hyphenation", 10}, {"_PIC a hyphenation", 10}, {"_CHA hyphenation", 10}, {"_BRK hyphenation", 10},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(pass(c.text, characters(c.limit, &every)), plainPass(c.text, characters(c.limit, &every))) << c.text;
    }
    // A word of more than 100 characters, alone or after others.
    const std::string longWord = "aa " + std::string(101, 'b') + " cc";
    EXPECT_EQ(pass(longWord, characters(30, &every)), plainPass(longWord, characters(30, &every)));
}

TEST(Hyphenation, KeepsTwoLettersBeforeAndThreeAfter)
{
    EveryPoint every;
    EXPECT_EQ(pass("aaaaaaa abcdef", characters(11, &every)), "aaaaaaa ab-\r\ncdef\r\n");
    // Room for "abcd-", but only 2 letters would follow.
    EXPECT_EQ(pass("aaa abcdef", characters(9, &every)), "aaa abc-\r\ndef\r\n");
    // Quotes and commas are no letters: the dictionary sees the word alone.
    TableHyphenator table({{"hyphenation", {2, 6}}});
    EXPECT_EQ(pass("aaa \"hyphenation,\"", characters(12, &table)), "aaa \"hyphen-\r\nation,\"\r\n");
    ASSERT_EQ(table.asked.size(), 1u);
    EXPECT_EQ(table.asked[0], "hyphenation");
    // Apostrophes stay in the word and count as no letter.
    EXPECT_EQ(pass("aa children's", characters(9, &every)), "aa child-\r\nren's\r\n");
}

TEST(Hyphenation, ALongWordBreaksAgainOnEveryLine)
{
    EveryPoint every;
    std::int64_t mods = 0;
    EXPECT_EQ(pass("abcdefghijklmnop", characters(6, &every), &mods), "abcde-\r\nfghij-\r\nklmnop\r\n");
    EXPECT_EQ(mods, 5);
    // The dictionary is asked about the whole word also on its later lines.
    TableHyphenator table({{"extraordinarily", {2, 7, 9, 12}}});
    EXPECT_EQ(pass("extraordinarily", characters(7, &table)), "ex-\r\ntraor-\r\ndinar-\r\nily\r\n");
    for (const std::string& w : table.asked) {
        EXPECT_EQ(w, "extraordinarily");
    }
    // A hyphen only after the overflow: the part in front of it is broken.
    EXPECT_EQ(pass("aaaaa extraordinary-long", characters(10, &every)), "aaaaa ext-\r\nraordin-\r\nary-long\r\n");
}

TEST(Hyphenation, PixelsCountTheHyphenWidth)
{
    EveryPoint every;
    const CharWidthTable& w = defaultCharWidths();
    // "aa " and 3 m plus the hyphen: exactly the limit, where a fourth m
    // (wider than the hyphen) overflows.
    ASSERT_GT(w['m'], w['-']);
    const int limit = 2 * w['a'] + w[' '] + 3 * w['m'] + w['-'];
    EXPECT_EQ(pass("aa mmmmmmmm", pixels(limit, &every)), "aa mmm-\r\nmmmmm\r\n");
    EXPECT_EQ(pass("aa mmmmmmmm", pixels(limit - 1, &every)), "aa mm-\r\nmmm-\r\nmmm\r\n");
}

TEST(Hyphenation, MarkupLinesStayAsTheyAreOnEveryLineTheyTake)
{
    EveryPoint every;
    const std::string text = "_TIL xxxxxxx abcdefghijk abcdefghijk\r\nzz abcdefghijk\r\n";
    const std::string got = pass(text, characters(10, &every));
    const std::string plain = plainPass(text, characters(10, &every));
    // The title's lines as without hyphenation; the next line hyphenated.
    const std::string title = plain.substr(0, plain.find("zz"));
    EXPECT_EQ(got.substr(0, title.size()), title);
    // (Its line end counts as its first character.)
    EXPECT_EQ(got.substr(title.size()), "zz abcde-\r\nfghijk\r\n");
}

TEST(Hyphenation, EveryWayOfRunningThePassAgrees)
{
    HashedPoints hashed;
    std::mt19937 rng(25);
    std::uniform_int_distribution<int> kind(0, 99);
    for (int round = 0; round < 200; ++round) {
        std::string text;
        const int length = std::uniform_int_distribution<int>(0, 400)(rng);
        while (static_cast<int>(text.size()) < length) {
            const int k = kind(rng);
            text += k < 70 ? static_cast<char>('a' + k % 26) : k < 85 ? ' ' : k < 90 ? '\n' : k < 93 ? '-' : '\'';
            if (k == 99) {
                text += "\r\n_TIL ";
            }
        }
        const LineSettings s = round % 2 ? characters(6 + round % 20, &hashed) : pixels(30 + round, &hashed);
        const PassResult whole = runLineBreakPass(text, s, true);

        CallbackHooks callbacks;
        const PassResult hooked = runLineBreakPassWith(text, s, callbacks);
        EXPECT_EQ(hooked.text, whole.text);
        EXPECT_EQ(hooked.modificationCount, whole.modificationCount);

        std::string streamed;
        const std::size_t cut = 1 + static_cast<std::size_t>(round % 17);
        std::size_t at = 0;
        auto pieces = [&](std::string_view& piece) {
            if (at >= text.size()) {
                return false;
            }
            piece = std::string_view(text).substr(at, cut);
            at += cut;
            return true;
        };
        const StreamedPass got = streamLineBreakPass(
            pieces, s, true,
            [&](std::string_view p) {
                streamed += p;
                return true;
            },
            7);
        EXPECT_EQ(streamed, whole.text) << text;
        EXPECT_EQ(got.modificationCount, whole.modificationCount);
    }
}

TEST(Hyphenation, WordLettersAreTheLatinLettersOfTheCharacterSet)
{
    std::string letters;
    for (int c = 0; c < 256; ++c) {
        if (isWordLetter(static_cast<unsigned char>(c))) {
            letters.push_back(static_cast<char>(c));
        }
    }
    // An independent spelling: ISO-8859-1's letters, which codes 192 to 255
    // share with the calculator.
    std::string expected = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    for (int c = 0xC0; c <= 0xFF; ++c) {
        if (c != 0xD7 && c != 0xF7) {
            expected.push_back(static_cast<char>(c));
        }
    }
    EXPECT_EQ(letters, expected);
}
