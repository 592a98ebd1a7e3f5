// Open Text's reading of calculator text-variable files: recognised by their
// signature, the variables' lines each ended by CR LF, damage refused or warned of.
#include <gtest/gtest.h>

#include <string>

#include "formats/calc_text_file.h"
#include "formats/text_file.h"

using namespace tessaline;

namespace {

std::string bytesOf(std::initializer_list<int> values) { return std::string(values.begin(), values.end()); }

std::string padded(std::string_view text, std::size_t width)
{
    std::string out(text);
    out.resize(width, '\0');
    return out;
}

// A single-variable file laid out by hand: variable "note" in folder "main"
// whose text (mode bytes and 0x0D separators included) is `text`.
std::string singleFile(std::string_view signature, std::string_view text)
{
    const std::size_t sizeWord = 2 + text.size() + 2;
    std::string data = bytesOf({static_cast<int>(sizeWord >> 8), static_cast<int>(sizeWord & 0xFF), 0, 1});
    data += text;
    data += bytesOf({0x00, 0xE0});
    unsigned sum = 0;
    for (unsigned char b : data)
        sum += b;
    const std::size_t fileSize = 0x56 + data.size() + 2;
    return std::string(signature) + bytesOf({1, 0}) + padded("main", 8) + padded("", 40)
           + bytesOf({1, 0, 0x52, 0, 0, 0}) + padded("note", 8)
           + bytesOf({0x0B, 0, 0, 0, static_cast<int>(fileSize & 0xFF), static_cast<int>(fileSize >> 8), 0, 0, 0xA5,
                      0x5A, 0, 0, 0, 0})
           + data + bytesOf({static_cast<int>(sum & 0xFF), static_cast<int>((sum >> 8) & 0xFF)});
}

}  // namespace

TEST(TextFileCalc, ASingleFileGivesItsLinesWithoutModeBytes)
{
    // An ordinary line, a command line ("C"), a page-break line (0x0C), an
    // empty line without a mode byte, and a last line.
    const std::string text = std::string(
        "\x20Hello\x0D"
        "CDisp 1\x0D\x0C"
        "after\x0D\x0D\x20\xA9 end");
    for (std::string_view signature : {"**TI89**", "**TI92P*"}) {
        const DecodedText d = decodeTextFile(singleFile(signature, text));
        ASSERT_TRUE(d.ok) << d.error;
        // The last line is ended by a line end, as a processed text's is.
        EXPECT_EQ(d.codes, "Hello\r\nDisp 1\r\nafter\r\n\r\n\xA9 end\r\n") << signature;
        EXPECT_EQ(d.replaced, 0u);
        EXPECT_EQ(d.warning, "");
    }
    // Bytes above 127 stay calculator codes: no UTF-8 reading of a variable.
    const DecodedText utf8Like = decodeTextFile(singleFile("**TI89**", "\x20\xC3\xA9"));
    EXPECT_EQ(utf8Like.codes, "\xC3\xA9\r\n");
}

TEST(TextFileCalc, AGroupFileGivesItsVariablesInOrderAsTheTextThatWasSaved)
{
    // Three variables' worth of numbered lines: the saved text comes back
    // whole, in order, whatever the calculator.
    std::string text;
    for (int i = 0; text.size() < 2 * kMaxVariableText + 1000; ++i)
        text += "line " + std::to_string(i) + " \xA9 of the saved text\r\n";
    text += "last";
    for (Calculator calculator : {Calculator::Ti89, Calculator::Ti92Plus, Calculator::Voyage200}) {
        const CalcWriteResult written = writeCalcText(text, {{calculator, true}, "story", "books", ""});
        ASSERT_TRUE(written.ok) << written.error;
        ASSERT_EQ(written.files.size(), 1u);
        ASSERT_EQ(readCalcFile(written.files[0].bytes).variables.size(), 3u);
        const DecodedText d = decodeTextFile(written.files[0].bytes);
        ASSERT_TRUE(d.ok) << d.error;
        EXPECT_TRUE(d.codes == text + "\r\n") << "the group's text differs";
        EXPECT_EQ(d.warning, "");
    }
}

TEST(TextFileCalc, DamageIsRefusedAndAWrongChecksumWarns)
{
    const std::string good = singleFile("**TI89**", "\x20one\x0D\x20two");

    // Cut short, or its stated size changed: refused, saying what is wrong.
    const DecodedText cut = decodeTextFile(good.substr(0, good.size() - 1));
    EXPECT_FALSE(cut.ok);
    EXPECT_EQ(cut.codes, "");
    EXPECT_NE(cut.error.find("bytes long, but it is"), std::string::npos) << cut.error;
    // Only the signature: refused, not read as a text that starts with it.
    const DecodedText bare = decodeTextFile("**TI92P* a note that only starts like a calculator file");
    EXPECT_FALSE(bare.ok);
    EXPECT_FALSE(bare.error.empty());
    // A TI-92 (without Plus) file is recognised and refused, not read as text.
    std::string ti92 = good;
    ti92.replace(0, 8, "**TI92**");
    const DecodedText old = decodeTextFile(ti92);
    EXPECT_FALSE(old.ok);
    EXPECT_EQ(old.codes, "");
    EXPECT_NE(old.error.find("A TI-92 file"), std::string::npos) << old.error;

    // A wrong checksum alone: the text, and a warning naming the variable.
    std::string wrongSum = good;
    wrongSum.back() ^= 0x01;
    const DecodedText warned = decodeTextFile(wrongSum);
    ASSERT_TRUE(warned.ok) << warned.error;
    EXPECT_EQ(warned.codes, "one\r\ntwo\r\n");
    EXPECT_NE(warned.warning.find("checksum of variable \"note\""), std::string::npos) << warned.warning;
}
