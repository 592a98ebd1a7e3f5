// The view settings of the main window: the editor's font size, big palette
// buttons, the collapsible palette and the "Word Wrap" menu item.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <array>
#include <cstdlib>
#include <memory>

#include "ui/app_state.h"
#include "ui/main/form1.h"
#include "ui/main/rich_text_box.h"
#include "ui/twips.h"
#include "ui/main/shown_main_window.h"

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
        window->settings->popup(window->mapToGlobal(QPoint(0, 0)));
        QApplication::processEvents();
        const QRect item = window->settings->actionGeometry(window->wrap);
        ASSERT_TRUE(item.isValid());
        QTest::mouseClick(window->settings, Qt::LeftButton, {}, item.center());
        QApplication::processEvents();
        window->settings->hide();
    }

};

TEST_F(ViewSettings, FontSizeButtonsStepTheEditorFontAndShowTheSize)
{
    ASSERT_DOUBLE_EQ(window->Text1->fontSize(), 9.0);
    EXPECT_EQ(window->Frame6->title(), QStringLiteral("Text Size (9)"));

    click(window->Command6);
    EXPECT_DOUBLE_EQ(window->Text1->fontSize(), 10.0);
    EXPECT_EQ(window->Frame6->title(), QStringLiteral("Font Size ( 10)"));

    click(window->Command7);
    click(window->Command7);
    EXPECT_DOUBLE_EQ(window->Text1->fontSize(), 8.0);
    EXPECT_EQ(window->Frame6->title(), QStringLiteral("Font Size ( 8)"));

    // A fractional size shows without trailing zeros, "." as the point.
    window->Text1->setFontSize(9.5);
    click(window->Command6);
    EXPECT_DOUBLE_EQ(window->Text1->fontSize(), 10.5);
    EXPECT_EQ(window->Frame6->title(), QStringLiteral("Font Size ( 10.5)"));
    window->Text1->setFontSize(9.75);
    click(window->Command7);
    EXPECT_EQ(window->Frame6->title(), QStringLiteral("Font Size ( 8.75)"));

    // No upper bound.
    window->Text1->setFontSize(99);
    click(window->Command6);
    EXPECT_EQ(window->Frame6->title(), QStringLiteral("Font Size ( 100)"));
}

TEST_F(ViewSettings, FontSizeNeverGoesBelowOnePoint)
{
    for (int i = 0; i < 12; ++i)
        click(window->Command7);
    EXPECT_DOUBLE_EQ(window->Text1->fontSize(), 1.0);
    EXPECT_EQ(window->Frame6->title(), QStringLiteral("Font Size ( 1)"));
    click(window->Command7);
    EXPECT_DOUBLE_EQ(window->Text1->fontSize(), 1.0);

    // From 1.5 the "-" stops at 1 too, and "+" still works from there.
    window->Text1->setFontSize(1.5);
    click(window->Command7);
    EXPECT_DOUBLE_EQ(window->Text1->fontSize(), 1.0);
    click(window->Command6);
    EXPECT_DOUBLE_EQ(window->Text1->fontSize(), 2.0);
    EXPECT_EQ(window->Frame6->title(), QStringLiteral("Font Size ( 2)"));
}

TEST_F(ViewSettings, BigButtonsResizeThePaletteInPlace)
{
    std::array<QPoint, 64> positions;
    for (int i = 0; i < 64; ++i) {
        positions[i] = window->Command5[i]->pos();
        EXPECT_EQ(window->Command5[i]->size(), QSize(twipsToPixels(255), twipsToPixels(255))) << i;
        EXPECT_DOUBLE_EQ(window->Command5[i]->font().pointSizeF(), 9.75) << i;
    }
    ASSERT_FALSE(window->Check2->isChecked());

    click(window->Check2);
    ASSERT_TRUE(window->Check2->isChecked());
    for (int i = 0; i < 64; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(window->Command5[i]->size(), QSize(twipsToPixels(350), twipsToPixels(350)));
        EXPECT_DOUBLE_EQ(window->Command5[i]->font().pointSizeF(), 13.5);
        EXPECT_EQ(window->Command5[i]->pos(), positions[i]);
    }
    // Neighbours in a row do not overlap.
    EXPECT_LT(window->Command5[0]->geometry().right(), window->Command5[1]->geometry().left());

    click(window->Check2);
    ASSERT_FALSE(window->Check2->isChecked());
    for (int i = 0; i < 64; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(window->Command5[i]->size(), QSize(twipsToPixels(255), twipsToPixels(255)));
        EXPECT_DOUBLE_EQ(window->Command5[i]->font().pointSizeF(), 9.75);
        EXPECT_EQ(window->Command5[i]->pos(), positions[i]);
    }
}

TEST_F(ViewSettings, PaletteCollapsesAndExpandsWithTheWindow)
{
    ASSERT_TRUE(window->Check3->isChecked());
    const int expandedClient = window->clientArea()->height();
    const int expandedWindow = window->height();
    EXPECT_EQ(window->Frame5->height(), twipsToPixels(1335));

    click(window->Check2);   // big buttons survive the collapse
    click(window->Check3);
    ASSERT_FALSE(window->Check3->isChecked());
    EXPECT_TRUE(window->Command5[0]->isVisible());
    for (int i = 1; i < 64; ++i)
        EXPECT_FALSE(window->Command5[i]->isVisible()) << i;
    EXPECT_EQ(window->Frame5->height(), twipsToPixels(255));
    EXPECT_TRUE(window->Check3->isVisible());
    // Button 0 reaches below the collapsed frame: the frame clips it.
    EXPECT_GT(window->Command5[0]->geometry().bottom(), window->Frame5->height());
    // Big Buttons lies on row 3, outside the collapsed frame.
    EXPECT_GE(window->Check2->geometry().top(), window->Frame5->height());
    const int shrink = twipsToPixels(6360 - 660) - twipsToPixels(5295 - 660);
    EXPECT_EQ(expandedClient - window->clientArea()->height(), shrink);
    EXPECT_EQ(expandedWindow - window->height(), shrink);
    EXPECT_EQ(window->Text1->heightTwips(), 2535);

    click(window->Check3);
    ASSERT_TRUE(window->Check3->isChecked());
    for (int i = 0; i < 64; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(window->Command5[i]->isVisible());
        EXPECT_EQ(window->Command5[i]->size(), QSize(twipsToPixels(350), twipsToPixels(350)));
    }
    EXPECT_TRUE(window->Check2->isChecked());
    EXPECT_EQ(window->Frame5->height(), twipsToPixels(1335));
    EXPECT_EQ(window->clientArea()->height(), expandedClient);
    EXPECT_EQ(window->height(), expandedWindow);
}

TEST_F(ViewSettings, WordWrapTogglesOncePerChoice)
{
    ASSERT_TRUE(window->wrap->isChecked());

    chooseWordWrap();
    EXPECT_FALSE(window->wrap->isChecked());
    chooseWordWrap();
    EXPECT_TRUE(window->wrap->isChecked());

    // Triggered from the keyboard or by code, the same.
    window->wrap->trigger();
    EXPECT_FALSE(window->wrap->isChecked());
    window->wrap->trigger();
    EXPECT_TRUE(window->wrap->isChecked());

    // Called directly, the handler flips the mark once as well.
    window->wrap_Click();
    EXPECT_FALSE(window->wrap->isChecked());
    window->wrap_Click();
    EXPECT_TRUE(window->wrap->isChecked());
}

// Not a check of behaviour: writes the documentation pictures of the palette
// (run by tools/screenshot-tools with TESSALINE_SCREENSHOT_DIR set).
TEST_F(ViewSettings, DISABLED_Screenshots)
{
    const char* dir = std::getenv("TESSALINE_SCREENSHOT_DIR");
    ASSERT_NE(dir, nullptr);
    window->Text1->setText("Enter Text Here");

    click(window->Check2);
    ASSERT_TRUE(window->Check2->isChecked());
    QApplication::processEvents();
    EXPECT_TRUE(window->grab().save(QDir(dir).filePath("main-window-big-buttons.png")));

    click(window->Check2);
    click(window->Check3);
    ASSERT_FALSE(window->Check3->isChecked());
    QApplication::processEvents();
    EXPECT_TRUE(window->grab().save(QDir(dir).filePath("main-window-collapsed.png")));
}

}  // namespace
}  // namespace tessaline
