// Where a window opens: centred on its target, kept inside the available area.
#include <QWidget>
#include <gtest/gtest.h>

#include "ui/window_placement.h"

namespace tessaline {
namespace {

QRect placed(QSize size, QRect target, QRect available)
{
    QWidget window;  // never shown: its frame is its geometry
    window.resize(size);
    centreWindow(window, target, available);
    return window.frameGeometry();
}

TEST(WindowPlacement, CentresOnTheTargetWhenThatFits)
{
    const QRect screen(0, 0, 1000, 800);
    EXPECT_EQ(placed({200, 100}, screen, screen), QRect(400, 350, 200, 100));
    EXPECT_EQ(placed({200, 100}, QRect(100, 100, 400, 300), screen), QRect(200, 200, 200, 100));
    // An offset screen.
    const QRect second(1000, 50, 800, 600);
    EXPECT_EQ(placed({200, 100}, second, second), QRect(1300, 300, 200, 100));
}

TEST(WindowPlacement, StaysInsideTheAvailableArea)
{
    const QRect screen(0, 0, 1000, 800);
    // A target near each edge: the window moves in just far enough.
    EXPECT_EQ(placed({200, 100}, QRect(900, 750, 100, 50), screen), QRect(800, 700, 200, 100));
    EXPECT_EQ(placed({200, 100}, QRect(0, 0, 20, 20), screen), QRect(0, 0, 200, 100));
    EXPECT_EQ(placed({200, 100}, QRect(-500, 300, 100, 100), screen).left(), 0);
    // Exactly as large as the area: it fills it.
    EXPECT_EQ(placed({1000, 800}, QRect(700, 700, 10, 10), screen), screen);
}

TEST(WindowPlacement, ALargerWindowKeepsItsTopLeftCornerInReach)
{
    const QRect screen(10, 20, 400, 300);
    EXPECT_EQ(placed({600, 500}, screen, screen).topLeft(), QPoint(10, 20));
    EXPECT_EQ(placed({600, 500}, QRect(1000, 1000, 10, 10), screen).topLeft(), QPoint(10, 20));
}

TEST(WindowPlacement, WithoutAnAreaItOnlyCentres)
{
    const QRect target(5000, 6000, 100, 100);
    const QRect window = placed({200, 100}, target, QRect());
    EXPECT_EQ(window.center(), target.center());
    EXPECT_EQ(window.size(), QSize(200, 100));
}

}  // namespace
}  // namespace tessaline
