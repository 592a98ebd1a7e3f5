// The screen preview's layout: random processed texts against an independent
// reckoning of where each line's ink ends, the markup lines, pictures and the
// edges of paging.
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "charset/small_font.h"
#include "engine/line_break_pass.h"
#include "screen/screen_layout.h"

namespace tessaline::screen {
namespace {

LineSettings presetSettings(int preset)
{
    LineSettings settings;
    settings.charWidths = defaultCharWidths();
    applyPreset(preset, settings);
    return settings;
}

ScreenTarget presetTarget(int preset) { return targetFor(presetSettings(preset)); }

std::string lines(const std::vector<std::string>& parts)
{
    std::string text;
    for (const std::string& part : parts)
        text += part + "\r\n";
    return text;
}

// Pixels that are not paper in rows [top, top + rows) of `image`.
int inkIn(const ScreenImage& image, int top, int rows, Pixel only = Pixel::Paper)
{
    int count = 0;
    for (int y = top; y < top + rows && y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (only == Pixel::Paper ? image.at(x, y) != Pixel::Paper : image.at(x, y) == only)
                ++count;
    return count;
}

// One past the rightmost non-paper column in rows [top, top + 5); 0 if none.
int inkedWidth(const ScreenImage& image, int top)
{
    int width = 0;
    for (int y = top; y < top + charset::kGlyphRows; ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.at(x, y) != Pixel::Paper)
                width = std::max(width, x + 1);
    return width;
}

// Where the ink of `line` ends, reckoned from the width table and each
// glyph's rightmost inked column.
int expectedInkedWidth(const std::string& line)
{
    const auto& font = charset::smallFont();
    const CharWidthTable& widths = defaultCharWidths();
    int x = 0;
    int end = 0;
    for (const char c : line) {
        const auto code = static_cast<unsigned char>(c);
        for (int column = 0; column < 8; ++column)
            for (int row = 0; row < charset::kGlyphRows; ++row)
                if (font[code].inked(column, row))
                    end = std::max(end, x + column + 1);
        x += widths[code];
    }
    return end;
}

int widthSum(const std::string& line)
{
    int sum = 0;
    for (const char c : line)
        sum += defaultCharWidths()[static_cast<unsigned char>(c)];
    return sum;
}

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> result;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t lf = text.find('\n', start);
        std::size_t end = lf == std::string::npos ? text.size() : lf;
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r' && lf != std::string::npos)
            line.pop_back();
        result.push_back(line);
        start = lf == std::string::npos ? text.size() : lf + 1;
    }
    return result;
}

std::string randomText(std::mt19937& rng, std::size_t length)
{
    std::uniform_int_distribution<int> kind(0, 99);
    std::uniform_int_distribution<int> code(14, 255);
    std::uniform_int_distribution<int> letter('a', 'z');
    std::string text;
    while (text.size() < length) {
        const int k = kind(rng);
        if (k < 55) {
            text.push_back(static_cast<char>(letter(rng)));
        } else if (k < 70) {
            text.push_back(' ');
        } else if (k < 73) {
            text += "\r\n";
        } else {
            const int c = code(rng);
            // An underscore could start a markup line, which is not text.
            if (c != '_')
                text.push_back(static_cast<char>(c));
        }
    }
    return text;
}

TEST(ScreenLayoutProperty, RandomProcessedTextsAtPresetZeroStayWithinTheScreenWhereTheWidthsPutThem)
{
    std::mt19937 rng(20261209);
    for (int round = 0; round < 40; ++round) {
        const bool wrap = round % 2 == 0;
        const std::string text = runLineBreakPass(randomText(rng, 200 + round * 97), presetSettings(0), wrap).text;
        const std::vector<std::string> textLines = splitLines(text);
        const ScreenLayout layout(text, presetTarget(0));
        constexpr int kLinesPerScreen = 16;
        ASSERT_EQ(layout.screenCount(),
                  std::max<int>(1, (static_cast<int>(textLines.size()) + kLinesPerScreen - 1) / kLinesPerScreen));
        for (int s = 0; s < layout.screenCount(); ++s) {
            const ScreenImage image = layout.draw(s);
            ASSERT_EQ(image.width(), 160);
            ASSERT_EQ(image.height(), 100);
            EXPECT_EQ(inkIn(image, 0, image.height(), Pixel::Marked), 0) << "a processed line is marked";
            for (int k = 0; k < kLinesPerScreen; ++k) {
                const std::size_t n = static_cast<std::size_t>(s * kLinesPerScreen + k);
                if (n >= textLines.size())
                    break;
                const std::string& line = textLines[n];
                ASSERT_LE(widthSum(line), 160) << line;
                EXPECT_EQ(inkedWidth(image, k * 6), expectedInkedWidth(line)) << "round " << round << " line " << n;
                // The spacing row under each line stays blank.
                EXPECT_EQ(inkIn(image, k * 6 + 5, 1), 0);
            }
        }
    }
}

TEST(ScreenLayoutProperty, ALineInksItsWidthSumLessTheTrailingBlankColumn)
{
    // Every glyph here inks the column before its spacing column, so the
    // ink ends exactly where the widths say.
    const std::string closers = "HMW#0AE";
    std::mt19937 rng(7);
    std::uniform_int_distribution<std::size_t> pick(0, closers.size() - 1);
    std::uniform_int_distribution<int> length(1, 39);
    std::vector<std::string> textLines;
    for (int n = 0; n < 50; ++n) {
        std::string line;
        for (int k = length(rng); k > 0; --k)
            line.push_back(closers[pick(rng)]);
        if (widthSum(line) <= 160)
            textLines.push_back(line);
    }
    const std::string text = lines(textLines);
    const ScreenLayout layout(text, presetTarget(0));
    for (std::size_t n = 0; n < textLines.size(); ++n) {
        const ScreenImage image = layout.draw(static_cast<int>(n / 16));
        EXPECT_EQ(inkedWidth(image, static_cast<int>(n % 16) * 6), widthSum(textLines[n]) - 1) << textLines[n];
    }
}

TEST(ScreenLayoutPaging, SixteenLinesFillATi89ScreenAndTwentyOneATi92PlusScreen)
{
    for (const auto& [preset, perScreen] : {std::pair{0, 16}, std::pair{1, 21}}) {
        const ScreenTarget target = presetTarget(preset);
        std::vector<std::string> full(static_cast<std::size_t>(perScreen), "H");
        EXPECT_EQ(ScreenLayout(lines(full), target).screenCount(), 1) << "preset " << preset;
        full.push_back("H");
        const std::string text = lines(full);
        const ScreenLayout layout(text, target);
        ASSERT_EQ(layout.screenCount(), 2);
        // The line that did not fit opens the second screen.
        EXPECT_GT(inkIn(layout.draw(1), 0, 5), 0);
        EXPECT_EQ(inkIn(layout.draw(1), 6, target.size.height - 6), 0);
        // A text ending in CR LF has no empty screen after it.
        std::vector<std::string> two(static_cast<std::size_t>(2 * perScreen), "H");
        EXPECT_EQ(ScreenLayout(lines(two), target).screenCount(), 2);
        // Without a final line end the last line still counts.
        EXPECT_EQ(ScreenLayout(lines(two) + "H", target).screenCount(), 3);
    }
}

TEST(ScreenLayoutPaging, AnEmptyTextIsOneBlankScreenAndScreensOutOfRangeAreRefused)
{
    const ScreenLayout layout("", presetTarget(0));
    ASSERT_EQ(layout.screenCount(), 1);
    EXPECT_EQ(layout.draw(0).inkedCount(), 0);
    EXPECT_THROW(layout.draw(1), std::out_of_range);
    EXPECT_THROW(layout.draw(-1), std::out_of_range);
}

TEST(ScreenLayoutPaging, PageBreaksAndChaptersStartScreensButNeverAnEmptyOne)
{
    const ScreenTarget target = presetTarget(0);
    EXPECT_EQ(ScreenLayout(lines({"one", "_BRK", "two"}), target).screenCount(), 2);
    EXPECT_EQ(ScreenLayout(lines({"_BRK", "one", "_BRK", "_BRK", "two", "_BRK"}), target).screenCount(), 2);
    EXPECT_EQ(ScreenLayout(lines({"one", "_CHA", "_TIL Two", "text"}), target).screenCount(), 2);
    // Only the exact command lines break.
    EXPECT_EQ(ScreenLayout(lines({"one", "_BRK ", "_BRKx", " _BRK", "_brk"}), target).screenCount(), 1);
    // A break right after a full screen does not add a blank one.
    std::vector<std::string> full(16, "H");
    full.push_back("_BRK");
    full.push_back("H");
    EXPECT_EQ(ScreenLayout(lines(full), target).screenCount(), 2);
}

TEST(ScreenLayoutMarkup, ATitleIsABoldInverseBarAndTheCommandLinesDrawNothing)
{
    const std::string text = lines({"_CHA", "_TIL HH", "H"});
    const ScreenLayout layout(text, presetTarget(0));
    ASSERT_EQ(layout.screenCount(), 1);
    const ScreenImage image = layout.draw(0);
    // The bar spans the screen for seven rows, less the title's paper
    // pixels: "H" inks 11 pixels, each doubled in bold.
    const int titlePaper = 160 * 7 - inkIn(image, 0, 7);
    EXPECT_EQ(titlePaper, 2 * 2 * 11);
    // Centred: the two bold letters take 16 columns, 72 to 87.
    EXPECT_EQ(image.at(71, 1), Pixel::Ink);
    EXPECT_EQ(image.at(72, 1), Pixel::Paper);
    EXPECT_EQ(image.at(73, 1), Pixel::Paper);
    EXPECT_EQ(image.at(74, 1), Pixel::Ink);  // the letter's open middle
    EXPECT_EQ(image.at(85, 1), Pixel::Paper);
    EXPECT_EQ(image.at(86, 1), Pixel::Ink);  // the spacing column of the second letter
    // A title too wide to double keeps the plain weight, centred as well.
    const std::string wide = lines({"_TIL " + std::string(30, 'H')});
    const ScreenImage plain = ScreenLayout(wide, presetTarget(0)).draw(0);
    EXPECT_EQ(160 * 7 - inkIn(plain, 0, 7), 30 * 11);
    // The text line follows the bar.
    EXPECT_EQ(inkedWidth(image, 7), 3);
    EXPECT_EQ(inkIn(image, 12, 88), 0);
}

TEST(ScreenLayoutMarkup, ALineWiderThanTheTargetIsMarked)
{
    const std::string text = lines({std::string(40, 'H'), std::string(41, 'H'), "_TIL " + std::string(40, 'H')});
    const ScreenLayout layout(text, presetTarget(0));
    const ScreenImage image = layout.draw(0);
    EXPECT_EQ(inkIn(image, 0, 6, Pixel::Marked), 0);
    EXPECT_GT(inkIn(image, 0, 6, Pixel::Ink), 0);
    EXPECT_EQ(inkIn(image, 6, 6, Pixel::Ink), 0);
    EXPECT_GT(inkIn(image, 6, 6, Pixel::Marked), 0);
    // A title is measured with its command, as the line-break pass measures it.
    EXPECT_GT(inkIn(image, 12, 7, Pixel::Marked), 0);
}

TEST(ScreenLayoutPictures, APictureIsDrawnWhereItsLineStandsAndTheTextFollowsIt)
{
    MonoPicture picture;
    picture.width = 10;
    picture.height = 20;
    picture.rows.assign(static_cast<std::size_t>(picture.rowBytes() * picture.height), 0);
    picture.rows[0] = 0x80;                                     // top left pixel
    picture.rows[static_cast<std::size_t>(19 * 2 + 1)] = 0x40;  // bottom right pixel (x 9)
    std::vector<std::string> asked;
    PictureLookup lookup = [&](std::string_view name) -> const MonoPicture* {
        asked.emplace_back(name);
        return name == "cat" ? &picture : nullptr;
    };
    const std::string text = lines({"H", "_PIC cat", "H"});
    const ScreenLayout layout(text, presetTarget(0), lookup);
    const ScreenImage image = layout.draw(0);
    EXPECT_EQ(asked.front(), "cat");
    // Centred: columns 75 to 84, rows 6 to 25; the next line at row 27.
    EXPECT_EQ(image.at(75, 6), Pixel::Ink);
    EXPECT_EQ(image.at(84, 25), Pixel::Ink);
    EXPECT_EQ(inkIn(image, 6, 20), 2);
    EXPECT_EQ(inkIn(image, 26, 1), 0);
    EXPECT_EQ(inkedWidth(image, 27), 3);
}

TEST(ScreenLayoutPictures, AMissingPictureIsABoxAndATallOneHasAScreenOfItsOwn)
{
    const ScreenTarget target = presetTarget(0);
    const std::string text = lines({"H", "_PIC gone", "H"});
    const ScreenImage box = ScreenLayout(text, target).draw(0);
    EXPECT_EQ(box.at(0, 6), Pixel::Ink);
    EXPECT_EQ(box.at(159, 6 + ScreenLayout::kPlaceholderRows - 2), Pixel::Ink);
    EXPECT_GT(inkIn(box, 6 + 1, ScreenLayout::kPlaceholderRows - 3), 2 * (ScreenLayout::kPlaceholderRows - 3))
        << "the name is written in the box";
    EXPECT_EQ(inkedWidth(box, 6 + ScreenLayout::kPlaceholderRows), 3);

    MonoPicture tall;
    tall.width = 8;
    tall.height = 300;
    tall.rows.assign(300, 0xFF);
    const std::string tallText = lines({"H", "_PIC tall", "H"});
    const ScreenLayout layout(tallText, target, [&](std::string_view) -> const MonoPicture* { return &tall; });
    ASSERT_EQ(layout.screenCount(), 3);
    EXPECT_EQ(layout.draw(1).inkedCount(), 8 * 100);  // cut off at the screen's bottom
    EXPECT_EQ(inkedWidth(layout.draw(2), 0), 3);
}

TEST(ScreenLayoutTextEditor, TheEditorPresetsDrawAGridOfCellsWithTheLineMark)
{
    const ScreenTarget ti89 = presetTarget(2);
    ASSERT_EQ(ti89.kind, LayoutKind::TextEditor);
    ASSERT_EQ(ti89.size.width, 160);
    std::vector<std::string> rows(13, "i");
    rows[1] = "_BRK";  // shown as text, not obeyed
    rows[2] = std::string(24, 'i');
    const std::string text = lines(rows);
    const ScreenLayout layout(text, ti89);
    ASSERT_EQ(layout.screenCount(), 2);  // twelve rows of eight pixels
    const ScreenImage image = layout.draw(0);
    // The colon in the first cell, the "i" centred in the second (column
    // 8), the glyphs' five rows in the middle of the cell's eight.
    EXPECT_EQ(image.at(2, 2), Pixel::Ink);
    EXPECT_EQ(image.at(2, 4), Pixel::Ink);
    EXPECT_EQ(image.at(8, 1), Pixel::Ink);
    EXPECT_EQ(image.at(8, 2), Pixel::Paper);
    EXPECT_EQ(image.at(7, 1), Pixel::Paper);
    EXPECT_GT(inkIn(image, 8, 8), 0);
    // 24 characters are one too many for 23.
    EXPECT_GT(inkIn(image, 16, 8, Pixel::Marked), 0);
    EXPECT_EQ(inkIn(image, 0, 16, Pixel::Marked), 0);

    const ScreenTarget ti92 = presetTarget(3);
    EXPECT_EQ(ti92.size.width, 240);
    EXPECT_EQ(ScreenLayout(lines(std::vector<std::string>(16, "i")), ti92).screenCount(), 1);
    EXPECT_EQ(ScreenLayout(lines(std::vector<std::string>(17, "i")), ti92).screenCount(), 2);
}

TEST(ScreenTargets, CustomLengthsPickTheScreenTheyFit)
{
    LineSettings settings = presetSettings(0);
    settings.lineLimit = 161;
    EXPECT_EQ(targetFor(settings).size.width, 240);
    settings.lineLimit = 100;
    EXPECT_EQ(targetFor(settings).size.width, 160);
    settings.measureInPixels = false;
    settings.lineLimit = 24;
    EXPECT_EQ(targetFor(settings).size.width, 240);
    EXPECT_EQ(targetFor(settings).kind, LayoutKind::TextEditor);
}

TEST(ScreenLayoutScale, AMegabyteTextIsIndexedWholeAndItsLastScreenDrawn)
{
    std::string line(38, 'e');
    line += "\r\n";
    std::string text;
    while (text.size() < (1u << 20))
        text += line;
    const int lineCount = static_cast<int>(text.size() / line.size());
    const ScreenLayout layout(text, presetTarget(0));
    ASSERT_EQ(layout.screenCount(), (lineCount + 15) / 16);
    const ScreenImage last = layout.draw(layout.screenCount() - 1);
    const int linesOnLast = lineCount - 16 * (layout.screenCount() - 1);
    EXPECT_GT(inkIn(last, (linesOnLast - 1) * 6, 5), 0);
    EXPECT_EQ(inkIn(last, linesOnLast * 6, 100 - linesOnLast * 6), 0);
}

}  // namespace
}  // namespace tessaline::screen
