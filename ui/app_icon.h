// The program's own 32 x 32 icon, drawn in code; the main window and the
// about box show it.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace tessaline {

QPixmap appIconPixmap();   // 32 x 32
QIcon appIcon();

}  // namespace tessaline
