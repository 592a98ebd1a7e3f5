// tessaline-process with pictures: group files holding the pictures of the
// "_PIC" lines, what is said of missing or bad ones, and one image converted
// to a picture file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "formats/calc_picture.h"
#include "formats/calc_text_file.h"
#include "formats/image_picture.h"
#include "tests/cli/cli_run.h"
#include "tests/support/image_files.h"

namespace fs = std::filesystem;
using namespace tessaline;
using namespace clitest;

namespace {

class CliPictures : public Cli {
protected:
    // A 400 x 300 image: black on its left half, white on its right.
    static std::string halfBlack()
    {
        test::RawImage image = test::greyImage(400, 300);
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 200; ++x)
                image.pixels[static_cast<std::size_t>(y) * 400 + x] = 0;
        return test::pngOf(image);
    }
};

const std::string kStory = "A rose\n_PIC rose\nand a tulip\n_PIC tulip\n";

}  // namespace

TEST_F(CliPictures, AGroupFileHoldsTheTextAndThePicturesFoundBesideIt)
{
    writeFile(dir_ / "story.txt", kStory);
    writeFile(dir_ / "Rose.PNG", halfBlack());
    const fs::path out = dir_ / "garden.89g";
    const Outcome o = run("--format 89g -o " + quoted(out) + " " + quoted(dir_ / "story.txt"));
    EXPECT_EQ(o.status, 0) << o.err;
    // The missing picture is one line, and the text goes without it.
    EXPECT_NE(
        o.err.find("No picture for \"tulip\" (line 4): no tulip.png, .jpg, .gif or .bmp in " + dir_.string() + ".\n"),
        std::string::npos)
        << o.err;
    const CalcReadResult read = readCalcFile(readFile(out));
    ASSERT_TRUE(read.ok) << read.error;
    ASSERT_EQ(read.variables.size(), 1u);
    EXPECT_EQ(read.variables[0].name, "garden");
    ASSERT_EQ(read.pictures.size(), 1u);
    const CalcPicture& rose = read.pictures[0];
    EXPECT_EQ(rose.name, "rose");
    // 400 x 300 fits the TI-89's 160 x 100 as 133 x 100, half of it ink.
    ASSERT_EQ(rose.bitmap.width, 133);
    ASSERT_EQ(rose.bitmap.height, 100);
    EXPECT_TRUE(rose.bitmap.inked(0, 0));
    EXPECT_FALSE(rose.bitmap.inked(132, 99));

    // --require-pictures: nothing is written without every picture.
    fs::remove(out);
    const Outcome strict = run("--format 89g --require-pictures -o " + quoted(out) + " " + quoted(dir_ / "story.txt"));
    EXPECT_EQ(strict.status, 1);
    EXPECT_NE(strict.err.find("--require-pictures: a picture is missing"), std::string::npos) << strict.err;
    EXPECT_FALSE(fs::exists(out));
    writeFile(dir_ / "tulip.bmp", test::bmpOf(test::greyImage(20, 10)));
    EXPECT_EQ(run("--format 89g --require-pictures -o " + quoted(out) + " " + quoted(dir_ / "story.txt")).status, 0);
    EXPECT_EQ(readCalcFile(readFile(out)).pictures.size(), 2u);
}

TEST_F(CliPictures, PicturesComeFromTheFolderGivenAndBadOnesAreNamed)
{
    fs::create_directory(dir_ / "images");
    writeFile(dir_ / "images" / "rose.jpg", test::jpegOf(test::greyImage(240, 128)));
    writeFile(dir_ / "images" / "tulip.gif", "no picture in here");
    const std::string text = kStory + "_PIC 9lives\n_PIC Rose\n";
    const Outcome o =
        run("--preset 1 --format 9xg --pictures " + quoted(dir_ / "images") + " -o " + quoted(dir_ / "g.9xg"), text);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_NE(o.err.find("tulip.gif: Not a PNG, JPEG, GIF or BMP image.\n"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("Line 5: The variable name \"9lives\" does not start with a letter"), std::string::npos)
        << o.err;
    const CalcReadResult read = readCalcFile(readFile(dir_ / "g.9xg"));
    ASSERT_TRUE(read.ok) << read.error;
    ASSERT_EQ(read.pictures.size(), 1u) << "\"Rose\" is the picture \"rose\" again";
    EXPECT_EQ(read.pictures[0].bitmap.width, 240);  // the TI-92 Plus screen: kept at its size
    EXPECT_EQ(read.pictures[0].bitmap.height, 128);

    // A picture named as the text variable is refused: nothing is written.
    const Outcome clash =
        run("--format 89g --pictures " + quoted(dir_ / "images") + " -o " + quoted(dir_ / "rose.89g"), "_PIC rose\n");
    EXPECT_EQ(clash.status, 1);
    EXPECT_NE(clash.err.find("The name \"rose\" is used twice, by a text and by a picture"), std::string::npos)
        << clash.err;
    EXPECT_FALSE(fs::exists(dir_ / "rose.89g"));

    // Pictures go only where a group format, --send or --preview takes them.
    const Outcome single = run("--format 89t --pictures " + quoted(dir_), "x");
    EXPECT_EQ(single.status, 1);
    EXPECT_NE(single.err.find("--pictures and --require-pictures go with a group format"), std::string::npos);
}

TEST_F(CliPictures, OneImageBecomesAPictureFileForEachCalculator)
{
    writeFile(dir_ / "rose.png", halfBlack());
    for (auto [format, width, height] : {std::tuple{"89i", 133, 100}, {"9xi", 171, 128}, {"v2i", 171, 128}}) {
        const fs::path out = dir_ / (std::string("Red rose.") + format);
        const Outcome o =
            run(std::string("--format ") + format + " -o " + quoted(out) + " " + quoted(dir_ / "rose.png"));
        EXPECT_EQ(o.status, 0) << o.err;
        EXPECT_EQ(o.err, "picture redrose: " + std::to_string(width) + " x " + std::to_string(height)
                             + " pixels (the image: 400 x 300)\n");
        const CalcReadResult read = readCalcFile(readFile(out));
        ASSERT_TRUE(read.ok) << read.error;
        EXPECT_EQ(read.format.calculator == Calculator::Ti89, std::string(format) == "89i");
        ASSERT_EQ(read.pictures.size(), 1u);
        EXPECT_EQ(read.pictures[0].bitmap.width, width);
        EXPECT_EQ(read.pictures[0].bitmap.height, height);
    }
    // A small image keeps its size unless --fit; --threshold cuts clean.
    test::RawImage grey = test::greyImage(40, 20);
    std::fill(grey.pixels.begin(), grey.pixels.end(), 100);
    writeFile(dir_ / "small.png", test::pngOf(grey));
    Outcome o = run("--format 89i --fit --threshold 90 --name tiny " + quoted(dir_ / "small.png"));
    EXPECT_EQ(o.status, 0) << o.err;
    CalcReadResult read = readCalcFile(o.out);
    ASSERT_EQ(read.pictures.size(), 1u);
    EXPECT_EQ(read.pictures[0].name, "tiny");
    EXPECT_EQ(read.pictures[0].bitmap, MonoBitmap(160, 80)) << "grey 100 is lighter than 90: no ink";
}

TEST_F(CliPictures, AHostileImageIsRefusedAndNothingIsWritten)
{
    std::string huge = test::pngOf(test::greyImage(1, 1));
    huge.replace(16, 8, std::string("\x00\x00\x75\x30\x00\x00\x75\x30", 8));  // 30000 x 30000
    writeFile(dir_ / "huge.png", huge);
    const std::string png = halfBlack();
    writeFile(dir_ / "cut.png", png.substr(0, png.size() / 2));
    for (const char* image : {"huge.png", "cut.png", "absent.png"}) {
        const fs::path out = dir_ / "out.89i";
        const Outcome o = run("--format 89i -o " + quoted(out) + " " + quoted(dir_ / image));
        EXPECT_EQ(o.status, 1) << image;
        EXPECT_NE(o.err.find("tessaline-process: "), std::string::npos) << o.err;
        EXPECT_EQ(o.err.find('\n'), o.err.size() - 1) << "one line: " << o.err;
        EXPECT_FALSE(fs::exists(out)) << image;
    }
    EXPECT_NE(run("--format 89i " + quoted(dir_ / "huge.png")).err.find("30000 x 30000 pixels"), std::string::npos);
    // A group refuses it as a missing picture would be: said, the text kept.
    writeFile(dir_ / "story.txt", "_PIC huge\n");
    const Outcome group = run("--format 89g -o " + quoted(dir_ / "s.89g") + " " + quoted(dir_ / "story.txt"));
    EXPECT_EQ(group.status, 0);
    EXPECT_NE(group.err.find("huge.png: The image is 30000 x 30000 pixels"), std::string::npos) << group.err;
    EXPECT_EQ(readCalcFile(readFile(dir_ / "s.89g")).variables.size(), 1u);
}

TEST_F(CliPictures, ThePreviewDrawsThePictureWhereItsLineStands)
{
    writeFile(dir_ / "story.txt", "_PIC rose\n");
    const Outcome missing = run("--preview " + quoted(dir_ / "box.png") + " " + quoted(dir_ / "story.txt"));
    EXPECT_EQ(missing.status, 0) << missing.err;
    writeFile(dir_ / "rose.png", halfBlack());
    const Outcome found = run("--preview " + quoted(dir_ / "rose.png.png") + " " + quoted(dir_ / "story.txt"));
    EXPECT_EQ(found.status, 0) << found.err;
    const ImagePicture box = convertImage(readFile(dir_ / "box.png"), {Calculator::Ti89, false, 128});
    const ImagePicture drawn = convertImage(readFile(dir_ / "rose.png.png"), {Calculator::Ti89, false, 128});
    ASSERT_TRUE(box.ok && drawn.ok);
    ASSERT_EQ(drawn.bitmap.width, 160);
    // The picture, 133 pixels wide, is centred: its black half starts at
    // column 13 on the first row; the placeholder is a box with a name.
    EXPECT_TRUE(drawn.bitmap.inked(13, 0));
    EXPECT_TRUE(drawn.bitmap.inked(70, 50));
    EXPECT_FALSE(drawn.bitmap.inked(12, 50));
    EXPECT_FALSE(drawn.bitmap.inked(100, 50));
    EXPECT_FALSE(box.bitmap.inked(70, 50));
}
