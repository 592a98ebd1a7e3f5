// tessaline-process with calculator files: writing single and group files,
// the names they hold, refusals that write nothing, and reading them as input.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/char_widths.h"
#include "engine/line_break_pass.h"
#include "engine/line_settings.h"
#include "formats/calc_text_file.h"
#include "formats/text_file.h"
#include "tests/cli/cli_run.h"
#include "tests/formats/full_variable_text.h"

namespace fs = std::filesystem;
using namespace tessaline;
using namespace clitest;

namespace {

class CliCalc : public Cli {};

PassResult processed(const std::string& codes, int preset)
{
    LineSettings s;
    s.charWidths = defaultCharWidths();
    applyPreset(preset, s);
    return runLineBreakPass(codes, s, true);
}

// About 200 KB of words, to be cut into lines by the pass.
std::string longText()
{
    std::string text;
    for (int i = 0; text.size() < 200000; ++i)
        text += "word" + std::to_string(i) + (i % 50 == 49 ? "\r\n" : " ");
    return text;
}

}  // namespace

TEST_F(CliCalc, ASingleFileReadsBackToTheProcessedCodes)
{
    const std::string text = "Caf\xE9 \xA9 and \x8C words to break at the line length";
    const PassResult want = processed(text, 2);

    const fs::path file = dir_ / "My notes.89t";
    Outcome o = run("--raw --preset 2 --format 89t -o " + quoted(file), text);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err, summary(want.text.size(), want.modificationCount));
    CalcReadResult read = readCalcFile(readFile(file));
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.warning, "");
    EXPECT_EQ(read.format.calculator, Calculator::Ti89);
    EXPECT_FALSE(read.format.group);
    ASSERT_EQ(read.variables.size(), 1u);
    // The name comes from the output file's name; the folder is "main".
    EXPECT_EQ(read.variables[0].name, "mynotes");
    EXPECT_EQ(read.variables[0].folder, "main");
    // The closing line end ends the last line: no empty line of its own.
    EXPECT_EQ(read.variables[0].codes + "\r\n", want.text);
    EXPECT_EQ(listing(dir_), (std::vector<std::string>{"My notes.89t", "stderr", "stdin", "stdout"}));

    // Named by hand, in another folder, for the other calculators; to
    // standard output the same bytes as to a file.
    for (const char* format : {"9xt", "v2t"}) {
        const std::string args = std::string("--raw --preset 2 --format ") + format + " --name Story --folder=BOOKS";
        Outcome toStdout = run(args, text);
        EXPECT_EQ(toStdout.status, 0) << toStdout.err;
        read = readCalcFile(toStdout.out);
        ASSERT_TRUE(read.ok) << read.error;
        EXPECT_EQ(toStdout.out.substr(0, 8), "**TI92P*");
        ASSERT_EQ(read.variables.size(), 1u);
        EXPECT_EQ(read.variables[0].name, "story");
        EXPECT_EQ(read.variables[0].folder, "books");
        EXPECT_EQ(read.variables[0].codes + "\r\n", want.text);
        const fs::path named = dir_ / (std::string("named.") + format);
        EXPECT_EQ(run(args + " -o " + quoted(named), text).status, 0);
        EXPECT_TRUE(readFile(named) == toStdout.out) << format;
    }

    // Without -o and --name the variable is "text".
    Outcome plain = run("--raw --preset 2 --format 89t", text);
    EXPECT_EQ(readCalcFile(plain.out).variables.at(0).name, "text");
}

TEST_F(CliCalc, ALongTextGoesIntoAGroupFileAndIsRefusedInASingleOne)
{
    const std::string text = longText();
    const PassResult want = processed(text, 0);
    ASSERT_GT(want.text.size(), 3 * kMaxVariableText);

    const fs::path group = dir_ / "book.89g";
    Outcome o = run("--raw --format 89g --name chapter -o " + quoted(group), text);
    EXPECT_EQ(o.status, 0) << o.err;
    // More than a TI-89's RAM: said before the summary.
    const std::size_t use = calcMemoryUse(splitCalcText(want.text, "chapter").variables);
    EXPECT_EQ(o.err,
              calcMemoryWarning(use, Calculator::Ti89) + "\n" + summary(want.text.size(), want.modificationCount));
    const CalcReadResult read = readCalcFile(readFile(group));
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_TRUE(read.format.group);
    ASSERT_EQ(read.variables.size(), 4u);
    for (std::size_t i = 0; i < read.variables.size(); ++i)
        EXPECT_EQ(read.variables[i].name, "chapter" + std::to_string(i + 1));
    EXPECT_TRUE(joinCalcTexts(read.variables) == want.text) << "the variables' texts differ from the processed text";
    // Open Text reads the group back as the processed text.
    const DecodedText decoded = decodeTextFile(readFile(group));
    EXPECT_TRUE(decoded.ok && decoded.codes == want.text) << decoded.error;

    // A single-variable format is refused, pointing to the group format;
    // nothing is written or replaced, to a file or to standard output.
    const fs::path single = dir_ / "out" / "book.9xt";
    fs::create_directory(dir_ / "out");
    writeFile(single, "earlier");
    o = run("--raw --format 9xt -o " + quoted(single), text);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err,
              "tessaline-process: The text needs 4 variables of at most 65514 bytes, and a .9xt file holds "
              "one; --format 9xg writes them as one group file.\n");
    EXPECT_EQ(readFile(single), "earlier");
    EXPECT_EQ(listing(dir_ / "out"), std::vector<std::string>{"book.9xt"});
    o = run("--raw --format 89t", text);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, "");
    EXPECT_NE(o.err.find("--format 89g"), std::string::npos) << o.err;
}

TEST_F(CliCalc, TheLongestTextOfOneVariableIsOneFileWithOrWithoutItsClosingLineEnd)
{
    // The window's Save as Calculator Text writes these same bytes.
    const std::string full = fullVariableText();
    const std::string expected = writeCalcText(full, {{}, "story", "main", ""}).files.at(0).bytes;
    for (const std::string& text : {full, full + "\r\n"}) {
        const Outcome o = run("--raw --preset 3 --format 89t --name story", text);
        EXPECT_EQ(o.status, 0) << o.err;
        EXPECT_TRUE(o.out == expected) << text.size();
        EXPECT_EQ(o.err, summary(full.size() + 2, text == full ? 1 : 0));
    }
    // Read back, it is the processed text again: nothing to change.
    writeFile(dir_ / "story.89t", expected);
    const Outcome back = run("--preset 3 " + quoted(dir_ / "story.89t"));
    EXPECT_TRUE(back.out == full + "\r\n");
    EXPECT_EQ(back.err, summary(full.size() + 2, 0));

    // One character more takes a second variable, which a .89t cannot hold.
    const Outcome more = run("--raw --preset 3 --format 89t", full + "x\r\n");
    EXPECT_EQ(more.status, 1);
    EXPECT_EQ(more.out, "");
    EXPECT_NE(more.err.find("The text needs 2 variables"), std::string::npos) << more.err;
}

TEST_F(CliCalc, AWarningWhenTheCalculatorHasTooLittleRamAndNoGroupFileOf8MiB)
{
    // About 200 KB: more than a TI-92 Plus's RAM. The warning comes before
    // the summary; the file is written.
    const std::string text = longText();
    const PassResult want = processed(text, 0);
    const fs::path group = dir_ / "book.9xg";
    Outcome o = run("--raw --format 9xg --name chapter -o " + quoted(group), text);
    EXPECT_EQ(o.status, 0) << o.err;
    const std::size_t use = calcMemoryUse(splitCalcText(want.text, "chapter").variables);
    EXPECT_EQ(o.err,
              calcMemoryWarning(use, Calculator::Ti92Plus) + "\n" + summary(want.text.size(), want.modificationCount));
    EXPECT_NE(o.err.find("on a TI-92 Plus"), std::string::npos) << o.err;
    EXPECT_TRUE(readCalcFile(readFile(group)).ok);
    // A text that fits says nothing more.
    EXPECT_EQ(run("--raw --format 89t", "short").err, summary(7, 1));

    // A text whose group file would reach 8 MiB: refused, nothing written.
    std::string huge;
    while (huge.size() < kMaxCalcFileSize)
        huge += "words to be broken at the line length of the preset ";
    fs::create_directory(dir_ / "out");
    o = run("--raw --preset 3 --format 89g -o " + quoted(dir_ / "out" / "huge.89g"), huge);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err,
              "tessaline-process: The text makes a group file of 8 MiB or more, which calculator link programs "
              "refuse; save it as one file per part, or in smaller pieces.\n");
    EXPECT_TRUE(fs::is_empty(dir_ / "out"));
}

TEST_F(CliCalc, BadNamesAndCharacterZeroWriteNothing)
{
    const fs::path target = dir_ / "out" / "x.89t";
    fs::create_directory(dir_ / "out");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"--name 9lives", calcNameProblem("9lives", NameRole::Variable)},
        {"--name toolongname", calcNameProblem("toolongname", NameRole::Variable)},
        {"--name=", calcNameProblem("", NameRole::Variable)},
        {"--name", "--name needs a variable name"},
        {"--folder 'my dir'", calcNameProblem("my dir", NameRole::Folder)},
        {"--folder caf\xC3\xA9", calcNameProblem("caf\xC3\xA9", NameRole::Folder)},
    };
    for (const auto& [args, message] : cases) {
        Outcome o = run("--format 89t -o " + quoted(target) + " " + args, "text");
        EXPECT_EQ(o.status, 1) << args;
        EXPECT_EQ(o.err, "tessaline-process: " + message + "\n") << args;
    }
    // A name for a format that holds none is a mistake, not ignored.
    Outcome unused = run("--name story -o " + quoted(target), "text");
    EXPECT_EQ(unused.status, 1);
    EXPECT_NE(unused.err.find("calculator format"), std::string::npos) << unused.err;
    EXPECT_EQ(run("--format 89x", "text").status, 1);

    // Character 0 is refused, saying where it is in the processed text.
    Outcome zero =
        run("--raw --preset 4 --custom 5 --format 89g -o " + quoted(target), std::string("first line\r\nab\0cd", 17));
    EXPECT_EQ(zero.status, 1);
    EXPECT_EQ(zero.err,
              "tessaline-process: The text holds character 0 at line 3, column 3; a text variable cannot "
              "hold it.\n");
    Outcome zeroOut = run("--raw --format 89t", std::string("a\0", 2));
    EXPECT_EQ(zeroOut.status, 1);
    EXPECT_EQ(zeroOut.out, "");
    EXPECT_TRUE(fs::is_empty(dir_ / "out"));
}

TEST_F(CliCalc, CalculatorFilesAsInput)
{
    // The program's own file read back: the same text, nothing to change.
    const std::string text = longText();
    const PassResult want = processed(text, 1);
    const fs::path group = dir_ / "book.9xg";
    ASSERT_EQ(run("--raw --preset 1 --format 9xg -o " + quoted(group), text).status, 0);
    Outcome again = run("--preset 1 " + quoted(group));
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_TRUE(again.out == want.text) << "the text read from the group file differs";
    EXPECT_EQ(again.err, summary(want.text.size(), 0));

    // A file whose variables' checksums are wrong: processed, with one line
    // saying so in front of the summary. Its last line is read ended by a
    // line end, so the text needs no closing line break.
    const CalcWriteOptions asGroup{{Calculator::Ti89, true}, "a", "main", ""};
    std::string bytes = writeCalcText("one two three\r\nfour", asGroup).files.at(0).bytes;
    const CalcReadResult read = readCalcFile(bytes);
    ASSERT_TRUE(read.ok);
    bytes.back() ^= 0x01;
    const fs::path damaged = dir_ / "sum.89g";
    writeFile(damaged, bytes);
    ASSERT_NE(decodeTextFile(bytes).warning, "");
    Outcome warned = run("--preset 2 " + quoted(damaged));
    EXPECT_EQ(warned.status, 0) << warned.err;
    EXPECT_EQ(warned.out, "one two three\r\nfour\r\n");
    const std::string warningLine = damaged.string() + ": " + decodeTextFile(bytes).warning + "\n";
    EXPECT_EQ(warned.err, warningLine + summary(21, 0));

    // Two wrong checksums still make one line.
    std::string two = writeCalcText(std::string(70000, 'x').insert(40000, "\r\n"), asGroup).files.at(0).bytes;
    ASSERT_EQ(readCalcFile(two).variables.size(), 2u);
    // The first variable's checksum follows its data: the entry after the
    // folder entry gives where its block starts, the size word how long it is.
    const auto byte = [&two](std::size_t at) { return static_cast<std::size_t>(static_cast<unsigned char>(two[at])); };
    const std::size_t block = byte(0x4C) | byte(0x4D) << 8 | byte(0x4E) << 16;
    const std::size_t firstSum = block + 4 + 2 + (byte(block + 4) << 8 | byte(block + 5));
    two[firstSum] ^= 0x01;
    two.back() ^= 0x01;
    ASSERT_NE(decodeTextFile(two).warning.find('\n'), std::string::npos);
    Outcome twoWarned = run("--preset 4 --custom 30000", two);
    EXPECT_EQ(twoWarned.status, 0) << twoWarned.err;
    EXPECT_EQ(std::count(twoWarned.err.begin(), twoWarned.err.end(), '\n'), 2) << twoWarned.err;
    EXPECT_EQ(twoWarned.err.rfind("standard input: The checksum of variable \"a1\"", 0), 0u) << twoWarned.err;

    // A damaged file: what is wrong, on one line, and nothing written.
    const fs::path cut = dir_ / "cut.89g";
    writeFile(cut, bytes.substr(0, bytes.size() - 3));
    const fs::path target = dir_ / "out.txt";
    Outcome refused = run("-o " + quoted(target) + " " + quoted(cut));
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "tessaline-process: " + cut.string() + ": " + decodeTextFile(readFile(cut)).error + "\n");
    EXPECT_NE(refused.err.find("bytes long, but it is"), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(target));

    // --raw takes a calculator file's bytes as they are.
    Outcome raw = run("--raw --preset 5 --custom 32767", bytes);
    EXPECT_EQ(raw.status, 0);
    EXPECT_TRUE(raw.out == bytes + "\r\n");
}
