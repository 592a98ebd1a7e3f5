// The main window from the keyboard: Enter on a focused button presses it,
// Tab passes through the editor to the next control (Ctrl+Tab types a tab),
// and the menu bar's access keys open "&File" and "&Settings" and run
// "&About" at once.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "tests/ui/main/shown_main_window.h"
#include "ui/about/frm_about.h"
#include "ui/main/rich_text_box.h"
#include "ui/output/form2.h"

namespace tessaline {
namespace {

using Keyboard = ShownMainWindow;

QWidget* focused() { return QApplication::focusWidget(); }

TEST_F(Keyboard, EnterPressesTheFocusedButton)
{
    // PROCESS has the focus after start-up: Enter runs it.
    ASSERT_TRUE(window->Command1->hasFocus());
    QTest::keyClick(window->Command1, Qt::Key_Return);
    QApplication::processEvents();
    ASSERT_TRUE(window->outputWindow() != nullptr);
    EXPECT_EQ(window->outputWindow()->text2->text().substr(0, 15), "Enter Text Here");
    window->outputWindow()->close();
    QApplication::processEvents();

    // The keypad's Enter on the page-break button inserts its line.
    window->Text1->setText("");
    window->Command4->setFocus();
    QTest::keyClick(window->Command4, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(window->Text1->text(), "_BRK");

    // A palette button takes Enter as well.
    window->Command5[0]->setFocus();
    QTest::keyClick(window->Command5[0], Qt::Key_Return);
    EXPECT_EQ(window->Text1->text(), "_BRK\xD0");
}

TEST_F(Keyboard, TabPassesThroughTheEditorAndCtrlTabTypesATab)
{
    window->Command7->setFocus();
    QTest::keyClick(window->Command7, Qt::Key_Tab);
    EXPECT_EQ(focused(), window->Text1);
    QTest::keyClick(window->Text1, Qt::Key_Tab);
    EXPECT_EQ(focused(), static_cast<QWidget*>(window->Combo1));   // Text2 and Check1 are hidden
    EXPECT_EQ(window->Text1->text(), "Enter Text Here");

    window->Combo1->setCurrentIndex(4);
    window->Text1->setFocus();
    QTest::keyClick(window->Text1, Qt::Key_Tab);
    EXPECT_EQ(focused(), static_cast<QWidget*>(window->Text2));
    QTest::keyClick(window->Text2, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focused(), window->Text1);
    QTest::keyClick(window->Text1, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focused(), window->Command7);
    EXPECT_EQ(window->Text1->text(), "Enter Text Here");

    // Ctrl+Tab types the tab (code 9) at the caret, over a selection too.
    window->Text1->setFocus();
    window->Text1->setSelStart(5);
    window->Text1->setSelLength(1);
    QTest::keyClick(window->Text1, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(window->Text1->text(), "Enter\tText Here");
    EXPECT_EQ(window->Text1->selStart(), 6u);
    EXPECT_EQ(focused(), window->Text1);
}

TEST_F(Keyboard, AccessKeysOfTheMenuBar)
{
    QTest::keyClick(window.get(), Qt::Key_F, Qt::AltModifier);
    QApplication::processEvents();
    EXPECT_TRUE(window->file->isVisible());
    window->file->close();
    QApplication::processEvents();

    QTest::keyClick(window.get(), Qt::Key_S, Qt::AltModifier);
    QApplication::processEvents();
    EXPECT_TRUE(window->settings->isVisible());
    EXPECT_EQ(window->aboutBox(), nullptr);
    window->settings->close();
    QApplication::processEvents();

    QTest::keyClick(window.get(), Qt::Key_A, Qt::AltModifier);
    QApplication::processEvents();
    ASSERT_TRUE(window->aboutBox() != nullptr);
    EXPECT_TRUE(window->aboutBox()->isVisible());
    window->aboutBox()->close();
}

}  // namespace
}  // namespace tessaline
