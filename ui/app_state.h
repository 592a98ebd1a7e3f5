// The values the windows share: the line-length settings the pass reads (and
// the hyphenation dictionaries they may point to), the title-and-credit line
// and the file name the Open/Save dialog remembers. One object, owned by the
// application.
#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "engine/hyphenator.h"
#include "engine/line_settings.h"

namespace tessaline {

struct AppState {
    LineSettings settings;  // settings.hyphenator: one of hyphenationDictionaries, or none
    // The dictionaries loaded so far, kept for the program's life.
    std::vector<std::shared_ptr<const Hyphenator>> hyphenationDictionaries;
    QString credit;
    QString lastFileName;  // the file name of the one Open/Save dialog
};

// The application title, as the platform knows the running program.
QString applicationTitle();

}  // namespace tessaline
