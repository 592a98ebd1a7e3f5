#include "ui/main/hyphenation_menu.h"

#include <QAction>
#include <QActionGroup>
#include <QLocale>
#include <QMenu>
#include <QPointer>
#include <QThread>

#include "hyphenation/dictionary.h"
#include "ui/app_state.h"

namespace tessaline {

namespace {

QLocale localeOf(const hyphenation::Language& language) { return QLocale(QString::fromStdString(language.name)); }

}  // namespace

HyphenationMenu::HyphenationMenu(QMenu& settingsMenu, AppState& state, std::vector<hyphenation::Language> languages,
                                 QObject* parent)
    : QObject(parent), state_(state), languages_(std::move(languages)), loading_(languages_.size(), false)
{
    menu_ = settingsMenu.addMenu(QStringLiteral("Hyphenation"));
    menu_->setObjectName(QStringLiteral("hyphenation"));
    group_ = new QActionGroup(menu_);
    offAction_ = menu_->addAction(QStringLiteral("Off"));
    offAction_->setObjectName(QStringLiteral("hyphenationOff"));
    offAction_->setCheckable(true);
    offAction_->setChecked(true);
    group_->addAction(offAction_);
    connect(offAction_, &QAction::triggered, this, [this] { applyChecked(); });
    for (std::size_t i = 0; i < languages_.size(); ++i) {
        QAction* action = menu_->addAction(itemText(languages_[i], languages_));
        action->setObjectName(QStringLiteral("hyphenation_") + QString::fromStdString(languages_[i].name));
        action->setCheckable(true);
        group_->addAction(action);
        connect(action, &QAction::triggered, this, [this, i] { choose(i); });
        languageActions_.push_back(action);
    }
}

QString HyphenationMenu::itemText(const hyphenation::Language& language, const std::vector<hyphenation::Language>& all)
{
    const QLocale locale = localeOf(language);
    if (locale.language() == QLocale::C) {
        return QString::fromStdString(language.name);
    }
    int sharing = 0;
    for (const hyphenation::Language& other : all) {
        sharing += localeOf(other).language() == locale.language() ? 1 : 0;
    }
    QString text = QLocale::languageToString(locale.language());
    if (sharing > 1 && language.name.find('_') != std::string::npos) {
        text += QStringLiteral(" (") + QLocale::territoryToString(locale.territory()) + QLatin1Char(')');
    }
    return text;
}

void HyphenationMenu::choose(std::size_t index)
{
    if (!loaded_.count(index) && !loading_[index]) {
        startLoading(index);
    }
    applyChecked();
}

void HyphenationMenu::startLoading(std::size_t index)
{
    loading_[index] = true;
    auto result = std::make_shared<std::pair<std::shared_ptr<const Hyphenator>, std::string>>();
    const std::string file = languages_[index].file;
    QThread* thread = QThread::create([result, file] {
        std::string error;
        result->first = hyphenation::Dictionary::load(file, error);
        result->second = error;
    });
    // The thread ends on its own; this object, if still there, takes the
    // dictionary on its own thread.
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    connect(thread, &QThread::finished, this,
            [this, index, result] { finishLoading(index, result->first, QString::fromStdString(result->second)); });
    thread->start(QThread::LowPriority);
}

void HyphenationMenu::finishLoading(std::size_t index, std::shared_ptr<const Hyphenator> dictionary,
                                    const QString& error)
{
    loading_[index] = false;
    if (!dictionary) {
        if (languageActions_[index]->isChecked()) {
            offAction_->setChecked(true);
            applyChecked();
        }
        emit loadFailed(QStringLiteral("Hyphenation: ") + error);
        return;
    }
    // Kept by the application state for the program's life: a run may
    // still hold the pointer the settings gave it.
    state_.hyphenationDictionaries.push_back(dictionary);
    loaded_[index] = std::move(dictionary);
    applyChecked();
    emit dictionaryLoaded(QString::fromStdString(languages_[index].name));
}

void HyphenationMenu::applyChecked()
{
    state_.settings.hyphenator = nullptr;
    for (std::size_t i = 0; i < languageActions_.size(); ++i) {
        if (languageActions_[i]->isChecked()) {
            auto it = loaded_.find(i);
            state_.settings.hyphenator = it == loaded_.end() ? nullptr : it->second.get();
        }
    }
}

}  // namespace tessaline
