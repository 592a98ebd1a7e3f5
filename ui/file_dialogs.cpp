#include "ui/file_dialogs.h"

#include <QFileDialog>
#include <QSettings>
#include <QTemporaryDir>

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

}  // namespace

std::optional<QString> QtFileDialogs::openFileName(QWidget* parent, const QString& filter, const QString& fileName)
{
    keepSettingsForThisRunOnly();
    QString chosen = QFileDialog::getOpenFileName(parent, QString(), fileName, filter);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

std::optional<QString> QtFileDialogs::saveFileName(QWidget* parent, const QString& filter, const QString& fileName)
{
    keepSettingsForThisRunOnly();
    QString chosen = QFileDialog::getSaveFileName(parent, QString(), fileName, filter);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

}  // namespace tessaline
