// Paragraphs longer than one block of the box: the pieces they are held in
// count no offset, and typing, selecting, copying, pasting and undoing at
// and across the edges of the pieces act on the calculator text exactly.
#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "tests/support/text_buffer.h"
#include "tests/ui/editor/focused_box.h"
#include "ui/editor/calculator_text_edit.h"
#include "ui/editor/paragraph_pieces.h"

namespace tessaline {
namespace {

const std::string CRLF = "\r\n";
constexpr std::size_t kPiece = kLongestPiece;

// Words of 1 to 11 letters between single spaces, no line end.
std::string paragraph(std::size_t length, unsigned state = 11)
{
    std::string text;
    while (text.size() < length) {
        state = state * 1103515245u + 12345u;
        const unsigned wordLength = 1 + (state >> 16) % 11;
        for (unsigned i = 0; i < wordLength; ++i)
            text.push_back(static_cast<char>('a' + (state >> (i % 16)) % 26));
        text += ' ';
    }
    text.resize(length);
    return text;
}

// Long texts compared, a mismatch shown by its first differing offset.
::testing::AssertionResult sameText(const std::string& got, const std::string& want)
{
    if (got == want)
        return ::testing::AssertionSuccess();
    std::size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at])
        ++at;
    const std::size_t from = at - std::min<std::size_t>(at, 8);
    return ::testing::AssertionFailure() << "sizes " << got.size() << " and " << want.size() << ", first difference at "
                                         << at << ": \"" << got.substr(from, 20) << "\" against \""
                                         << want.substr(from, 20) << "\"";
}

class LongParagraphTest : public ::testing::Test {
protected:
    void SetUp() override { testing::showFocused(box); }

    // The offsets where one piece ends and the next one starts.
    std::vector<std::size_t> edges()
    {
        std::vector<std::size_t> found;
        for (QTextBlock b = box.document()->firstBlock(); b.isValid(); b = b.next()) {
            if (continuesParagraph(b)) {
                caretAt(b.position());
                found.push_back(box.selStart());
            }
        }
        return found;
    }
    // The document positions of the end of the first piece at `edge` and of
    // the start of the second.
    int endOfPiece(std::size_t edge)
    {
        box.setSelStart(edge);
        return box.textCursor().position();
    }
    int startOfPiece(std::size_t edge) { return endOfPiece(edge) + 1; }
    void caretAt(int position)
    {
        QTextCursor cursor = box.textCursor();
        cursor.setPosition(position);
        box.setTextCursor(cursor);
    }
    std::string copied()
    {
        box.copy();
        return QApplication::clipboard()->text().toStdString();
    }
    // No block longer than a piece, no empty piece, none after an empty block.
    void expectTidyPieces()
    {
        for (QTextBlock b = box.document()->firstBlock(); b.isValid(); b = b.next()) {
            EXPECT_LE(b.length() - 1, static_cast<int>(kPiece)) << "block " << b.blockNumber();
            if (continuesParagraph(b)) {
                EXPECT_GT(b.length(), 1) << "empty piece, block " << b.blockNumber();
                EXPECT_GT(b.previous().length(), 1) << "piece after an empty block " << b.blockNumber();
            }
        }
    }

    CalculatorTextEdit box;
};

TEST_F(LongParagraphTest, APieceEdgeCountsNoOffset)
{
    const std::string text = "head" + CRLF + paragraph(3 * kPiece + 100) + CRLF + "tail";
    box.setText(text);
    EXPECT_TRUE(sameText(box.text(), text));
    const std::vector<std::size_t> at = edges();
    ASSERT_EQ(at.size(), 3u);
    expectTidyPieces();
    for (const std::size_t edge : at) {
        EXPECT_EQ(text[edge - 1], ' ') << "a piece ends where a line could wrap";
        caretAt(endOfPiece(edge));
        EXPECT_EQ(box.selStart(), edge);
        caretAt(startOfPiece(edge));
        EXPECT_EQ(box.selStart(), edge);
        for (std::size_t k = edge - 2; k <= edge + 2; ++k) {
            box.setSelStart(k);
            EXPECT_EQ(box.selStart(), k);
            box.setSelLength(4);
            EXPECT_EQ(box.selLength(), 4u);
            EXPECT_EQ(copied(), text.substr(k, 4));
        }
    }
    // A selection over every piece copies the paragraph as one.
    box.setSelStart(4);
    box.setSelLength(text.size() - 8);
    EXPECT_EQ(copied(), text.substr(4, text.size() - 8));
    box.setSelStart(text.size());
    EXPECT_EQ(box.selStart(), text.size());

    // Up to a piece's length a paragraph is one block; one more cuts it.
    box.setText(std::string(kPiece, 'a') + CRLF + std::string(kPiece + 1, 'b'));
    EXPECT_EQ(box.document()->blockCount(), 3);
    EXPECT_EQ(edges(), std::vector<std::size_t>{kPiece + 2 + kPiece});
    EXPECT_TRUE(sameText(box.text(), std::string(kPiece, 'a') + CRLF + std::string(kPiece + 1, 'b')));
}

TEST_F(LongParagraphTest, KeysAtAnEdgeActOnTheCharactersBesideIt)
{
    const std::string text = paragraph(kPiece + 1000);
    box.setText(text);
    ASSERT_EQ(edges().size(), 1u);
    const std::size_t edge = edges().front();
    const auto without = [&](std::size_t from, std::size_t length) {
        return text.substr(0, from) + text.substr(from + length);
    };
    struct Case {
        const char* what;
        bool fromEnd;  // the caret at the end of the first piece, else at the start of the second
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::string expected;
        std::size_t caret;
    };
    const std::size_t wordStart = text.rfind(' ', edge - 2) + 1;
    const std::vector<Case> cases = {
        {"Right from the end", true, Qt::Key_Right, Qt::NoModifier, text, edge + 1},
        {"Left from the start", false, Qt::Key_Left, Qt::NoModifier, text, edge - 1},
        {"Left from the end", true, Qt::Key_Left, Qt::NoModifier, text, edge - 1},
        {"Backspace at the start", false, Qt::Key_Backspace, Qt::NoModifier, without(edge - 1, 1), edge - 1},
        {"Backspace at the end", true, Qt::Key_Backspace, Qt::NoModifier, without(edge - 1, 1), edge - 1},
        {"Delete at the end", true, Qt::Key_Delete, Qt::NoModifier, without(edge, 1), edge},
        {"Delete at the start", false, Qt::Key_Delete, Qt::NoModifier, without(edge, 1), edge},
        {"Ctrl+Backspace at the start", false, Qt::Key_Backspace, Qt::ControlModifier,
         without(wordStart, edge - wordStart), wordStart},
        {"Enter at the start", false, Qt::Key_Return, Qt::NoModifier, text.substr(0, edge) + CRLF + text.substr(edge),
         edge + 2},
        {"Enter at the end", true, Qt::Key_Return, Qt::NoModifier, text.substr(0, edge) + CRLF + text.substr(edge),
         edge + 2},
        {"Shift+Enter at the start", false, Qt::Key_Return, Qt::ShiftModifier,
         text.substr(0, edge) + CRLF + text.substr(edge), edge + 2},
    };
    for (const Case& c : cases) {
        box.setText(text);
        caretAt(c.fromEnd ? endOfPiece(edge) : startOfPiece(edge));
        QTest::keyClick(&box, c.key, c.modifiers);
        EXPECT_TRUE(sameText(box.text(), c.expected)) << c.what;
        EXPECT_EQ(box.selStart(), c.caret) << c.what;
        expectTidyPieces();
        box.undo();
        EXPECT_TRUE(sameText(box.text(), text)) << c.what << ", undone";
    }

    // Typed at either position, a character stands at the edge.
    for (const bool fromEnd : {true, false}) {
        box.setText(text);
        caretAt(fromEnd ? endOfPiece(edge) : startOfPiece(edge));
        QTest::keyClicks(&box, QStringLiteral("Q"));
        EXPECT_TRUE(sameText(box.text(), text.substr(0, edge) + "Q" + text.substr(edge)));
        EXPECT_EQ(box.selStart(), edge + 1);
    }
    // Shift+Right selects the first character after the edge.
    box.setText(text);
    caretAt(endOfPiece(edge));
    QTest::keyClick(&box, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(box.selStart(), edge);
    EXPECT_EQ(box.selLength(), 1u);
    EXPECT_EQ(copied(), text.substr(edge, 1));
    // A line end typed in the middle of a piece starts a paragraph there.
    box.setText(text);
    box.setSelStart(edge + 10);
    QTest::keyClick(&box, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClick(&box, Qt::Key_Return);
    EXPECT_TRUE(sameText(box.text(), text.substr(0, edge + 10) + CRLF + CRLF + text.substr(edge + 10)));
    EXPECT_EQ(box.selStart(), edge + 14);
}

TEST_F(LongParagraphTest, DeletingAcrossEdgesUndoesToTheSamePieces)
{
    const std::string text = "a" + CRLF + paragraph(2 * kPiece + 1000) + CRLF + "b";
    box.setText(text);
    const std::vector<std::size_t> at = edges();
    ASSERT_EQ(at.size(), 2u);
    const int blocks = box.document()->blockCount();

    box.setSelStart(at[0] - 3);
    box.setSelLength(6);
    QTest::keyClick(&box, Qt::Key_Delete);
    const std::string deleted = text.substr(0, at[0] - 3) + text.substr(at[0] + 3);
    EXPECT_TRUE(sameText(box.text(), deleted));
    EXPECT_EQ(box.selStart(), at[0] - 3);
    QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(sameText(box.text(), text));
    EXPECT_EQ(box.document()->blockCount(), blocks);
    EXPECT_EQ(edges(), at);
    QTest::keyClick(&box, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_TRUE(sameText(box.text(), deleted));

    // A whole piece and both its edges, from the line end before them.
    box.setText(text);
    box.setSelStart(1);
    box.setSelLength(at[1] + 5 - 1);
    box.replaceSelection("");
    EXPECT_TRUE(sameText(box.text(), text.substr(0, 1) + text.substr(at[1] + 5)));
    expectTidyPieces();
    box.undo();
    EXPECT_TRUE(sameText(box.text(), text));
    EXPECT_EQ(edges(), at);

    // Exactly the characters of the middle piece, however they go: no empty
    // piece stays, and one undo step brings them back.
    const std::string withoutMiddle = text.substr(0, at[0]) + text.substr(at[1]);
    struct Removal {
        const char* what;
        std::function<void()> remove;
    };
    const std::vector<Removal> removals = {
        {"replaced", [&] { box.replaceSelection(""); }},
        {"Delete", [&] { QTest::keyClick(&box, Qt::Key_Delete); }},
        {"Backspace", [&] { QTest::keyClick(&box, Qt::Key_Backspace); }},
        {"cut", [&] { QTest::keyClick(&box, Qt::Key_X, Qt::ControlModifier); }},
    };
    for (const Removal& r : removals) {
        box.setText(text);
        // The block selected, as a triple click in the piece selects it.
        QTextCursor piece(box.document()->findBlock(startOfPiece(at[0])));
        piece.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        box.setTextCursor(piece);
        ASSERT_EQ(box.selStart(), at[0]) << r.what;
        ASSERT_EQ(box.selLength(), at[1] - at[0]) << r.what;
        r.remove();
        EXPECT_TRUE(sameText(box.text(), withoutMiddle)) << r.what;
        EXPECT_EQ(box.selStart(), at[0]) << r.what;
        expectTidyPieces();
        QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_TRUE(sameText(box.text(), text)) << r.what << ", undone";
    }
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), text.substr(at[0], at[1] - at[0]));
}

TEST_F(LongParagraphTest, ALineEndAtAnEdge)
{
    const std::string text = paragraph(kPiece + 1000);
    box.setText(text);
    const std::size_t edge = edges().front();
    box.setSelStart(edge);
    box.replaceSelection(CRLF);
    const std::string split = text.substr(0, edge) + CRLF + text.substr(edge);
    EXPECT_TRUE(sameText(box.text(), split));
    EXPECT_EQ(box.selStart(), edge + 2);
    expectTidyPieces();
    // Offsets around the new line end, and inside it.
    box.setSelStart(edge + 1);
    EXPECT_EQ(box.selStart(), edge);
    box.setSelLength(2);
    EXPECT_EQ(copied(), CRLF);
    box.setSelStart(edge - 1);
    box.setSelLength(4);
    EXPECT_EQ(copied(), split.substr(edge - 1, 4));
    // Joined again by deleting the line end: one paragraph as before.
    box.setSelStart(edge);
    box.setSelLength(2);
    box.replaceSelection("");
    EXPECT_TRUE(sameText(box.text(), text));
    box.undo();
    EXPECT_TRUE(sameText(box.text(), split));
    box.undo();
    EXPECT_TRUE(sameText(box.text(), text));
}

TEST_F(LongParagraphTest, AMegabytePasteInsideAPieceIsCutIntoPieces)
{
    const std::string text = paragraph(2 * kPiece);
    box.setText(text);
    const std::size_t at = edges().front() + 7;
    const std::string big = paragraph(1024 * 1024, 5) + "x" + CRLF + "y" + paragraph(3 * kPiece, 3);
    QApplication::clipboard()->setText(QString::fromLatin1(big.data(), static_cast<qsizetype>(big.size())));
    box.setSelStart(at);
    box.paste();
    const std::string expected = text.substr(0, at) + big + text.substr(at);
    ASSERT_TRUE(sameText(box.text(), expected));
    EXPECT_EQ(box.selStart(), at + big.size());
    expectTidyPieces();
    EXPECT_GT(box.document()->blockCount(), static_cast<int>(expected.size() / kPiece));
    box.setSelStart(expected.size() - 3);
    EXPECT_EQ(box.selStart(), expected.size() - 3);
    box.setSelLength(3);
    EXPECT_EQ(copied(), expected.substr(expected.size() - 3));
    box.undo();
    EXPECT_TRUE(sameText(box.text(), text));
    box.redo();
    EXPECT_TRUE(sameText(box.text(), expected));
}

TEST_F(LongParagraphTest, RandomEditsMatchTheTextBuffer)
{
    std::mt19937 rng(20261209);
    const auto pick = [&](std::size_t low, std::size_t high) {
        return std::uniform_int_distribution<std::size_t>(low, high)(rng);
    };
    const auto boundary = [](const std::string& text, std::size_t p) {
        if (p > 0 && p < text.size() && text[p - 1] == '\r' && text[p] == '\n')
            --p;
        return p;
    };
    const auto replacement = [&] {
        switch (pick(0, 5)) {
        case 0:
            return std::string();
        case 1:
            return CRLF;
        case 2:
            return paragraph(pick(kPiece / 2, 2 * kPiece), static_cast<unsigned>(pick(1, 99)));
        case 3:
            return "p" + CRLF + paragraph(pick(1, kPiece + 10)) + CRLF;
        default:
            return paragraph(pick(1, 9), static_cast<unsigned>(pick(1, 99)));
        }
    };
    for (int round = 0; round < 12; ++round) {
        const std::string start = paragraph(pick(kPiece, 3 * kPiece)) + CRLF + paragraph(pick(0, 2 * kPiece), 3);
        box.setText(start);
        TextBuffer buffer(start);
        for (int step = 0; step < 25; ++step) {
            const std::string before = buffer.text();
            // Near an edge more often than by chance.
            const std::vector<std::size_t> at = edges();
            std::size_t p = pick(0, before.size());
            if (!at.empty() && pick(0, 1) == 0) {
                const std::size_t edge = at[pick(0, at.size() - 1)];
                p = std::min(before.size(), edge - std::min<std::size_t>(edge, 2) + pick(0, 4));
            }
            p = boundary(before, p);
            const std::size_t end = boundary(before, std::min(before.size(), p + pick(0, 3) * pick(0, kPiece)));
            const std::string with = replacement();
            box.setSelStart(p);
            buffer.setSelStart(p);
            box.setSelLength(end - p);
            buffer.setSelLength(end - p);
            ASSERT_EQ(box.selLength(), buffer.selLength()) << round << "/" << step;
            box.replaceSelection(with);
            buffer.replaceSelection(with);
            ASSERT_TRUE(sameText(box.text(), buffer.text())) << round << "/" << step;
            ASSERT_EQ(box.selStart(), buffer.selStart()) << round << "/" << step;
            expectTidyPieces();
            if (step % 5 == 4 && buffer.text() != before) {
                box.undo();
                ASSERT_TRUE(sameText(box.text(), before)) << round << "/" << step << " undone";
                box.redo();
                ASSERT_TRUE(sameText(box.text(), buffer.text())) << round << "/" << step << " redone";
            }
        }
    }
}

}  // namespace
}  // namespace tessaline
