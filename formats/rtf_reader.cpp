#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "charset/charset.h"
#include "charset/code_pages.h"
#include "charset/code_writer.h"
#include "charset/iconv_conversion.h"
#include "charset/utf16.h"
#include "formats/rtf.h"

namespace tessaline::rtf {

namespace {

constexpr std::size_t kMaxDepth = 10000;  // deeper groups are read as if flat
constexpr std::size_t kMaxFontNameLength = 256;
constexpr std::size_t kMaxWordLength = 32;
constexpr int kMaxUnicodeSkip = 1024;

enum class Destination : std::uint8_t {
    Text,       // document text
    FontTable,  // font names and numbers
    Skip,       // not text: tables, pictures, field instructions, ...
};

// The font size of a text without \fs, and the largest one the writer
// writes, in half points.
constexpr int kDefaultHalfPoints = 24;
constexpr int kMaxHalfPoints = 32767;

struct GroupState {
    int font = -1;  // -1: the default font (\deff)
    int halfPoints = kDefaultHalfPoints;
    int unicodeSkip = 1;
    Destination destination = Destination::Text;
};

bool isLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

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

bool isBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == 0; }

// Groups whose content is never text, known by the word at their start.
bool isSkippedDestination(std::string_view word)
{
    static constexpr std::string_view kWords[] = {
        "colortbl",
        "stylesheet",
        "info",
        "pict",
        "nonshppict",
        "fldinst",
        "footnote",
        "xe",
        "tc",
        "listtable",
        "listoverridetable",
        "revtbl",
        "rsidtbl",
        "generator",
        "themedata",
        "colorschememapping",
        "latentstyles",
        "datastore",
        "xmlnstbl",
        "filetbl",
        "objdata",
        "template",
        "pgdsctbl",
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
    if (name.size() != kCalculatorFontName.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char a = name[i], b = kCalculatorFontName[i];
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z')
            b = static_cast<char>(b - 'A' + 'a');
        if (a != b)
            return false;
    }
    return true;
}

using CodePageTable = std::array<char32_t, 128>;

// The upper half of another single-byte code page (1250 Central European,
// 1251 Cyrillic, 1253 Greek, 866 DOS Cyrillic, ...), from the system's
// converter; made on the first document that needs it and kept for the life
// of the process (only numbers 400 to 1258 are tried, so the tables stay
// few). A byte the code page does not define by itself (a lead byte of a
// double-byte code page) reads as U+FFFD. Null when the system does not know
// the code page.
const CodePageTable* otherCodePage(int number)
{
    if (number < 400 || number > 1258)
        return nullptr;
    static std::mutex mutex;
    static std::map<int, std::optional<CodePageTable>> tables;  // entries are never removed
    const std::lock_guard<std::mutex> lock(mutex);
    auto [found, added] = tables.try_emplace(number);
    std::optional<CodePageTable>& table = found->second;
    if (!added)
        return table ? &*table : nullptr;

    std::optional<internal::IconvConversion> toUnicode;
    for (const char* prefix : {"CP", "WINDOWS-"}) {
        toUnicode.emplace("UTF-32LE", (prefix + std::to_string(number)).c_str());
        if (toUnicode->isOpen())
            break;
    }
    if (!toUnicode->isOpen())
        return nullptr;
    table.emplace();
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const char in = static_cast<char>(byte);
        const std::optional<std::string> out = toUnicode->convert(std::string_view(&in, 1), 16);
        char32_t c = charset::utf16::kReplacementCharacter;
        if (out && out->size() == 4) {
            const auto* u = reinterpret_cast<const unsigned char*>(out->data());
            c = static_cast<char32_t>(u[0]) | static_cast<char32_t>(u[1]) << 8 | static_cast<char32_t>(u[2]) << 16
                | static_cast<char32_t>(u[3]) << 24;
        }
        (*table)[static_cast<std::size_t>(byte - 0x80)] = c;
    }
    return &*table;
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
                break;  // line breaks of the file are not text
            default:
                resolveStar(false);
                textByte(c);
                break;
            }
        }
        pending_.flush();
        result.ok = true;
        out_.finish();
        result.codes = std::move(codes_);
        result.replaced = out_.replaced();
        result.fontSizePoints = (textHalfPoints_ > 0 ? textHalfPoints_ : state_.halfPoints) / 2.0;
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
            word("par", false, 0, false);  // a backslash before a line break is \par
            break;
        default:
            break;  // \- (optional hyphen), \| , \: and unknown symbols: nothing
        }
    }

    void controlWord()
    {
        const std::size_t start = pos_;
        while (pos_ < doc_.size() && isLetter(static_cast<unsigned char>(doc_[pos_])))
            ++pos_;
        std::string_view name = doc_.substr(start, pos_ - start);
        if (name.size() > kMaxWordLength)
            name = {};  // no such word: read past it

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
            ++pos_;  // the delimiting space belongs to the word
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

        const Word w{name, hasParam, param};
        if (const Action action = actionOf(name))
            (this->*action)(w);
        else if (const char32_t c = symbolOf(name))
            symbol(c);
    }

    // A control word of the document's text with its parameter.
    struct Word {
        std::string_view name;
        bool hasParam = false;
        int param = 0;

        int paramOr(int fallback) const { return hasParam ? param : fallback; }
    };
    using Action = void (Reader::*)(const Word&);

    // What a control word of the text does, or null for words without an
    // effect here (formatting, and all words this reader does not know).
    static Action actionOf(std::string_view name)
    {
        struct Entry {
            std::string_view name;
            Action action;
        };
        static constexpr Entry kWords[] = {
            {"ansicpg", &Reader::ansiCodePage},
            {"cell", &Reader::cellEnd},
            {"deff", &Reader::defaultFont},
            {"f", &Reader::font},
            {"fs", &Reader::fontSize},
            {"line", &Reader::lineBreak},
            {"mac", &Reader::macCodePage},
            {"page", &Reader::pageBreak},
            {"par", &Reader::lineBreak},
            {"pc", &Reader::dosCodePage},
            {"pca", &Reader::dosMultilingualCodePage},
            {"plain", &Reader::plainFont},
            {"row", &Reader::rowEnd},
            {"sect", &Reader::pageBreak},
            {"u", &Reader::unicodeCharacter},
            {"uc", &Reader::unicodeFallbackLength},
        };
        static_assert(std::ranges::is_sorted(kWords, {}, &Entry::name));
        const auto* found = std::ranges::lower_bound(kWords, name, {}, &Entry::name);
        return found != std::end(kWords) && found->name == name ? found->action : nullptr;
    }

    // The character a control word stands for, or 0.
    static char32_t symbolOf(std::string_view name)
    {
        struct Entry {
            std::string_view name;
            char32_t character;
        };
        static constexpr Entry kSymbols[] = {
            {"bullet", 0x2022},    {"emdash", 0x2014},    {"emspace", U' '},  {"endash", 0x2013},
            {"enspace", U' '},     {"ldblquote", 0x201C}, {"lquote", 0x2018}, {"qmspace", U' '},
            {"rdblquote", 0x201D}, {"rquote", 0x2019},    {"tab", U'\t'},
        };
        static_assert(std::ranges::is_sorted(kSymbols, {}, &Entry::name));
        const auto* found = std::ranges::lower_bound(kSymbols, name, {}, &Entry::name);
        return found != std::end(kSymbols) && found->name == name ? found->character : 0;
    }

    // Document-wide settings.
    void defaultFont(const Word& w) { defaultFont_ = w.paramOr(0); }
    void ansiCodePage(const Word& w) { codePage_ = w.paramOr(1252); }
    void macCodePage(const Word&) { codePage_ = 10000; }
    void dosCodePage(const Word&) { codePage_ = 437; }
    void dosMultilingualCodePage(const Word&) { codePage_ = 850; }

    // Character state.
    void font(const Word& w) { state_.font = w.paramOr(0); }
    void fontSize(const Word& w)
    {
        const int halfPoints = w.paramOr(kDefaultHalfPoints);
        state_.halfPoints = halfPoints > 0 ? std::min(halfPoints, kMaxHalfPoints) : kDefaultHalfPoints;
    }
    void plainFont(const Word&)
    {
        state_.font = -1;
        state_.halfPoints = kDefaultHalfPoints;
    }
    void unicodeFallbackLength(const Word& w) { state_.unicodeSkip = std::clamp(w.paramOr(1), 0, kMaxUnicodeSkip); }

    void unicodeCharacter(const Word& w)
    {
        if (!w.hasParam)
            return;
        // A unit above 32767 is written as a negative number.
        unicodeUnit(w.param < 0 ? w.param + charset::utf16::kUnitValues : w.param);
        skipUnits_ = static_cast<std::size_t>(state_.unicodeSkip);
    }

    // Line ends. A table row ends a line unless its last cell has just
    // ended one.
    void lineBreak(const Word&)
    {
        lineEnd();
        afterCell_ = false;
    }

    void cellEnd(const Word&)
    {
        lineEnd();
        afterCell_ = true;
    }

    void rowEnd(const Word&)
    {
        if (!afterCell_)
            lineEnd();
        afterCell_ = false;
    }

    // A break that ends a line unless the line has just ended.
    void pageBreak(const Word&)
    {
        if (!atLineStart())
            lineEnd();
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
            --skipUnits_;  // the fallback of the last \u
            return;
        }
        if (c == '\t') {
            pushUnicode(U'\t');
        } else if (c < 0x20) {
            return;  // other control bytes are not text
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
            pushCode(c);  // the calculator code itself
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
        pushUnicode(unit >= 0 && unit < charset::utf16::kUnitValues ? static_cast<char32_t>(unit)
                                                                    : charset::utf16::kReplacementCharacter);
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
            if (const CodePageTable* page = otherPage())
                return (*page)[c - 0x80];
        }
        return table[c - 0x80];
    }

    // Another code page the document names (see otherCodePage); the table
    // of the code page in use is kept at hand. Null when the system does not
    // know the code page: the bytes are then read as 1252.
    const CodePageTable* otherPage()
    {
        if (codePage_ != otherPageNumber_) {
            otherPageNumber_ = codePage_;
            otherPage_ = otherCodePage(codePage_);
        }
        return otherPage_;
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
        noteTextSize();
        afterCell_ = false;
        pending_.pushUnit(c);
    }

    void pushCode(unsigned char code)
    {
        noteTextSize();
        afterCell_ = false;
        pending_.flush();
        out_.code(static_cast<char>(code));
    }

    void noteTextSize()
    {
        if (textHalfPoints_ == 0)
            textHalfPoints_ = state_.halfPoints;
    }

    void lineEnd()
    {
        pending_.flush();
        out_.code('\r');
        out_.code('\n');
    }

    bool atLineStart() const
    {
        if (!pending_.empty())
            return false;
        return out_.empty() || out_.back() == '\n';
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
    int otherPageNumber_ = -1;  // see otherPage()
    const CodePageTable* otherPage_ = nullptr;
    std::unordered_map<int, bool> fonts_;  // font number -> is the calculator font
    int fontEntry_ = -1;
    std::string fontName_;
    unsigned fontsVersion_ = 0;
    int cachedFont_ = INT_MIN;
    unsigned cachedVersion_ = UINT_MAX;
    bool cachedOurs_ = false;

    std::string codes_;  // the text so far, CR LF line ends
    internal::CodeWriter out_{codes_};
    internal::PendingUnicode pending_{out_};
    bool afterCell_ = false;
    int textHalfPoints_ = 0;  // the size at the first character; 0 before it
};

}  // namespace

ReadResult read(std::string_view document) { return Reader(document).run(); }

}  // namespace tessaline::rtf
