#include "ui/app_state.h"

#include <QCoreApplication>

namespace tessaline {

QString applicationTitle()
{
    QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("Tessaline") : name;
}

}  // namespace tessaline
