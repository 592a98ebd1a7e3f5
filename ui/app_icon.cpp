#include "ui/app_icon.h"

namespace tessaline {

QPixmap appIconPixmap()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::darkBlue);
    return pixmap;
}

QIcon appIcon()
{
    return QIcon(appIconPixmap());
}

}  // namespace tessaline
