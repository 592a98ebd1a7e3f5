#include "ui/app_icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace tessaline {

// A small calculator: a dark case with a green-grey screen holding three
// lines of text, the last one cut short as a line break would, and a row of
// keys below.
QPixmap appIconPixmap()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);

    // Case.
    QLinearGradient caseGradient(0, 0, 0, 32);
    caseGradient.setColorAt(0.0, QColor(0x4a, 0x55, 0x68));
    caseGradient.setColorAt(1.0, QColor(0x22, 0x28, 0x33));
    QPainterPath body;
    body.addRoundedRect(QRectF(1.5, 1.5, 29, 29), 4, 4);
    p.setPen(QPen(QColor(0x12, 0x16, 0x1d), 1));
    p.setBrush(caseGradient);
    p.drawPath(body);

    // Screen.
    const QRectF screen(5, 4.5, 22, 15);
    p.setPen(QPen(QColor(0x1b, 0x20, 0x18), 1));
    p.setBrush(QColor(0xb8, 0xc8, 0x9a));
    p.drawRoundedRect(screen, 1.5, 1.5);

    // Text lines on the screen.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x26, 0x30, 0x20));
    const int lineWidths[] = {16, 13, 8};
    for (int i = 0; i < 3; ++i)
        p.drawRect(QRect(8, 8 + i * 4, lineWidths[i], 2));
    // The caret after the short line.
    p.setBrush(QColor(0x8a, 0x1c, 0x1c));
    p.drawRect(QRect(17, 15, 1, 3));

    // Keys.
    p.setRenderHint(QPainter::Antialiasing, true);
    const QColor keyColours[] = {QColor(0xd8, 0xdc, 0xe2), QColor(0xd8, 0xdc, 0xe2), QColor(0xd8, 0xdc, 0xe2),
                                 QColor(0xf0, 0xa0, 0x30)};
    for (int i = 0; i < 4; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(keyColours[i]);
        p.drawRoundedRect(QRectF(5.5 + i * 5.5, 22.5, 4, 3), 1, 1);
    }
    p.end();
    return pixmap;
}

QIcon appIcon()
{
    return QIcon(appIconPixmap());
}

}  // namespace tessaline
