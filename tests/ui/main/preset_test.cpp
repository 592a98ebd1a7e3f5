// Choosing a line-length preset: the values it sets, the custom entry and
// "Hide Tools" it offers, and where it puts the editor.
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

#include "tests/ui/main/shown_main_window.h"
#include "ui/app_state.h"
#include "ui/editor/calculator_text_edit.h"
#include "ui/main/main_window.h"
#include "ui/twips.h"

namespace tessaline {
namespace {

class Presets : public ShownMainWindow {
protected:
    // Picks an item the way the user does: opens the list and clicks it.
    void choose(int index)
    {
        QComboBox* box = ui->presetCombo;
        box->showPopup();
        QAbstractItemView* list = box->view();
        const QRect item = list->visualRect(box->model()->index(index, 0));
        ASSERT_FALSE(item.isEmpty());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, item.center());
        QApplication::processEvents();
        ASSERT_EQ(box->currentIndex(), index);
    }

    bool customEntryShown() const { return ui->customSizeLabel->isVisible() && ui->customSizeEdit->isVisible(); }
    bool customEntryHidden() const { return !ui->customSizeLabel->isVisible() && !ui->customSizeEdit->isVisible(); }

    void expectEditorAt(int topTwips, int heightTwips)
    {
        EXPECT_EQ(ui->editor->geometry(), twipsRect(0, topTwips, 8415, heightTwips));
        EXPECT_EQ(ui->editor->topTwips(), topTwips);
        EXPECT_EQ(ui->editor->heightTwips(), heightTwips);
    }
};

TEST_F(Presets, StartUpChoosesTheTi89ReaderWithTheExtrasHidden)
{
    EXPECT_EQ(ui->presetCombo->currentIndex(), 0);
    EXPECT_EQ(ui->presetCombo->currentText(), QStringLiteral("Folivane on TI89 (160pixels)"));
    EXPECT_TRUE(customEntryHidden());
    EXPECT_FALSE(ui->hideToolsCheck->isVisible());
    EXPECT_FALSE(ui->hideToolsCheck->isChecked());
    EXPECT_TRUE(ui->paletteShownCheck->isChecked());
    EXPECT_TRUE(ui->paletteFrame->isVisible());
    EXPECT_TRUE(state.settings.measureInPixels);
    EXPECT_EQ(state.settings.lineLimit, 160);
    expectEditorAt(840, 2535);
}

TEST_F(Presets, TheFixedPresetsSetTheirValuesAndOfferHideToolsToTheEditorOnes)
{
    struct Expect {
        int index;
        bool pixels;
        int limit;
        bool hideTools;
    };
    for (const Expect& e : {Expect{1, true, 240, false}, Expect{2, false, 23, true}, Expect{3, false, 37, true},
                            Expect{0, true, 160, false}, Expect{3, false, 37, true}, Expect{1, true, 240, false}}) {
        SCOPED_TRACE(e.index);
        choose(e.index);
        EXPECT_EQ(state.settings.measureInPixels, e.pixels);
        EXPECT_EQ(state.settings.lineLimit, e.limit);
        EXPECT_EQ(ui->hideToolsCheck->isVisible(), e.hideTools);
        EXPECT_TRUE(customEntryHidden());
    }
}

TEST_F(Presets, CustomPresetsOfferTheEntryAndLeaveTheValuesForTheRun)
{
    choose(1);  // pixels, 240
    choose(5);
    EXPECT_TRUE(customEntryShown());
    EXPECT_TRUE(ui->hideToolsCheck->isVisible());
    EXPECT_TRUE(state.settings.measureInPixels);
    EXPECT_EQ(state.settings.lineLimit, 240);

    choose(3);  // characters, 37
    EXPECT_TRUE(customEntryHidden());
    choose(4);
    EXPECT_TRUE(customEntryShown());
    EXPECT_FALSE(state.settings.measureInPixels);
    EXPECT_EQ(state.settings.lineLimit, 37);

    // A custom length typed earlier is still there when the entry returns.
    QTest::keyClicks(ui->customSizeEdit, QStringLiteral("30"));
    choose(0);
    EXPECT_TRUE(customEntryHidden());
    EXPECT_EQ(ui->customSizeEdit->text(), QStringLiteral("30"));
    choose(5);
    EXPECT_EQ(ui->customSizeEdit->text(), QStringLiteral("30"));
    EXPECT_TRUE(customEntryShown());
}

TEST_F(Presets, AReaderPresetBringsTheToolsBackAnEditorPresetKeepsThemHidden)
{
    choose(2);
    QTest::mouseClick(ui->hideToolsCheck, Qt::LeftButton, Qt::NoModifier, QPoint(6, ui->hideToolsCheck->height() / 2));
    ASSERT_TRUE(ui->hideToolsCheck->isChecked());
    expectEditorAt(0, 3375);

    // Another editor preset: "Hide Tools" keeps its state and the editor its place.
    choose(3);
    EXPECT_TRUE(ui->hideToolsCheck->isChecked());
    EXPECT_TRUE(ui->hideToolsCheck->isVisible());
    expectEditorAt(0, 3375);
    choose(5);
    EXPECT_TRUE(ui->hideToolsCheck->isChecked());
    expectEditorAt(0, 3375);

    // A reader preset unchecks it and puts the editor back.
    choose(0);
    EXPECT_FALSE(ui->hideToolsCheck->isChecked());
    EXPECT_FALSE(ui->hideToolsCheck->isVisible());
    expectEditorAt(840, 2535);

    // Unchecking "Hide Tools" by hand puts the editor back as well.
    choose(2);
    ui->hideToolsCheck->setChecked(true);
    expectEditorAt(0, 3375);
    ui->hideToolsCheck->setChecked(false);
    expectEditorAt(840, 2535);

    // Choosing a reader preset while the editor is already in place changes
    // nothing else.
    choose(1);
    expectEditorAt(840, 2535);
    EXPECT_FALSE(ui->hideToolsCheck->isChecked());
}

TEST_F(Presets, ChoosingWithTheKeyboardOrFromCodeRunsTheSameResponse)
{
    ui->presetCombo->setFocus();
    QTest::keyClick(ui->presetCombo, Qt::Key_Down);
    EXPECT_EQ(ui->presetCombo->currentIndex(), 1);
    EXPECT_EQ(state.settings.lineLimit, 240);
    QTest::keyClick(ui->presetCombo, Qt::Key_Down);
    EXPECT_EQ(state.settings.lineLimit, 23);
    EXPECT_FALSE(state.settings.measureInPixels);

    ui->presetCombo->setCurrentIndex(3);
    EXPECT_FALSE(state.settings.measureInPixels);
    EXPECT_EQ(state.settings.lineLimit, 37);
    EXPECT_TRUE(ui->hideToolsCheck->isVisible());
    ui->presetCombo->setCurrentIndex(0);
    EXPECT_TRUE(state.settings.measureInPixels);
    EXPECT_EQ(state.settings.lineLimit, 160);
    EXPECT_FALSE(ui->hideToolsCheck->isVisible());
}

}  // namespace
}  // namespace tessaline
