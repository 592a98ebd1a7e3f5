#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "richtext/calc_text_file.h"
#include "richtext/crlf_pairs.h"

using namespace tessaline;

namespace {

std::string bytesOf(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

std::string padded(std::string_view text, std::size_t width)
{
    std::string out(text);
    out.resize(width, '\0');
    return out;
}

void setLe16(std::string& bytes, std::size_t at, unsigned value)
{
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

void setLe32(std::string& bytes, std::size_t at, unsigned value)
{
    setLe16(bytes, at, value & 0xFFFF);
    setLe16(bytes, at + 2, value >> 16);
}

// A single-variable file's checksum made right again after its data changed.
void fixChecksum(std::string& bytes)
{
    const std::size_t data = 0x56;
    const std::size_t size = 2 + (static_cast<unsigned char>(bytes[data]) << 8 | static_cast<unsigned char>(bytes[data + 1]));
    unsigned sum = 0;
    for (std::size_t i = data; i < data + size; ++i)
        sum += static_cast<unsigned char>(bytes[i]);
    setLe16(bytes, data + size, sum & 0xFFFF);
}

std::string writeOne(std::string_view codes, CalcFormat format, std::string name = "text")
{
    const CalcWriteResult written = writeCalcText(codes, {format, name, "main", ""});
    EXPECT_TRUE(written.ok) << written.error;
    EXPECT_EQ(written.files.size(), 1u);
    return written.files.empty() ? std::string() : written.files.front().bytes;
}

// Every line end of a text as CR LF, the way the files keep them: a CR LF, a
// lone CR and a lone LF each end one line.
std::string naiveCrLf(std::string_view codes)
{
    std::string out;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (codes[i] == '\r' && i + 1 < codes.size() && codes[i + 1] == '\n')
            continue;
        if (codes[i] == '\r' || codes[i] == '\n')
            out += "\r\n";
        else
            out.push_back(codes[i]);
    }
    return out;
}

std::string lineOf(std::size_t length, char c = 'x')
{
    return std::string(length, c);
}

// The calculator's test vector: "Hello" CR LF "World" as variable "hello" in
// folder "main" with the comment "probe".
const std::string kVectorData =
    bytesOf({0x00, 0x11, 0x00, 0x01, 0x20, 0x48, 0x65, 0x6C, 0x6C, 0x6F, 0x0D, 0x20, 0x57, 0x6F, 0x72,
             0x6C, 0x64, 0x00, 0xE0});

std::string vectorFile(std::string_view signature)
{
    return std::string(signature) + bytesOf({1, 0}) + padded("main", 8) + padded("probe", 40)
           + bytesOf({1, 0, 0x52, 0, 0, 0}) + padded("hello", 8) + bytesOf({0x0B, 0, 0, 0})
           + bytesOf({107, 0, 0, 0, 0xA5, 0x5A, 0, 0, 0, 0}) + kVectorData + bytesOf({0x3B, 0x05});
}

}  // namespace

TEST(CalcTextFile, TestVectorByteForByteForEachCalculator)
{
    const std::vector<std::pair<Calculator, std::string_view>> cases = {
        {Calculator::Ti89, "**TI89**"}, {Calculator::Ti92Plus, "**TI92P*"}, {Calculator::Voyage200, "**TI92P*"}};
    for (auto [calculator, signature] : cases) {
        const CalcWriteResult written =
            writeCalcText("Hello\r\nWorld", {{calculator, false}, "Hello", "MAIN", "probe"});
        ASSERT_TRUE(written.ok) << written.error;
        ASSERT_EQ(written.files.size(), 1u);
        EXPECT_EQ(written.files[0].variableName, "hello");
        const std::string expected = vectorFile(signature);
        ASSERT_EQ(expected.size(), 107u);
        EXPECT_EQ(written.files[0].bytes, expected) << signature;

        const CalcReadResult read = readCalcFile(expected);
        ASSERT_TRUE(read.ok) << read.error;
        EXPECT_EQ(read.format.calculator,
                  calculator == Calculator::Ti89 ? Calculator::Ti89 : Calculator::Ti92Plus);
        EXPECT_FALSE(read.format.group);
        EXPECT_EQ(read.warning, "");
        ASSERT_EQ(read.variables.size(), 1u);
        EXPECT_EQ(read.variables[0].name, "hello");
        EXPECT_EQ(read.variables[0].folder, "main");
        EXPECT_EQ(read.variables[0].codes, "Hello\r\nWorld");
    }
}

TEST(CalcTextFile, ExtensionsAndSignature)
{
    const std::vector<std::pair<CalcFormat, std::string>> cases = {
        {{Calculator::Ti89, false}, "89t"},      {{Calculator::Ti89, true}, "89g"},
        {{Calculator::Ti92Plus, false}, "9xt"},  {{Calculator::Ti92Plus, true}, "9xg"},
        {{Calculator::Voyage200, false}, "v2t"}, {{Calculator::Voyage200, true}, "v2g"}};
    for (const auto& [format, extension] : cases) {
        EXPECT_EQ(calcFileExtension(format), extension);
        const auto back = calcFormatFromExtension(extension);
        ASSERT_TRUE(back) << extension;
        EXPECT_EQ(back->calculator, format.calculator);
        EXPECT_EQ(back->group, format.group);
    }
    EXPECT_TRUE(calcFormatFromExtension(".V2G"));
    EXPECT_FALSE(calcFormatFromExtension("89p"));
    EXPECT_FALSE(calcFormatFromExtension("txt"));
    EXPECT_FALSE(calcFormatFromExtension(""));

    EXPECT_TRUE(hasCalcFileSignature("**TI89**"));
    EXPECT_TRUE(hasCalcFileSignature("**TI92P*\x01"));
    EXPECT_FALSE(hasCalcFileSignature("**TI92**"));   // the TI-92 without Plus is not supported
    EXPECT_FALSE(hasCalcFileSignature("**TI89*"));
    EXPECT_FALSE(hasCalcFileSignature("{\\rtf1"));
}

TEST(CalcTextFile, NamesSayWhichRuleTheyBreak)
{
    EXPECT_EQ(calcNameProblem("a", NameRole::Variable), "");
    EXPECT_EQ(calcNameProblem("Abc_1234", NameRole::Folder), "");
    EXPECT_EQ(calcNameProblem("z9", NameRole::Variable), "");

    const std::vector<std::pair<std::string, std::string>> bad = {
        {"", "empty"},
        {"abcdefghi", "has 9 characters; at most 8"},
        {"1abc", "does not start with a letter"},
        {"_abc", "does not start with a letter"},
        {"my notes", "holds a space"},
        {"a-b", "holds \"-\""},
        {"caf\xE9", "holds character 233"},
        {std::string("a\0b", 3), "holds character 0"},
    };
    for (const auto& [name, problem] : bad) {
        const std::string variable = calcNameProblem(name, NameRole::Variable);
        EXPECT_NE(variable.find("variable name"), std::string::npos) << variable;
        EXPECT_NE(variable.find(problem), std::string::npos) << variable;
        EXPECT_NE(calcNameProblem(name, NameRole::Folder).find("folder name"), std::string::npos);

        // The writer refuses them with the same message and writes nothing.
        CalcWriteResult written = writeCalcText("x", {{}, name, "main", ""});
        EXPECT_FALSE(written.ok);
        EXPECT_TRUE(written.files.empty());
        EXPECT_EQ(written.error, variable);
        written = writeCalcText("x", {{}, "ok", name, ""});
        EXPECT_FALSE(written.ok);
        EXPECT_EQ(written.error, calcNameProblem(name, NameRole::Folder));
    }

    const CalcWriteResult longComment = writeCalcText("x", {{}, "a", "main", std::string(41, 'c')});
    EXPECT_FALSE(longComment.ok);
    EXPECT_NE(longComment.error.find("comment"), std::string::npos);
    EXPECT_TRUE(writeCalcText("x", {{}, "a", "main", std::string(40, 'c')}).ok);
}

TEST(CalcTextFile, NameFromFileName)
{
    EXPECT_EQ(calcNameFromFileName("My notes.txt"), "mynotes");
    EXPECT_EQ(calcNameFromFileName("/home/u/docs.v2/Chapter_12 final.rtf"), "chapter_");
    EXPECT_EQ(calcNameFromFileName("C:\\Texts\\2024 Report.TXT"), "report");
    EXPECT_EQ(calcNameFromFileName("a.b.c"), "ab");
    EXPECT_EQ(calcNameFromFileName(".hidden"), "hidden");
    EXPECT_EQ(calcNameFromFileName("caf\xC3\xA9 au lait"), "cafaulai");
    for (std::string_view nothing : {"", "123.txt", "__.rtf", "/tmp/", "\xC3\xA9\xC3\xA9"})
        EXPECT_EQ(calcNameFromFileName(nothing), "text") << nothing;
    for (std::string_view any : {"My notes.txt", "x", "99 bottles_of-beer.txt", "\xFF\xFEzz"})
        EXPECT_EQ(calcNameProblem(calcNameFromFileName(any), NameRole::Variable), "") << any;
}

TEST(CalcTextFile, CharacterZeroIsRefusedWithItsPlace)
{
    const std::string text("first\r\nsecond\nab\0c", 18);
    const CalcWriteResult written = writeCalcText(text, {{}, "a", "main", ""});
    EXPECT_FALSE(written.ok);
    EXPECT_TRUE(written.files.empty());
    EXPECT_NE(written.error.find("character 0 at line 3, column 3"), std::string::npos) << written.error;
    EXPECT_NE(splitCalcText(std::string(1, '\0'), "a").error.find("line 1, column 1"), std::string::npos);
}

TEST(CalcTextFile, EveryKindOfLineEndIsOneSeparatorAndReadsBackAsCrLf)
{
    // A lone CR and a lone LF end a line as CR LF does; LF CR is two line
    // ends; an LF in a line of another tool's file ends the line too.
    const std::string written = writeOne("a\r\nb\rc\nd\n\re\r\n", {});
    const std::string text = bytesOf({0x20, 'a', 0x0D, 0x20, 'b', 0x0D, 0x20, 'c', 0x0D, 0x20, 'd', 0x0D,
                                      0x20, 0x0D, 0x20, 'e', 0x0D, 0x20, 0x00, 0xE0});
    EXPECT_NE(written.find(text), std::string::npos);
    EXPECT_EQ(readCalcFile(written).variables.at(0).codes, "a\r\nb\r\nc\r\nd\r\n\r\ne\r\n");

    // The empty text is one empty line.
    const std::string empty = writeOne("", {});
    EXPECT_NE(empty.find(bytesOf({0x00, 0x05, 0x00, 0x01, 0x20, 0x00, 0xE0})), std::string::npos);
    EXPECT_EQ(readCalcFile(empty).variables.at(0).codes, "");

    // Mode bytes other than the ordinary one are dropped all the same; an
    // empty line without its mode byte and an LF inside a line end lines.
    std::string other = vectorFile("**TI89**");
    other.replace(0x56 + 4, 13, bytesOf({'C', 'H', 'e', 0x0A, 'l', 'o', 0x0D, 0x0D, 'P', 'W', 'o', 'r', 'l'}));
    fixChecksum(other);
    const CalcReadResult read = readCalcFile(other);
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.warning, "");
    EXPECT_EQ(read.variables[0].codes, "He\r\nlo\r\n\r\nWorl");
}

TEST(CalcTextFile, RandomTextsRoundTripInEveryFormat)
{
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> code(1, 255);
    std::uniform_int_distribution<int> lineLength(0, 60);
    for (int round = 0; round < 24; ++round) {
        std::string text;
        const std::size_t size = round < 20 ? 1 + random() % 3000 : 70000 + random() % 100000;
        while (text.size() < size) {
            for (int n = lineLength(random); n > 0; --n)
                text.push_back(static_cast<char>(code(random)));
            text += "\r\n";
        }
        if (round % 2)
            text.resize(text.size() - 2);   // without a final line end
        const std::string expected = naiveCrLf(text);

        for (bool group : {false, true}) {
            const CalcFormat format{static_cast<Calculator>(round % 3), group};
            const CalcWriteResult written = writeCalcText(text, {format, "Round", "Texts", ""});
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
            ASSERT_EQ(back, expected) << "round " << round;
            for (const CalcVariable& variable : variables)
                EXPECT_EQ(variable.folder, "texts");
            if (variables.size() == 1)
                EXPECT_EQ(variables[0].name, "round");
            else
                EXPECT_EQ(variables.back().name, "round" + std::to_string(variables.size()));
        }
    }
}

TEST(CalcTextFile, SplitsAtTheLimitOfOneVariable)
{
    // One line: its mode byte and 65,513 characters fill a variable.
    CalcSplit split = splitCalcText(lineOf(kMaxVariableText - 1), "a");
    ASSERT_TRUE(split.ok) << split.error;
    EXPECT_EQ(split.variables.size(), 1u);
    const std::string full = writeOne(lineOf(kMaxVariableText - 1), {});
    EXPECT_EQ(full.size(), 0x56u + 2 + 2 + kMaxVariableText + 2 + 2);
    EXPECT_EQ(full.substr(0x56, 2), bytesOf({0xFF, 0xEE}));   // size word 65,518
    EXPECT_EQ(readCalcFile(full).variables.at(0).codes, lineOf(kMaxVariableText - 1));

    // One character more cannot be cut at a line end.
    split = splitCalcText("short\r\n" + lineOf(kMaxVariableText) + "\r\nshort", "a");
    EXPECT_FALSE(split.ok);
    EXPECT_NE(split.error.find("Line 2 has 65514 characters"), std::string::npos) << split.error;
    EXPECT_FALSE(writeCalcText(lineOf(kMaxVariableText), {{}, "a", "main", ""}).ok);

    // Two lines that fill a variable exactly (mode bytes 2, separator 1),
    // then one character more moves the second line into a second variable.
    const std::string first = lineOf(30000, 'a');
    const std::string exact = first + "\r\n" + lineOf(kMaxVariableText - 3 - first.size(), 'b');
    split = splitCalcText(exact, "a");
    ASSERT_EQ(split.variables.size(), 1u);
    EXPECT_EQ(split.variables[0].name, "a");
    split = splitCalcText(exact + "b", "notes");
    ASSERT_EQ(split.variables.size(), 2u);
    EXPECT_EQ(split.variables[0].codes, first);
    EXPECT_EQ(split.variables[1].codes, lineOf(kMaxVariableText - 2 - first.size(), 'b'));
    EXPECT_EQ(split.variables[0].name, "notes1");
    EXPECT_EQ(split.variables[1].name, "notes2");

    // A final line end that no longer fits becomes a variable of one empty
    // line, so the text keeps it.
    split = splitCalcText(exact + "\r\n", "a");
    ASSERT_EQ(split.variables.size(), 2u);
    EXPECT_EQ(split.variables[1].codes, "");
    EXPECT_EQ(joinCalcTexts(split.variables), exact + "\r\n");
}

TEST(CalcTextFile, PartNamesStayWithinEightCharacters)
{
    const std::string line = lineOf(40000) + "\r\n";
    auto namesFor = [&](int lines, std::string_view name) {
        std::string text;
        for (int i = 0; i < lines; ++i)
            text += line;
        text.resize(text.size() - 2);
        std::vector<std::string> names;
        for (const CalcVariable& variable : splitCalcText(text, name).variables)
            names.push_back(variable.name);
        return names;
    };
    EXPECT_EQ(namesFor(2, "LongName"), (std::vector<std::string>{"longnam1", "longnam2"}));
    EXPECT_EQ(namesFor(3, "ab"), (std::vector<std::string>{"ab1", "ab2", "ab3"}));
    const std::vector<std::string> twelve = namesFor(12, "abcdefgh");
    ASSERT_EQ(twelve.size(), 12u);
    EXPECT_EQ(twelve.front(), "abcdef1");
    EXPECT_EQ(twelve.back(), "abcdef12");
    for (const std::string& name : twelve)
        EXPECT_EQ(calcNameProblem(name, NameRole::Variable), "") << name;
}

TEST(CalcTextFile, A200KilobyteTextBecomesFourVariablesCutAtLineEnds)
{
    std::mt19937 random(7);
    std::string text;
    while (text.size() < 200 * 1024) {
        for (int n = 1 + random() % 38; n > 0; --n)
            text.push_back(static_cast<char>(n % 7 ? 'a' + random() % 26 : ' '));
        text += "\r\n";
    }
    const CalcWriteResult written = writeCalcText(text, {{Calculator::Ti89, true}, "book", "main", ""});
    ASSERT_TRUE(written.ok) << written.error;
    ASSERT_EQ(written.files.size(), 1u);
    const CalcReadResult read = readCalcFile(written.files[0].bytes);
    ASSERT_TRUE(read.ok) << read.error;
    ASSERT_EQ(read.variables.size(), 4u);
    std::size_t at = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::string& codes = read.variables[i].codes;
        EXPECT_EQ(read.variables[i].name, "book" + std::to_string(i + 1));
        // Each CR LF is a separator and the next line's mode byte; the first
        // line's mode byte is the one more.
        EXPECT_LE(codes.size() + 1, kMaxVariableText);
        // Each variable is a run of whole lines of the text.
        EXPECT_EQ(text.compare(at, codes.size(), codes), 0);
        EXPECT_TRUE(at == 0 || text.compare(at - 2, 2, "\r\n") == 0);
        at += codes.size() + 2;
    }
    EXPECT_EQ(at, text.size() + 2);   // the text is used up, its final CR LF included

    // The group file: one folder entry counting the four variables, then them.
    const std::string& bytes = written.files[0].bytes;
    EXPECT_EQ(bytes.substr(0x3A, 2), bytesOf({5, 0}));
    EXPECT_EQ(bytes.substr(0x3C + 4, 8), padded("main", 8));
    EXPECT_EQ(bytes.substr(0x3C + 12, 4), bytesOf({0x1F, 0, 4, 0}));
    EXPECT_EQ(bytes.substr(0x3C + 16 + 4, 9), padded("book1", 8) + "\x0B");
}

TEST(CalcTextFile, DamagedFilesAreRefusedWithWhatIsWrong)
{
    const std::string single = vectorFile("**TI89**");
    std::string text = "one\r\n" + lineOf(40000) + "\r\n" + lineOf(40000) + "\r\nthree";
    const std::string group = writeCalcText(text, {{Calculator::Ti89, true}, "g", "main", ""}).files.at(0).bytes;
    ASSERT_TRUE(readCalcFile(group).ok);

    auto expectError = [](const std::string& bytes, std::string_view wanted) {
        const CalcReadResult read = readCalcFile(bytes);
        EXPECT_FALSE(read.ok);
        EXPECT_TRUE(read.variables.empty());
        EXPECT_NE(read.error.find(wanted), std::string::npos) << read.error << " // wanted: " << wanted;
    };
    std::string bad;

    expectError("", "does not start with");
    expectError("**TI92**" + single.substr(8), "does not start with");
    // Every truncation is noticed.
    for (std::size_t size = 0; size < single.size(); ++size)
        EXPECT_FALSE(readCalcFile(single.substr(0, size)).ok) << size;
    for (std::size_t size = 0; size < group.size(); size += 97)
        EXPECT_FALSE(readCalcFile(group.substr(0, size)).ok) << size;
    expectError(single + "x", "says it is 107 bytes long, but it is 108");

    bad = single;
    setLe16(bad, 0x3A, 0);
    expectError(bad, "holds no variable");
    bad = single;
    setLe16(bad, 0x3A, 0xFFFF);
    expectError(bad, "entry table (65535 entries) runs past the end");
    bad = single;
    bad[0x51] = 0x55;
    expectError(bad, "marker A5 5A");

    bad = single;
    setLe32(bad, 0x3C, 0xFFFFFFF0);
    expectError(bad, "points past the end of the file");
    bad = single;
    setLe32(bad, 0x3C, 104);
    expectError(bad, "points past the end of the file");
    bad = single;
    setLe32(bad, 0x3C, 0x10);
    expectError(bad, "points into the file's header");

    bad = single;
    bad[0x57] = 0x12;   // size word 0x0012: one byte too many
    expectError(bad, "its data runs past the end");
    bad = single;
    bad[0x56] = static_cast<char>(0xFF);
    expectError(bad, "its data runs past the end");
    bad = single;
    bad[0x57] = 0x03;
    expectError(bad, "too small");
    bad = single;
    bad[0x56 + 18] = 0x2D;   // a string's tag, not a text's
    expectError(bad, "text tag (0xE0)");
    bad = single;
    bad[0x56 + 17] = 'x';
    expectError(bad, "end of text (0x00)");
    bad = single;
    bad[0x56 + 6] = 0;
    expectError(bad, "holds character 0 inside its text, at byte 3");

    bad = single;
    bad[0x48] = 0x12;
    expectError(bad, "Entry 1 (\"hello\") is not a text variable (its type is 0x12)");

    // Two entries for one block.
    bad = group;
    setLe32(bad, 0x3C + 32, static_cast<unsigned char>(bad[0x3C + 16]) | static_cast<unsigned char>(bad[0x3C + 17]) << 8);
    expectError(bad, "The data of variables \"g1\" and \"g2\" overlap");

    bad = group;
    bad[0x3C + 14] = 3;
    expectError(bad, "says 3 variables follow it, but 2 do");
    bad = group;
    bad[0x3C + 14] = 1;
    expectError(bad, "says 1 variable follows it, but more do");
}

TEST(CalcTextFile, AWrongChecksumAloneReadsWithAWarning)
{
    std::string bytes = vectorFile("**TI92P*");
    bytes[bytes.size() - 1] = 0x06;
    const CalcReadResult read = readCalcFile(bytes);
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.variables.at(0).codes, "Hello\r\nWorld");
    EXPECT_EQ(read.warning,
              "The checksum of variable \"hello\" is 0x063B, but its data sums to 0x053B; the file may be damaged.");
}

TEST(CalcTextFile, AnyByteStringReadsOrIsRefused)
{
    // Damage anywhere in valid files gives either variables or a message.
    const std::string text = "Some text\r\nwith lines\r\n\r\nand \x8C";
    const std::vector<std::string> files = {
        writeOne(text, {}), writeOne(text, {Calculator::Voyage200, true})};
    std::mt19937 random(99);
    for (int round = 0; round < 4000; ++round) {
        std::string bytes = files[round % 2];
        for (int n = 1 + random() % 4; n > 0; --n)
            bytes[random() % bytes.size()] = static_cast<char>(random());
        if (round % 5 == 0)
            bytes.resize(random() % bytes.size());
        const CalcReadResult read = readCalcFile(bytes);
        EXPECT_NE(read.ok, !read.error.empty());
        EXPECT_EQ(read.ok, !read.variables.empty());
        for (const CalcVariable& variable : read.variables)
            EXPECT_TRUE(onlyCrLfPairs(variable.codes));
    }
}
