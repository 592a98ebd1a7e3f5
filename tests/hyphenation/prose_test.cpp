// English prose through the pass with the English dictionary: every line
// still fits, fewer lines, every hyphen where libhyphen itself puts one, and
// nothing but the inserted hyphens and breaks added.
#include <gtest/gtest.h>
#include <hyphen.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/char_widths.h"
#include "engine/line_break_pass.h"
#include "engine/line_settings.h"
#include "hyphenation/dictionary.h"
#include "hyphenation/languages.h"

using namespace tessaline;

namespace {

// The GNU GPL, version 3 (Debian's base-files), its paragraphs joined into
// lines ended by CR LF: some 5,600 words of ordinary English.
std::string prose()
{
    std::ifstream in("/usr/share/common-licenses/GPL-3");
    std::string text;
    std::string line;
    bool paragraph = false;
    while (std::getline(in, line)) {
        const std::size_t first = line.find_first_not_of(' ');
        if (first == std::string::npos) {
            if (paragraph) {
                text += "\r\n";
            }
            paragraph = false;
            continue;
        }
        text += paragraph ? " " : "";
        text += line.substr(first);
        paragraph = true;
    }
    return text;
}

std::size_t words(const std::string& text)
{
    std::istringstream in(text);
    return std::distance(std::istream_iterator<std::string>(in), std::istream_iterator<std::string>());
}

// libhyphen asked directly, for an independent view of the points.
struct Direct {
    HyphenDict* dict = hnj_hyphen_load("/usr/share/hyphen/hyph_en_US.dic");
    ~Direct() { hnj_hyphen_free(dict); }
    bool allows(std::string word, std::size_t k) const
    {
        for (char& c : word) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        std::vector<char> hyphens(word.size() + 5);
        char** rep = nullptr;
        int* pos = nullptr;
        int* cut = nullptr;
        hnj_hyphen_hyphenate2(dict, word.data(), static_cast<int>(word.size()), hyphens.data(), nullptr, &rep, &pos,
                              &cut);
        const bool odd = (hyphens[k - 1] - '0') % 2 == 1;
        std::free(rep);
        std::free(pos);
        std::free(cut);
        return odd;
    }
};

bool isLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

struct Lines {
    std::size_t count = 0;
    double meanFill = 0;  // of the lines that end in a break the pass inserted, 1 = full
};

}  // namespace

class HyphenatedProse : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const std::optional<hyphenation::Language> en = hyphenation::findLanguage("en_US");
        std::string error;
        if (en) {
            english = hyphenation::Dictionary::load(en->file, error).release();
        }
    }
    static void TearDownTestSuite() { delete english; }
    static inline hyphenation::Dictionary* english = nullptr;
};

TEST_F(HyphenatedProse, EnglishAtEveryFixedPreset)
{
    ASSERT_NE(english, nullptr) << "hyphen-en-us is not installed";
    const std::string text = prose();
    ASSERT_GE(words(text), 5000u);
    const Direct direct;
    ASSERT_NE(direct.dict, nullptr);

    for (int preset = 0; preset < 4; ++preset) {
        LineSettings s;
        s.charWidths = defaultCharWidths();
        applyPreset(preset, s);
        const PassResult plain = runLineBreakPass(text, s, true);
        s.hyphenator = english;
        const PassResult hyphenated = runLineBreakPass(text, s, true);
        ASSERT_FALSE(hyphenated.error);

        // Walk the output beside the text: equal characters, a "-" CR LF in
        // front of a letter, a space turned into CR LF, or (at a word longer
        // than a line, and at the end) a CR LF put in.
        std::string restored;  // the output without the inserted "-" CR LF
        std::size_t hyphens = 0;
        std::size_t spaceBreaks = 0;
        std::size_t addedBreaks = 0;
        std::size_t i = 0;
        std::size_t j = 0;
        const std::string& out = hyphenated.text;
        while (j < out.size()) {
            if (i < text.size() && out[j] == text[i]) {
                restored += out[j++];
                ++i;
            } else if (out.compare(j, 3, "-\r\n") == 0 && i < text.size() && isLetter(text[i])) {
                std::size_t begin = i;
                while (begin > 0 && isLetter(text[begin - 1])) {
                    --begin;
                }
                std::size_t end = i;
                while (end < text.size() && isLetter(text[end])) {
                    ++end;
                }
                const std::string word = text.substr(begin, end - begin);
                EXPECT_TRUE(direct.allows(word, i - begin)) << word << " at " << i - begin;
                EXPECT_GE(i - begin, 2u);
                EXPECT_GE(end - i, 3u);
                ++hyphens;
                j += 3;
            } else if (out.compare(j, 2, "\r\n") == 0) {
                restored += "\r\n";
                const bool space = i < text.size() && text[i] == ' ';
                i += space ? 1 : 0;
                spaceBreaks += space ? 1 : 0;
                addedBreaks += space ? 0 : 1;
                j += 2;
            } else {
                FAIL() << "preset " << preset << ": output differs from the text at " << j;
            }
        }
        EXPECT_EQ(i, text.size());
        // Without the inserted hyphens the text is the one broken at spaces.
        auto joined = [](std::string t) {
            std::string r;
            for (char c : t) {
                if (c != '\r' && c != '\n' && c != ' ') {
                    r += c;
                }
            }
            return r;
        };
        EXPECT_EQ(joined(restored), joined(text));
        EXPECT_GT(hyphens, 0u);
        EXPECT_EQ(hyphenated.modificationCount, static_cast<std::int64_t>(2 * hyphens + 2 * spaceBreaks + addedBreaks));

        // Every line fits, and there are fewer of them.
        auto measure = [&](const std::string& t) {
            Lines lines;
            std::int64_t width = 0;
            double fill = 0;
            std::size_t broken = 0;
            for (std::size_t k = 0; k < t.size(); ++k) {
                const char c = t[k];
                if (c == '\n') {
                    ++lines.count;
                    // A line the pass ended: not the last of a paragraph.
                    if (k + 2 < t.size() && t[k + 1] != '\r') {
                        fill += static_cast<double>(width) / s.lineLimit;
                        ++broken;
                    }
                    width = 0;
                } else if (c != '\r') {
                    width += s.measureInPixels ? s.charWidths[static_cast<unsigned char>(c)] : 1;
                    EXPECT_LE(width, s.lineLimit) << "preset " << preset;
                }
            }
            lines.meanFill = broken ? fill / static_cast<double>(broken) : 0;
            return lines;
        };
        const Lines before = measure(plain.text);
        const Lines after = measure(out);
        EXPECT_LT(after.count, before.count) << "preset " << preset;
        EXPECT_GT(after.meanFill, before.meanFill) << "preset " << preset;
        std::printf(
            "preset %d: %zu lines, mean fill %.1f %% without; %zu lines (%.2f %% fewer), %.1f %% with, "
            "%zu hyphens\n",
            preset, before.count, 100 * before.meanFill, after.count,
            100.0 * static_cast<double>(before.count - after.count) / static_cast<double>(before.count),
            100 * after.meanFill, hyphens);
    }
}
