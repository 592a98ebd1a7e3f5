// Settings -> Hyphenation: "Off" at start, the installed languages, the
// dictionary loaded away from the window's thread and set in the settings
// the pass reads.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "tests/ui/main/shown_main_window.h"
#include "ui/app_state.h"
#include "ui/main/hyphenation_menu.h"

namespace tessaline {
namespace {

class HyphenationSettings : public ShownMainWindow {
protected:
    QMenu* submenu() { return window->findChild<QMenu*>(QStringLiteral("hyphenation")); }
    QAction* item(const char* name) { return window->findChild<QAction*>(QString::fromLatin1(name)); }
    std::vector<std::size_t> points(const char* word)
    {
        std::vector<std::size_t> p;
        state.settings.hyphenator->points(word, p);
        return p;
    }
};

TEST_F(HyphenationSettings, OffAtStartThenTheInstalledLanguages)
{
    ASSERT_NE(submenu(), nullptr);
    EXPECT_EQ(submenu()->title(), QStringLiteral("Hyphenation"));
    const QList<QAction*> actions = submenu()->actions();
    ASSERT_GE(actions.size(), 4);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("Off"));
    EXPECT_TRUE(actions[0]->isChecked());
    QStringList texts;
    for (QAction* a : actions) {
        texts << a->text();
    }
    for (const char* language : {"English", "French", "German"}) {
        EXPECT_TRUE(texts.contains(QString::fromLatin1(language))) << texts.join(", ").toStdString();
    }
    EXPECT_EQ(state.settings.hyphenator, nullptr);
}

TEST_F(HyphenationSettings, ALanguageIsLoadedOnceAwayFromTheWindow)
{
    QAction* english = item("hyphenation_en_US");
    ASSERT_NE(english, nullptr);
    QSignalSpy loaded(window->findChild<HyphenationMenu*>(), &HyphenationMenu::dictionaryLoaded);
    english->trigger();
    // The choice returns at once; the dictionary arrives through the event loop.
    EXPECT_TRUE(english->isChecked());
    EXPECT_EQ(state.settings.hyphenator, nullptr);
    ASSERT_TRUE(loaded.wait(30000));
    ASSERT_NE(state.settings.hyphenator, nullptr);
    EXPECT_EQ(points("Hyphenation"), (std::vector<std::size_t>{2, 6}));

    item("hyphenationOff")->trigger();
    EXPECT_EQ(state.settings.hyphenator, nullptr);
    english->trigger();
    EXPECT_NE(state.settings.hyphenator, nullptr);  // kept from the first load
    EXPECT_EQ(loaded.count(), 1);

    // Off chosen while French loads: the dictionary comes, the pass stays
    // without it.
    item("hyphenation_fr")->trigger();
    EXPECT_EQ(state.settings.hyphenator, nullptr);
    item("hyphenationOff")->trigger();
    ASSERT_TRUE(loaded.wait(30000));
    EXPECT_EQ(state.settings.hyphenator, nullptr);
    EXPECT_TRUE(item("hyphenationOff")->isChecked());
    item("hyphenation_fr")->trigger();
    ASSERT_NE(state.settings.hyphenator, nullptr);
    EXPECT_EQ(points("\xe9l\xe9mentaire"), (std::vector<std::size_t>{3, 6}));
}

TEST(HyphenationMenu, ADictionaryThatCannotBeReadSaysSoAndTurnsHyphenationOff)
{
    AppState state;
    QMenu settings;
    HyphenationMenu menu(settings, state, {{"en_US", "/nonexistent/hyph_en_US.dic"}}, nullptr);
    QSignalSpy failed(&menu, &HyphenationMenu::loadFailed);
    QAction* english = settings.findChild<QAction*>(QStringLiteral("hyphenation_en_US"));
    ASSERT_NE(english, nullptr);
    english->trigger();
    ASSERT_TRUE(failed.wait(30000));
    EXPECT_TRUE(failed.at(0).at(0).toString().contains(QStringLiteral("/nonexistent/hyph_en_US.dic")));
    EXPECT_TRUE(settings.findChild<QAction*>(QStringLiteral("hyphenationOff"))->isChecked());
    EXPECT_EQ(state.settings.hyphenator, nullptr);
}

TEST(HyphenationMenu, ItemsNameTheLanguageAndTheCountryWhereTwoShareOne)
{
    const std::vector<hyphenation::Language> all = {{"en_GB", ""}, {"en_US", ""}, {"fr", ""}, {"de_DE", ""}};
    EXPECT_EQ(HyphenationMenu::itemText(all[0], all), QStringLiteral("English (United Kingdom)"));
    EXPECT_EQ(HyphenationMenu::itemText(all[1], all), QStringLiteral("English (United States)"));
    EXPECT_EQ(HyphenationMenu::itemText(all[2], all), QStringLiteral("French"));
    EXPECT_EQ(HyphenationMenu::itemText(all[3], all), QStringLiteral("German"));
}

}  // namespace
}  // namespace tessaline
