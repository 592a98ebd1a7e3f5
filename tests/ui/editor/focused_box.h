// A box shown in a window of its own and given the keyboard focus, so that
// keys and focus work on it as for the user.
#pragma once

#include <QApplication>
#include <QWidget>

namespace tessaline::testing {

inline void showFocused(QWidget& box)
{
    box.resize(400, 200);
    box.show();
    box.activateWindow();
    QApplication::setActiveWindow(&box);
    box.setFocus();
    QApplication::processEvents();
}

}  // namespace tessaline::testing
