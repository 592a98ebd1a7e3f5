#include "screen/screen_layout.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

#include "charset/small_font.h"

namespace tessaline::screen {

namespace {

constexpr std::string_view kChapter = "_CHA";
constexpr std::string_view kTitle = "_TIL";
constexpr std::string_view kPicture = "_PIC";
constexpr std::string_view kBreak = "_BRK";
constexpr char kCr = 13;
constexpr char kLf = 10;
// The Text Editor marks the start of each line with a colon in the first cell.
constexpr unsigned char kEditorLineMark = ':';

// "_TIL" or "_PIC" alone, or followed by a space and the argument.
bool isCommand(std::string_view line, std::string_view keyword)
{
    return line.substr(0, keyword.size()) == keyword && (line.size() == keyword.size() || line[keyword.size()] == ' ');
}

std::string_view argumentOf(std::string_view line, std::string_view keyword)
{
    return line.size() > keyword.size() ? line.substr(keyword.size() + 1) : std::string_view();
}

}  // namespace

ScreenLayout::ScreenLayout(std::string codes, const ScreenTarget& target, PictureLookup pictures)
    : codes_(std::move(codes)), target_(target), pictures_(std::move(pictures))
{
    std::size_t offset = 0;
    do {
        starts_.push_back(offset);
        offset = skipScreenBreaks(walkScreen(offset, [](const Line&, LineKind, int) {}));
    } while (offset < codes_.size());
}

std::size_t ScreenLayout::skipScreenBreaks(std::size_t offset) const
{
    while (offset < codes_.size()) {
        const Line line = lineAt(offset);
        const LineKind kind = kindOf(line.codes);
        if (kind != LineKind::Chapter && kind != LineKind::Break)
            break;
        offset = line.next;
    }
    return offset;
}

ScreenLayout::Line ScreenLayout::lineAt(std::size_t offset) const
{
    const char* begin = codes_.data() + offset;
    const std::size_t rest = codes_.size() - offset;
    const void* lf = rest > 0 ? std::memchr(begin, kLf, rest) : nullptr;
    std::size_t length = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - begin) : rest;
    const std::size_t next = offset + length + (lf ? 1 : 0);
    if (lf && length > 0 && begin[length - 1] == kCr)
        --length;
    return {offset, std::string_view(begin, length), next};
}

ScreenLayout::LineKind ScreenLayout::kindOf(std::string_view line) const
{
    if (target_.kind == LayoutKind::TextEditor)
        return LineKind::Text;
    if (line == kChapter)
        return LineKind::Chapter;
    if (line == kBreak)
        return LineKind::Break;
    if (isCommand(line, kTitle))
        return LineKind::Title;
    if (isCommand(line, kPicture))
        return LineKind::Picture;
    return LineKind::Text;
}

int ScreenLayout::rowsOf(const Line& line, LineKind kind) const
{
    switch (kind) {
    case LineKind::Chapter:
    case LineKind::Break:
        return 0;
    case LineKind::Title:
        return kTitleRows;
    case LineKind::Picture: {
        const MonoPicture* picture = pictures_ ? pictures_(argumentOf(line.codes, kPicture)) : nullptr;
        // One blank row parts the picture from the text below it.
        return picture ? picture->height + 1 : kPlaceholderRows;
    }
    case LineKind::Text:
        break;
    }
    return target_.kind == LayoutKind::TextEditor ? kCellHeight : kLineRows;
}

template <typename Draw>
std::size_t ScreenLayout::walkScreen(std::size_t offset, Draw&& draw) const
{
    int top = 0;
    while (offset < codes_.size()) {
        const Line line = lineAt(offset);
        const LineKind kind = kindOf(line.codes);
        if (kind == LineKind::Chapter || kind == LineKind::Break) {
            // A chapter or a page break opens a new screen; on a screen that
            // is still empty there is nothing to end.
            if (top > 0)
                return offset;
            offset = line.next;
            continue;
        }
        const int rows = rowsOf(line, kind);
        // What does not fit goes to the next screen, unless the screen is
        // empty: a picture taller than the screen is cut off at its bottom.
        if (top > 0 && top + rows > target_.size.height)
            return offset;
        draw(line, kind, top);
        top += rows;
        offset = line.next;
    }
    return codes_.size();
}

ScreenImage ScreenLayout::draw(int index) const
{
    if (index < 0 || index >= screenCount())
        throw std::out_of_range("Screen " + std::to_string(index + 1) + " of " + std::to_string(screenCount()));
    ScreenImage image(target_.size.width, target_.size.height);
    walkScreen(starts_[static_cast<std::size_t>(index)], [&](const Line& line, LineKind kind, int top) {
        switch (kind) {
        case LineKind::Title:
            drawTitle(image, line.codes, top);
            break;
        case LineKind::Picture:
            drawPicture(image, line.codes, top);
            break;
        case LineKind::Text:
            if (target_.kind == LayoutKind::TextEditor)
                drawEditorLine(image, line.codes, top);
            else
                drawTextLine(image, line.codes, top);
            break;
        case LineKind::Chapter:
        case LineKind::Break:
            break;
        }
    });
    return image;
}

int ScreenLayout::lineWidth(std::string_view codes) const
{
    int width = 0;
    for (const char code : codes)
        width += std::max<int>(0, target_.widths[static_cast<unsigned char>(code)]);
    return width;
}

void ScreenLayout::drawCodes(ScreenImage& image, std::string_view codes, int left, int top, Pixel ink, int scale) const
{
    const auto& font = charset::smallFont();
    int x = left;
    for (const char c : codes) {
        if (x >= image.width())
            break;
        const auto code = static_cast<unsigned char>(c);
        const charset::Glyph& glyph = font[code];
        const int advance = std::max<int>(0, target_.widths[code]);
        // The glyph never spills past its advance, should a width table give
        // a code fewer columns than it is drawn with.
        const int columns = std::min<int>(glyph.width, advance);
        for (int row = 0; row < charset::kGlyphRows; ++row)
            for (int column = 0; column < columns; ++column)
                if (glyph.inked(column, row))
                    image.fill(x + column * scale, top + row, scale, 1, ink);
        x += advance * scale;
    }
}

void ScreenLayout::drawTextLine(ScreenImage& image, std::string_view codes, int top) const
{
    const Pixel ink = lineWidth(codes) > target_.lineLimit ? Pixel::Marked : Pixel::Ink;
    drawCodes(image, codes, 0, top, ink, 1);
}

void ScreenLayout::drawTitle(ScreenImage& image, std::string_view line, int top) const
{
    const Pixel bar = lineWidth(line) > target_.lineLimit ? Pixel::Marked : Pixel::Ink;
    image.fill(0, top, image.width(), kTitleRows, bar);
    const std::string_view title = argumentOf(line, kTitle);
    // Bold doubles every column: a stroke one column thick next to a blank
    // one, as the small font's three-column letters are, cannot thicken in
    // place without closing the letter. A title too wide for that keeps the
    // plain weight.
    const int plainWidth = lineWidth(title);
    const int scale = 2 * plainWidth <= image.width() ? 2 : 1;
    const int left = std::max(0, (image.width() - scale * plainWidth) / 2);
    drawCodes(image, title, left, top + 1, Pixel::Paper, scale);
}

void ScreenLayout::drawPicture(ScreenImage& image, std::string_view line, int top) const
{
    const std::string_view name = argumentOf(line, kPicture);
    const MonoPicture* picture = pictures_ ? pictures_(name) : nullptr;
    if (!picture) {
        const int bottom = top + kPlaceholderRows - 2;  // the last row stays blank
        const int right = image.width() - 1;
        image.fill(0, top, image.width(), 1, Pixel::Ink);
        image.fill(0, bottom, image.width(), 1, Pixel::Ink);
        image.fill(0, top, 1, kPlaceholderRows - 1, Pixel::Ink);
        image.fill(right, top, 1, kPlaceholderRows - 1, Pixel::Ink);
        const int left = std::max(2, (image.width() - lineWidth(name)) / 2);
        drawCodes(image, name, left, top + (kPlaceholderRows - charset::kGlyphRows) / 2, Pixel::Ink, 1);
        return;
    }
    const Pixel ink = picture->width > target_.lineLimit ? Pixel::Marked : Pixel::Ink;
    const int left = std::max(0, (image.width() - picture->width) / 2);
    const int rows = std::min(picture->height, image.height() - top);
    const int columns = std::min(picture->width, image.width() - left);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x)
            if (picture->inked(x, y))
                image.set(left + x, top + y, ink);
}

void ScreenLayout::drawEditorLine(ScreenImage& image, std::string_view codes, int top) const
{
    const Pixel ink = static_cast<int>(codes.size()) > target_.lineLimit ? Pixel::Marked : Pixel::Ink;
    const auto& font = charset::smallFont();
    // Each glyph is centred in its cell, its five rows in the middle of the
    // cell's eight.
    const int glyphTop = top + (kCellHeight - charset::kGlyphRows) / 2;
    auto drawCell = [&](int cell, unsigned char code) {
        const charset::Glyph& glyph = font[code];
        const int inkColumns = std::max(0, glyph.width - 1);
        const int left = cell * kCellWidth + (kCellWidth - 1 - inkColumns) / 2;
        for (int row = 0; row < charset::kGlyphRows; ++row)
            for (int column = 0; column < glyph.width; ++column)
                if (glyph.inked(column, row))
                    image.set(left + column, glyphTop + row, ink);
    };
    drawCell(0, kEditorLineMark);
    const int cells = image.width() / kCellWidth;
    for (std::size_t k = 0; k < codes.size() && static_cast<int>(k) + 1 < cells; ++k)
        drawCell(static_cast<int>(k) + 1, static_cast<unsigned char>(codes[k]));
}

}  // namespace tessaline::screen
