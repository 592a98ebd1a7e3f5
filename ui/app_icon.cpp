#include "ui/app_icon.h"

#include <QDir>
#include <QString>

// The resource lives in a static library, where nothing pulls it into the
// program unless it is registered by name; Q_INIT_RESOURCE works only outside
// a namespace.
static void registerAppIconResource() { Q_INIT_RESOURCE(app_icon); }

namespace tessaline {

namespace {

// Holds one folder per size, named "<size>x<size>" as in the desktop's icon
// theme.
const QString kIconRoot = QStringLiteral(":/hicolor");

void ensureResource()
{
    static const bool registered = (registerAppIconResource(), true);
    (void)registered;
}

QString iconFile(const QString& sizeFolder)
{
    return kIconRoot + QLatin1Char('/') + sizeFolder + QStringLiteral("/apps/tessaline.png");
}

}  // namespace

QPixmap appIconPixmap()
{
    ensureResource();
    return QPixmap(iconFile(QStringLiteral("32x32")));
}

QIcon appIcon()
{
    ensureResource();
    QIcon icon;
    for (const QString& sizeFolder : QDir(kIconRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        icon.addFile(iconFile(sizeFolder));
    return icon;
}

}  // namespace tessaline
