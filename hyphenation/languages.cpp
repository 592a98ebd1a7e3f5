// Finding the dictionaries.

#include "hyphenation/languages.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <system_error>

#include "charset/charset.h"
#include "engine/word_hyphenation.h"
#include "hyphenation/recoding.h"

namespace tessaline::hyphenation {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPrefix = "hyph_";
constexpr std::string_view kSuffix = ".dic";

std::optional<std::string> languageOf(const std::string& fileName)
{
    if (fileName.size() <= kPrefix.size() + kSuffix.size() || !fileName.starts_with(kPrefix)
        || !fileName.ends_with(kSuffix)) {
        return std::nullopt;
    }
    return fileName.substr(kPrefix.size(), fileName.size() - kPrefix.size() - kSuffix.size());
}

// The characters of a pattern line that are letters: not its digits (the
// hyphenation values), dots (word ends), apostrophes, hyphens and what
// follows a "/" (a non-standard replacement).
bool isPatternLetter(char32_t c)
{
    if (c < 0x80) {
        return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
    }
    if (c < 0x100) {
        return c >= 0xC0 && c != 0xD7 && c != 0xF7;  // not the Latin-1 signs
    }
    return c < 0x2000 || c >= 0x3000;  // not punctuation (a typographic apostrophe) or symbols
}

bool isLigature(char32_t c) { return c >= 0xFB00 && c <= 0xFB06; }

bool calculatorHolds(char32_t c)
{
    const std::u32string_view one(&c, 1);
    const std::optional<charset::Match> m = charset::matchCode(one);
    return m && m->length == 1 && isWordLetter(m->code);
}

}  // namespace

bool calculatorHoldsLetters(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return false;
    }
    std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t firstEnd = raw.find('\n');
    if (firstEnd == std::string::npos) {
        return false;
    }
    std::string encoding = raw.substr(0, firstEnd);
    while (!encoding.empty() && (encoding.back() == '\r' || encoding.back() == ' ')) {
        encoding.pop_back();
    }
    encoding = canonicalEncoding(encoding);
    const std::string_view body = std::string_view(raw).substr(firstEnd + 1);
    std::optional<std::u32string> text;
    if (encoding == "UTF-8") {
        text = charset::decodeUtf8(body, false);
    } else if (encoding == "ISO8859-1") {
        text.emplace(body.begin(), body.end());
        for (char32_t& c : *text) {
            c &= 0xFF;
        }
    } else if (std::optional<std::string> utf8 = recode(body, encoding, "UTF-8")) {
        text = charset::decodeUtf8(*utf8, false);
    }
    if (!text) {
        return false;
    }
    std::size_t letters = 0;
    std::size_t held = 0;
    std::size_t lineStart = 0;
    while (lineStart < text->size()) {
        std::size_t lineEnd = text->find(U'\n', lineStart);
        if (lineEnd == std::u32string::npos) {
            lineEnd = text->size();
        }
        std::u32string_view line = std::u32string_view(*text).substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        // Comments, and keywords (LEFTHYPHENMIN 2, NEXTLEVEL) in capitals.
        if (line.empty() || line[0] == U'%' || line[0] == U'#' || (line[0] >= U'A' && line[0] <= U'Z')) {
            continue;
        }
        line = line.substr(0, line.find(U'/'));
        for (char32_t c : line) {
            if (isPatternLetter(c) && !isLigature(c)) {
                ++letters;
                held += calculatorHolds(c) ? 1 : 0;
            }
        }
    }
    return letters > 0 && held * 100 >= letters * 99;
}

std::vector<Language> findLanguages(const std::string& folder)
{
    // The names of each file: its own if it is one, else the first in order.
    struct Named {
        Language language;
        bool own;
    };
    std::map<std::string, Named> byFile;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        const std::optional<std::string> name = languageOf(entry.path().filename().string());
        std::error_code failed;
        const fs::path target = fs::canonical(entry.path(), failed);
        if (!name || failed || !fs::is_regular_file(target, failed)) {
            continue;
        }
        Named named{Language{*name, entry.path().string()}, !entry.is_symlink(failed)};
        auto [it, added] = byFile.try_emplace(target.string(), named);
        const Named& held = it->second;
        if (!added && (named.own > held.own || (named.own == held.own && *name < held.language.name))) {
            it->second = std::move(named);
        }
    }
    std::vector<Language> found;
    for (auto& [target, named] : byFile) {
        if (calculatorHoldsLetters(target)) {
            found.push_back(std::move(named.language));
        }
    }
    std::sort(found.begin(), found.end(), [](const Language& a, const Language& b) { return a.name < b.name; });
    return found;
}

std::optional<Language> findLanguage(std::string_view name, const std::string& folder)
{
    std::string fileName(kPrefix);
    for (char c : name) {
        if (c == '/' || c == '\0') {
            return std::nullopt;
        }
        fileName.push_back(c == '-' ? '_' : c);
    }
    fileName.append(kSuffix);
    const fs::path path = fs::path(folder) / fileName;
    std::error_code ec;
    if (name.empty() || !fs::is_regular_file(path, ec) || !calculatorHoldsLetters(path.string())) {
        return std::nullopt;
    }
    return Language{fileName.substr(kPrefix.size(), fileName.size() - kPrefix.size() - kSuffix.size()), path.string()};
}

}  // namespace tessaline::hyphenation
