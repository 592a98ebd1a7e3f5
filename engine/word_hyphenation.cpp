// The hyphenation rule of the line-break pass.

#include "engine/word_hyphenation.h"

#include <algorithm>
#include <array>

namespace tessaline {

namespace {

constexpr unsigned char kHyphen = '-';
constexpr unsigned char kApostrophe = '\'';
constexpr std::size_t kLeastLetters = 5;
constexpr std::size_t kLeastBefore = 2;
constexpr std::size_t kLeastAfter = 3;

constexpr std::array<bool, 256> letterTable()
{
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c) {
        table[static_cast<std::size_t>(c)] =
            (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= 192 && c != 215 && c != 247);
    }
    return table;
}

constexpr std::array<bool, 256> kLetters = letterTable();

// ASCII digits and the superscripts 1, 2 and 3 of the character set.
bool isDigit(unsigned char c) { return (c >= '0' && c <= '9') || c == 178 || c == 179 || c == 185; }

unsigned char at(std::string_view s, std::size_t i) { return static_cast<unsigned char>(s[i]); }

}  // namespace

bool isWordLetter(unsigned char code) { return kLetters[code]; }

std::vector<std::size_t> hyphenationPoints(std::string_view word, std::size_t overflowAt, const Hyphenator& hyphenator)
{
    std::vector<std::size_t> result;
    std::size_t end = word.size();
    for (std::size_t i = 0; i < word.size(); ++i) {
        const unsigned char c = at(word, i);
        if (isDigit(c)) {
            return result;
        }
        if (c == kHyphen && end == word.size()) {
            if (i < overflowAt) {
                return result;
            }
            end = i;
        }
    }
    // The letters from the first to the last in front of `end`.
    std::size_t first = 0;
    while (first < end && !isWordLetter(at(word, first))) {
        ++first;
    }
    while (end > first && !isWordLetter(at(word, end - 1))) {
        --end;
    }
    std::size_t letters = 0;
    for (std::size_t i = first; i < end; ++i) {
        const unsigned char c = at(word, i);
        if (isWordLetter(c)) {
            ++letters;
        } else if (c != kApostrophe) {
            return result;
        }
    }
    if (letters < kLeastLetters) {
        return result;
    }
    const std::string_view core = word.substr(first, end - first);
    std::vector<std::size_t> asked;
    hyphenator.points(core, asked);
    std::sort(asked.begin(), asked.end());
    std::size_t before = 0;  // letters of core[0..k)
    std::size_t k = 0;
    for (std::size_t point : asked) {
        if (point == 0 || point >= core.size()) {
            continue;
        }
        for (; k < point; ++k) {
            before += isWordLetter(at(core, k)) ? 1 : 0;
        }
        if (before >= kLeastBefore && letters - before >= kLeastAfter
            && (result.empty() || result.back() != first + point)) {
            result.push_back(first + point);
        }
    }
    return result;
}

}  // namespace tessaline
