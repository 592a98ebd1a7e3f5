// The values the windows share: the line-length settings the pass reads, the
// title-and-credit line and the file name the Open/Save dialog remembers. One
// object, owned by the application.
#pragma once

#include <QString>

#include "engine/line_settings.h"

namespace tessaline {

struct AppState {
    LineSettings settings;
    QString credit;
    QString lastFileName;  // the file name of the one Open/Save dialog
};

// The application title, as the platform knows the running program.
QString applicationTitle();

}  // namespace tessaline
