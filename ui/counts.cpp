#include "ui/counts.h"

#include <QLocale>

namespace tessaline {

QString formatCount(std::int64_t value) { return QLocale().toString(static_cast<qint64>(value)); }

}  // namespace tessaline
