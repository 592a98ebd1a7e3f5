// Big texts in the rich-text box: what the box lays out, exact content and
// offsets deep into a long text, and a file that is one long paragraph.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextDocumentLayout>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "tests/support/word_text.h"
#include "ui/document/document_file.h"
#include "ui/editor/calculator_text_edit.h"

namespace tessaline {
namespace {

const std::string CRLF = "\r\n";

class BigTextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        box.resize(400, 200);
        box.show();
        QApplication::processEvents();
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

TEST_F(BigTextTest, AFileBringsAParagraphOfAnyLengthAndSavesItAsItCame)
{
    // A megabyte in one paragraph, as a file the program saved itself.
    const std::string text = "short" + CRLF + wordText(1024 * 1024, 3).substr(0, 1024 * 1024) + "x";
    std::string oneParagraph = text;
    std::replace(oneParagraph.begin() + 7, oneParagraph.end(), '\r', ' ');
    std::replace(oneParagraph.begin() + 7, oneParagraph.end(), '\n', ' ');
    const QString first = dir.filePath(QStringLiteral("first.rtf"));
    QString error;
    ASSERT_TRUE(writeDocument(first, oneParagraph, 9, &error)) << error.toStdString();
    const std::optional<DocumentContent> document = readDocument(first, &error);
    ASSERT_TRUE(document.has_value()) << error.toStdString();
    box.setText(document->codes);
    QApplication::processEvents();
    EXPECT_EQ(box.text(), oneParagraph);
    EXPECT_GT(box.document()->blockCount(), 2) << "held in pieces";

    // Typed into and undone, then saved: the same bytes.
    box.setSelStart(oneParagraph.size() / 2);
    QTest::keyClicks(&box, QStringLiteral("abc"));
    QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(box.text(), oneParagraph);
    const QString second = dir.filePath(QStringLiteral("second.rtf"));
    ASSERT_TRUE(writeDocument(second, box.text(), 9, &error)) << error.toStdString();
    QFile a(first);
    QFile b(second);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly));
    ASSERT_TRUE(b.open(QIODevice::ReadOnly));
    EXPECT_TRUE(a.readAll() == b.readAll());

    // A plain text file the same way.
    EXPECT_TRUE(load(oneParagraph, &error)) << error.toStdString();
    EXPECT_EQ(box.text(), oneParagraph);
}

}  // namespace
}  // namespace tessaline
