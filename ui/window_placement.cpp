#include "ui/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace tessaline {

void centreWindow(QWidget& window, const QRect& target, const QRect& available)
{
    QRect frame = window.frameGeometry();
    frame.moveCenter(target.center());
    if (!available.isEmpty()) {
        if (frame.right() > available.right())
            frame.moveRight(available.right());
        if (frame.bottom() > available.bottom())
            frame.moveBottom(available.bottom());
        if (frame.left() < available.left())
            frame.moveLeft(available.left());
        if (frame.top() < available.top())
            frame.moveTop(available.top());
    }
    window.move(frame.topLeft());
}

QRect availableScreenArea(const QWidget& window)
{
    QScreen* screen = window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

}  // namespace tessaline
