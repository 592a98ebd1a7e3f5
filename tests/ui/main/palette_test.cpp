// The special-character palette: every button types its own calculator code
// into the editor at the caret.
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "tests/ui/main/shown_main_window.h"
#include "ui/app_state.h"
#include "ui/editor/calculator_text_edit.h"
#include "ui/main/main_window.h"
#include "ui/main/palette.h"

namespace tessaline {
namespace {

class Palette : public ShownMainWindow {
protected:
    void clickButton(int index)
    {
        QTest::mouseClick(ui->paletteButtons[index], Qt::LeftButton);
        QApplication::processEvents();
    }

    // Clicks every button into an empty editor and checks the stored code.
    void expectEveryButtonInsertsItsCode()
    {
        for (int i = 0; i < 64; ++i) {
            SCOPED_TRACE(i);
            EXPECT_TRUE(ui->paletteButtons[i]->isVisible());
            ui->editor->setText("");
            clickButton(i);
            EXPECT_EQ(ui->editor->text(), std::string(1, static_cast<char>(kPaletteCodes[i])));
            EXPECT_EQ(ui->editor->selStart(), 1u);
        }
    }

    bool editorHasFocus() const { return ui->editor->hasFocus() || QApplication::focusWidget() == ui->editor; }
};

TEST_F(Palette, EveryButtonShowsOneDistinctCharacterAndInsertsItsCode)
{
    QSet<QString> captions;
    for (int i = 0; i < 64; ++i) {
        const QString caption = ui->paletteButtons[i]->text();
        EXPECT_FALSE(caption.isEmpty()) << i;
        captions.insert(caption);
    }
    EXPECT_EQ(captions.size(), 64);
    expectEveryButtonInsertsItsCode();
}

TEST_F(Palette, ButtonsCarryTheirTableCodes)
{
    const struct {
        int index;
        unsigned char code;
    } samples[] = {
        {0, 208}, {44, 215}, {48, 247}, {57, 222}, {63, 248}, {54, 173},
        {6, 129}, {25, 148}, {28, 152}, {35, 159}, {30, 154}, {31, 155},
    };
    for (const auto& s : samples) {
        SCOPED_TRACE(s.index);
        ui->editor->setText("");
        clickButton(s.index);
        EXPECT_EQ(ui->editor->text(), std::string(1, static_cast<char>(s.code)));
    }
}

TEST_F(Palette, InsertsAtTheCaretOrOverTheSelection)
{
    // Button 0 with the caret at the end of the text appends code 208.
    ui->editor->setText("Enter Text Here");
    ui->editor->setSelStart(15);
    ui->processButton->setFocus();
    QApplication::processEvents();
    clickButton(0);
    EXPECT_EQ(ui->editor->text(), "Enter Text Here\xd0");
    EXPECT_EQ(ui->editor->selStart(), 16u);
    EXPECT_EQ(ui->editor->selLength(), 0u);
    EXPECT_TRUE(editorHasFocus());

    // A selected word is replaced by the one character.
    ui->editor->setText("one word\r\ntwo");
    ui->editor->setSelStart(4);
    ui->editor->setSelLength(4);
    clickButton(44);
    EXPECT_EQ(ui->editor->text(), "one \xd7\r\ntwo");
    EXPECT_EQ(ui->editor->selStart(), 5u);
    EXPECT_EQ(ui->editor->selLength(), 0u);
    EXPECT_TRUE(editorHasFocus());

    // In the middle of a line: no line break, nothing else changes.
    ui->editor->setSelStart(1);
    clickButton(30);
    clickButton(31);
    EXPECT_EQ(ui->editor->text(), "o\x9a\x9bne \xd7\r\ntwo");
    EXPECT_EQ(ui->editor->selStart(), 3u);
}

TEST_F(Palette, StillInsertsAfterCollapseAndExpand)
{
    ASSERT_TRUE(ui->paletteShownCheck->isChecked());
    QTest::mouseClick(ui->paletteShownCheck, Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_FALSE(ui->paletteShownCheck->isChecked());
    QTest::mouseClick(ui->paletteShownCheck, Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_TRUE(ui->paletteShownCheck->isChecked());
    expectEveryButtonInsertsItsCode();

    // And with big buttons as well.
    QTest::mouseClick(ui->bigButtonsCheck, Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_TRUE(ui->bigButtonsCheck->isChecked());
    expectEveryButtonInsertsItsCode();
}

}  // namespace
}  // namespace tessaline
