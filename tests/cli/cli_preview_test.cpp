// tessaline-process --preview: the PNG read back with the PNG library's own
// reader and compared pixel by pixel with the screens the layout draws; the
// options' edges and refusals that write nothing.
#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/char_widths.h"
#include "engine/line_break_pass.h"
#include "engine/line_settings.h"
#include "screen/screen_layout.h"
#include "tests/cli/cli_run.h"

namespace fs = std::filesystem;
using namespace tessaline;
using namespace clitest;

namespace {

class CliPreview : public Cli {};

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<png_byte> rgb;
    bool ok = false;

    screen::Rgb at(int x, int y) const
    {
        const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
        return {rgb[i], rgb[i + 1], rgb[i + 2]};
    }
};

Picture readPng(const fs::path& path)
{
    Picture picture;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return picture;
    image.format = PNG_FORMAT_RGB;
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    picture.ok = png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr) != 0;
    return picture;
}

bool same(screen::Rgb a, screen::Rgb b) { return a.red == b.red && a.green == b.green && a.blue == b.blue; }

screen::ScreenLayout layoutOf(const std::string& text, int preset)
{
    LineSettings settings;
    settings.charWidths = defaultCharWidths();
    applyPreset(preset, settings);
    return screen::ScreenLayout(runLineBreakPass(text, settings, true).text, screen::targetFor(settings));
}

// Four screens at preset 0: sixteen lines each, the last one short.
std::string fourScreens()
{
    std::string text;
    for (int n = 0; n < 50; ++n)
        text += "Line " + std::to_string(n) + " of the book, long enough to be broken once.\r\n";
    return text;
}

}  // namespace

TEST_F(CliPreview, TheChosenScreensAreAColumnOfZoomedScreensPartedByAGreyRow)
{
    const std::string text = fourScreens();
    const screen::ScreenLayout layout = layoutOf(text, 0);
    ASSERT_GE(layout.screenCount(), 4);
    const fs::path png = dir_ / "screens.png";
    const Outcome o = run("--raw --zoom 2 --screens 2-3 --preview " + quoted(png), text);
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "") << "the text goes nowhere without -o";
    const Picture picture = readPng(png);
    ASSERT_TRUE(picture.ok);
    ASSERT_EQ(picture.width, 320);
    ASSERT_EQ(picture.height, 2 * 200 + 1);
    for (int s = 0; s < 2; ++s) {
        const screen::ScreenImage image = layout.draw(1 + s);
        const int top = s * 201;
        int mismatches = 0;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 320; ++x)
                if (!same(picture.at(x, top + y), screen::colorOf(image.at(x / 2, y / 2))))
                    ++mismatches;
        EXPECT_EQ(mismatches, 0) << "screen " << s + 2;
        EXPECT_GT(image.inkedCount(), 0);
    }
    for (int x = 0; x < 320; ++x)
        ASSERT_TRUE(same(picture.at(x, 200), screen::kGapColor)) << x;
}

TEST_F(CliPreview, OneScreenAndALastScreenBeyondTheEndAndTheTextWithO)
{
    const std::string text = fourScreens();
    const int count = layoutOf(text, 0).screenCount();
    const fs::path png = dir_ / "one.png";
    const fs::path out = dir_ / "out.txt";
    Outcome o = run("--raw --screens 1 -o " + quoted(out) + " --preview " + quoted(png), text);
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(readPng(png).height, 100);
    EXPECT_FALSE(readFile(out).empty());

    o = run("--raw --screens 2-999 --preview " + quoted(png), text);
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(readPng(png).height, (count - 1) * 101 - 1);

    // The Text Editor presets draw the editor's grid on the screen of their
    // calculator.
    o = run("--raw --preset 3 --preview " + quoted(png), "x");
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(readPng(png).width, 240);
    EXPECT_EQ(readPng(png).height, 128);
}

TEST_F(CliPreview, BadPreviewOptionsAreRefusedAndWriteNothing)
{
    const fs::path png = dir_ / "never.png";
    for (const std::string args :
         {"--zoom 5", "--zoom 0", "--screens 3-2", "--screens 0", "--screens x", "--screens 1-", "--screens 99"}) {
        const Outcome o = run("--raw " + args + " --preview " + quoted(png), "short text");
        EXPECT_EQ(o.status, 1) << args;
        // Refused before the run: one line and nothing else.
        if (args != "--screens 99") {
            EXPECT_EQ(o.err.find('\n'), o.err.size() - 1) << "one line: " << o.err;
        }
        EXPECT_FALSE(fs::exists(png)) << args;
    }
    // A screen beyond the text is known only after the run, which reports
    // itself first, as a failed --send does.
    const Outcome beyond = run("--raw --screens 99 --preview " + quoted(png), "short text");
    EXPECT_NE(beyond.err.find(" modifications\ntessaline-process: --screens 99: the text has 1 screen\n"),
              std::string::npos)
        << beyond.err;
    const Outcome alone = run("--raw --zoom 2", "short text");
    EXPECT_EQ(alone.status, 1);
    EXPECT_NE(alone.err.find("--zoom and --screens go with --preview"), std::string::npos) << alone.err;
    EXPECT_EQ(run("--raw --preview", "x").status, 1);
}
