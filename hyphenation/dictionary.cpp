// libhyphen behind the engine's Hyphenator.

#include "hyphenation/dictionary.h"

#include <hyphen.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "charset/charset.h"
#include "hyphenation/recoding.h"

namespace tessaline::hyphenation {

namespace {

// The calculator's letters are Latin: their lower case is one code point on.
char32_t lowerCase(char32_t c)
{
    if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return c + 0x20;
    }
    return c;
}

// The lower-cased word in the dictionary's encoding, one character to a
// byte or (UTF-8) to a sequence; nothing when the encoding lacks one.
std::optional<std::string> spelled(std::string_view word, const std::string& encoding)
{
    std::u32string unicode;
    for (char c : word) {
        const std::u32string_view shown = charset::shown(static_cast<unsigned char>(c));
        if (shown.size() != 1) {
            return std::nullopt;
        }
        unicode.push_back(lowerCase(shown[0]));
    }
    if (encoding == "UTF-8") {
        return charset::encodeUtf8(unicode);
    }
    if (encoding == "ISO8859-1") {
        std::string bytes;
        for (char32_t c : unicode) {
            if (c > 0xFF) {
                return std::nullopt;
            }
            bytes.push_back(static_cast<char>(c));
        }
        return bytes;
    }
    // Another 8-bit code page: one byte a character, or the points would not
    // line up with the word.
    std::optional<std::string> bytes = recode(charset::encodeUtf8(unicode), "UTF-8", encoding);
    if (!bytes || bytes->size() != unicode.size()) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace

std::unique_ptr<Dictionary> Dictionary::load(const std::string& file, std::string& error)
{
    std::FILE* f = std::fopen(file.c_str(), "rb");
    if (f == nullptr) {
        error = "cannot read " + file + ": " + std::strerror(errno);
        return nullptr;
    }
    HyphenDict* dict = hnj_hyphen_load_file(f);
    std::fclose(f);
    if (dict == nullptr) {
        error = "cannot read " + file + ": not a hyphenation dictionary";
        return nullptr;
    }
    return std::unique_ptr<Dictionary>(new Dictionary(dict, canonicalEncoding(dict->cset)));
}

Dictionary::Dictionary(_HyphenDict* dict, std::string encoding) : dict_(dict), encoding_(std::move(encoding)) {}

Dictionary::~Dictionary() { hnj_hyphen_free(dict_); }

void Dictionary::points(std::string_view word, std::vector<std::size_t>& points) const
{
    const std::optional<std::string> bytes = spelled(word, encoding_);
    if (!bytes || bytes->empty()) {
        return;
    }
    const int size = static_cast<int>(bytes->size());
    // libhyphen marks a point after character k (of a UTF-8 word too) with
    // an odd digit at hyphens[k].
    std::vector<char> hyphens(bytes->size() + 5, '0');
    char** rep = nullptr;
    int* pos = nullptr;
    int* cut = nullptr;
    if (hnj_hyphen_hyphenate2(dict_, bytes->data(), size, hyphens.data(), nullptr, &rep, &pos, &cut) == 0) {
        for (std::size_t k = 1; k < word.size(); ++k) {
            const bool odd = (hyphens[k - 1] - '0') % 2 == 1;
            const bool changesLetters = rep != nullptr && rep[k - 1] != nullptr;
            if (odd && !changesLetters) {
                points.push_back(k);
            }
        }
    }
    if (rep != nullptr) {
        for (int i = 0; i < size; ++i) {
            std::free(rep[i]);
        }
        std::free(rep);
    }
    std::free(pos);
    std::free(cut);
}

}  // namespace tessaline::hyphenation
