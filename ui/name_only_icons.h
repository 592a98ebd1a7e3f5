// Icons and type names for the file dialogs' list, made from a file's name and
// kind alone. Qt's own provider guesses a file's type from its first bytes,
// which blocks on a pipe or a device such as /proc/kmsg; this one never opens
// a file.
#pragma once

#include <QFileIconProvider>

namespace tessaline {

class NameOnlyIconProvider : public QFileIconProvider {
public:
    NameOnlyIconProvider();

    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override;
    // The type column: "Drive", "Folder", or the type its name suggests.
    QString type(const QFileInfo& info) const override;
};

}  // namespace tessaline
