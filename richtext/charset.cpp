#include "richtext/charset.h"

#include <iconv.h>

#include <cerrno>
#include <mutex>
#include <unordered_map>

#include "richtext/charset_table.h"

namespace tessaline::charset {

namespace {

constexpr char32_t kLineSeparator = 0x2028;
constexpr char32_t kParagraphSeparator = 0x2029;

// Index from the first code point of every spelling to the spellings that
// start with it (at most a handful), each with its code.
struct ReverseIndex {
    struct Spelling {
        std::u32string_view text;
        unsigned char code;
    };
    std::unordered_map<char32_t, std::vector<Spelling>> byFirst;

    ReverseIndex()
    {
        const auto& table = codeTable();
        for (int code = 0; code < 256; ++code) {
            const auto& entry = table[code];
            add(entry.shown, static_cast<unsigned char>(code));
            for (auto alias : entry.alsoRead)
                add(alias, static_cast<unsigned char>(code));
        }
    }

    void add(std::u32string_view text, unsigned char code)
    {
        auto& list = byFirst[text.front()];
        for (const auto& s : list)
            if (s.text == text)
                return;   // the first code that claims a spelling keeps it
        list.push_back({text, code});
    }
};

const ReverseIndex& reverseIndex()
{
    static const ReverseIndex index;
    return index;
}

// Transliterates one character to ISO-8859-1 through iconv; returns the
// Latin-1 characters (possibly several, possibly "?").
std::u32string transliterate(char32_t c)
{
    static std::mutex mutex;
    static iconv_t cd = iconv_open("ISO-8859-1//TRANSLIT", "UTF-32LE");
    std::lock_guard<std::mutex> lock(mutex);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return U"?";
    unsigned char in[4] = {static_cast<unsigned char>(c & 0xFF), static_cast<unsigned char>((c >> 8) & 0xFF),
                           static_cast<unsigned char>((c >> 16) & 0xFF), static_cast<unsigned char>((c >> 24) & 0xFF)};
    char out[64];
    char* inPtr = reinterpret_cast<char*>(in);
    size_t inLeft = sizeof in;
    char* outPtr = out;
    size_t outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    if (r == static_cast<size_t>(-1) || inLeft != 0 || outPtr == out)
        return U"?";
    std::u32string result;
    for (char* p = out; p < outPtr; ++p)
        result.push_back(static_cast<unsigned char>(*p));
    return result;
}

}  // namespace

std::u32string_view shown(unsigned char code)
{
    return codeTable()[code].shown;
}

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
    return encodeUtf8(toUnicode(codes));
}

std::optional<Match> matchCode(std::u32string_view text)
{
    if (text.empty())
        return std::nullopt;
    const auto& index = reverseIndex().byFirst;
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

Conversion fromUnicode(std::u32string_view text)
{
    Conversion result;
    result.codes.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t c = text[i];
        if (c == kLineSeparator || c == kParagraphSeparator) {
            result.codes += "\r\n";
            ++i;
            continue;
        }
        if (auto m = matchCode(text.substr(i))) {
            result.codes.push_back(static_cast<char>(m->code));
            i += m->length;
            continue;
        }
        ++result.replaced;
        ++i;
        for (char32_t t : transliterate(c)) {
            auto m = matchCode(std::u32string_view(&t, 1));
            result.codes.push_back(m ? static_cast<char>(m->code) : '?');
        }
    }
    return result;
}

Conversion fromUtf8(std::string_view utf8)
{
    auto decoded = *decodeUtf8(utf8, false);
    Conversion result = fromUnicode(decoded);
    return result;
}

std::string normalizeLineEnds(std::string_view codes)
{
    std::string out;
    out.reserve(codes.size() + codes.size() / 16);
    for (std::size_t i = 0; i < codes.size(); ++i) {
        char c = codes[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < codes.size() && codes[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::optional<std::u32string> decodeUtf8(std::string_view utf8, bool strict)
{
    std::u32string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    const std::size_t n = utf8.size();
    while (i < n) {
        unsigned char b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out.push_back(b);
            ++i;
            continue;
        }
        int len = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if ((b & 0xE0) == 0xC0) { len = 2; cp = b & 0x1F; min = 0x80; }
        else if ((b & 0xF0) == 0xE0) { len = 3; cp = b & 0x0F; min = 0x800; }
        else if ((b & 0xF8) == 0xF0) { len = 4; cp = b & 0x07; min = 0x10000; }
        bool ok = len > 0 && i + len <= n;
        for (int k = 1; ok && k < len; ++k) {
            unsigned char cb = static_cast<unsigned char>(utf8[i + k]);
            if ((cb & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (cb & 0x3F);
        }
        if (ok && (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)))
            ok = false;
        if (!ok) {
            if (strict)
                return std::nullopt;
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += len;
    }
    return out;
}

std::string encodeUtf8(std::u32string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
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
