// tessaline-process --hyphenate: the installed dictionaries by name, the
// message for one that is not there, the same text read whole or in pieces.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/cli/cli_run.h"

using namespace clitest;

TEST_F(Cli, HyphenateBreaksWordsWhereTheDictionarySays)
{
    // 10 characters: "aaa hy-" fits where "aaa hyphen-" does not.
    Outcome o = run("--raw --preset 4 --custom 10 --hyphenate en_US", "aaa hyphenation");
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "aaa hy-\r\nphenation\r\n");
    EXPECT_EQ(o.err, "20 characters, 3 modifications\n");
    // Every name Debian gives a file, "-" for "_" too; German in Latin 1
    // ("M\xe4" "dchenhaft" as calculator codes).
    EXPECT_EQ(run("--raw --preset 4 --custom 10 --hyphenate=en-US", "aaa hyphenation").out, o.out);
    EXPECT_EQ(run("--raw --preset 4 --custom 10 --hyphenate de_AT",
                  "aaa M\xe4"
                  "dchenhaft")
                  .out,
              "aaa M\xe4"
              "d-\r\nchenhaft\r\n");
    // Off without the option; no hyphen without word wrap.
    EXPECT_EQ(run("--raw --preset 4 --custom 10", "aaa hyphenation").out, "aaa\r\nhyphenatio\r\nn\r\n");
    EXPECT_EQ(run("--raw --preset 4 --custom 10 --no-wrap --hyphenate en_US", "aaa hyphenation").out,
              "aaa hyphen\r\nation\r\n");
}

TEST_F(Cli, HyphenateRefusesALanguageThatIsNotInstalled)
{
    for (const char* bad : {"--hyphenate xx_YY", "--hyphenate ../hyphen/hyph_en_US", "--hyphenate", "--hyphenate="}) {
        Outcome o = run(std::string("--raw ") + bad + " -o " + quoted(dir_ / "out"), "aaa hyphenation");
        EXPECT_EQ(o.status, 1) << bad;
        EXPECT_EQ(o.out, "") << bad;
        EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << bad << ": " << o.err;
        EXPECT_FALSE(std::filesystem::exists(dir_ / "out")) << bad;
    }
    Outcome o = run("--hyphenate xx_YY", "text");
    EXPECT_EQ(o.err.rfind("tessaline-process: no hyphenation dictionary for \"xx_YY\" (installed: ", 0), 0u) << o.err;
    EXPECT_NE(o.err.find("en_US"), std::string::npos) << o.err;
}

TEST_F(Cli, HyphenatedTextIsTheSameReadWholeOrInPieces)
{
    std::string text;
    for (int i = 0; i < 40000; ++i) {
        text += i % 7 == 0 ? "extraordinarily " : i % 11 == 0 ? "hyphenation\r\n" : "the calculator ";
    }
    writeFile(dir_ / "in.txt", text);
    // A named plain text file is read in pieces; standard input whole first.
    Outcome named = run("--preset 2 --hyphenate en_US " + quoted(dir_ / "in.txt"));
    Outcome piped = run("--preset 2 --hyphenate en_US", text, "", true);
    ASSERT_EQ(named.status, 0) << named.err;
    EXPECT_EQ(named.out, piped.out);
    EXPECT_EQ(named.err, piped.err);
    EXPECT_NE(named.out.find("-\r\n"), std::string::npos);
    EXPECT_EQ(run("--preset 2 --hyphenate en_US --format rtf", text).status, 0);
}
