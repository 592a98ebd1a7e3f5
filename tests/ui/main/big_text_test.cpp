// Big texts in the rich-text box: what the box lays out, exact content and
// offsets deep into a long text, and the longest paragraph that a file or a
// paste may bring.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QPlainTextDocumentLayout>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/support/word_text.h"
#include "ui/document/document_file.h"
#include "ui/editor/calculator_text_edit.h"

namespace tessaline {
namespace {

const std::string CRLF = "\r\n";
constexpr std::size_t kLimit = CalculatorTextEdit::kLongestParagraph;

class BigTextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        box.resize(400, 200);
        box.show();
        QApplication::processEvents();
    }
    void paste(const std::string& latin)
    {
        auto* data = new QMimeData;
        data->setText(QString::fromLatin1(latin.data(), static_cast<qsizetype>(latin.size())));
        QApplication::clipboard()->setMimeData(data);
        box.paste();
    }
    bool load(const std::string& bytes, QString* error)
    {
        const QString path = dir.filePath(QStringLiteral("text.txt"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        file.close();
        const std::optional<DocumentContent> document = readDocument(path, error);
        if (document)
            box.setText(document->codes);
        return document.has_value();
    }

    CalculatorTextEdit box;
    QTemporaryDir dir;
};

TEST(LongestParagraph, CountsTheCharactersBetweenAnyLineEnds)
{
    EXPECT_EQ(longestParagraph(""), 0u);
    EXPECT_EQ(longestParagraph("abc"), 3u);
    EXPECT_EQ(longestParagraph("ab\r\nabcd\r\n"), 4u);
    EXPECT_EQ(longestParagraph("abcde\rab\nabc"), 5u);
    EXPECT_EQ(longestParagraph("ab\n\n\r\rabc"), 3u);
    EXPECT_EQ(longestParagraph("\r\n\r\n"), 0u);
    const QString message = longParagraphMessage(QStringLiteral("The file"), 70000);
    EXPECT_TRUE(message.startsWith(QStringLiteral("The file has a paragraph of 70000 characters")));
    EXPECT_TRUE(message.contains(QStringLiteral("tessaline-process")));
}

TEST_F(BigTextTest, TheBoxLaysOutOnlyWhatItShows)
{
    // A layout that places every paragraph at once keeps the program busy
    // for minutes on hundreds of thousands of lines.
    EXPECT_NE(qobject_cast<QPlainTextDocumentLayout*>(box.document()->documentLayout()), nullptr);
    std::string text;
    for (int i = 0; i < 200'000; ++i)
        text += "line " + std::to_string(i) + CRLF;
    box.setText(text);
    QApplication::processEvents();
    EXPECT_EQ(box.document()->blockCount(), 200'001);
    EXPECT_GT(box.document()->firstBlock().layout()->lineCount(), 0) << "the lines in sight are laid out";
    EXPECT_EQ(box.document()->findBlockByNumber(100'000).layout()->lineCount(), 0) << "a line far out of sight is not";
    EXPECT_EQ(box.text(), text);
}

TEST_F(BigTextTest, OffsetsAndEditsDeepInALongTextAreExact)
{
    std::string text = wordText(3'000'000, 5);
    text += CRLF + std::string(1, static_cast<char>(154)) + "end";  // a two-unit character at the end
    box.setText(text);
    QApplication::processEvents();
    const std::size_t deep = text.rfind(CRLF) - 10;
    box.setSelStart(deep);
    EXPECT_EQ(box.selStart(), deep);
    box.setSelLength(12);  // across the last line end
    EXPECT_EQ(box.selLength(), 12u);
    box.replaceSelection("X");
    std::string expected = text.substr(0, deep) + "X" + text.substr(deep + 12);
    EXPECT_EQ(box.text(), expected);
    EXPECT_EQ(box.selStart(), deep + 1);

    QTest::keyClick(&box, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(box.selStart(), expected.size());
    QTest::keyClick(&box, 'y');
    EXPECT_EQ(box.text(), expected + "y");
    QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(box.text(), expected);
}

TEST_F(BigTextTest, AFileMayBringParagraphsUpToTheLimit)
{
    const std::string atLimit = "short" + CRLF + std::string(kLimit, 'a') + CRLF + "end";
    QString error;
    ASSERT_TRUE(load(atLimit, &error)) << error.toStdString();
    EXPECT_EQ(box.text(), atLimit);

    // One character more: refused with a message, the editor untouched.
    const std::string over = std::string(kLimit - 1, 'b') + " b" + CRLF;
    EXPECT_FALSE(load(over, &error));
    EXPECT_TRUE(error.contains(QString::number(kLimit + 1))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("tessaline-process")));
    EXPECT_EQ(box.text(), atLimit);
}

TEST_F(BigTextTest, APasteCountsTheParagraphItJoins)
{
    QSignalSpy refused(&box, &CalculatorTextEdit::insertRefused);
    const std::string half(kLimit / 2, 'a');
    box.setText(half + "|" + half.substr(1) + CRLF + "next");  // kLimit characters before the CR LF
    // Selecting "|" and pasting one character keeps the paragraph at the limit.
    box.setSelStart(half.size());
    box.setSelLength(1);
    paste("Z");
    EXPECT_EQ(refused.count(), 0);
    EXPECT_EQ(box.text(), half + "Z" + half.substr(1) + CRLF + "next");

    // One more character in the same paragraph is too many, however it comes.
    const std::string before = box.text();
    box.setSelStart(3);
    paste("YY");
    ASSERT_EQ(refused.count(), 1);
    EXPECT_TRUE(refused.at(0).at(0).toString().contains(QString::number(kLimit + 2)));
    EXPECT_EQ(box.text(), before);

    // Several lines: the first joins what stands before the caret, the last
    // what stands after it.
    paste("Y" + CRLF + "Y");
    EXPECT_EQ(refused.count(), 1) << "each part stays within the limit";
    box.setSelStart(1);
    paste("q" + CRLF + std::string(kLimit, 'c'));
    EXPECT_EQ(refused.count(), 2) << "the last line joins the rest of the paragraph";

    // A paragraph elsewhere is no concern of the paste.
    box.setSelStart(box.text().size());
    paste(std::string(kLimit - 4, 'd'));
    EXPECT_EQ(refused.count(), 2);
    EXPECT_EQ(longestParagraph(box.text()), kLimit);
}

}  // namespace
}  // namespace tessaline
