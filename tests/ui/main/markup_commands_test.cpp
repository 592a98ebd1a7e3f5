// The three "Insert" buttons: chapter, picture and page-break command lines
// placed on a line of their own at the editor's caret.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "tests/ui/main/shown_main_window.h"
#include "ui/app_state.h"
#include "ui/editor/calculator_text_edit.h"
#include "ui/main/main_window.h"

namespace tessaline {
namespace {

class MarkupCommands : public ShownMainWindow {
protected:
    // Puts `text` into the editor and selects `length` characters from `start`.
    void prepare(const std::string& text, std::size_t start, std::size_t length = 0)
    {
        ui->editor->setText(text);
        ui->editor->setSelStart(start);
        ui->editor->setSelLength(length);
        ASSERT_EQ(ui->editor->selStart(), start);
        ASSERT_EQ(ui->editor->selLength(), length);
    }

    void click(QPushButton* button)
    {
        QTest::mouseClick(button, Qt::LeftButton);
        QApplication::processEvents();
    }

    bool editorHasFocus() const { return ui->editor->hasFocus() || QApplication::focusWidget() == ui->editor; }
};

TEST_F(MarkupCommands, ChapterInEmptyEditorNeedsNoBreaks)
{
    prepare("", 0);
    QTest::keyClicks(ui->chapterTitleEdit, "Intro");
    click(ui->chapterButton);
    EXPECT_EQ(ui->editor->text(), "_CHA\r\n_TIL Intro");
    EXPECT_EQ(ui->editor->selStart(), 16u);
    EXPECT_EQ(ui->editor->selLength(), 0u);
    EXPECT_TRUE(editorHasFocus());
    EXPECT_EQ(ui->chapterTitleEdit->text(), QStringLiteral("Intro"));
}

TEST_F(MarkupCommands, LineBreaksAreAddedOnlyWhereMissing)
{
    ui->chapterTitleEdit->setText(QStringLiteral("T"));
    ui->pictureNameEdit->setText(QStringLiteral("P1"));
    struct Case {
        const char* what;
        std::string text;
        std::size_t start;
        std::size_t length;
        int command;  // 2 chapter, 3 picture, 4 page break
        std::string expected;
    };
    const Case cases[] = {
        {"middle of a line", "abcdef", 3, 0, 2, "abc\r\n_CHA\r\n_TIL T\r\ndef"},
        {"start of a line after CR LF", "ab\r\ncd", 4, 0, 4, "ab\r\n_BRK\r\ncd"},
        {"start of the text", "ab", 0, 0, 3, "_PIC P1\r\nab"},
        {"end of a line, before its CR", "ab\r\ncd", 2, 0, 3, "ab\r\n_PIC P1\r\ncd"},
        {"empty line between two CR LF", "ab\r\n\r\ncd", 4, 0, 2, "ab\r\n_CHA\r\n_TIL T\r\ncd"},
        {"end of a text without final CR LF", "ab", 2, 0, 4, "ab\r\n_BRK"},
        {"end of a text ending in CR LF", "ab\r\n", 4, 0, 4, "ab\r\n_BRK"},
        {"selection in the middle of a line", "abcdef", 2, 2, 4, "ab\r\n_BRK\r\nef"},
        // The trailing test looks at the first selected character: here it
        // is X, although a CR follows the selection.
        {"selection followed by a line end", "abXY\r\nz", 2, 2, 3, "ab\r\n_PIC P1\r\n\r\nz"},
        // ... and here it is the CR, although a letter follows the selection.
        {"selection starting at a line end", "ab\r\ncd", 2, 3, 4, "ab\r\n_BRKd"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prepare(c.text, c.start, c.length);
        click(c.command == 2 ? ui->chapterButton : c.command == 3 ? ui->pictureButton : ui->pageBreakButton);
        EXPECT_EQ(ui->editor->text(), c.expected);
        // The caret stands after the inserted text: the untouched tail follows it.
        const std::size_t tail = c.text.size() - c.start - c.length;
        EXPECT_EQ(ui->editor->selStart(), c.expected.size() - tail);
        EXPECT_EQ(ui->editor->selLength(), 0u);
        EXPECT_TRUE(editorHasFocus());
    }
}

TEST_F(MarkupCommands, EmptyBoxesStillWriteTheKeywordAndItsSpace)
{
    ASSERT_TRUE(ui->chapterTitleEdit->text().isEmpty());
    ASSERT_TRUE(ui->pictureNameEdit->text().isEmpty());

    prepare("", 0);
    click(ui->chapterButton);
    EXPECT_EQ(ui->editor->text(), "_CHA\r\n_TIL ");

    prepare("", 0);
    click(ui->pictureButton);
    EXPECT_EQ(ui->editor->text(), "_PIC ");

    // Between two lines: the empty argument keeps its line to itself.
    prepare("a\r\nb", 1);
    click(ui->pictureButton);
    EXPECT_EQ(ui->editor->text(), "a\r\n_PIC \r\nb");
}

TEST_F(MarkupCommands, BoxesKeepTheirTextAndTheNameBoxTakesEightCharacters)
{
    QTest::keyClicks(ui->pictureNameEdit, "ABCDEFGHIJ");
    EXPECT_EQ(ui->pictureNameEdit->text(), QStringLiteral("ABCDEFGH"));
    const QString longTitle = QStringLiteral("A title well beyond eight characters");
    QTest::keyClicks(ui->chapterTitleEdit, longTitle);
    EXPECT_EQ(ui->chapterTitleEdit->text(), longTitle);

    // The same title and name can be inserted again and again.
    prepare("", 0);
    click(ui->pictureButton);
    click(ui->pictureButton);
    click(ui->chapterButton);
    click(ui->pageBreakButton);
    EXPECT_EQ(ui->editor->text(),
              "_PIC ABCDEFGH\r\n_PIC ABCDEFGH\r\n_CHA\r\n_TIL A title well beyond eight characters\r\n_BRK");
    EXPECT_EQ(ui->chapterTitleEdit->text(), longTitle);
    EXPECT_EQ(ui->pictureNameEdit->text(), QStringLiteral("ABCDEFGH"));
    EXPECT_TRUE(editorHasFocus());

    // Focus comes back to the editor also when it starts in a box.
    ui->chapterTitleEdit->setFocus();
    QApplication::processEvents();
    click(ui->pageBreakButton);
    EXPECT_TRUE(editorHasFocus());
}

TEST_F(MarkupCommands, ArgumentsAreWrittenInCalculatorCodes)
{
    // Delta is code 132, the multiplication sign 215.
    ui->chapterTitleEdit->setText(QString::fromUtf8("\u0394x \u00d7 2"));
    ui->pictureNameEdit->setText(QString::fromUtf8("\u03c0"));
    prepare("", 0);
    click(ui->chapterButton);
    click(ui->pictureButton);
    EXPECT_EQ(ui->editor->text(), "_CHA\r\n_TIL \x84x \xd7 2\r\n_PIC \x8c");

    // A line break that reached a box cannot end the command early.
    ui->chapterTitleEdit->setText(QString::fromUtf8("one\r\ntwo\u2029three"));
    ui->pictureNameEdit->setText(QStringLiteral("a\nb"));
    prepare("", 0);
    click(ui->chapterButton);
    click(ui->pictureButton);
    EXPECT_EQ(ui->editor->text(), "_CHA\r\n_TIL one two three\r\n_PIC a b");
}

}  // namespace
}  // namespace tessaline
