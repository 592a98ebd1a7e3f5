// The installed dictionaries through the engine's question: encodings,
// case, accented letters, and the files that are found.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "hyphenation/dictionary.h"
#include "hyphenation/languages.h"

using namespace tessaline;
using namespace tessaline::hyphenation;

namespace {

// One load per language for the whole program (German takes seconds).
const Dictionary* dictionary(const std::string& name)
{
    static std::map<std::string, std::unique_ptr<Dictionary>> loaded;
    auto it = loaded.find(name);
    if (it == loaded.end()) {
        const std::optional<Language> language = findLanguage(name);
        std::string error;
        it = loaded.emplace(name, language ? Dictionary::load(language->file, error) : nullptr).first;
    }
    return it->second.get();
}

std::vector<std::size_t> pointsOf(const std::string& name, const std::string& word)
{
    std::vector<std::size_t> points;
    dictionary(name)->points(word, points);
    return points;
}

using Points = std::vector<std::size_t>;

class TempFolder {
public:
    TempFolder()
    {
        path_ = std::filesystem::temp_directory_path()
                / ("tessaline-hyphen-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-"
                   + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    std::string write(const std::string& name, const std::string& content) const
    {
        std::ofstream(path_ / name, std::ios::binary) << content;
        return (path_ / name).string();
    }
    std::string path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

}  // namespace

TEST(Dictionary, EnglishInUtf8LowerCasesTheWord)
{
    ASSERT_NE(dictionary("en_US"), nullptr) << "hyphen-en-us is not installed";
    EXPECT_EQ(dictionary("en_US")->encoding(), "UTF-8");
    EXPECT_EQ(pointsOf("en_US", "hyphenation"), (Points{2, 6}));
    EXPECT_EQ(pointsOf("en_US", "Hyphenation"), (Points{2, 6}));
    EXPECT_EQ(pointsOf("en_US", "HYPHENATION"), (Points{2, 6}));
    EXPECT_EQ(pointsOf("en_US", "extraordinarily"), (Points{2, 7, 9, 12}));
    EXPECT_EQ(pointsOf("en_US", "children's"), (Points{4}));
}

TEST(Dictionary, GermanInLatin1TakesUmlautsAndSharpS)
{
    ASSERT_NE(dictionary("de_DE"), nullptr) << "hyphen-de is not installed";
    EXPECT_EQ(dictionary("de_DE")->encoding(), "ISO8859-1");
    // Calculator codes 228 (a umlaut), 196 (A umlaut) and 223 (sharp s).
    EXPECT_EQ(pointsOf("de_DE",
                       "M\xe4"
                       "dchenhaft"),
              (Points{3, 7}));
    EXPECT_EQ(pointsOf("de_DE", "\xc4rger"), pointsOf("de_DE", "\xe4rger"));
    EXPECT_EQ(pointsOf("de_DE",
                       "Stra\xdf"
                       "enbahn"),
              (Points{4, 7}));
}

TEST(Dictionary, FrenchInUtf8CountsAccentedLettersAsOne)
{
    ASSERT_NE(dictionary("fr"), nullptr) << "hyphen-fr is not installed";
    // Codes 233 (e acute) and 226 (a circumflex): two bytes each in UTF-8.
    EXPECT_EQ(pointsOf("fr", "\xe9l\xe9mentaire"), (Points{3, 6}));
    EXPECT_EQ(pointsOf("fr", "P\xe2tisserie"), (Points{2, 5, 7}));
}

TEST(Dictionary, AFileThatCannotBeReadIsRefusedWithItsName)
{
    std::string error;
    EXPECT_EQ(Dictionary::load("/nonexistent/hyph_xx.dic", error), nullptr);
    EXPECT_NE(error.find("/nonexistent/hyph_xx.dic"), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
}

TEST(Languages, TheInstalledDictionariesOncePerFile)
{
    const std::vector<Language> found = findLanguages();
    std::vector<std::string> names;
    for (const Language& l : found) {
        names.push_back(l.name);
    }
    for (const char* expected : {"de_DE", "en_US", "fr"}) {
        EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;
    }
    // Debian links hyph_de_AT.dic, hyph_en.dic, hyph_fr_FR.dic ... to those.
    for (const char* alias : {"de_AT", "de", "en", "fr_FR"}) {
        EXPECT_EQ(std::find(names.begin(), names.end(), alias), names.end()) << alias;
    }
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    // Every name of a file is understood on the command line, "-" or "_".
    ASSERT_TRUE(findLanguage("en-US"));
    EXPECT_EQ(findLanguage("en-US")->name, "en_US");
    EXPECT_TRUE(findLanguage("de_AT"));
    EXPECT_FALSE(findLanguage("xx_YY"));
    EXPECT_FALSE(findLanguage(""));
    EXPECT_FALSE(findLanguage("../hyphen/hyph_en_US"));
}

TEST(Languages, OnlyThoseWhoseLettersTheCalculatorHolds)
{
    TempFolder folder;
    folder.write("hyph_la.dic",
                 "UTF-8\nLEFTHYPHENMIN 2\n% a comment \xd0\xb6\n.ab1c\nb2d\n\xc3\xa9"
                 "1t\n");
    // Cyrillic: none of its letters.
    folder.write("hyph_ru_RU.dic",
                 "UTF-8\n.\xd0\xb0\xd0\xb1"
                 "1\xd0\xb2\n\xd0\xb3"
                 "2\xd0\xb4\n");
    // Latin 1 with a few letters the calculator lacks (c caron), 1 in 50.
    std::string mostly = "ISO8859-2\n";
    for (int i = 0; i < 49; ++i) {
        mostly += "ab1c\n";
    }
    mostly +=
        "\xe8"
        "1a\n";  // c caron in ISO 8859-2
    folder.write("hyph_cs.dic", mostly);
    folder.write("hyph_en.dic",
                 "UTF-8\n\xef\xac\x81"
                 "1ab\nab1c\n");  // a ligature "fi" is not counted
    folder.write("readme.txt", "UTF-8\nab1c\n");
    std::filesystem::create_symlink(folder.path() + "/hyph_la.dic", folder.path() + "/hyph_la_AA.dic");
    std::filesystem::create_symlink(folder.path() + "/hyph_la.dic", folder.path() + "/hyph_aa.dic");

    std::vector<std::string> names;
    for (const Language& l : findLanguages(folder.path())) {
        names.push_back(l.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"cs", "en", "la"}));
    EXPECT_FALSE(findLanguage("ru_RU", folder.path()));
    EXPECT_TRUE(findLanguage("la_AA", folder.path()));
    EXPECT_FALSE(calculatorHoldsLetters(folder.path() + "/missing.dic"));

    // Above 1 in 100 letters the calculator lacks, the language is not offered.
    std::string lacking = "ISO8859-2\n";
    for (int i = 0; i < 10; ++i) {
        lacking +=
            "ab1c\n\xe8"
            "1a\n";
    }
    EXPECT_FALSE(calculatorHoldsLetters(folder.write("hyph_sk.dic", lacking)));
}
