// The frames as drawn: the caption stands in the top border line, which runs
// through the middle of its text; the controls at their given positions fall
// inside the box; nothing covers the line; "Title" and "Name" stand level
// with the text in their boxes; the palette check box keeps clear of its
// caption. Looked at in the pixels the frames paint.
#include <QApplication>
#include <QImage>
#include <QStyle>
#include <gtest/gtest.h>

#include <optional>

#include "tests/ui/main/shown_main_window.h"

namespace tessaline {
namespace {

using Frames = ShownMainWindow;

bool dark(QRgb pixel) { return qGray(pixel) < 110; }

// The frame as it shows, children included.
QImage picture(QWidget& frame) { return frame.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// The first row from the top that differs from the background in column x.
std::optional<int> firstMarkedRow(const QImage& image, int x, QRgb background)
{
    for (int y = 0; y < image.height(); ++y)
        if (image.pixel(x, y) != background)
            return y;
    return std::nullopt;
}

// The rows that hold dark (text) pixels within `area`: first and last.
std::optional<std::pair<int, int>> darkRows(const QImage& image, const QRect& area)
{
    std::optional<std::pair<int, int>> rows;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (dark(image.pixel(x, y))) {
                if (!rows)
                    rows = std::make_pair(y, y);
                rows->second = y;
                break;
            }
    return rows;
}

TEST_F(Frames, TheCaptionStandsInTheTopLineAndTheControlsInsideTheBox)
{
    for (QGroupBox* frame : {ui->pageBreakFrame, ui->chapterFrame, ui->pictureFrame, ui->textSizeFrame, ui->presetFrame,
                             ui->paletteFrame}) {
        SCOPED_TRACE(frame->objectName().toStdString());
        const QImage image = picture(*frame);
        const QRgb background = frame->palette().color(QPalette::Window).rgb();
        // The top line, looked for near the right end, clear of the caption.
        const std::optional<int> line = firstMarkedRow(image, frame->width() - 6, background);
        ASSERT_TRUE(line);
        const int lineRow = *line;

        // The caption's text spans the line: it runs through the middle.
        const int captionHeight = frame->fontMetrics().height();
        // (The palette's caption starts right of its check box.)
        const int captionLeft = frame == ui->paletteFrame ? ui->paletteShownCheck->geometry().right() + 1 : 0;
        const auto caption = darkRows(image, QRect(captionLeft, 0, frame->width() / 2 - captionLeft, captionHeight));
        ASSERT_TRUE(caption);
        EXPECT_LT(caption->first, lineRow);
        EXPECT_GT(caption->second, lineRow);
        EXPECT_LE(std::abs((caption->first + caption->second) - 2 * lineRow), 3) << "not through the middle";

        // Every control but the palette's check box lies below the line.
        for (QWidget* child : frame->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (child == ui->paletteShownCheck)
                continue;
            EXPECT_GT(child->y(), lineRow + 1) << child->objectName().toStdString();
        }
    }
}

TEST_F(Frames, TitleAndNameLeaveTheLineAndStandLevelWithTheirBoxesText)
{
    const std::pair<QLabel*, QLineEdit*> pairs[] = {{ui->chapterTitleLabel, ui->chapterTitleEdit},
                                                    {ui->pictureNameLabel, ui->pictureNameEdit}};
    for (auto [label, edit] : pairs) {
        SCOPED_TRACE(label->text().toStdString());
        auto* frame = static_cast<QWidget*>(label->parent());
        // The same letters in the box, so that both texts end on the same baseline.
        edit->setText(label->text());
        const QImage image = picture(*frame);
        const QRgb background = frame->palette().color(QPalette::Window).rgb();
        const int lineRow = *firstMarkedRow(image, frame->width() - 6, background);
        // The label lies below the line and paints no block of its own.
        EXPECT_GT(label->y(), lineRow);
        const QRgb corner = image.pixel(label->geometry().right() - 1, label->y() + 1);
        EXPECT_EQ(corner, background);

        const auto labelText = darkRows(image, label->geometry());
        const auto boxText = darkRows(image, edit->geometry().adjusted(3, 3, -3, -3));
        ASSERT_TRUE(labelText);
        ASSERT_TRUE(boxText);
        EXPECT_LE(std::abs(labelText->second - boxText->second), 1) << "baselines apart";
        EXPECT_LE(std::abs(labelText->first - boxText->first), 1);
    }
}

TEST_F(Frames, ThePaletteCheckBoxKeepsClearOfItsCaption)
{
    QCheckBox* check = ui->paletteShownCheck;
    const QImage image = picture(*ui->paletteFrame);
    const int indicatorRight = check->x() + check->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, check) - 1;
    const int captionHeight = ui->paletteFrame->fontMetrics().height();
    // The first text column right of the indicator.
    std::optional<int> firstText;
    for (int x = indicatorRight + 1; x < ui->paletteFrame->width() / 2 && !firstText; ++x)
        for (int y = 0; y < captionHeight; ++y)
            if (dark(image.pixel(x, y))) {
                firstText = x;
                break;
            }
    ASSERT_TRUE(firstText) << "no caption";
    EXPECT_GE(*firstText - indicatorRight, 3) << "the caption touches the check box";

    // Collapsed to its title line, the frame keeps the same look.
    check->click();
    const QImage collapsed = picture(*ui->paletteFrame);
    for (int y = 0; y < captionHeight; ++y)
        for (int x = indicatorRight + 1; x < *firstText; ++x)
            EXPECT_FALSE(dark(collapsed.pixel(x, y))) << x << "," << y;
}

}  // namespace
}  // namespace tessaline
