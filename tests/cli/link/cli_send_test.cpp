// tessaline-process --send against a fake calculator on the link library's
// virtual cable ("TiEmu", the PC's end on port 2).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "formats/calc_picture.h"
#include "formats/calc_text_file.h"
#include "tests/link/fake_calculator.h"

namespace fs = std::filesystem;

namespace tessaline {
namespace {

constexpr const char* kVirtualCable = " --cable TiEmu --port 2";

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const std::string& data)
{
    std::ofstream out(path, std::ios::binary);
    out << data;
}

// The variable data the file writer puts in each single-variable file.
std::vector<std::string> writtenVariableData(const std::string& codes, Calculator calculator, const std::string& name)
{
    CalcWriteOptions options;
    options.format.calculator = calculator;
    options.name = name;
    const CalcWriteResult written = writeCalcText(codes, options);
    EXPECT_TRUE(written.ok) << written.error;
    std::vector<std::string> data;
    for (const CalcFileBytes& file : written.files) {
        const std::size_t offset = 0x52 + 4;  // a single file's data block, after its four zero bytes
        data.push_back(file.bytes.substr(offset, file.bytes.size() - offset - 2));
    }
    return data;
}

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class CliSend : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "tessaline-send-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs the program with `args` (quoted for the shell) and `input` on
    // standard input.
    Outcome run(const std::string& args, const std::string& input = "")
    {
        writeFile(dir_ / "stdin", input);
        const std::string command = std::string("'") + TESSALINE_PROCESS_PATH + "' " + args + " < '"
                                    + (dir_ / "stdin").string() + "' > '" + (dir_ / "stdout").string() + "' 2> '"
                                    + (dir_ / "stderr").string() + "'";
        const int raw = std::system(command.c_str());
        Outcome o;
        o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        o.out = readFile(dir_ / "stdout");
        o.err = readFile(dir_ / "stderr");
        return o;
    }
    // What the program makes of `input` without sending: the text on
    // standard output, the size and modifications on standard error.
    Outcome processed(const std::string& input)
    {
        const Outcome o = run("", input);
        EXPECT_EQ(o.status, 0) << o.err;
        return o;
    }
    // The last line of standard error.
    static std::string lastLine(const std::string& err)
    {
        std::string text = err;
        if (!text.empty() && text.back() == '\n')
            text.pop_back();
        return text.substr(text.rfind('\n') + 1);
    }

    test::VirtualCableLock lock_;
    fs::path dir_;
};

struct ModelCase {
    Calculator calculator;
    const char* option;
    const char* label;
};

void PrintTo(const ModelCase& modelCase, std::ostream* out) { *out << modelCase.label; }

class SendEveryModel : public CliSend, public ::testing::WithParamInterface<ModelCase> {};

TEST_P(SendEveryModel, TheCalculatorStoresTheVariableTheFileWriterWrites)
{
    const std::string input = "The quick brown fox jumps over the lazy dog and keeps on running far away.\n\x8F end";
    const Outcome plain = processed(input);
    const std::string& codes = plain.out;
    test::FakeCalculator fake(GetParam().calculator);
    ASSERT_TRUE(fake.start());
    const Outcome o =
        run(std::string("--send --calculator ") + GetParam().option + " --name Notes --folder Books" + kVirtualCable,
            input);
    fake.stop();
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_TRUE(o.out.empty()) << "without -o the text goes to the calculator only";
    const std::vector<std::string> expected = writtenVariableData(codes, GetParam().calculator, "notes");
    ASSERT_EQ(fake.stored().size(), 1u) << o.err;
    EXPECT_EQ(fake.stored()[0].path, "books\\notes");
    EXPECT_TRUE(fake.stored()[0].data == expected[0]);
    EXPECT_EQ(o.err, plain.err + "Sent " + std::to_string(expected[0].size()) + " bytes as books\\notes.\n");
}

INSTANTIATE_TEST_SUITE_P(Models, SendEveryModel,
                         ::testing::Values(ModelCase{Calculator::Ti89, "ti89", "Ti89"},
                                           ModelCase{Calculator::Ti92Plus, "ti92plus", "Ti92Plus"},
                                           ModelCase{Calculator::Voyage200, "v200", "Voyage200"}),
                         [](const ::testing::TestParamInfo<ModelCase>& info) { return std::string(info.param.label); });

// Without --calculator, a calculator --format names the calculator; -o gets
// the file and the calculator the same variable.
TEST_F(CliSend, ACalculatorFormatGivesTheCalculatorAndTheFileHoldsTheSameVariable)
{
    test::FakeCalculator fake(Calculator::Ti92Plus);
    ASSERT_TRUE(fake.start());
    const Outcome o =
        run("--send --format 9xt -o '" + (dir_ / "Diary.9xt").string() + "'" + kVirtualCable, "Dear diary");
    fake.stop();
    EXPECT_EQ(o.status, 0) << o.err;
    const CalcReadResult file = readCalcFile(readFile(dir_ / "Diary.9xt"));
    ASSERT_TRUE(file.ok) << file.error;
    ASSERT_EQ(file.variables.size(), 1u);
    ASSERT_EQ(fake.stored().size(), 1u) << o.err;
    EXPECT_EQ(fake.stored()[0].path, "main\\diary");
    EXPECT_TRUE(fake.stored()[0].data
                == writtenVariableData(file.variables[0].codes, Calculator::Ti92Plus, "diary")[0]);
}

TEST_F(CliSend, ALongTextGoesAsNumberedPartsNamedAfterTheInputFile)
{
    std::string input;
    for (int i = 0; i < 3000; ++i)
        input += "Line " + std::to_string(i) + " of a long story told in short lines\n";
    const std::string codes = processed(input).out;
    writeFile(dir_ / "My story.txt", input);
    test::FakeCalculator fake(Calculator::Ti89);
    ASSERT_TRUE(fake.start());
    const Outcome o = run("--send '" + (dir_ / "My story.txt").string() + "' -o '" + (dir_ / "Saga.txt").string() + "'"
                          + kVirtualCable);
    fake.stop();
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(readFile(dir_ / "Saga.txt"), codes) << "-o still writes the text";
    const std::vector<std::string> expected = writtenVariableData(codes, Calculator::Ti89, "saga");
    ASSERT_GE(expected.size(), 2u);
    ASSERT_EQ(fake.stored().size(), expected.size()) << o.err;
    std::size_t total = 0;
    std::string paths;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::string path = "main\\saga" + std::to_string(i + 1);
        EXPECT_EQ(fake.stored()[i].path, path);
        EXPECT_TRUE(fake.stored()[i].data == expected[i]) << "part " << i + 1;
        total += expected[i].size();
        paths += (i ? ", " : "") + path;
    }
    EXPECT_EQ(lastLine(o.err), "Sent " + std::to_string(total) + " bytes as " + paths + " ("
                                   + std::to_string(expected.size()) + " parts).");
}

TEST_F(CliSend, EveryLinkFailureIsOneLineAndExitThree)
{
    struct Case {
        test::FakeAnswer answer;
        std::string args;
        std::string message;  // the start of the line
    };
    const Case cases[] = {
        {test::FakeAnswer::Refuse, kVirtualCable,
         "tessaline-process: The calculator refused main\\text (hand-held returned an error)."},
        {test::FakeAnswer::Silent, kVirtualCable,
         "tessaline-process: No calculator answers on the TiEmu cable on port 2; check that it is on and at its "
         "home screen."},
        {test::FakeAnswer::Accept, " --cable SilverLink --port 4",
         "tessaline-process: No cable: the SilverLink cable on port 4 does not open ("},
    };
    const std::string summary = processed("Hello").err;
    for (const Case& c : cases) {
        test::FakeCalculator fake(Calculator::Ti89, c.answer);
        ASSERT_TRUE(fake.start());
        const Outcome o = run("--send" + c.args, "Hello");
        fake.stop();
        EXPECT_EQ(o.status, 3) << o.err;
        EXPECT_EQ(lastLine(o.err).substr(0, c.message.size()), c.message);
        EXPECT_EQ(o.err, summary + lastLine(o.err) + "\n") << "one line, nothing else";
        EXPECT_TRUE(fake.stored().empty());
    }
}

// Refused before any cable is opened: the cable named would not open, and
// the message is still the text's.
TEST_F(CliSend, ATextOrNameNoVariableHoldsIsRefusedBeforeAnyCableOpens)
{
    const std::string withZero("ab\0c", 4);
    Outcome o = run("--send --raw --cable Nonsense", withZero);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(lastLine(o.err), "tessaline-process: " + splitCalcText(withZero, "text").error);

    o = run("--send --name 9lives --cable Nonsense", "Hello");
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "tessaline-process: " + calcNameProblem("9lives", NameRole::Variable) + "\n");
    o = run("--send --folder a-b --cable Nonsense", "Hello");
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "tessaline-process: " + calcNameProblem("a-b", NameRole::Folder) + "\n");
}

TEST_F(CliSend, SendOptionsWithoutSendOrWithBadValuesAreUsageErrors)
{
    const std::string kSendOnly = "--calculator, --cable, --port, --timeout, --replace and --archive go with --send";
    const std::pair<std::string, std::string> cases[] = {
        {"--cable SilverLink", kSendOnly},
        {"--calculator v200 --format 89t", kSendOnly},
        {"--timeout 5", kSendOnly},
        {"--replace", kSendOnly},
        {"--archive -o x.txt", kSendOnly},
        {"--send --timeout", "--timeout must be a number of seconds from 0.1 to 600"},
        {"--send --timeout 0", "--timeout must be a number of seconds from 0.1 to 600, not \"0\""},
        {"--send --timeout 0.0", "--timeout must be a number of seconds from 0.1 to 600, not \"0.0\""},
        {"--send --timeout 600.1", "--timeout must be a number of seconds from 0.1 to 600, not \"600.1\""},
        {"--send --timeout 1.25", "--timeout must be a number of seconds from 0.1 to 600, not \"1.25\""},
        {"--send --timeout .5", "--timeout must be a number of seconds from 0.1 to 600, not \".5\""},
        {"--send --timeout -3", "--timeout must be a number of seconds from 0.1 to 600, not \"-3\""},
        {"--send --timeout 99999999999", "--timeout must be a number of seconds from 0.1 to 600, not \"99999999999\""},
        {"--name notes",
         "--name and --folder go with a calculator format (--format 89t, 9xt, v2t, 89g, 9xg, v2g, 89i, 9xi or "
         "v2i) or --send"},
        {"--send --calculator ti83", "--calculator must be ti89, ti92plus or v200, not \"ti83\""},
        {"--send --port 5", "--port must be a number from 1 to 4"},
        {"--send --port", "--port must be a number from 1 to 4"},
        {"--send --cable", "--cable needs a cable name such as SilverLink or DirectLink"},
    };
    for (const auto& [args, message] : cases) {
        const Outcome o = run(args, "Hello");
        EXPECT_EQ(o.status, 1) << args;
        EXPECT_EQ(o.err, "tessaline-process: " + message + "\n") << args;
        EXPECT_TRUE(o.out.empty()) << args;
    }
}

// Each byte one second apart, within the step timeout: the send still ends
// at its deadline, with exit status 3 and one line.
TEST_F(CliSend, ADrippingCalculatorEndsAtTheDeadline)
{
    test::FakeCalculator fake(Calculator::Ti89, test::FakeAnswer::Drip, {1000, {}});
    ASSERT_TRUE(fake.start());
    const auto start = std::chrono::steady_clock::now();
    const Outcome o = run(std::string("--send --timeout 1.5") + kVirtualCable, "Hello");
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    fake.stop();
    EXPECT_EQ(o.status, 3) << o.err;
    EXPECT_EQ(lastLine(o.err).rfind("tessaline-process: Timeout: the calculator answers too slowly; the transfer did "
                                    "not end within its 8 seconds (",
                                    0),
              0u)
        << o.err;
    EXPECT_LT(took, 8.0 + 3.0);
    EXPECT_TRUE(fake.stored().empty());
    test::clearVirtualCable();
}

TEST_F(CliSend, AVariableTheCalculatorHoldsIsReplacedOnlyWithReplace)
{
    test::FakeCalculator fake(Calculator::Ti89, test::FakeAnswer::Accept, {0, {"main\\diary"}});
    ASSERT_TRUE(fake.start());
    const Outcome refused = run(std::string("--send --name diary") + kVirtualCable, "Dear diary");
    const Outcome replaced = run(std::string("--send --replace --archive --name diary") + kVirtualCable, "Dear diary");
    fake.stop();
    EXPECT_EQ(refused.status, 3);
    EXPECT_EQ(lastLine(refused.err),
              "tessaline-process: The calculator already holds main\\diary; nothing was sent. --replace replaces it.");
    EXPECT_EQ(replaced.status, 0) << replaced.err;
    ASSERT_EQ(fake.stored().size(), 1u);
    EXPECT_EQ(fake.stored()[0].path, "main\\diary");
    EXPECT_TRUE(fake.stored()[0].archived);
    EXPECT_EQ(lastLine(replaced.err).substr(lastLine(replaced.err).size() - 16), " to the archive.");
}

}  // namespace
}  // namespace tessaline

namespace tessaline {
namespace {

// A 30 x 20 BMP, black above and white below, 24 bits a pixel.
std::string twoToneBmp()
{
    std::string rows;
    for (int y = 0; y < 20; ++y) {  // bottom row first
        rows += std::string(30 * 3, y < 10 ? '\xFF' : '\0');
        rows += std::string(2, '\0');  // each row padded to 4 bytes
    }
    auto le32 = [](std::uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    return "BM" + le32(54 + std::uint32_t(rows.size())) + le32(0) + le32(54) + le32(40) + le32(30) + le32(20)
           + std::string("\x01\x00\x18\x00", 4) + le32(0) + le32(std::uint32_t(rows.size())) + le32(2835) + le32(2835)
           + le32(0) + le32(0) + rows;
}

}  // namespace

TEST_F(CliSend, ThePicturesGoAfterTheTextAsTheGroupFileHoldsThem)
{
    writeFile(dir_ / "rose.bmp", twoToneBmp());
    writeFile(dir_ / "story.txt", "A rose\n_PIC rose\nand no tulip\n_PIC tulip\n");
    const Outcome saved =
        run("--format 89g -o '" + (dir_ / "story.89g").string() + "' '" + (dir_ / "story.txt").string() + "'");
    ASSERT_EQ(saved.status, 0) << saved.err;
    const CalcReadResult group = readCalcFile(readFile(dir_ / "story.89g"));
    ASSERT_EQ(group.pictures.size(), 1u);

    test::FakeCalculator fake(Calculator::Ti89);
    ASSERT_TRUE(fake.start());
    const Outcome o = run("--send --name story '" + (dir_ / "story.txt").string() + "'" + kVirtualCable);
    fake.stop();
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_NE(o.err.find("No picture for \"tulip\" (line 4)"), std::string::npos) << o.err;
    ASSERT_EQ(fake.stored().size(), 2u) << o.err;
    EXPECT_EQ(fake.stored()[0].path, "main\\story");
    EXPECT_EQ(fake.stored()[0].type, 0x0Bu);
    EXPECT_EQ(fake.stored()[1].path, "main\\rose");
    EXPECT_EQ(fake.stored()[1].type, 0x10u);
    // Byte for byte the group file's entries.
    const std::string& file = readFile(dir_ / "story.89g");
    EXPECT_NE(file.find(fake.stored()[0].data), std::string::npos);
    EXPECT_NE(file.find(fake.stored()[1].data), std::string::npos);
    EXPECT_EQ(fake.stored()[1].data, calcPictureData(group.pictures[0].bitmap));
    EXPECT_EQ(lastLine(o.err).rfind("Sent ", 0), 0u) << o.err;

    // With --require-pictures nothing is sent.
    test::FakeCalculator idle(Calculator::Ti89);
    ASSERT_TRUE(idle.start());
    const Outcome strict = run("--send --require-pictures '" + (dir_ / "story.txt").string() + "'" + kVirtualCable);
    idle.stop();
    EXPECT_EQ(strict.status, 1);
    EXPECT_TRUE(idle.stored().empty());
}

}  // namespace tessaline
