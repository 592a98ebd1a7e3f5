#include "richtext/rtf.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <string>
#include <vector>

#include <iconv.h>

#include "richtext/charset.h"
#include "richtext/code_pages.h"

namespace tessaline::rtf {

namespace {

constexpr std::string_view kFontName = "Ti92Pluspc";

void appendNumber(std::string& out, long value)
{
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

// "\uN\'hh": one UTF-16 unit as RTF writes it (a signed 16-bit number).
void appendUnicodeUnit(std::string& out, char16_t unit)
{
    out += "\\u";
    appendNumber(out, static_cast<int16_t>(unit));
}

void appendHexByte(std::string& out, unsigned char byte)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out += "\\'";
    out.push_back(kHex[byte >> 4]);
    out.push_back(kHex[byte & 15]);
}

// A code outside printable ASCII: its character from the table as Unicode,
// with the raw code as the fallback byte, so that other programs show what
// this program shows and the code itself reads back here.
void appendCharacter(std::string& out, unsigned char code)
{
    std::u16string units;
    for (char32_t c : charset::shown(code)) {
        if (c >= 0x10000) {
            units.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(c));
        }
    }
    if (units.size() > 1) {
        // Several units, one fallback: only the last unit carries it.
        out += "\\uc0";
        for (std::size_t i = 0; i + 1 < units.size(); ++i)
            appendUnicodeUnit(out, units[i]);
        out += "\\uc1";
    }
    appendUnicodeUnit(out, units.back());
    appendHexByte(out, code);
}

}  // namespace

std::string write(std::string_view codes, double fontSizePoints)
{
    long halfPoints = 24;
    if (std::isfinite(fontSizePoints))
        halfPoints = static_cast<long>(std::clamp(std::round(fontSizePoints * 2.0), 1.0, 32767.0));

    std::string out;
    out.reserve(codes.size() + codes.size() / 4 + 128);
    out += "{\\rtf1\\ansi\\ansicpg1252\\deff0 {\\fonttbl{\\f0\\fnil ";
    out += kFontName;
    out += ";}}\r\n\\uc1\\pard\\plain\\f0\\fs";
    appendNumber(out, halfPoints);
    out += ' ';

    bool afterSpace = false;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const auto c = static_cast<unsigned char>(codes[i]);
        if (c == ' ') {
            // Later spaces of a run each in a group of their own, so that no
            // reader folds or converts them.
            out += afterSpace ? "{ }" : " ";
            afterSpace = true;
            continue;
        }
        afterSpace = false;
        if (c == '\r' || c == '\n') {
            // CR LF ends a paragraph; a lone CR or LF is a line end too.
            if (c == '\r' && i + 1 < codes.size() && codes[i + 1] == '\n')
                ++i;
            out += "\r\n\\par ";
        } else if (c == '\t') {
            out += "\\tab ";
        } else if (c == '\\' || c == '{' || c == '}') {
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
        } else if (c > 0x20 && c < 0x7F) {
            out.push_back(static_cast<char>(c));
        } else {
            appendCharacter(out, c);
        }
    }
    out += "}\r\n";
    return out;
}

// ---------------------------------------------------------------------------
// Reading

namespace {

constexpr std::size_t kMaxDepth = 10000;          // deeper groups are read as if flat
constexpr std::size_t kMaxFontNameLength = 256;
constexpr std::size_t kMaxWordLength = 32;
constexpr int kMaxUnicodeSkip = 1024;

enum class Destination : std::uint8_t {
    Text,        // document text
    FontTable,   // font names and numbers
    Skip,        // not text: tables, pictures, field instructions, ...
};

struct GroupState {
    int font = -1;   // -1: the default font (\deff)
    int unicodeSkip = 1;
    Destination destination = Destination::Text;
};

bool isLetter(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isBlank(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == 0;
}

// Groups whose content is never text, known by the word at their start.
bool isSkippedDestination(std::string_view word)
{
    static constexpr std::string_view kWords[] = {
        "colortbl", "stylesheet", "info", "pict", "nonshppict", "fldinst", "footnote", "xe", "tc",
        "listtable", "listoverridetable", "revtbl", "rsidtbl", "generator", "themedata",
        "colorschememapping", "latentstyles", "datastore", "xmlnstbl", "filetbl", "objdata",
        "template", "pgdsctbl",
    };
    if (word.starts_with("header") || word.starts_with("footer"))
        return true;
    return std::find(std::begin(kWords), std::end(kWords), word) != std::end(kWords);
}

bool isOurFontName(std::string_view name)
{
    auto isTrimmed = [](char c) { return c == ' ' || c == '\t' || c == ';'; };
    while (!name.empty() && isTrimmed(name.back()))
        name.remove_suffix(1);
    while (!name.empty() && isTrimmed(name.front()))
        name.remove_prefix(1);
    if (name.size() != kFontName.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char a = name[i], b = kFontName[i];
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z')
            b = static_cast<char>(b - 'A' + 'a');
        if (a != b)
            return false;
    }
    return true;
}

// One pass over the document, left to right, with an explicit stack of group
// states: every byte is looked at a bounded number of times.
class Reader {
public:
    explicit Reader(std::string_view document) : doc_(document)
    {
        lastSignificant_ = doc_.size();
        for (std::size_t i = doc_.size(); i-- > 0;) {
            if (!isBlank(static_cast<unsigned char>(doc_[i]))) {
                lastSignificant_ = i;
                break;
            }
        }
    }

    ReadResult run()
    {
        ReadResult result;
        if (!doc_.starts_with("{\\rtf")) {
            result.error = "Not a rich-text document: it does not start with \"{\\rtf\".";
            return result;
        }
        stack_.reserve(64);
        while (pos_ < doc_.size() && !finished_) {
            const auto c = static_cast<unsigned char>(doc_[pos_++]);
            switch (c) {
            case '{':
                openGroup();
                break;
            case '}':
                closeGroup();
                break;
            case '\\':
                control();
                break;
            case '\r':
            case '\n':
                break;   // line breaks of the file are not text
            default:
                resolveStar(false);
                textByte(c);
                break;
            }
        }
        flushPending();
        result.ok = true;
        result.codes = charset::normalizeLineEnds(converted_.codes);
        result.replaced = converted_.replaced;
        return result;
    }

private:
    // ---- groups ----

    void openGroup()
    {
        resolveStar(false);
        skipUnits_ = 0;
        if (stack_.size() >= kMaxDepth) {
            ++flatGroups_;
            groupStart_ = false;
            return;
        }
        stack_.push_back(state_);
        groupStart_ = true;
    }

    void closeGroup()
    {
        starred_ = false;
        groupStart_ = false;
        skipUnits_ = 0;
        if (flatGroups_ > 0) {
            --flatGroups_;
            return;
        }
        if (state_.destination == Destination::FontTable)
            commitFontName();
        if (stack_.size() <= 1) {
            // The document's own group ends here, unless more text follows:
            // a stray "}" in a damaged file does not cut off the rest.
            if (pos_ - 1 >= lastSignificant_ || stack_.empty())
                finished_ = true;
            return;
        }
        state_ = stack_.back();
        stack_.pop_back();
    }

    // A "\*" at the start of a group marks a destination to ignore unless
    // this program knows it; of those only the field result is text.
    void resolveStar(bool keep)
    {
        groupStart_ = false;
        if (!starred_)
            return;
        starred_ = false;
        if (!keep)
            state_.destination = Destination::Skip;
    }

    // ---- control words and symbols ----

    void control()
    {
        if (pos_ >= doc_.size())
            return;
        const auto c = static_cast<unsigned char>(doc_[pos_]);
        if (isLetter(c)) {
            controlWord();
            return;
        }
        ++pos_;
        if (c == '*') {
            if (groupStart_)
                starred_ = true;
            return;
        }
        resolveStar(false);
        switch (c) {
        case '\'': {
            if (pos_ + 2 <= doc_.size()) {
                const int hi = hexValue(static_cast<unsigned char>(doc_[pos_]));
                const int lo = hexValue(static_cast<unsigned char>(doc_[pos_ + 1]));
                if (hi >= 0 && lo >= 0) {
                    pos_ += 2;
                    hexByte(static_cast<unsigned char>(hi * 16 + lo));
                }
            }
            break;
        }
        case '\\':
        case '{':
        case '}':
            textByte(c);
            break;
        case '~':
            symbol(U' ');
            break;
        case '_':
            symbol(U'-');
            break;
        case '\r':
        case '\n':
            word("par", false, 0, false);   // a backslash before a line break is \par
            break;
        default:
            break;   // \- (optional hyphen), \| , \: and unknown symbols: nothing
        }
    }

    void controlWord()
    {
        const std::size_t start = pos_;
        while (pos_ < doc_.size() && isLetter(static_cast<unsigned char>(doc_[pos_])))
            ++pos_;
        std::string_view name = doc_.substr(start, pos_ - start);
        if (name.size() > kMaxWordLength)
            name = {};   // no such word: read past it

        bool hasParam = false;
        bool negative = false;
        long long value = 0;
        if (pos_ + 1 < doc_.size() && doc_[pos_] == '-' && isDigit(static_cast<unsigned char>(doc_[pos_ + 1]))) {
            negative = true;
            ++pos_;
        }
        while (pos_ < doc_.size() && isDigit(static_cast<unsigned char>(doc_[pos_]))) {
            hasParam = true;
            if (value < INT_MAX)
                value = std::min<long long>(value * 10 + (doc_[pos_] - '0'), INT_MAX);
            ++pos_;
        }
        if (pos_ < doc_.size() && doc_[pos_] == ' ')
            ++pos_;   // the delimiting space belongs to the word
        const int param = static_cast<int>(negative ? -value : value);

        const bool atGroupStart = groupStart_;
        resolveStar(name == "fldrslt");
        word(name, hasParam, param, atGroupStart);
    }

    void word(std::string_view name, bool hasParam, int param, bool atGroupStart)
    {
        if (name == "bin") {
            // Binary data: skipped whole, never parsed.
            const std::size_t count = hasParam && param > 0 ? static_cast<std::size_t>(param) : 0;
            pos_ += std::min(count, doc_.size() - pos_);
            if (skipUnits_ > 0)
                --skipUnits_;
            return;
        }
        if (state_.destination == Destination::Skip)
            return;

        if (atGroupStart) {
            if (name == "fonttbl") {
                state_.destination = Destination::FontTable;
                fontEntry_ = -1;
                fontName_.clear();
                return;
            }
            if (isSkippedDestination(name)) {
                state_.destination = Destination::Skip;
                return;
            }
        }

        if (state_.destination == Destination::FontTable) {
            if (name == "f") {
                commitFontName();
                fontEntry_ = hasParam ? param : 0;
            }
            return;
        }

        // Document-wide settings.
        if (name == "deff") {
            defaultFont_ = hasParam ? param : 0;
        } else if (name == "ansicpg") {
            codePage_ = hasParam ? param : 1252;
        } else if (name == "mac") {
            codePage_ = 10000;
        } else if (name == "pc") {
            codePage_ = 437;
        } else if (name == "pca") {
            codePage_ = 850;
        }
        // Character state.
        else if (name == "f") {
            state_.font = hasParam ? param : 0;
        } else if (name == "plain") {
            state_.font = -1;
        } else if (name == "uc") {
            state_.unicodeSkip = std::clamp(hasParam ? param : 1, 0, kMaxUnicodeSkip);
        } else if (name == "u") {
            if (hasParam) {
                unicodeUnit(param < 0 ? param + 65536 : param);
                skipUnits_ = static_cast<std::size_t>(state_.unicodeSkip);
            }
        }
        // Text.
        else if (name == "par" || name == "line" || name == "cell") {
            lineEnd();
            afterCell_ = name == "cell";
        } else if (name == "row") {
            if (!afterCell_)
                lineEnd();
            afterCell_ = false;
        } else if (name == "page" || name == "sect") {
            // A break that ends a line unless the line has just ended.
            if (!atLineStart())
                lineEnd();
        } else if (name == "tab") {
            symbol(U'\t');
        } else if (name == "emdash") {
            symbol(0x2014);
        } else if (name == "endash") {
            symbol(0x2013);
        } else if (name == "lquote") {
            symbol(0x2018);
        } else if (name == "rquote") {
            symbol(0x2019);
        } else if (name == "ldblquote") {
            symbol(0x201C);
        } else if (name == "rdblquote") {
            symbol(0x201D);
        } else if (name == "bullet") {
            symbol(0x2022);
        } else if (name == "emspace" || name == "enspace" || name == "qmspace") {
            symbol(U' ');
        }
    }

    // ---- text ----

    void textByte(unsigned char c)
    {
        if (state_.destination == Destination::FontTable) {
            if (c == ';')
                commitFontName();
            else if (fontName_.size() < kMaxFontNameLength)
                fontName_.push_back(static_cast<char>(c));
            return;
        }
        if (state_.destination != Destination::Text)
            return;
        if (skipUnits_ > 0) {
            --skipUnits_;   // the fallback of the last \u
            return;
        }
        if (c == '\t') {
            pushUnicode(U'\t');
        } else if (c < 0x20) {
            return;   // other control bytes are not text
        } else if (c < 0x80) {
            pushUnicode(c);
        } else if (inOurFont()) {
            pushCode(c);
        } else {
            pushUnicode(fromCodePage(c));
        }
    }

    void hexByte(unsigned char c)
    {
        if (state_.destination == Destination::FontTable) {
            if (fontName_.size() < kMaxFontNameLength)
                fontName_.push_back(static_cast<char>(c));
            return;
        }
        if (state_.destination != Destination::Text)
            return;
        if (skipUnits_ > 0) {
            --skipUnits_;
            return;
        }
        if (inOurFont())
            pushCode(c);   // the calculator code itself
        else if (c < 0x80)
            pushUnicode(c);
        else
            pushUnicode(fromCodePage(c));
    }

    void symbol(char32_t c)
    {
        if (state_.destination == Destination::Text)
            pushUnicode(c);
    }

    void unicodeUnit(int unit)
    {
        if (state_.destination != Destination::Text)
            return;
        pushUnicode(unit >= 0 && unit <= 0xFFFF ? static_cast<char32_t>(unit) : 0xFFFD);
    }

    char32_t fromCodePage(unsigned char c)
    {
        const char16_t* table = codepages::kWindows1252;
        if (codePage_ == 437) {
            table = codepages::kDos437;
        } else if (codePage_ == 850) {
            table = codepages::kDos850;
        } else if (codePage_ == 10000) {
            table = codepages::kMacRoman;
        } else if (codePage_ != 1252) {
            if (const std::array<char32_t, 128>* page = otherPage())
                return (*page)[c - 0x80];
        }
        return table[c - 0x80];
    }

    // The upper half of another single-byte code page the document names
    // (1250 Central European, 1251 Cyrillic, 1253 Greek, 866 DOS Cyrillic,
    // ...), from the system's converter; made once per code page, on the
    // first byte that needs it, and kept for the rest of the document (only
    // numbers 400 to 1258 are tried, so that a document switching between
    // ever new numbers costs little). A byte the code page does not define by
    // itself (a lead byte of a double-byte code page) reads as U+FFFD. Null
    // when the system does not know the code page: the bytes are then read
    // as 1252.
    const std::array<char32_t, 128>* otherPage()
    {
        if (codePage_ < 400 || codePage_ > 1258)
            return nullptr;
        auto found = otherPages_.find(codePage_);
        if (found != otherPages_.end())
            return found->second ? &*found->second : nullptr;
        std::optional<std::array<char32_t, 128>>& page = otherPages_[codePage_];
        iconv_t cd = reinterpret_cast<iconv_t>(-1);
        for (const char* prefix : {"CP", "WINDOWS-"}) {
            const std::string name = prefix + std::to_string(codePage_);
            cd = iconv_open("UTF-32LE", name.c_str());
            if (cd != reinterpret_cast<iconv_t>(-1))
                break;
        }
        if (cd == reinterpret_cast<iconv_t>(-1))
            return nullptr;
        page.emplace();
        for (int byte = 0x80; byte <= 0xFF; ++byte) {
            char in = static_cast<char>(byte);
            unsigned char out[16];
            char* inPtr = &in;
            std::size_t inLeft = 1;
            char* outPtr = reinterpret_cast<char*>(out);
            std::size_t outLeft = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            const std::size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
            char32_t c = 0xFFFD;
            if (r != static_cast<std::size_t>(-1) && inLeft == 0 && sizeof out - outLeft == 4)
                c = static_cast<char32_t>(out[0]) | static_cast<char32_t>(out[1]) << 8 |
                    static_cast<char32_t>(out[2]) << 16 | static_cast<char32_t>(out[3]) << 24;
            (*page)[static_cast<std::size_t>(byte - 0x80)] = c;
        }
        iconv_close(cd);
        return &*page;
    }

    // ---- fonts ----

    void commitFontName()
    {
        if (fontEntry_ >= 0 || !fontName_.empty()) {
            if (!fontName_.empty())
                fonts_[fontEntry_ < 0 ? 0 : fontEntry_] = isOurFontName(fontName_);
            ++fontsVersion_;
        }
        fontName_.clear();
        fontEntry_ = -1;
    }

    bool inOurFont()
    {
        const int font = state_.font < 0 ? defaultFont_ : state_.font;
        if (font != cachedFont_ || fontsVersion_ != cachedVersion_) {
            auto it = fonts_.find(font);
            cachedOurs_ = it != fonts_.end() && it->second;
            cachedFont_ = font;
            cachedVersion_ = fontsVersion_;
        }
        return cachedOurs_;
    }

    // ---- output ----

    // Unicode waits in `pending_` so that a character and a following
    // combining mark (or the two halves of a surrogate pair) meet before they
    // are mapped to codes.
    void pushUnicode(char32_t c)
    {
        afterCell_ = false;
        if (highSurrogate_) {
            const char32_t high = highSurrogate_;
            highSurrogate_ = 0;
            if (c >= 0xDC00 && c < 0xE000) {
                pending_.push_back(0x10000 + ((high - 0xD800) << 10) + (c - 0xDC00));
                return;
            }
            pending_.push_back(0xFFFD);
        }
        if (c >= 0xD800 && c < 0xDC00) {
            highSurrogate_ = c;
            return;
        }
        if (c >= 0xDC00 && c < 0xE000)
            c = 0xFFFD;   // a low surrogate alone
        pending_.push_back(c);
    }

    void pushCode(unsigned char code)
    {
        afterCell_ = false;
        flushPending();
        converted_.codes.push_back(static_cast<char>(code));
    }

    void lineEnd()
    {
        flushPending();
        converted_.codes += "\r\n";
    }

    bool atLineStart() const
    {
        if (!pending_.empty() || highSurrogate_)
            return false;
        return converted_.codes.empty() || converted_.codes.back() == '\n' || converted_.codes.back() == '\r';
    }

    void flushPending()
    {
        if (highSurrogate_) {
            highSurrogate_ = 0;
            pending_.push_back(0xFFFD);
        }
        if (pending_.empty())
            return;
        converter_.convert(pending_, converted_);
        pending_.clear();
    }

    std::string_view doc_;
    std::size_t pos_ = 0;
    std::size_t lastSignificant_ = 0;
    bool finished_ = false;

    std::vector<GroupState> stack_;
    GroupState state_;
    std::size_t flatGroups_ = 0;
    bool groupStart_ = false;
    bool starred_ = false;
    std::size_t skipUnits_ = 0;

    int defaultFont_ = 0;
    int codePage_ = 1252;
    std::unordered_map<int, std::optional<std::array<char32_t, 128>>> otherPages_;   // see otherPage()
    std::unordered_map<int, bool> fonts_;   // font number -> is the calculator font
    int fontEntry_ = -1;
    std::string fontName_;
    unsigned fontsVersion_ = 0;
    int cachedFont_ = INT_MIN;
    unsigned cachedVersion_ = UINT_MAX;
    bool cachedOurs_ = false;

    charset::UnicodeToCodes converter_;
    charset::Conversion converted_;   // the text so far
    std::u32string pending_;
    char32_t highSurrogate_ = 0;
    bool afterCell_ = false;
};

}  // namespace

ReadResult read(std::string_view document)
{
    return Reader(document).run();
}

}  // namespace tessaline::rtf
