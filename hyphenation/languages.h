// The hyphenation dictionaries installed (Debian's hyphen-* packages put
// them in /usr/share/hyphen as hyph_LANGUAGE.dic) and which of them suit
// calculator text.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaline::hyphenation {

inline constexpr std::string_view kDictionaryFolder = "/usr/share/hyphen";

struct Language {
    std::string name;  // as the file is named: "en_US", "de_DE", "fr"
    std::string file;
};

// The dictionaries of `folder` whose letters the calculator's character set
// holds, one per file (of the names that lead to one file, the file's own
// name), sorted by name.
std::vector<Language> findLanguages(const std::string& folder = std::string(kDictionaryFolder));

// The dictionary named `name` ("en_US", "en-US", "de", or any other name a
// file of `folder` bears), if it is installed and suits calculator text.
std::optional<Language> findLanguage(std::string_view name, const std::string& folder = std::string(kDictionaryFolder));

// Whether the calculator holds the letters of the patterns in a dictionary
// file: 99 in 100 of them at least (typographic ligatures such as "fi" in
// one character not counted). A file that cannot be read does not qualify.
bool calculatorHoldsLetters(const std::string& file);

}  // namespace tessaline::hyphenation
