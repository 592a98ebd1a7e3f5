#include "ui/file_dialogs.h"

#include <QFileDialog>
#include <QSettings>
#include <QTemporaryDir>

#include "ui/name_only_icons.h"

namespace tessaline {

namespace {

// The program keeps no settings between runs. Qt's file dialog keeps its
// history, last folder and sidebar places in the user's settings
// (~/.config/QtProject.conf) and offers them again in later runs; here the
// user's settings live in a folder that goes with the program, so a dialog
// remembers this run only.
void keepSettingsForThisRunOnly()
{
    static QTemporaryDir folder;
    static const bool redirected = [] {
        // Without a temporary folder the settings go where nothing can be
        // written.
        const QString path = folder.isValid() ? folder.path() : QStringLiteral("/dev/null/settings");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path);
        return true;
    }();
    (void)redirected;
}

// Qt's own dialog with icons and types from names only, so that listing a
// folder never opens a file (a pipe or a device would block it). A
// platform's native dialog could not be given this promise.
std::optional<QString> runDialog(QWidget* parent, QFileDialog::AcceptMode mode, const QString& filter,
                                 const QString& fileName)
{
    keepSettingsForThisRunOnly();
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
