#include "ui/main/frame_style.h"

#include <QCheckBox>
#include <QPainter>
#include <QRegion>
#include <QStyleOption>
#include <QStyleOptionComplex>
#include <QWidget>

#include <algorithm>

namespace tessaline {

QRect FrameStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                                 const QWidget* widget) const
{
    if (control != CC_GroupBox)
        return QProxyStyle::subControlRect(control, option, sub, widget);
    const QRect whole = option->rect;
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    const QString text = box != nullptr ? box->text : QString();
    const QFontMetrics metrics = option->fontMetrics;
    switch (sub) {
    case SC_GroupBoxLabel: {
        if (text.isEmpty())
            return {};
        int left = whole.left() + kTitleIndent;
        // Leading blanks make room for a check box in the title line: the
        // text itself starts clear of it.
        const qsizetype blanks = leadingBlanks(text);
        const int blanksWidth = metrics.horizontalAdvance(text.left(blanks));
        if (widget != nullptr && blanks > 0) {
            for (const QCheckBox* check : widget->findChildren<QCheckBox*>(QString(), Qt::FindDirectChildrenOnly)) {
                if (check->isVisibleTo(widget) && check->y() < metrics.height())
                    left = std::max(left, check->geometry().right() + 1 + kTitleGap - blanksWidth);
            }
        }
        return QRect(left, whole.top(), metrics.horizontalAdvance(text) + 2 * kTitleGap, metrics.height())
            .translated(-kTitleGap, 0);
    }
    case SC_GroupBoxFrame:
        return whole.adjusted(0, metrics.height() / 2, 0, 0);
    case SC_GroupBoxContents:
        return whole.adjusted(kLineWidth, metrics.height(), -kLineWidth, -kLineWidth);
    default:
        return QProxyStyle::subControlRect(control, option, sub, widget);
    }
}

void FrameStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                    const QWidget* widget) const
{
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || box == nullptr) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    const QRect frame = subControlRect(control, option, SC_GroupBoxFrame, widget);
    const QRect label = subControlRect(control, option, SC_GroupBoxLabel, widget);
    painter->save();
    QRegion lines(option->rect);
    if (!label.isEmpty())
        lines -= QRegion(label);
    // A check box in the title line covers the line, as the caption does.
    if (widget != nullptr) {
        for (const QCheckBox* check : widget->findChildren<QCheckBox*>(QString(), Qt::FindDirectChildrenOnly))
            if (check->isVisibleTo(widget) && check->y() < label.bottom())
                lines -= QRegion(check->geometry());
    }
    painter->setClipRegion(lines);
    // The light line lies one pixel right of and below the shadow line.
    const QRect shadow = frame.adjusted(0, 0, -2, -2);
    painter->setPen(option->palette.color(QPalette::Dark));
    painter->drawRect(shadow);
    painter->setPen(option->palette.color(QPalette::Light));
    painter->drawRect(shadow.translated(1, 1));
    painter->restore();
    if (!label.isEmpty())
        proxy()->drawItemText(painter, label.adjusted(kTitleGap, 0, -kTitleGap, 0),
                              Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic | Qt::TextSingleLine,
                              box->palette, box->state & State_Enabled, box->text, QPalette::WindowText);
}

int FrameStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    const int value = QProxyStyle::pixelMetric(metric, option, widget);
    if ((metric == PM_IndicatorWidth || metric == PM_IndicatorHeight) && widget != nullptr
        && widget->objectName() == QLatin1String("Check3"))
        return std::min(value, widget->height());
    return value;
}

qsizetype FrameStyle::leadingBlanks(const QString& text)
{
    qsizetype n = 0;
    while (n < text.size() && text[n] == u' ')
        ++n;
    return n;
}

}  // namespace tessaline
