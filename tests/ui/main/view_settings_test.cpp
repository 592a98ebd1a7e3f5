// The view settings of the main window: the editor's font size, big palette
// buttons, the collapsible palette and the "Word Wrap" menu item.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <array>
#include <gtest/gtest.h>
#include <memory>

#include "tests/ui/main/shown_main_window.h"
#include "ui/app_state.h"
#include "ui/editor/calculator_text_edit.h"
#include "ui/main/main_window.h"
#include "ui/twips.h"

namespace tessaline {
namespace {

class ViewSettings : public ShownMainWindow {
protected:
    void click(QWidget* widget)
    {
        QTest::mouseClick(widget, Qt::LeftButton);
        QApplication::processEvents();
    }

    // Chooses "Word Wrap" in the opened "&Settings" menu with the mouse.
    void chooseWordWrap()
    {
        ui->settingsMenu->popup(window->mapToGlobal(QPoint(0, 0)));
        QApplication::processEvents();
        const QRect item = ui->settingsMenu->actionGeometry(ui->wordWrapAction);
        ASSERT_TRUE(item.isValid());
        QTest::mouseClick(ui->settingsMenu, Qt::LeftButton, {}, item.center());
        QApplication::processEvents();
        ui->settingsMenu->hide();
    }
};

TEST_F(ViewSettings, FontSizeButtonsStepTheEditorFontAndShowTheSize)
{
    ASSERT_DOUBLE_EQ(ui->editor->fontSize(), 9.0);
    EXPECT_EQ(ui->textSizeFrame->title(), QStringLiteral("Text Size (9)"));

    click(ui->largerTextButton);
    EXPECT_DOUBLE_EQ(ui->editor->fontSize(), 10.0);
    EXPECT_EQ(ui->textSizeFrame->title(), QStringLiteral("Font Size ( 10)"));

    click(ui->smallerTextButton);
    click(ui->smallerTextButton);
    EXPECT_DOUBLE_EQ(ui->editor->fontSize(), 8.0);
    EXPECT_EQ(ui->textSizeFrame->title(), QStringLiteral("Font Size ( 8)"));

    // A fractional size shows without trailing zeros, "." as the point.
    ui->editor->setFontSize(9.5);
    click(ui->largerTextButton);
    EXPECT_DOUBLE_EQ(ui->editor->fontSize(), 10.5);
    EXPECT_EQ(ui->textSizeFrame->title(), QStringLiteral("Font Size ( 10.5)"));
    ui->editor->setFontSize(9.75);
    click(ui->smallerTextButton);
    EXPECT_EQ(ui->textSizeFrame->title(), QStringLiteral("Font Size ( 8.75)"));

    // No upper bound.
    ui->editor->setFontSize(99);
    click(ui->largerTextButton);
    EXPECT_EQ(ui->textSizeFrame->title(), QStringLiteral("Font Size ( 100)"));
}

TEST_F(ViewSettings, FontSizeNeverGoesBelowOnePoint)
{
    for (int i = 0; i < 12; ++i)
        click(ui->smallerTextButton);
    EXPECT_DOUBLE_EQ(ui->editor->fontSize(), 1.0);
    EXPECT_EQ(ui->textSizeFrame->title(), QStringLiteral("Font Size ( 1)"));
    click(ui->smallerTextButton);
    EXPECT_DOUBLE_EQ(ui->editor->fontSize(), 1.0);

    // From 1.5 the "-" stops at 1 too, and "+" still works from there.
    ui->editor->setFontSize(1.5);
    click(ui->smallerTextButton);
    EXPECT_DOUBLE_EQ(ui->editor->fontSize(), 1.0);
    click(ui->largerTextButton);
    EXPECT_DOUBLE_EQ(ui->editor->fontSize(), 2.0);
    EXPECT_EQ(ui->textSizeFrame->title(), QStringLiteral("Font Size ( 2)"));
}

TEST_F(ViewSettings, BigButtonsResizeThePaletteInPlace)
{
    std::array<QPoint, 64> positions;
    for (int i = 0; i < 64; ++i) {
        positions[i] = ui->paletteButtons[i]->pos();
        EXPECT_EQ(ui->paletteButtons[i]->size(), QSize(twipsToPixels(255), twipsToPixels(255))) << i;
        EXPECT_DOUBLE_EQ(ui->paletteButtons[i]->font().pointSizeF(), 9.75) << i;
    }
    ASSERT_FALSE(ui->bigButtonsCheck->isChecked());

    click(ui->bigButtonsCheck);
    ASSERT_TRUE(ui->bigButtonsCheck->isChecked());
    for (int i = 0; i < 64; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ui->paletteButtons[i]->size(), QSize(twipsToPixels(350), twipsToPixels(350)));
        EXPECT_DOUBLE_EQ(ui->paletteButtons[i]->font().pointSizeF(), 13.5);
        EXPECT_EQ(ui->paletteButtons[i]->pos(), positions[i]);
    }
    // Neighbours in a row do not overlap.
    EXPECT_LT(ui->paletteButtons[0]->geometry().right(), ui->paletteButtons[1]->geometry().left());

    click(ui->bigButtonsCheck);
    ASSERT_FALSE(ui->bigButtonsCheck->isChecked());
    for (int i = 0; i < 64; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ui->paletteButtons[i]->size(), QSize(twipsToPixels(255), twipsToPixels(255)));
        EXPECT_DOUBLE_EQ(ui->paletteButtons[i]->font().pointSizeF(), 9.75);
        EXPECT_EQ(ui->paletteButtons[i]->pos(), positions[i]);
    }
}

TEST_F(ViewSettings, PaletteCollapsesAndExpandsWithTheWindow)
{
    ASSERT_TRUE(ui->paletteShownCheck->isChecked());
    const int expandedClient = ui->client->height();
    const int expandedWindow = window->height();
    EXPECT_EQ(ui->paletteFrame->height(), twipsToPixels(1335));

    click(ui->bigButtonsCheck);  // big buttons survive the collapse
    click(ui->paletteShownCheck);
    ASSERT_FALSE(ui->paletteShownCheck->isChecked());
    EXPECT_TRUE(ui->paletteButtons[0]->isVisible());
    for (int i = 1; i < 64; ++i)
        EXPECT_FALSE(ui->paletteButtons[i]->isVisible()) << i;
    EXPECT_EQ(ui->paletteFrame->height(), twipsToPixels(255));
    EXPECT_TRUE(ui->paletteShownCheck->isVisible());
    // Button 0 reaches below the collapsed frame: the frame clips it.
    EXPECT_GT(ui->paletteButtons[0]->geometry().bottom(), ui->paletteFrame->height());
    // Big Buttons lies on row 3, outside the collapsed frame.
    EXPECT_GE(ui->bigButtonsCheck->geometry().top(), ui->paletteFrame->height());
    const int shrink = twipsToPixels(6360 - 660) - twipsToPixels(5295 - 660);
    EXPECT_EQ(expandedClient - ui->client->height(), shrink);
    EXPECT_EQ(expandedWindow - window->height(), shrink);
    EXPECT_EQ(ui->editor->heightTwips(), 2535);

    click(ui->paletteShownCheck);
    ASSERT_TRUE(ui->paletteShownCheck->isChecked());
    for (int i = 0; i < 64; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(ui->paletteButtons[i]->isVisible());
        EXPECT_EQ(ui->paletteButtons[i]->size(), QSize(twipsToPixels(350), twipsToPixels(350)));
    }
    EXPECT_TRUE(ui->bigButtonsCheck->isChecked());
    EXPECT_EQ(ui->paletteFrame->height(), twipsToPixels(1335));
    EXPECT_EQ(ui->client->height(), expandedClient);
    EXPECT_EQ(window->height(), expandedWindow);
}

TEST_F(ViewSettings, WordWrapTogglesOncePerChoice)
{
    ASSERT_TRUE(ui->wordWrapAction->isChecked());

    chooseWordWrap();
    EXPECT_FALSE(ui->wordWrapAction->isChecked());
    chooseWordWrap();
    EXPECT_TRUE(ui->wordWrapAction->isChecked());

    // Triggered from the keyboard or by code, the same.
    ui->wordWrapAction->trigger();
    EXPECT_FALSE(ui->wordWrapAction->isChecked());
    ui->wordWrapAction->trigger();
    EXPECT_TRUE(ui->wordWrapAction->isChecked());
}

}  // namespace
}  // namespace tessaline
