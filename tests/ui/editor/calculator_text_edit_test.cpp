// The rich-text box: calculator text in, calculator text out, offsets that
// count CR and LF one each whatever the document counts, and every character
// that enters the box turned into a calculator character on the way in.
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/support/text_buffer.h"
#include "tests/ui/editor/focused_box.h"
#include "ui/editor/calculator_text_edit.h"
#include "ui/editor/shown_text.h"

namespace tessaline {
namespace {

const std::string CRLF = "\r\n";
constexpr char kOverX = static_cast<char>(154);
constexpr char kOverY = static_cast<char>(155);

// A box in a shown window, so that keys and focus work as for the user.
class CalculatorTextEditTest : public ::testing::Test {
protected:
    void SetUp() override { testing::showFocused(box); }

    // Types each character as a key press carrying it (the keyboard of a
    // user whose layout has the character).
    void type(const QString& text)
    {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(&box, &press);
            QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(&box, &release);
        }
    }

    // Commits text through the input method, as a composing keyboard does.
    void compose(const QString& text)
    {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(&box, &event);
    }

    // Offers text to the box as a paste or drop would.
    void paste(const QString& text)
    {
        QApplication::clipboard()->setText(text);
        box.paste();
    }

    CalculatorTextEdit box;
};

std::string allCodesExceptLineEnds()
{
    std::string codes;
    for (int c = 0; c < 256; ++c)
        if (c != 10 && c != 13)
            codes.push_back(static_cast<char>(c));
    return codes;
}

TEST_F(CalculatorTextEditTest, TextComesBackAsTheSameCodesWithCrLfLineEnds)
{
    const std::string every = allCodesExceptLineEnds();
    box.setText(every);
    EXPECT_EQ(box.text(), every);
    EXPECT_EQ(box.selStart(), 0u);

    const std::string lines = "first\tline" + CRLF + "x" + kOverX + "y" + kOverY + CRLF + CRLF + "end";
    box.setText(lines);
    EXPECT_EQ(box.text(), lines);
    // The document counts the line end as one position and x-bar as two;
    // the box counts calculator characters.
    box.setSelStart(box.text().size());
    EXPECT_EQ(box.selStart(), lines.size());

    // Lone CR and lone LF become CR LF.
    box.setText("a\rb\nc\r\n");
    EXPECT_EQ(box.text(), "a" + CRLF + "b" + CRLF + "c" + CRLF);
    box.setText("");
    EXPECT_EQ(box.text(), "");
    box.setSelStart(0);
    box.replaceSelection("p\nq");
    EXPECT_EQ(box.text(), "p" + CRLF + "q");
}

TEST_F(CalculatorTextEditTest, SelectionOffsetsCountCalculatorCharacters)
{
    // 0:a 1:x-bar 2:CR 3:LF 4:b 5:y-bar 6:c
    box.setText(std::string("a") + kOverX + CRLF + "b" + kOverY + "c");
    box.setSelStart(4);
    EXPECT_EQ(box.selStart(), 4u);
    box.setSelLength(2);
    EXPECT_EQ(box.selLength(), 2u);
    EXPECT_EQ(box.textCursor().selectedText(), QStringLiteral("by\u0305"));

    // Setting the start after a selection leaves nothing selected.
    box.setSelStart(1);
    EXPECT_EQ(box.selLength(), 0u);
    EXPECT_EQ(box.selStart(), 1u);

    // A selection across the line end.
    box.setSelLength(4);
    EXPECT_EQ(box.selLength(), 4u);
    box.replaceSelection("Z");
    EXPECT_EQ(box.text(), std::string("aZ") + kOverY + "c");
    EXPECT_EQ(box.selStart(), 2u);
    EXPECT_EQ(box.selLength(), 0u);

    // Offsets past the end stop at the end; lengths past the end stop there.
    box.setSelStart(99);
    EXPECT_EQ(box.selStart(), 4u);
    box.setSelStart(2);
    box.setSelLength(99);
    EXPECT_EQ(box.selLength(), 2u);
}

TEST_F(CalculatorTextEditTest, ReplacingTheSelectionLeavesTheCaretAfterTheNewText)
{
    box.setText("hello world");
    box.setSelStart(6);
    box.setSelLength(5);
    box.replaceSelection("there" + CRLF);
    EXPECT_EQ(box.text(), "hello there" + CRLF);
    EXPECT_EQ(box.selStart(), 13u);
    EXPECT_EQ(box.selLength(), 0u);

    // CR LF inserted at offset p: CR at 1-based position p + 1, LF at p + 2.
    box.setText("abcdef");
    box.setSelStart(3);
    box.replaceSelection(CRLF);
    const std::string after = box.text();
    ASSERT_EQ(after.size(), 8u);
    EXPECT_EQ(after[3], '\r');
    EXPECT_EQ(after[4], '\n');
    EXPECT_EQ(box.selStart(), 5u);

    // Empty replacement removes; length 1 at a line end takes the whole pair
    // (the box holds line ends only as CR LF).
    box.setSelStart(2);
    box.setSelLength(1);
    box.replaceSelection("");
    EXPECT_EQ(box.text(), "ab" + CRLF + "def");
    box.setSelStart(2);
    box.setSelLength(1);
    EXPECT_EQ(box.selLength(), 2u);
    box.replaceSelection("");
    EXPECT_EQ(box.text(), "abdef");

    // An offset between CR and LF stands for the start of the line end.
    box.setText("ab" + CRLF + "cd");
    box.setSelStart(3);
    EXPECT_EQ(box.selStart(), 2u);
}

// Random edits on the box and on the window-free text buffer agree.
TEST_F(CalculatorTextEditTest, RandomEditsMatchTheTextBuffer)
{
    std::mt19937 rng(20261207);
    const std::string alphabet = std::string("ab xyz\t.") + kOverX + kOverY + static_cast<char>(233)
                                 + static_cast<char>(160) + static_cast<char>(0) + static_cast<char>(208)
                                 + static_cast<char>(174) + static_cast<char>(12);
    auto randomCodes = [&](std::size_t maxLength) {
        std::string s;
        const std::size_t n = std::uniform_int_distribution<std::size_t>(0, maxLength)(rng);
        while (s.size() < n) {
            if (std::uniform_int_distribution<int>(0, 6)(rng) == 0)
                s += CRLF;
            else
                s.push_back(alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(rng)]);
        }
        return s;
    };
    // An offset that does not split a CR LF pair.
    auto boundary = [](const std::string& text, std::size_t p) {
        if (p > 0 && p < text.size() && text[p - 1] == '\r' && text[p] == '\n')
            --p;
        return p;
    };

    int edits = 0;
    for (int round = 0; round < 300; ++round) {
        const std::string start = randomCodes(40);
        box.setText(start);
        TextBuffer buffer(start);
        ASSERT_EQ(box.text(), buffer.text());
        for (int step = 0; step < 12; ++step, ++edits) {
            const std::string& text = buffer.text();
            const std::size_t p = boundary(text, std::uniform_int_distribution<std::size_t>(0, text.size())(rng));
            const std::size_t end = boundary(text, std::uniform_int_distribution<std::size_t>(p, text.size())(rng));
            const std::string replacement = randomCodes(6);

            box.setSelStart(p);
            buffer.setSelStart(p);
            ASSERT_EQ(box.selStart(), buffer.selStart()) << "round " << round << " step " << step;
            box.setSelLength(end - p);
            buffer.setSelLength(end - p);
            ASSERT_EQ(box.selLength(), buffer.selLength()) << "round " << round << " step " << step;
            box.replaceSelection(replacement);
            buffer.replaceSelection(replacement);
            ASSERT_EQ(box.text(), buffer.text()) << "round " << round << " step " << step;
            ASSERT_EQ(box.selStart(), buffer.selStart()) << "round " << round << " step " << step;
            ASSERT_EQ(box.selLength(), 0u);
        }
    }
    EXPECT_EQ(edits, 3600);
}

TEST_F(CalculatorTextEditTest, TypedCharactersBecomeCalculatorCharactersAtOnce)
{
    QSignalSpy replaced(&box, &CalculatorTextEdit::charactersReplaced);
    box.setText("");

    // Characters with a code of their own stay as they are.
    type(QStringLiteral("ab\u00e9"));
    EXPECT_EQ(box.text(), "ab\xe9");
    EXPECT_EQ(replaced.count(), 0);

    // Curly quotes have none: they become the plain quote at once, the
    // caret after them.
    type(QStringLiteral("\u201cq\u201d"));
    EXPECT_EQ(box.text(), "ab\xe9\"q\"");
    EXPECT_EQ(box.selStart(), 6u);
    EXPECT_EQ(replaced.count(), 2);
    EXPECT_EQ(box.toPlainText(), QStringLiteral("ab\u00e9\"q\""));

    // A character with no spelling at all, composed by an input method,
    // becomes "?".
    compose(QStringLiteral("\u4e2d"));
    EXPECT_EQ(box.text(), "ab\xe9\"q\"?");

    // Enter and Shift+Enter both end the line with CR LF.
    QTest::keyClick(&box, Qt::Key_Return);
    QTest::keyClicks(&box, QStringLiteral("n"));
    QTest::keyClick(&box, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(&box, QStringLiteral("m"));
    EXPECT_EQ(box.text(), "ab\xe9\"q\"?" + CRLF + "n" + CRLF + "m");
    EXPECT_EQ(box.selStart(), box.text().size());

    // An overline typed after x joins it into x-bar; typing goes on after it.
    box.setText("");
    type(QStringLiteral("x\u0305z"));
    EXPECT_EQ(box.text(), std::string(1, kOverX) + "z");
    // An overline after another letter has no code: the letter stays, the
    // mark is counted as replaced.
    box.setText("");
    replaced.clear();
    type(QStringLiteral("a\u0305"));
    EXPECT_EQ(box.text().substr(0, 1), "a");
    EXPECT_TRUE(box.text().size() == 1 || box.text() == "a?") << box.text();
    EXPECT_EQ(replaced.count(), 1);
    // A decomposed accent joins its letter into the accented character.
    box.setText("");
    type(QStringLiteral("e\u0301"));
    EXPECT_EQ(box.text(), "\xe9");
}

// A typed character that was converted on the way in is undone together
// with its conversion: undo steps back past it instead of converting the
// restored character again, and redo brings back the converted text.
TEST_F(CalculatorTextEditTest, UndoAndRedoStepOverConvertedTyping)
{
    box.setText("ab");
    box.setSelStart(2);
    type(QStringLiteral("c\u201c"));
    type(QStringLiteral("d\u2014"));
    EXPECT_EQ(box.text(), "abc\"d-");

    compose(QStringLiteral("\u4e2d"));
    type(QStringLiteral("x\u0305"));
    EXPECT_EQ(box.text(), "abc\"d-?" + std::string(1, kOverX));

    // Every state that undo goes back to shows calculator characters only.
    for (int i = 0; i < 20 && box.document()->isUndoAvailable(); ++i) {
        QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(box.toPlainText(), shownText(box.text()));
    }
    EXPECT_EQ(box.text(), "ab");
    EXPECT_EQ(box.toPlainText(), QStringLiteral("ab"));

    for (int i = 0; i < 20 && box.document()->isRedoAvailable(); ++i)
        box.redo();
    EXPECT_EQ(box.text(), "abc\"d-?" + std::string(1, kOverX));
    EXPECT_EQ(box.toPlainText(), shownText(box.text()));
}

TEST_F(CalculatorTextEditTest, PastedTextIsPlainCalculatorTextAndCopiesGoOutWithCrLf)
{
    QSignalSpy replaced(&box, &CalculatorTextEdit::charactersReplaced);
    box.setText("[]");
    box.setSelStart(1);
    paste(QStringLiteral("a\u2014b\nc\r\nd\u2028e"));
    EXPECT_EQ(box.text(), "[a-b" + CRLF + "c" + CRLF + "d" + CRLF + "e]");
    EXPECT_EQ(box.selStart(), 13u);
    ASSERT_EQ(replaced.count(), 1);
    EXPECT_EQ(replaced.at(0).at(0).toInt(), 1);

    // Rich text on the clipboard comes in as its plain text.
    auto* html = new QMimeData;
    html->setHtml(QStringLiteral("<b>bold</b>"));
    html->setText(QStringLiteral("bold"));
    QApplication::clipboard()->setMimeData(html);
    box.setText("");
    box.paste();
    EXPECT_EQ(box.text(), "bold");
    EXPECT_FALSE(box.document()->toHtml().contains(QStringLiteral("font-weight:700")));

    // Copying puts the shown characters with CR LF line ends.
    box.setText(std::string("x") + kOverX + CRLF + "\xe9");
    box.selectAll();
    box.copy();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("xx\u0305\r\n\u00e9"));
}

TEST_F(CalculatorTextEditTest, FontSizeAndPlacementInLayoutUnits)
{
    QFont font = box.font();
    font.setPointSizeF(9);
    box.setFont(font);
    EXPECT_DOUBLE_EQ(box.fontSize(), 9.0);
    box.setFontSize(13.5);
    EXPECT_DOUBLE_EQ(box.fontSize(), 13.5);
    EXPECT_DOUBLE_EQ(box.document()->defaultFont().pointSizeF(), 13.5);
    box.setFontSize(0);  // no font has that size: unchanged
    EXPECT_DOUBLE_EQ(box.fontSize(), 13.5);

    box.setTopTwips(840);
    box.setHeightTwips(2535);
    EXPECT_EQ(box.y(), 56);
    EXPECT_EQ(box.height(), 169);
    EXPECT_EQ(box.topTwips(), 840);
    EXPECT_EQ(box.heightTwips(), 2535);
    box.setTopTwips(0);
    EXPECT_EQ(box.topTwips(), 0);
    EXPECT_EQ(box.y(), 0);
}

TEST_F(CalculatorTextEditTest, AMegabyteRoundTripsWithItsOffsets)
{
    std::string big;
    big.reserve(1 << 20);
    const std::string line = std::string("The quick brown fox x") + kOverX + " jumps\tover" + CRLF;
    while (big.size() + line.size() <= (1u << 20))
        big += line;

    box.setText(big);
    EXPECT_EQ(box.text(), big);
    box.setSelStart(big.size() - 2);
    EXPECT_EQ(box.selStart(), big.size() - 2);
}

}  // namespace
}  // namespace tessaline
