// Editing habits in the main window's editor: Ctrl+Y redoes, a clipboard
// that holds only HTML pastes its text, and pasted characters without a
// calculator code are counted in a message, as Open Text counts them
// (typing them stays silent).
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

#include "tests/ui/main/shown_main_window.h"
#include "tests/ui/recorded_message_boxes.h"

namespace tessaline {
namespace {

class EditingHabits : public ShownMainWindow {
protected:
    void SetUp() override
    {
        ShownMainWindow::SetUp();
        window->setMessageBoxes(messages);
        ui->editor->setText("");
        ui->editor->setFocus();
    }
    void typeKeys(const QString& text) { QTest::keyClicks(ui->editor, text); }
    void pasteKeys() { QTest::keyClick(ui->editor, Qt::Key_V, Qt::ControlModifier); }

    std::shared_ptr<testing::RecordedMessageBoxes> messages = std::make_shared<testing::RecordedMessageBoxes>();
};

TEST_F(EditingHabits, CtrlYRedoesAsCtrlShiftZDoes)
{
    typeKeys("abc");
    ASSERT_EQ(ui->editor->text(), "abc");
    QTest::keyClick(ui->editor, Qt::Key_Z, Qt::ControlModifier);
    ASSERT_NE(ui->editor->text(), "abc");
    QTest::keyClick(ui->editor, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(ui->editor->text(), "abc");

    QTest::keyClick(ui->editor, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(ui->editor, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(ui->editor->text(), "abc");

    // Nothing to redo: Ctrl+Y neither types "y" nor changes anything.
    QTest::keyClick(ui->editor, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(ui->editor->text(), "abc");
    // A plain "y" still types.
    QTest::keyClick(ui->editor, Qt::Key_Y);
    EXPECT_EQ(ui->editor->text(), "abcy");
    EXPECT_TRUE(messages->shown.empty());
}

TEST_F(EditingHabits, AClipboardWithOnlyHtmlPastesItsText)
{
    auto* html = new QMimeData;
    html->setHtml(QStringLiteral("<p>Caf&eacute; <b>bold</b></p><p>next&nbsp;line</p>"));
    ASSERT_FALSE(html->hasText());
    QApplication::clipboard()->setMimeData(html);
    ASSERT_TRUE(ui->editor->canPaste());
    pasteKeys();
    EXPECT_EQ(ui->editor->text(), "Caf\xE9 bold\r\nnext line");
    EXPECT_FALSE(ui->editor->document()->toHtml().contains(QStringLiteral("font-weight:700")));
    EXPECT_TRUE(messages->shown.empty());
}

TEST_F(EditingHabits, PastedCharactersWithoutACodeAreCounted)
{
    QApplication::clipboard()->setText(QStringLiteral("\u201cq\u201d \u4e2d"));
    pasteKeys();
    EXPECT_EQ(ui->editor->text(), "\"q\" ?");
    ASSERT_EQ(messages->shown.size(), 1u);
    EXPECT_EQ(messages->shown[0].text, "3 characters had no calculator code and were replaced.");
    EXPECT_EQ(messages->shown[0].icon, MessageBoxes::Icon::Information);
    EXPECT_EQ(messages->shown[0].title, applicationTitle());
    EXPECT_EQ(messages->shown[0].parent, window.get());

    QApplication::clipboard()->setText(QStringLiteral("\u2014"));
    pasteKeys();
    ASSERT_EQ(messages->shown.size(), 2u);
    EXPECT_EQ(messages->shown[1].text, "1 character had no calculator code and was replaced.");

    // Text that has codes for all its characters pastes silently.
    QApplication::clipboard()->setText(QStringLiteral("plain \u00e9"));
    pasteKeys();
    EXPECT_EQ(messages->shown.size(), 2u);

    // Typed or composed, the same characters are replaced without a word.
    ui->editor->setText("");
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("\u201c"));
    QApplication::sendEvent(ui->editor, &press);
    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("\u4e2d"));
    QApplication::sendEvent(ui->editor, &composed);
    EXPECT_EQ(ui->editor->text(), "\"?");
    EXPECT_EQ(messages->shown.size(), 2u);
}

}  // namespace
}  // namespace tessaline
