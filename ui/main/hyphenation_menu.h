// The Settings menu's "Hyphenation" submenu: "Off" (checked at start) and
// the languages whose dictionaries are installed. A language chosen sets the
// dictionary the line-break pass reads from the application state; its
// first choice loads the dictionary on a thread of its own (German takes
// seconds), and the pass hyphenates from the moment it is there. Nothing is
// stored between runs of the program.
#pragma once

#include <QObject>
#include <QString>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/hyphenator.h"
#include "hyphenation/languages.h"

class QAction;
class QActionGroup;
class QMenu;

namespace tessaline {

struct AppState;

class HyphenationMenu : public QObject {
    Q_OBJECT
public:
    // Adds the submenu to `settingsMenu`, one item a language of `languages`.
    HyphenationMenu(QMenu& settingsMenu, AppState& state, std::vector<hyphenation::Language> languages,
                    QObject* parent);

    // The name a language's item shows: "English", "German", "French", with
    // the country where two dictionaries share a language.
    static QString itemText(const hyphenation::Language& language, const std::vector<hyphenation::Language>& all);

signals:
    // A dictionary has been loaded (the pass uses it if its item is still
    // checked).
    void dictionaryLoaded(const QString& name);
    // A dictionary could not be read; "Off" is checked again.
    void loadFailed(const QString& message);

private:
    void choose(std::size_t index);
    void startLoading(std::size_t index);
    void finishLoading(std::size_t index, std::shared_ptr<const Hyphenator> dictionary, const QString& error);
    void applyChecked();

    AppState& state_;
    std::vector<hyphenation::Language> languages_;
    QMenu* menu_ = nullptr;
    QAction* offAction_ = nullptr;
    std::vector<QAction*> languageActions_;
    QActionGroup* group_ = nullptr;
    std::map<std::size_t, std::shared_ptr<const Hyphenator>> loaded_;
    std::vector<bool> loading_;
};

}  // namespace tessaline
