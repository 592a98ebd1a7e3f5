// Frames as a frame with a caption looks on Windows: the caption stands in
// the top border line, which runs through the middle of the caption's text
// height, and the controls' Top counts from the frame's outer top, so at
// their given positions they fall inside the box. The border is an etched
// line (shadow, then light) with a gap for the caption. The caption starts a
// few pixels in from the left edge; "Special Characters" leaves its five
// leading blanks to the palette check box that stands at the start of its
// title line, and its text starts clear of that box.
#pragma once

#include <QProxyStyle>
#include <QString>

namespace tessaline {

class FrameStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override;
    // The palette box is 13 pixels high: its indicator fits in that.
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override;

    static constexpr int kTitleIndent = 6;
    // The blank space on either side of the caption where the line stops.
    static constexpr int kTitleGap = 2;
    static constexpr int kLineWidth = 2;

private:
    static qsizetype leadingBlanks(const QString& text);
};

}  // namespace tessaline
