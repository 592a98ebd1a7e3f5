// The program's icon, one drawing for the desktop and the windows: the PNGs
// under icons/hicolor, compiled in. The main window and the about box show it.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace tessaline {

QPixmap appIconPixmap();  // 32 x 32
QIcon appIcon();          // every size there is

}  // namespace tessaline
