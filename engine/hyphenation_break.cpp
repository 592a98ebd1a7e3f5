// Where the line-break pass hyphenates a word that overflows.

#include "engine/hyphenation_break.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "engine/word_hyphenation.h"

namespace tessaline::internal {

namespace {

constexpr char kCr = 13;
constexpr char kLf = 10;
constexpr char kSpace = 32;
constexpr unsigned char kHyphen = '-';
// Longer runs without a space (a link, a row of dashes) are no words; and
// looking for a word's ends stays short.
constexpr std::size_t kLongestWord = 100;

bool endsWord(char c) { return c == kSpace || c == kCr || c == kLf; }

constexpr std::array<std::string_view, 4> kMarkupKeywords = {"_CHA", "_TIL", "_PIC", "_BRK"};

}  // namespace

void TextLineStart::restart() { *this = TextLineStart{}; }

bool TextLineStart::isMarkup(std::string_view text, std::size_t at)
{
    if (at < start_) {
        // Before the line last found (not a step the pass takes): look anew.
        restart();
    }
    // Looked for back to where the last look began, no further.
    std::size_t j = at + 1;
    const std::size_t stop = std::max(checked_, start_);
    bool found = false;
    while (j > stop && !found) {
        found = text[j - 1] == kCr || text[j - 1] == kLf;
        j -= found ? 0 : 1;
    }
    if (found) {
        start_ = j;
    }
    if (found || !known_) {
        const std::string_view line = text.substr(start_);
        markup_ = false;
        for (std::string_view keyword : kMarkupKeywords) {
            markup_ = markup_ || line.starts_with(keyword);
        }
        known_ = true;
    }
    checked_ = std::max(checked_, at + 1);
    return markup_;
}

std::size_t hyphenationCut(std::string_view text, std::size_t next, const OverflowedLine& line,
                           const LineSettings& settings, TextLineStart& textLine)
{
    const std::size_t over = next - 1;
    const auto onLine = static_cast<std::size_t>(line.wordChars);
    if (onLine < 2 || onLine > kLongestWord || endsWord(text[over])) {
        return 0;
    }
    // The whole word, also what of it went to earlier lines or comes later.
    std::size_t begin = next - onLine;
    const std::size_t lowest = begin > kLongestWord ? begin - kLongestWord : 0;
    while (begin > lowest && !endsWord(text[begin - 1])) {
        --begin;
    }
    std::size_t end = next;
    while (end < text.size() && end - begin <= kLongestWord && !endsWord(text[end])) {
        ++end;
    }
    if (end - begin > kLongestWord || (begin > 0 && !endsWord(text[begin - 1]))) {
        return 0;
    }
    const std::size_t lineBegin = next - onLine - begin;  // where the line's part of the word starts
    const std::vector<std::size_t> points =
        hyphenationPoints(text.substr(begin, end - begin), over - begin, *settings.hyphenator);
    if (points.empty() || textLine.isMarkup(text, over)) {
        return 0;
    }
    const std::int64_t hyphenWidth = settings.charWidths[kHyphen];
    std::int64_t removedPixels = 0;
    std::size_t cut = 0;
    for (auto p = points.rbegin(); p != points.rend() && *p > lineBegin; ++p) {
        const std::size_t keep = *p - lineBegin;
        if (keep >= onLine) {
            continue;
        }
        while (cut < onLine - keep) {
            ++cut;
            removedPixels += settings.charWidths[static_cast<unsigned char>(text[next - cut])];
        }
        const bool fits = settings.measureInPixels
                              ? line.linePixels - removedPixels + hyphenWidth <= settings.lineLimit
                              : line.lineChars - static_cast<std::int64_t>(cut) + 1 <= settings.lineLimit;
        if (fits) {
            return cut;
        }
    }
    return 0;
}

}  // namespace tessaline::internal
