#include "ui/file_dialogs.h"

#include <QFileDialog>

namespace tessaline {

std::optional<QString> QtFileDialogs::openFileName(QWidget* parent, const QString& filter, const QString& fileName)
{
    QString chosen = QFileDialog::getOpenFileName(parent, QString(), fileName, filter);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

std::optional<QString> QtFileDialogs::saveFileName(QWidget* parent, const QString& filter, const QString& fileName)
{
    QString chosen = QFileDialog::getSaveFileName(parent, QString(), fileName, filter);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

}  // namespace tessaline
