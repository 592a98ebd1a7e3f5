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
#include "ui/about/about_box.h"
#include "ui/editor/calculator_text_edit.h"
#include "ui/process/output_window.h"

namespace tessaline {
namespace {

using Keyboard = ShownMainWindow;

QWidget* focused() { return QApplication::focusWidget(); }

TEST_F(Keyboard, EnterPressesTheFocusedButton)
{
    // PROCESS has the focus after start-up: Enter runs it.
    ASSERT_TRUE(ui->processButton->hasFocus());
    QTest::keyClick(ui->processButton, Qt::Key_Return);
    ASSERT_TRUE(testing::waitForRunEnd(*window));
    ASSERT_TRUE(testing::outputWindowOf(*window) != nullptr);
    EXPECT_EQ(testing::OutputWindowParts(*testing::outputWindowOf(*window)).outputBox->text().substr(0, 15),
              "Enter Text Here");
    testing::outputWindowOf(*window)->close();
    QApplication::processEvents();

    // The keypad's Enter on the page-break button inserts its line.
    ui->editor->setText("");
    ui->pageBreakButton->setFocus();
    QTest::keyClick(ui->pageBreakButton, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(ui->editor->text(), "_BRK");

    // A palette button takes Enter as well.
    ui->paletteButtons[0]->setFocus();
    QTest::keyClick(ui->paletteButtons[0], Qt::Key_Return);
    EXPECT_EQ(ui->editor->text(), "_BRK\xD0");
}

TEST_F(Keyboard, TabPassesThroughTheEditorAndCtrlTabTypesATab)
{
    ui->smallerTextButton->setFocus();
    QTest::keyClick(ui->smallerTextButton, Qt::Key_Tab);
    EXPECT_EQ(focused(), ui->editor);
    QTest::keyClick(ui->editor, Qt::Key_Tab);
    EXPECT_EQ(focused(), static_cast<QWidget*>(ui->presetCombo));  // the custom size and "Hide Tools" are hidden
    EXPECT_EQ(ui->editor->text(), "Enter Text Here");

    ui->presetCombo->setCurrentIndex(4);
    ui->editor->setFocus();
    QTest::keyClick(ui->editor, Qt::Key_Tab);
    EXPECT_EQ(focused(), static_cast<QWidget*>(ui->customSizeEdit));
    QTest::keyClick(ui->customSizeEdit, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focused(), ui->editor);
    QTest::keyClick(ui->editor, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focused(), ui->smallerTextButton);
    EXPECT_EQ(ui->editor->text(), "Enter Text Here");

    // Ctrl+Tab types the tab (code 9) at the caret, over a selection too.
    ui->editor->setFocus();
    ui->editor->setSelStart(5);
    ui->editor->setSelLength(1);
    QTest::keyClick(ui->editor, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(ui->editor->text(), "Enter\tText Here");
    EXPECT_EQ(ui->editor->selStart(), 6u);
    EXPECT_EQ(focused(), ui->editor);
}

TEST_F(Keyboard, AccessKeysOfTheMenuBar)
{
    QTest::keyClick(window.get(), Qt::Key_F, Qt::AltModifier);
    QApplication::processEvents();
    EXPECT_TRUE(ui->fileMenu->isVisible());
    ui->fileMenu->close();
    QApplication::processEvents();

    QTest::keyClick(window.get(), Qt::Key_S, Qt::AltModifier);
    QApplication::processEvents();
    EXPECT_TRUE(ui->settingsMenu->isVisible());
    EXPECT_EQ(testing::aboutBoxOf(*window), nullptr);
    ui->settingsMenu->close();
    QApplication::processEvents();

    QTest::keyClick(window.get(), Qt::Key_A, Qt::AltModifier);
    QApplication::processEvents();
    ASSERT_TRUE(testing::aboutBoxOf(*window) != nullptr);
    EXPECT_TRUE(testing::aboutBoxOf(*window)->isVisible());
    testing::aboutBoxOf(*window)->close();
}

}  // namespace
}  // namespace tessaline
