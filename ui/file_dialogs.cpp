#include "ui/file_dialogs.h"

#include <QFileDialog>

#include "ui/name_only_icons.h"

namespace tessaline {

namespace {

// Qt's own dialog with icons and types from names only, so that listing a
// folder never opens a file (a pipe or a device would block it). A
// platform's native dialog could not be given this promise.
std::optional<QString> runDialog(QWidget* parent, QFileDialog::AcceptMode mode, const QString& filter,
                                 const QString& fileName)
{
    NameOnlyIconProvider icons;
    QFileDialog dialog(parent, QString(), fileName, filter);
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontUseCustomDirectoryIcons);
    dialog.setIconProvider(&icons);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QString chosen = dialog.selectedFiles().value(0);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

}  // namespace

std::optional<QString> QtFileDialogs::openFileName(QWidget* parent, const QString& filter, const QString& fileName)
{
    return runDialog(parent, QFileDialog::AcceptOpen, filter, fileName);
}

std::optional<QString> QtFileDialogs::saveFileName(QWidget* parent, const QString& filter, const QString& fileName)
{
    return runDialog(parent, QFileDialog::AcceptSave, filter, fileName);
}

}  // namespace tessaline
