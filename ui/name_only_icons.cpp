#include "ui/name_only_icons.h"

#include <QFileInfo>
#include <QMimeDatabase>

namespace tessaline {

NameOnlyIconProvider::NameOnlyIconProvider()
{
    // A folder's own icon would be read from a file inside it.
    setOptions(DontUseCustomDirectoryIcons);
}

QIcon NameOnlyIconProvider::icon(const QFileInfo& info) const
{
    if (info.isRoot())
        return icon(Drive);
    if (info.isDir())
        return icon(Folder);
    return icon(File);
}

QString NameOnlyIconProvider::type(const QFileInfo& info) const
{
    if (info.isRoot())
        return QStringLiteral("Drive");
    if (info.isDir())
        return QStringLiteral("Folder");
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
    return mime.comment().isEmpty() ? mime.name() : mime.comment();
}

}  // namespace tessaline
