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

#include "ui/app_state.h"
#include "ui/main/form1.h"
#include "ui/main/palette.h"
#include "ui/main/rich_text_box.h"
#include "ui/main/shown_main_window.h"

namespace tessaline {
namespace {

class Palette : public ShownMainWindow {
protected:
    void clickButton(int index)
    {
        QTest::mouseClick(window->Command5[index], Qt::LeftButton);
        QApplication::processEvents();
    }

    // Clicks every button into an empty editor and checks the stored code.
    void expectEveryButtonInsertsItsCode()
    {
        for (int i = 0; i < 64; ++i) {
            SCOPED_TRACE(i);
            EXPECT_TRUE(window->Command5[i]->isVisible());
            window->Text1->setText("");
            clickButton(i);
            EXPECT_EQ(window->Text1->text(), std::string(1, static_cast<char>(kPaletteCodes[i])));
            EXPECT_EQ(window->Text1->selStart(), 1u);
        }
    }

    bool editorHasFocus() const
    {
        return window->Text1->hasFocus() || QApplication::focusWidget() == window->Text1;
    }

};

TEST_F(Palette, EveryButtonShowsOneDistinctCharacterAndInsertsItsCode)
{
    QSet<QString> captions;
    for (int i = 0; i < 64; ++i) {
        const QString caption = window->Command5[i]->text();
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
        window->Text1->setText("");
        clickButton(s.index);
        EXPECT_EQ(window->Text1->text(), std::string(1, static_cast<char>(s.code)));
    }
}

TEST_F(Palette, InsertsAtTheCaretOrOverTheSelection)
{
    // Button 0 with the caret at the end of the text appends code 208.
    window->Text1->setText("Enter Text Here");
    window->Text1->setSelStart(15);
    window->Command1->setFocus();
    QApplication::processEvents();
    clickButton(0);
    EXPECT_EQ(window->Text1->text(), "Enter Text Here\xd0");
    EXPECT_EQ(window->Text1->selStart(), 16u);
    EXPECT_EQ(window->Text1->selLength(), 0u);
    EXPECT_TRUE(editorHasFocus());

    // A selected word is replaced by the one character.
    window->Text1->setText("one word\r\ntwo");
    window->Text1->setSelStart(4);
    window->Text1->setSelLength(4);
    clickButton(44);
    EXPECT_EQ(window->Text1->text(), "one \xd7\r\ntwo");
    EXPECT_EQ(window->Text1->selStart(), 5u);
    EXPECT_EQ(window->Text1->selLength(), 0u);
    EXPECT_TRUE(editorHasFocus());

    // In the middle of a line: no line break, nothing else changes.
    window->Text1->setSelStart(1);
    clickButton(30);
    clickButton(31);
    EXPECT_EQ(window->Text1->text(), "o\x9a\x9bne \xd7\r\ntwo");
    EXPECT_EQ(window->Text1->selStart(), 3u);
}

TEST_F(Palette, StillInsertsAfterCollapseAndExpand)
{
    ASSERT_TRUE(window->Check3->isChecked());
    QTest::mouseClick(window->Check3, Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_FALSE(window->Check3->isChecked());
    QTest::mouseClick(window->Check3, Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_TRUE(window->Check3->isChecked());
    expectEveryButtonInsertsItsCode();

    // And with big buttons as well.
    QTest::mouseClick(window->Check2, Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_TRUE(window->Check2->isChecked());
    expectEveryButtonInsertsItsCode();
}

}  // namespace
}  // namespace tessaline
