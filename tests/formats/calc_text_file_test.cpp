#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include "formats/calc_text_file.h"
#include "tests/formats/crlf_pairs.h"
#include "tests/formats/full_variable_text.h"

using namespace tessaline;

namespace {

std::string bytesOf(std::initializer_list<int> values) { return std::string(values.begin(), values.end()); }

std::string padded(std::string_view text, std::size_t width)
{
    std::string out(text);
    out.resize(width, '\0');
    return out;
}

// The test vector: "Hello" CR LF "World" as variable "hello" in folder
// "main" with the comment "probe".
std::string vectorFile(std::string_view signature)
{
    return std::string(signature) + bytesOf({1, 0}) + padded("main", 8) + padded("probe", 40)
           + bytesOf({1, 0, 0x52, 0, 0, 0}) + padded("hello", 8) + bytesOf({0x0B, 0, 0, 0, 107, 0, 0, 0, 0xA5, 0x5A})
           + bytesOf({0,    0,    0,    0,    0x00, 0x11, 0x00, 0x01, 0x20, 0x48, 0x65, 0x6C, 0x6C,
                      0x6F, 0x0D, 0x20, 0x57, 0x6F, 0x72, 0x6C, 0x64, 0x00, 0xE0, 0x3B, 0x05});
}

std::string writeOne(std::string_view codes, CalcFormat format = {})
{
    return writeCalcText(codes, {format, "text", "main", ""}).files.at(0).bytes;
}

// Every line end as CR LF: a CR LF, a lone CR and a lone LF each end a line.
std::string naiveCrLf(std::string_view codes)
{
    std::string out;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (codes[i] == '\r' && i + 1 < codes.size() && codes[i + 1] == '\n')
            continue;
        out += codes[i] == '\r' || codes[i] == '\n' ? std::string("\r\n") : std::string(1, codes[i]);
    }
    return out;
}

#if !defined(__SANITIZE_ADDRESS__)
// Reads `file` with `extra` bytes of address space more than the process
// holds now, and exits 0 when it was refused as overlapping.
[[noreturn]] void exitWithinAddressSpace(const std::string& file, rlim_t extra)
{
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    statm >> pages;
    const rlim_t limit = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + extra;
    const rlimit bound{limit, limit};
    setrlimit(RLIMIT_AS, &bound);
    std::exit(readCalcFile(file).error.find("overlap") != std::string::npos ? 0 : 1);
}
#endif

}  // namespace

TEST(CalcTextFile, TestVectorByteForByteForEachCalculator)
{
    const std::vector<std::tuple<Calculator, std::string, std::string>> cases = {
        {Calculator::Ti89, "**TI89**", "89"},
        {Calculator::Ti92Plus, "**TI92P*", "9x"},
        {Calculator::Voyage200, "**TI92P*", "v2"}};
    for (const auto& [calculator, signature, extension] : cases) {
        EXPECT_EQ(calcFileExtension({calculator, false}), extension + "t");
        EXPECT_EQ(calcFileExtension({calculator, true}), extension + "g");
        const CalcWriteResult written =
            writeCalcText("Hello\r\nWorld", {{calculator, false}, "Hello", "MAIN", "probe"});
        ASSERT_TRUE(written.ok) << written.error;
        EXPECT_EQ(written.files.at(0).variableName, "hello");
        EXPECT_EQ(written.files.at(0).bytes, vectorFile(signature)) << signature;

        const CalcReadResult read = readCalcFile(vectorFile(signature));
        ASSERT_TRUE(read.ok) << read.error;
        EXPECT_EQ(read.format.calculator, calculator == Calculator::Ti89 ? Calculator::Ti89 : Calculator::Ti92Plus);
        EXPECT_EQ(read.warning, "");
        ASSERT_EQ(read.variables.size(), 1u);
        EXPECT_EQ(read.variables[0].name + "/" + read.variables[0].folder, "hello/main");
        EXPECT_EQ(read.variables[0].codes, "Hello\r\nWorld");
    }
}

TEST(CalcTextFile, BadNamesAndCharacterZeroAreRefusedSayingWhy)
{
    const std::vector<std::pair<std::string, std::string>> bad = {{"", "empty"},
                                                                  {"abcdefghi", "has 9 characters; at most 8"},
                                                                  {"1abc", "does not start with a letter"},
                                                                  {"_abc", "does not start with a letter"},
                                                                  {"my notes", "holds a space"},
                                                                  {"a-b", "holds \"-\""},
                                                                  {"caf\xE9", "holds character 233"},
                                                                  {"caf\xC3\xA9", "holds \"\xC3\xA9\""},
                                                                  {"\xC3\xA9t\xC3\xA9", "holds \"\xC3\xA9\""},
                                                                  {"caf\xC3\xA9"
                                                                   "bar",
                                                                   "holds \"\xC3\xA9\""},
                                                                  {"caf\xC3\xA9"
                                                                   "barbe",
                                                                   "has 9 characters"},
                                                                  {"a\xE2\x82", "holds character 226"},
                                                                  {std::string("a\0b", 3), "holds character 0"}};
    for (const auto& [name, problem] : bad) {
        CalcWriteResult written = writeCalcText("x", {{}, name, "main", ""});
        EXPECT_FALSE(written.ok);
        EXPECT_TRUE(written.files.empty());
        EXPECT_NE(written.error.find("The variable name"), std::string::npos) << written.error;
        EXPECT_NE(written.error.find(problem), std::string::npos) << written.error;
        written = writeCalcText("x", {{}, "a", name, ""});
        EXPECT_NE(written.error.find("The folder name"), std::string::npos) << written.error;
        EXPECT_NE(written.error.find(problem), std::string::npos) << written.error;
    }
    EXPECT_EQ(calcNameProblem("Abc_1234", NameRole::Folder), "");
    EXPECT_FALSE(writeCalcText("x", {{}, "a", "main", std::string(41, 'c')}).ok);  // the comment field holds 40

    EXPECT_EQ(calcNameFromFileName("My notes.txt"), "mynotes");
    EXPECT_EQ(calcNameFromFileName("C:\\Texts.v2\\2024 Chapter_12 final.TXT"), "chapter_");
    EXPECT_EQ(calcNameFromFileName("/tmp/123.txt"), "text");

    const CalcWriteResult zero = writeCalcText(std::string("first\r\nsecond\nab\0c", 18), {{}, "a", "main", ""});
    EXPECT_FALSE(zero.ok);
    EXPECT_NE(zero.error.find("character 0 at line 3, column 3"), std::string::npos) << zero.error;
}

TEST(CalcTextFile, EveryKindOfLineEndIsOneSeparatorAndReadsBackAsCrLf)
{
    // A lone CR and a lone LF end a line as CR LF does; LF CR is two ends.
    // The final line end ends the last line.
    const std::string written = writeOne("a\r\nb\rc\nd\n\re\r\n");
    EXPECT_NE(written.find(bytesOf({0x20, 'a', 0x0D, 0x20, 'b', 0x0D, 0x20, 'c', 0x0D, 0x20, 'd', 0x0D, 0x20, 0x0D,
                                    0x20, 'e', 0x00, 0xE0})),
              std::string::npos);
    EXPECT_EQ(readCalcFile(written).variables.at(0).codes, "a\r\nb\r\nc\r\nd\r\n\r\ne");
    // The empty text is one empty line.
    EXPECT_NE(writeOne("").find(bytesOf({0x00, 0x05, 0x00, 0x01, 0x20, 0x00, 0xE0})), std::string::npos);

    // In another tool's file: any mode byte is dropped, a line without one
    // is empty, an LF inside a line ends it.
    std::string other = vectorFile("**TI89**");
    other.replace(0x5A, 13, "CHe\nlo\r\rPWorl");
    other.replace(other.size() - 2, 2, bytesOf({0xD5, 0x04}));
    const CalcReadResult read = readCalcFile(other);
    EXPECT_EQ(read.warning, "");
    EXPECT_EQ(read.variables.at(0).codes, "He\r\nlo\r\n\r\nWorl");
}

TEST(CalcTextFile, RandomTextsRoundTripInEveryFormat)
{
    std::mt19937 random(20261207);
    for (int round = 0; round < 24; ++round) {
        std::string text;
        const std::size_t size = round < 20 ? random() % 3000 : 70000 + random() % 100000;
        while (text.size() < size) {
            for (int n = random() % 60; n > 0; --n)
                text.push_back(static_cast<char>(1 + random() % 255));
            text += round % 2 ? "\r\n" : "";
        }
        for (bool group : {false, true}) {
            const CalcWriteResult written = writeCalcText(text, {{Calculator(round % 3), group}, "Round", "Texts", ""});
            ASSERT_TRUE(written.ok) << written.error;
            std::vector<CalcVariable> variables;
            for (const CalcFileBytes& file : written.files) {
                const CalcReadResult read = readCalcFile(file.bytes);
                ASSERT_TRUE(read.ok) << read.error;
                EXPECT_EQ(read.warning, "");
                EXPECT_EQ(read.format.group, group || read.variables.size() > 1);
                if (!group) {
                    EXPECT_EQ(read.variables.at(0).name, file.variableName);
                }
                variables.insert(variables.end(), read.variables.begin(), read.variables.end());
            }
            const std::string back = joinCalcTexts(variables);
            EXPECT_TRUE(onlyCrLfPairs(back));
            // The last line comes back ended by a line end, as a processed
            // text's is: a text that had one is joined back unchanged.
            std::string expected = naiveCrLf(text);
            if (!expected.ends_with("\r\n"))
                expected += "\r\n";
            ASSERT_EQ(back, expected) << "round " << round;
            EXPECT_EQ(variables.back().folder, "texts");
            EXPECT_EQ(variables.back().name,
                      variables.size() == 1 ? "round" : "round" + std::to_string(variables.size()));
        }
    }
}

TEST(CalcTextFile, SplitsOnlyAtLineEndsWithinTheLimit)
{
    // One line: its mode byte and 65,513 characters fill a variable (size
    // word 65,518); one character more is refused, as lines are never cut.
    const std::string full = writeOne(std::string(kMaxVariableText - 1, 'x'));
    EXPECT_EQ(full.substr(0x56, 2), bytesOf({0xFF, 0xEE}));
    EXPECT_EQ(readCalcFile(full).variables.at(0).codes.size(), kMaxVariableText - 1);
    const CalcSplit tooLong = splitCalcText("short\r\n" + std::string(kMaxVariableText, 'x'), "a");
    EXPECT_FALSE(tooLong.ok);
    EXPECT_NE(tooLong.error.find("Line 2 has 65514 characters"), std::string::npos) << tooLong.error;

    // Two lines that fill a variable exactly; one more character moves the
    // second line on. A final line end ends the last line: it never becomes
    // a variable of one empty line.
    const std::string first(30000, 'a');
    const std::string exact = first + "\r\n" + std::string(kMaxVariableText - 3 - first.size(), 'b');
    EXPECT_EQ(splitCalcText(exact, "a").variables.size(), 1u);
    CalcSplit split = splitCalcText(exact + "b", "LongName");
    ASSERT_EQ(split.variables.size(), 2u);
    EXPECT_EQ(split.variables[0].codes, first);
    EXPECT_EQ(split.variables[1].name, "longnam2");
    split = splitCalcText(exact + "\r\n", "a");
    ASSERT_EQ(split.variables.size(), 1u);
    EXPECT_EQ(split.variables[0].codes, exact);
    for (const char* end : {"\r\n", "\r", "\n"})
        EXPECT_EQ(splitCalcText(std::string(kMaxVariableText - 1, 'x') + end, "a").variables.size(), 1u) << end;
    // Only the last line end closes the text; an empty line before it stays.
    EXPECT_EQ(splitCalcText("abc\r\n\r\n", "a").variables.at(0).codes, "abc\r\n");
    EXPECT_EQ(splitCalcText("\n", "a").variables.at(0).codes, "");

    // The longest text of one variable, 65,513 characters, with or without
    // its closing line end; one character more takes a second variable.
    const std::string lines = fullVariableText();
    ASSERT_EQ(lines.size(), 65513u);
    ASSERT_FALSE(lines.ends_with('\r'));
    for (const std::string& text : {lines, lines + "\r\n"}) {
        split = splitCalcText(text, "a");
        ASSERT_EQ(split.variables.size(), 1u);
        EXPECT_EQ(joinCalcTexts(split.variables), lines + "\r\n");
        EXPECT_EQ(splitCalcText(lines + "z" + text.substr(lines.size()), "a").variables.size(), 2u);
    }
    EXPECT_EQ(joinCalcTexts({}), "");

    std::string twelve;
    for (int i = 0; i < 12; ++i)
        twelve += std::string(40000, 'x') + (i < 11 ? "\r\n" : "");
    split = splitCalcText(twelve, "abcdefgh");
    ASSERT_EQ(split.variables.size(), 12u);
    EXPECT_EQ(split.variables[0].name, "abcdef1");
    EXPECT_EQ(split.variables[11].name, "abcdef12");
}

TEST(CalcTextFile, WhatATextTakesOnACalculatorAndWhenItsRamIsTooSmall)
{
    // A text takes its variables' data, as written.
    std::string text;
    for (int i = 0; text.size() < 3 * kMaxVariableText; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    const CalcSplit split = splitCalcText(text, "book");
    ASSERT_EQ(split.variables.size(), 4u);
    std::size_t data = 0;
    for (const CalcVariable& variable : split.variables)
        data += calcVariableData(variable.codes).size();
    EXPECT_EQ(calcMemoryUse(split.variables), data);
    EXPECT_EQ(writeCalcText(text, {{Calculator::Ti89, true}, "book", "main", ""}).memoryUse, data);
    EXPECT_EQ(calcMemoryUse({}), 0u);

    // Up to the free RAM nothing is said; a byte more points to the archive;
    // past the archive both are named.
    for (Calculator calculator : {Calculator::Ti89, Calculator::Ti92Plus, Calculator::Voyage200}) {
        const CalcMemory free = calcFreeMemory(calculator);
        SCOPED_TRACE(calculatorModelName(calculator));
        ASSERT_LT(free.ram, free.archive);
        EXPECT_EQ(calcMemoryWarning(free.ram, calculator), "");
        const std::string over = calcMemoryWarning(free.ram + 1, calculator);
        EXPECT_NE(over.find(" on a " + calculatorModelName(calculator) + ","), std::string::npos) << over;
        EXPECT_NE(over.find("store the variables in its archive"), std::string::npos) << over;
        const std::string beyond = calcMemoryWarning(free.archive + 1, calculator);
        EXPECT_NE(beyond.find("bytes of free archive."), std::string::npos) << beyond;
    }
    EXPECT_EQ(calcMemoryWarning(192513, Calculator::Ti89),
              "The text takes 192513 bytes on a TI-89, more than its 192512 bytes of free RAM: store the variables in "
              "its archive (654336 bytes free).");
    // A megabyte fits only a Voyage 200's archive; the numbers as the caller writes them.
    const auto marked = [](std::size_t n) { return "<" + std::to_string(n) + ">"; };
    EXPECT_EQ(calcMemoryWarning(1000000, Calculator::Ti92Plus, marked),
              "The text takes <1000000> bytes on a TI-92 Plus, more than its <192512> bytes of free RAM and its "
              "<654336> bytes of free archive.");
    EXPECT_NE(calcMemoryWarning(1000000, Calculator::Voyage200, marked).find("archive (<2764800> bytes free)."),
              std::string::npos);
}

TEST(CalcTextFile, AGroupFileStaysUnder8MiBAndOneFilePerPartHasNoSuchLimit)
{
    // 139 lines of 60,000 characters, a variable each, then a last line
    // that makes the group file one byte short of 8 MiB; one character more
    // is refused, with nothing to write.
    std::string text;
    for (int i = 0; i < 139; ++i)
        text += std::string(60000, 'x') + "\r\n";
    const CalcWriteOptions group{{Calculator::Ti89, true}, "book", "main", ""};
    // A last line too long to join the 139th variable: a variable of its own.
    const std::string last(10000, 'y');
    const std::size_t shorter = writeCalcText(text + last, group).files.at(0).bytes.size();
    ASSERT_LT(shorter, kMaxCalcFileSize);
    text += last + std::string(kMaxCalcFileSize - shorter, 'y');
    const CalcWriteResult largest = writeCalcText(text, group);
    ASSERT_TRUE(largest.ok) << largest.error;
    EXPECT_EQ(largest.files.at(0).bytes.size(), kMaxCalcFileSize);
    EXPECT_EQ(kMaxCalcFileSize, 8388607u);
    EXPECT_EQ(readCalcFile(largest.files[0].bytes).variables.size(), 140u);

    const CalcWriteResult refused = writeCalcText(text + "y", group);
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.files.empty());
    EXPECT_EQ(refused.error,
              "The text makes a group file of 8 MiB or more, which calculator link programs refuse; save it as one "
              "file per part, or in smaller pieces.");
    const CalcWriteResult parts = writeCalcText(text + "y", {{Calculator::Ti89, false}, "book", "main", ""});
    ASSERT_TRUE(parts.ok) << parts.error;
    EXPECT_EQ(parts.files.size(), 140u);
}

TEST(CalcTextFile, A200KilobyteTextBecomesFourVariablesOfWholeLines)
{
    std::mt19937 random(7);
    std::string text;
    while (text.size() < 200 * 1024) {
        for (int n = 1 + random() % 38; n > 0; --n)
            text.push_back(static_cast<char>(n % 7 ? 'a' + random() % 26 : ' '));
        text += "\r\n";
    }
    const CalcWriteResult written = writeCalcText(text, {{Calculator::Ti89, true}, "book", "main", ""});
    const CalcReadResult read = readCalcFile(written.files.at(0).bytes);
    ASSERT_EQ(read.variables.size(), 4u);
    std::size_t at = 0;
    for (const CalcVariable& variable : read.variables) {
        // Each CR LF is a separator and the next line's mode byte.
        EXPECT_LE(variable.codes.size() + 1, kMaxVariableText);
        EXPECT_EQ(text.compare(at, variable.codes.size(), variable.codes), 0);
        EXPECT_TRUE(at == 0 || text.compare(at - 2, 2, "\r\n") == 0);
        at += variable.codes.size() + 2;
    }
    // One folder entry counts the four variables.
    EXPECT_EQ(written.files[0].bytes.substr(0x3A, 2), bytesOf({5, 0}));
    EXPECT_EQ(written.files[0].bytes.substr(0x40, 12), padded("main", 8) + bytesOf({0x1F, 0, 4, 0}));
}

TEST(CalcTextFile, DamagedFilesAreRefusedSayingWhatIsWrong)
{
    const std::string single = vectorFile("**TI89**");
    const std::string group =
        writeOne("one\r\n" + std::string(40000, 'x') + "\r\n" + std::string(40000, 'y'), {Calculator::Ti89, true});
    auto damaged = [](std::string bytes, std::size_t at, std::string_view patch) {
        return bytes.replace(at, patch.size(), patch);
    };
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "does not start with \"**TI89**\""},
        {damaged(single, 0, "**TI92**"), "A TI-92 file: only TI-89, TI-92 Plus and Voyage 200"},
        {single + "x", "says it is 107 bytes long, but it is 108"},
        {damaged(single, 0x3A, bytesOf({0, 0})), "holds no variable"},
        {damaged(single, 0x3A, "\xFF\xFF"), "entry table (65535 entries) runs past the end"},
        {damaged(single, 0x51, "U"), "marker A5 5A"},
        {damaged(single, 0x3C, "\xF0\xFF\xFF\xFF"), "points past the end of the file"},
        {damaged(single, 0x3C, bytesOf({104})), "points past the end of the file"},
        {damaged(single, 0x3C, bytesOf({0x10})), "points into the file's header"},
        {damaged(single, 0x57, bytesOf({0x12})), "its data runs past the end"},
        {damaged(single, 0x56, bytesOf({0xFF})), "its data runs past the end"},
        {damaged(single, 0x57, bytesOf({0x03})), "too small"},
        {damaged(single, 0x56 + 18, "-"), "text tag (0xE0)"},
        {damaged(single, 0x56 + 17, "x"), "end of text (0x00)"},
        {damaged(single, 0x56 + 6, bytesOf({0})), "holds character 0 inside its text, at byte 3"},
        {damaged(single, 0x48, bytesOf({0x12})),
         "Entry 1 (\"hello\") is not a text or picture variable (its type is 0x12)"},
        {damaged(group, 0x3C + 32, group.substr(0x3C + 16, 4)), "variables \"text1\" and \"text2\" overlap"},
        {damaged(group, 0x3C + 14, bytesOf({3})), "says 3 variables follow it, but 2 do"},
        {damaged(group, 0x3C + 14, bytesOf({1})), "says 1 variable follows it, but more do"},
    };
    for (const auto& [bytes, wanted] : cases) {
        const CalcReadResult read = readCalcFile(bytes);
        EXPECT_FALSE(read.ok);
        EXPECT_TRUE(read.variables.empty());
        EXPECT_NE(read.error.find(wanted), std::string::npos) << read.error << " // wanted: " << wanted;
    }
    for (std::size_t size = 0; size < single.size(); ++size)
        EXPECT_FALSE(readCalcFile(single.substr(0, size)).ok) << size;

    // A wrong checksum alone reads, with a warning.
    const CalcReadResult read = readCalcFile(damaged(single, 106, "\x06"));
    EXPECT_EQ(read.variables.at(0).codes, "Hello\r\nWorld");
    EXPECT_EQ(read.warning,
              "The checksum of variable \"hello\" is 0x063B, but its data sums to 0x053B; the file may be damaged.");
}

TEST(CalcTextFile, AnyDamageGivesVariablesOrAMessage)
{
    const std::string text = "Some text\r\nwith lines\r\n\r\nand \x8C";
    const std::vector<std::string> files = {writeOne(text), writeOne(text, {Calculator::Voyage200, true})};
    std::mt19937 random(99);
    for (int round = 0; round < 4000; ++round) {
        std::string bytes = files[round % 2];
        for (int n = 1 + random() % 4; n > 0; --n)
            bytes[random() % bytes.size()] = static_cast<char>(random());
        bytes.resize(round % 5 ? bytes.size() : random() % bytes.size());
        const CalcReadResult read = readCalcFile(bytes);
        EXPECT_NE(read.ok, !read.error.empty());
        EXPECT_EQ(read.ok, !read.variables.empty());
        EXPECT_TRUE(onlyCrLfPairs(joinCalcTexts(read.variables)));
    }
}

TEST(CalcTextFile, AGroupWhoseEntriesShareOneBlockIsRefusedBeforeAnyIsDecoded)
{
    // 65,535 entries pointing at one block of 65,000 line ends: decoded one
    // by one they would ask for 8 GB. The file is refused as it is read,
    // within a small multiple of its size.
    constexpr std::size_t kEntries = 0xFFFF;
    constexpr std::size_t kTextBytes = 65000;
    const std::size_t tableEnd = 0x3C + 16 * kEntries + 6;
    std::string block = bytesOf({0, 0, 0, 0});
    block += bytesOf({int((kTextBytes + 4) >> 8), int((kTextBytes + 4) & 0xFF), 0, 1});
    block += std::string(kTextBytes, '\r') + bytesOf({0, 0xE0, 0, 0});
    const std::size_t fileSize = tableEnd + block.size();
    std::string file = "**TI89**" + bytesOf({1, 0}) + padded("main", 8) + padded("", 40) + bytesOf({0xFF, 0xFF});
    for (std::size_t i = 0; i < kEntries; ++i)
        file += bytesOf({int(tableEnd & 0xFF), int(tableEnd >> 8 & 0xFF), int(tableEnd >> 16), 0}) + padded("t", 8)
                + bytesOf({0x0B, 0, 0, 0});
    file += bytesOf({int(fileSize & 0xFF), int(fileSize >> 8 & 0xFF), int(fileSize >> 16 & 0xFF), 0, 0xA5, 0x5A});
    file += block;
    ASSERT_EQ(file.size(), fileSize);

    const CalcReadResult read = readCalcFile(file);
    EXPECT_FALSE(read.ok);
    EXPECT_TRUE(read.variables.empty());
    EXPECT_NE(read.error.find("overlap"), std::string::npos) << read.error;
#if !defined(__SANITIZE_ADDRESS__)
    // Under a limit of address space of 64 MB more than the test holds now.
    EXPECT_EXIT(exitWithinAddressSpace(file, 64u << 20), ::testing::ExitedWithCode(0), "");
#endif
}

TEST(CalcTextFile, ATi92FileIsRecognisedAndRefused)
{
    // The TI-92 without Plus: its signature is a calculator file's, not text.
    const std::string file = vectorFile("**TI92**");
    EXPECT_TRUE(hasCalcFileSignature(file));
    const CalcReadResult read = readCalcFile(file);
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(read.error, "A TI-92 file: only TI-89, TI-92 Plus and Voyage 200 variable files can be read.");
    EXPECT_FALSE(hasCalcFileSignature("**TI92*"));
}
