// Picture variables: their files, and pictures beside texts in group files.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "formats/calc_picture.h"
#include "formats/calc_text_file.h"

using namespace tessaline;

namespace {

MonoBitmap randomBitmap(int width, int height, unsigned randomStart)
{
    MonoBitmap bitmap(width, height);
    std::mt19937 random(randomStart);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (random() % 3 == 0)
                bitmap.ink(x, y);
    return bitmap;
}

unsigned be16(std::string_view bytes, std::size_t at)
{
    return static_cast<unsigned char>(bytes[at]) << 8 | static_cast<unsigned char>(bytes[at + 1]);
}

// The variable data of the only variable of a single-variable file: after the
// 0x52-byte header and the 4 zero bytes, before the checksum.
std::string_view dataOfSingle(std::string_view file) { return file.substr(0x56, file.size() - 0x56 - 2); }

}  // namespace

TEST(CalcPicture, ScreenSizedPicturesHaveTheCalculatorsLayout)
{
    for (auto [calculator, width, height, variable] : {std::tuple{Calculator::Ti89, 160, 100, 2007},
                                                       {Calculator::Ti92Plus, 240, 128, 3847},
                                                       {Calculator::Voyage200, 240, 128, 3847}}) {
        const MonoBitmap bitmap = randomBitmap(width, height, 7);
        const CalcWriteResult written = writeCalcPicture({"Rose", "Main", bitmap}, calculator);
        ASSERT_TRUE(written.ok) << written.error;
        ASSERT_EQ(written.files.size(), 1u);
        const CalcFileBytes& file = written.files[0];
        EXPECT_EQ(file.variableName, "rose");
        EXPECT_EQ(file.extension, calcPictureExtension(calculator));
        EXPECT_EQ(file.bytes[0x48], '\x10');  // the entry's type
        const std::string_view data = dataOfSingle(file.bytes);
        ASSERT_EQ(data.size(), std::size_t(variable));
        EXPECT_EQ(be16(data, 0), unsigned(variable - 2));
        EXPECT_EQ(be16(data, 2), unsigned(height));
        EXPECT_EQ(be16(data, 4), unsigned(width));
        EXPECT_EQ(data.substr(6, bitmap.rows.size()), std::string(bitmap.rows.begin(), bitmap.rows.end()));
        EXPECT_EQ(data.back(), '\xDF');
        unsigned sum = 0;
        for (char c : data)
            sum += static_cast<unsigned char>(c);
        EXPECT_EQ(static_cast<unsigned char>(file.bytes[file.bytes.size() - 2])
                      | unsigned(file.bytes.back() & 0xFF) << 8,
                  sum & 0xFFFF);

        const CalcReadResult read = readCalcFile(file.bytes);
        ASSERT_TRUE(read.ok) << read.error;
        EXPECT_TRUE(read.warning.empty());
        EXPECT_TRUE(read.variables.empty());
        ASSERT_EQ(read.pictures.size(), 1u);
        EXPECT_EQ(read.pictures[0].name, "rose");
        EXPECT_EQ(read.pictures[0].folder, "main");
        EXPECT_EQ(read.pictures[0].bitmap, bitmap);
    }
    EXPECT_EQ(calcPictureCalculatorFromExtension(".V2I"), Calculator::Voyage200);
    EXPECT_EQ(calcPictureCalculatorFromExtension("9xi"), Calculator::Ti92Plus);
    EXPECT_EQ(calcPictureCalculatorFromExtension("89t"), std::nullopt);
}

TEST(CalcPicture, RowsArePaddedToWholeBytesAndOddSizesSurvive)
{
    // 9 pixels wide: two bytes a row, the second holding one pixel.
    MonoBitmap bitmap(9, 2);
    bitmap.ink(0, 0);
    bitmap.ink(8, 1);
    const std::string data = calcPictureData(bitmap);
    EXPECT_EQ(data, std::string("\x00\x09\x00\x02\x00\x09\x80\x00\x00\x80\xDF", 11));
    for (auto [width, height] : {std::pair{1, 1}, {7, 3}, {159, 99}, {17, 100}}) {
        const MonoBitmap odd = randomBitmap(width, height, unsigned(width));
        const CalcPictureDecode back = decodeCalcPictureData(calcPictureData(odd));
        ASSERT_TRUE(back.bitmap) << back.error;
        EXPECT_EQ(*back.bitmap, odd);
    }
    // Padding bits set by another program are not pixels.
    std::string padded = data;
    padded[7] = '\x7F';
    EXPECT_EQ(decodeCalcPictureData(padded).bitmap, bitmap);
}

TEST(CalcPicture, NoPictureLargerThanTheScreenOrBadlyNamedIsWritten)
{
    const auto problem = [](int width, int height, Calculator calculator, std::string name = "pic") {
        return writeCalcPicture({name, "main", MonoBitmap(width, height)}, calculator).error;
    };
    EXPECT_EQ(problem(160, 100, Calculator::Ti89), "");
    EXPECT_NE(
        problem(161, 100, Calculator::Ti89).find("161 x 100 pixels, larger than the calculator's screen (160 x 100"),
        std::string::npos);
    EXPECT_NE(problem(160, 101, Calculator::Ti89), "");
    EXPECT_EQ(problem(240, 128, Calculator::Voyage200), "");
    EXPECT_NE(problem(240, 129, Calculator::Ti92Plus), "");
    EXPECT_NE(problem(0, 10, Calculator::Ti89).find("empty"), std::string::npos);
    EXPECT_NE(problem(10, 10, Calculator::Ti89, "9lives").find("does not start with a letter"), std::string::npos);
    EXPECT_NE(problem(10, 10, Calculator::Ti89, "toolongname"), "");
    EXPECT_FALSE(writeCalcPicture({"pic", "main", MonoBitmap(1, 1)}, Calculator::Ti89, std::string(41, 'c')).ok);
}

TEST(CalcPicture, GroupFilesHoldTheTextThenItsPictures)
{
    const MonoBitmap rose = randomBitmap(120, 80, 1);
    const MonoBitmap tulip = randomBitmap(33, 5, 2);
    const std::string text = "A garden\r\n_PIC rose\r\n_PIC Tulip";
    for (Calculator calculator : {Calculator::Ti89, Calculator::Ti92Plus}) {
        const CalcWriteResult group = writeCalcText(text, {{calculator, true}, "garden", "Books", ""},
                                                    {{"rose", "x", rose}, {"Tulip", "", tulip}});
        ASSERT_TRUE(group.ok) << group.error;
        ASSERT_EQ(group.files.size(), 1u);
        EXPECT_EQ(group.files[0].extension, calcFileExtension({calculator, true}));
        const CalcReadResult read = readCalcFile(group.files[0].bytes);
        ASSERT_TRUE(read.ok) << read.error;
        EXPECT_TRUE(read.format.group);
        ASSERT_EQ(read.variables.size(), 1u);
        EXPECT_EQ(read.variables[0].codes, text);
        ASSERT_EQ(read.pictures.size(), 2u);
        EXPECT_EQ(read.pictures[0].name, "rose");
        EXPECT_EQ(read.pictures[0].folder, "books");
        EXPECT_EQ(read.pictures[0].bitmap, rose);
        EXPECT_EQ(read.pictures[1].name, "tulip");
        EXPECT_EQ(read.pictures[1].bitmap, tulip);

        // One file each: the text's, then each picture's, named for it.
        const CalcWriteResult apart = writeCalcText(text, {{calculator, false}, "garden", "Books", ""},
                                                    {{"rose", "", rose}, {"Tulip", "", tulip}});
        ASSERT_TRUE(apart.ok) << apart.error;
        ASSERT_EQ(apart.files.size(), 3u);
        EXPECT_EQ(apart.files[0].extension, calcFileExtension({calculator, false}));
        EXPECT_EQ(apart.files[2].variableName, "tulip");
        EXPECT_EQ(apart.files[2].extension, calcPictureExtension(calculator));
        const CalcReadResult single = readCalcFile(apart.files[1].bytes);
        ASSERT_EQ(single.pictures.size(), 1u);
        EXPECT_EQ(single.pictures[0].folder, "books");
        EXPECT_EQ(single.pictures[0].bitmap, rose);
        // The group's entry and the single file's hold the same variable data.
        EXPECT_NE(group.files[0].bytes.find(dataOfSingle(apart.files[1].bytes)), std::string::npos);
    }
}

TEST(CalcPicture, ANameTwoVariablesShareOrAGroupTooLargeIsRefused)
{
    const MonoBitmap small(8, 8);
    const CalcWriteOptions group{{Calculator::Ti89, true}, "story", "main", ""};
    const CalcWriteResult picturesClash = writeCalcText("x", group, {{"rose", "", small}, {"ROSE", "", small}});
    EXPECT_FALSE(picturesClash.ok);
    EXPECT_TRUE(picturesClash.files.empty());
    EXPECT_NE(picturesClash.error.find("\"rose\" is used twice, by a picture and by a picture"), std::string::npos)
        << picturesClash.error;
    const CalcWriteResult textClash = writeCalcText("x", group, {{"Story", "", small}});
    EXPECT_NE(textClash.error.find("\"story\" is used twice, by a text and by a picture"), std::string::npos);
    // The parts of a long text are named story1, story2: a picture may not be.
    const std::string longText = std::string(60000, 'a') + "\r\n" + std::string(60000, 'b');
    EXPECT_FALSE(writeCalcText(longText, group, {{"story2", "", small}}).ok);
    EXPECT_TRUE(writeCalcText(longText, group, {{"story3", "", small}}).ok);
    EXPECT_NE(writeCalcText("x", group, {{"bad name", "", small}}).error.find("The picture \"bad name\""),
              std::string::npos);
    EXPECT_FALSE(writeCalcText("x", group, {{"big", "", MonoBitmap(161, 1)}}).ok);

    // 130 variables of 64 KiB make more than 8 MiB: a group cannot take
    // them, one file each can.
    std::string huge;
    for (int i = 0; i < 130; ++i)
        huge += std::string(65000, char('a' + i % 26)) + "\r\n";
    const CalcWriteResult tooLarge = writeCalcText(huge, group);
    EXPECT_FALSE(tooLarge.ok);
    EXPECT_NE(tooLarge.error.find("8 MiB"), std::string::npos) << tooLarge.error;
    EXPECT_TRUE(writeCalcText(huge, {{Calculator::Ti89, false}, "story", "main", ""}).ok);
}

TEST(CalcPicture, DamagedPictureEntriesAreRefusedWithTheReason)
{
    MonoBitmap bitmap = randomBitmap(16, 4, 3);
    const std::string file = writeCalcPicture({"pic", "main", bitmap}, Calculator::Ti89).files.at(0).bytes;
    ASSERT_TRUE(readCalcFile(file).ok);
    const auto damaged = [&file](std::size_t at, std::string bytes) {
        std::string copy = file;
        copy.replace(at, bytes.size(), bytes);
        return readCalcFile(copy);
    };
    const std::size_t data = 0x56;
    for (auto [read, reason] : {
             std::pair{damaged(data + 2, std::string("\x00\x05", 2)), "need 10 bytes of rows, and it holds 8"},
             {damaged(data + 4, std::string("\x00\x00", 2)), "it is empty"},
             {damaged(data + 4, std::string("\xFF\xFF", 2)), "need"},
             {damaged(file.size() - 3, "\xE0"), "picture tag (0xDF)"},
             {damaged(data, std::string("\x00\x00", 2)), "too small for a picture variable"},
             {damaged(data, std::string("\x00\x04", 2)), "too short for a picture"},
             {damaged(data, std::string("\xFF\xF0", 2)), "runs past the end of the file"},
         }) {
        EXPECT_FALSE(read.ok);
        EXPECT_TRUE(read.pictures.empty());
        EXPECT_NE(read.error.find(reason), std::string::npos) << read.error;
    }
    // A wrong checksum is a warning the picture survives.
    const CalcReadResult checksum = damaged(file.size() - 1, "\x55");
    EXPECT_TRUE(checksum.ok);
    EXPECT_NE(checksum.warning.find("checksum of variable \"pic\""), std::string::npos);
}
