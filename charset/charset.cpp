#include "charset/charset.h"

#include <locale.h>

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "charset/charset_table.h"
#include "charset/code_writer.h"
#include "charset/iconv_conversion.h"
#include "charset/utf16.h"

namespace tessaline::charset {

namespace {

constexpr char32_t kLineSeparator = 0x2028;
constexpr char32_t kParagraphSeparator = 0x2029;
// The characters of one UTF-16 unit, which the tables below index directly.
constexpr char32_t kBasicPlaneEnd = utf16::kFirstSupplementary;

// Index from the first code point of every spelling to the spellings that
// start with it (at most a handful), each with its code.
struct ReverseIndex {
    struct Spelling {
        std::u32string_view text;
        unsigned char code;
    };
    std::unordered_map<char32_t, std::vector<Spelling>> byFirst;
    // For each character of the Basic Multilingual Plane: the code when the
    // character alone is the only spelling starting with it, kNone when no
    // spelling starts with it, kSeveral otherwise (see byFirst).
    static constexpr std::int16_t kNone = -1;
    static constexpr std::int16_t kSeveral = -2;
    std::vector<std::int16_t> single = std::vector<std::int16_t>(kBasicPlaneEnd, kNone);

    ReverseIndex()
    {
        const auto& table = codeTable();
        for (int code = 0; code < 256; ++code) {
            const auto& entry = table[code];
            add(entry.shown, static_cast<unsigned char>(code));
            for (auto alias : entry.alsoRead)
                add(alias, static_cast<unsigned char>(code));
        }
        for (const auto& [first, spellings] : byFirst) {
            if (first >= kBasicPlaneEnd)
                continue;
            single[first] = spellings.size() == 1 && spellings.front().text.size() == 1
                                ? static_cast<std::int16_t>(spellings.front().code)
                                : kSeveral;
        }
    }

    void add(std::u32string_view text, unsigned char code)
    {
        auto& list = byFirst[text.front()];
        for (const auto& s : list)
            if (s.text == text)
                return;  // the first code that claims a spelling keeps it
        list.push_back({text, code});
    }
};

const ReverseIndex& reverseIndex()
{
    static const ReverseIndex index;
    return index;
}

// The shown forms as UTF-16.
struct ShownIndex {
    // The code of every shown form of one unit (the first code wins), -1 for none.
    std::vector<std::int16_t> single = std::vector<std::int16_t>(kBasicPlaneEnd, -1);
    // Whether a shown form of several units starts with the unit.
    std::vector<bool> startsLonger = std::vector<bool>(kBasicPlaneEnd, false);
    struct Longer {
        std::u16string units;
        unsigned char code;
    };
    std::vector<Longer> longer;  // longest first
    std::size_t longest = 1;

    ShownIndex()
    {
        const auto& table = codeTable();
        for (int code = 0; code < 256; ++code) {
            if (code == '\r' || code == '\n')
                continue;
            std::u16string units;
            for (char32_t c : table[code].shown)
                utf16::append(c, units);
            if (units.size() == 1) {
                if (single[units[0]] < 0)
                    single[units[0]] = static_cast<std::int16_t>(code);
            } else if (!units.empty()) {
                startsLonger[units[0]] = true;
                longest = std::max(longest, units.size());
                longer.push_back({std::move(units), static_cast<unsigned char>(code)});
            }
        }
        std::stable_sort(longer.begin(), longer.end(),
                         [](const Longer& a, const Longer& b) { return a.units.size() > b.units.size(); });
    }
};

const ShownIndex& shownIndex()
{
    static const ShownIndex index;
    return index;
}

// Characters that glibc leaves alone, spells differently from what suits a
// calculator text, or only transliterates under a UTF-8 locale: the common
// punctuation, spaces and Latin-1 symbols without a code of their own.
struct Substitute {
    char32_t from;
    const char32_t* to;
};
constexpr Substitute kSubstitutes[] = {
    {0x00A0, U" "},   {0x00A8, U"\""}, {0x00AD, U""},   {0x00B8, U","},  {0x00BC, U"1/4"}, {0x00BD, U"1/2"},
    {0x00BE, U"3/4"}, {0x2000, U" "},  {0x2001, U" "},  {0x2002, U" "},  {0x2003, U" "},   {0x2004, U" "},
    {0x2005, U" "},   {0x2006, U" "},  {0x2007, U" "},  {0x2008, U" "},  {0x2009, U" "},   {0x200A, U" "},
    {0x200B, U""},    {0x200C, U""},   {0x200D, U""},   {0x2010, U"-"},  {0x2011, U"-"},   {0x2012, U"-"},
    {0x2013, U"-"},   {0x2014, U"-"},  {0x2015, U"-"},  {0x2018, U"'"},  {0x2019, U"'"},   {0x201A, U","},
    {0x201B, U"'"},   {0x201C, U"\""}, {0x201D, U"\""}, {0x201E, U"\""}, {0x201F, U"\""},  {0x2022, U"\u00B7"},
    {0x2032, U"'"},   {0x2033, U"\""}, {0x2039, U"<"},  {0x203A, U">"},  {0x202F, U" "},   {0x205F, U" "},
    {0x2060, U""},    {0x3000, U" "},  {0xFEFF, U""},   {0xFFFD, U"?"},
};

const char32_t* substitute(char32_t c)
{
    for (const auto& s : kSubstitutes)
        if (s.from == c)
            return s.to;
    return nullptr;
}

// Latin-1 letters written as a base letter and a combining mark (decomposed
// text, as some systems paste it).
struct Composition {
    char32_t base, mark, composed;
};
constexpr Composition kCompositions[] = {
    {0x41, 0x300, 0xC0}, {0x41, 0x301, 0xC1}, {0x41, 0x302, 0xC2}, {0x41, 0x303, 0xC3}, {0x41, 0x308, 0xC4},
    {0x41, 0x30A, 0xC5}, {0x43, 0x327, 0xC7}, {0x45, 0x300, 0xC8}, {0x45, 0x301, 0xC9}, {0x45, 0x302, 0xCA},
    {0x45, 0x308, 0xCB}, {0x49, 0x300, 0xCC}, {0x49, 0x301, 0xCD}, {0x49, 0x302, 0xCE}, {0x49, 0x308, 0xCF},
    {0x4E, 0x303, 0xD1}, {0x4F, 0x300, 0xD2}, {0x4F, 0x301, 0xD3}, {0x4F, 0x302, 0xD4}, {0x4F, 0x303, 0xD5},
    {0x4F, 0x308, 0xD6}, {0x55, 0x300, 0xD9}, {0x55, 0x301, 0xDA}, {0x55, 0x302, 0xDB}, {0x55, 0x308, 0xDC},
    {0x59, 0x301, 0xDD}, {0x61, 0x300, 0xE0}, {0x61, 0x301, 0xE1}, {0x61, 0x302, 0xE2}, {0x61, 0x303, 0xE3},
    {0x61, 0x308, 0xE4}, {0x61, 0x30A, 0xE5}, {0x63, 0x327, 0xE7}, {0x65, 0x300, 0xE8}, {0x65, 0x301, 0xE9},
    {0x65, 0x302, 0xEA}, {0x65, 0x308, 0xEB}, {0x69, 0x300, 0xEC}, {0x69, 0x301, 0xED}, {0x69, 0x302, 0xEE},
    {0x69, 0x308, 0xEF}, {0x6E, 0x303, 0xF1}, {0x6F, 0x300, 0xF2}, {0x6F, 0x301, 0xF3}, {0x6F, 0x302, 0xF4},
    {0x6F, 0x303, 0xF5}, {0x6F, 0x308, 0xF6}, {0x75, 0x300, 0xF9}, {0x75, 0x301, 0xFA}, {0x75, 0x302, 0xFB},
    {0x75, 0x308, 0xFC}, {0x79, 0x301, 0xFD}, {0x79, 0x308, 0xFF},
};

bool isCombiningMark(char32_t c) { return c >= 0x300 && c <= 0x36F; }

char32_t compose(char32_t base, char32_t mark)
{
    for (const auto& c : kCompositions)
        if (c.base == base && c.mark == mark)
            return c.composed;
    return 0;
}

}  // namespace

namespace {

// Transliteration of characters without a code, shared by every conversion
// of the process and safe to use from several threads. glibc transliterates
// accented letters (a macron, a stroke, a caron) only under a UTF-8 locale,
// while the program may run in the "C" locale; the conversion therefore runs
// under "C.UTF-8" when the system has it. The locale and the converter are
// opened on first need and kept; results are remembered, so a text of
// unknown characters costs one iconv call per distinct character.
class Transliteration {
public:
    static Transliteration& instance()
    {
        static Transliteration shared;
        return shared;
    }

    // The Latin-1 spelling of `c`: possibly several characters, possibly
    // none (a zero-width character), "?" when there is none.
    std::u32string operator()(char32_t c)
    {
        if (const char32_t* s = substitute(c))
            return s;
        const std::lock_guard<std::mutex> lock(mutex_);
        if (auto it = cache_.find(c); it != cache_.end())
            return it->second;
        std::u32string result = viaIconv(c);
        if (cache_.size() < kMaxRemembered)
            cache_.emplace(c, result);
        return result;
    }

    Transliteration(const Transliteration&) = delete;
    Transliteration& operator=(const Transliteration&) = delete;

private:
    // Enough for every character of the Basic Multilingual Plane that has a
    // transliteration worth remembering; a text of ever new characters
    // beyond that is converted character by character.
    static constexpr std::size_t kMaxRemembered = std::size_t{1} << 16;

    Transliteration() = default;
    ~Transliteration()
    {
        if (locale_)
            freelocale(locale_);
    }

    std::u32string viaIconv(char32_t c)
    {
        if (!toLatin1_) {
            locale_ = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
            if (!locale_)
                locale_ = newlocale(LC_CTYPE_MASK, "C.utf8", static_cast<locale_t>(0));
            toLatin1_.emplace("ISO-8859-1//TRANSLIT", "UTF-32LE");
        }
        const char in[4] = {static_cast<char>(c & 0xFF), static_cast<char>((c >> 8) & 0xFF),
                            static_cast<char>((c >> 16) & 0xFF), static_cast<char>((c >> 24) & 0xFF)};
        locale_t previous = locale_ ? uselocale(locale_) : static_cast<locale_t>(0);
        const std::optional<std::string> latin1 = toLatin1_->convert(std::string_view(in, sizeof in));
        if (locale_)
            uselocale(previous);
        if (!latin1)
            return U"?";
        std::u32string result;
        for (char byte : *latin1) {
            const char32_t ch = static_cast<unsigned char>(byte);
            if (const char32_t* s = substitute(ch))
                result += s;
            else
                result.push_back(ch);
        }
        return result;
    }

    std::mutex mutex_;  // guards everything below
    std::optional<internal::IconvConversion> toLatin1_;
    locale_t locale_ = static_cast<locale_t>(0);
    std::unordered_map<char32_t, std::u32string> cache_;
};

}  // namespace

std::u32string_view shown(unsigned char code) { return codeTable()[code].shown; }

std::u32string toUnicode(std::string_view codes)
{
    std::u32string out;
    out.reserve(codes.size());
    for (unsigned char c : codes)
        out.append(shown(c));
    return out;
}

std::string toUtf8(std::string_view codes)
{
    std::string out;
    appendToUtf8(codes, out);
    return out;
}

int soleCode(char32_t c) { return c < kBasicPlaneEnd ? std::max<int>(reverseIndex().single[c], -1) : -1; }

std::optional<Match> matchCode(std::u32string_view text)
{
    if (text.empty())
        return std::nullopt;
    const ReverseIndex& reverse = reverseIndex();
    if (text.front() < kBasicPlaneEnd) {
        const std::int16_t code = reverse.single[text.front()];
        if (code == ReverseIndex::kNone)
            return std::nullopt;
        if (code >= 0)
            return Match{static_cast<unsigned char>(code), 1};
    }
    const auto& index = reverse.byFirst;
    auto it = index.find(text.front());
    if (it == index.end())
        return std::nullopt;
    std::optional<Match> best;
    for (const auto& s : it->second) {
        if (text.substr(0, s.text.size()) == s.text && (!best || s.text.size() > best->length))
            best = Match{s.code, s.text.size()};
    }
    return best;
}

bool joinsPrevious(char32_t c) { return isCombiningMark(c); }

void appendFromUnicode(std::u32string_view text, Conversion& result)
{
    Transliteration& transliterate = Transliteration::instance();
    if (result.codes.empty())
        result.codes.reserve(text.size());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const char32_t c = text[i];
        const bool markFollows = i + 1 < n && isCombiningMark(text[i + 1]);
        // Printable ASCII, tab, CR and LF are their own codes.
        if (!markFollows && ((c >= 0x20 && c < 0x7F) || c == 9 || c == 10 || c == 13)) {
            result.codes.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        if (c == kLineSeparator || c == kParagraphSeparator) {
            result.codes += "\r\n";
            ++i;
            continue;
        }
        const auto m = matchCode(text.substr(i));
        if (markFollows && !(m && m->length > 1)) {
            if (char32_t composed = compose(c, text[i + 1])) {
                if (auto cm = matchCode(std::u32string_view(&composed, 1))) {
                    result.codes.push_back(static_cast<char>(cm->code));
                    i += 2;
                    continue;
                }
            }
        }
        if (m) {
            result.codes.push_back(static_cast<char>(m->code));
            i += m->length;
            continue;
        }
        ++result.replaced;
        ++i;
        for (char32_t t : transliterate(c)) {
            auto tm = matchCode(std::u32string_view(&t, 1));
            result.codes.push_back(tm ? static_cast<char>(tm->code) : '?');
        }
    }
}

Conversion fromUnicode(std::u32string_view text)
{
    Conversion result;
    appendFromUnicode(text, result);
    return result;
}

Conversion fromUtf8(std::string_view utf8) { return fromUnicode(*decodeUtf8(utf8, false)); }

Conversion fromUtf16(std::u16string_view utf16)
{
    std::u32string unicode;
    unicode.reserve(utf16.size());
    auto emit = [&](char32_t c) { unicode.push_back(c); };
    utf16::UnitReader reader;
    for (const char16_t unit : utf16)
        reader.take(unit, emit);
    reader.finish(emit);
    return fromUnicode(unicode);
}

std::optional<ShownMatch> matchShown(std::u16string_view text)
{
    if (text.empty())
        return std::nullopt;
    const ShownIndex& index = shownIndex();
    if (index.startsLonger[text.front()]) {
        for (const auto& form : index.longer) {
            if (text.starts_with(form.units))
                return ShownMatch{form.code, form.units.size()};
        }
    }
    const std::int16_t code = index.single[text.front()];
    if (code < 0)
        return std::nullopt;
    return ShownMatch{static_cast<unsigned char>(code), 1};
}

std::size_t longestShownForm() { return shownIndex().longest; }

std::string normalizeLineEnds(std::string_view codes)
{
    std::string out;
    out.reserve(codes.size() + codes.size() / 16);
    internal::CodeWriter writer(out);
    writer.codes(codes);
    writer.finish();
    return out;
}

Utf8Sequence readUtf8Sequence(std::string_view utf8)
{
    const unsigned char b = static_cast<unsigned char>(utf8.front());
    if (b < 0x80)
        return {b, 1};
    std::size_t length = 0;
    char32_t c = 0;
    char32_t least = 0;
    if ((b & 0xE0) == 0xC0) {
        length = 2;
        c = b & 0x1F;
        least = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        length = 3;
        c = b & 0x0F;
        least = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        length = 4;
        c = b & 0x07;
        least = utf16::kFirstSupplementary;
    }
    // Continuation bytes that follow the lead byte, up to the length it
    // announces: a broken sequence is replaced as one character.
    std::size_t have = 1;
    while (have < length && have < utf8.size() && (static_cast<unsigned char>(utf8[have]) & 0xC0) == 0x80) {
        c = (c << 6) | (static_cast<unsigned char>(utf8[have]) & 0x3F);
        ++have;
    }
    if (length == 0 || have < length || c < least || !utf16::isScalarValue(c))
        return {std::nullopt, have};
    return {c, length};
}

std::optional<std::u32string> decodeUtf8(std::string_view utf8, bool strict)
{
    std::u32string out;
    out.reserve(utf8.size());
    while (!utf8.empty()) {
        const Utf8Sequence sequence = readUtf8Sequence(utf8);
        if (!sequence.codePoint && strict)
            return std::nullopt;
        out.push_back(sequence.codePoint.value_or(utf16::kReplacementCharacter));
        utf8.remove_prefix(sequence.length);
    }
    return out;
}

std::string encodeUtf8(std::u32string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        if (!utf16::isScalarValue(c))
            c = utf16::kReplacementCharacter;  // not a character: written as the replacement character
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < utf16::kFirstSupplementary) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

}  // namespace tessaline::charset
