// The rich-text box's kept codes and deferred content: text() must always
// give the codes of what the document holds (or will hold), whichever way the
// content was set or edited.
#include <QApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "ui/editor/calculator_text_edit.h"
#include "ui/editor/shown_text.h"

namespace tessaline {
namespace {

// The codes the document holds, read without anything the box keeps.
std::string documentCodes(const CalculatorTextEdit& box) { return codesOfText(box.document()->toRawText()); }

std::string randomCodes(std::mt19937& rng, std::size_t length)
{
    std::uniform_int_distribution<int> code(0, 255);
    std::uniform_int_distribution<int> kind(0, 9);
    std::string codes;
    while (codes.size() < length) {
        const int k = kind(rng);
        if (k == 0)
            codes += "\r\n";
        else if (k == 1)
            codes.push_back(code(rng) % 2 ? '\r' : '\n');  // a lone line end
        else if (k < 5)
            codes.push_back(static_cast<char>('x' + code(rng) % 2));  // x and y: the overline bases
        else
            codes.push_back(static_cast<char>(code(rng)));
    }
    return codes;
}

TEST(CalculatorTextEditContent, TextFollowsEveryEditOfTheDocument)
{
    std::mt19937 rng(515);
    CalculatorTextEdit box;
    box.resize(300, 120);
    box.show();
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        box.setText(randomCodes(rng, 200));
        ASSERT_EQ(box.text(), documentCodes(box)) << "after setText";
        // Edits through the box's own members and through QPlainTextEdit's,
        // each followed by a read, so that a kept copy would go stale.
        const std::size_t size = box.text().size();
        box.setSelStart(size / 3);
        box.setSelLength(size / 5);
        box.replaceSelection(randomCodes(rng, 7));
        ASSERT_EQ(box.text(), documentCodes(box)) << "after replaceSelection";
        QTextCursor cursor(box.document());
        cursor.setPosition(box.document()->characterCount() / 2);
        cursor.insertText(QStringLiteral("ab\ncd"));
        ASSERT_EQ(box.text(), documentCodes(box)) << "after a cursor edit";
        cursor.movePosition(QTextCursor::Start);
        cursor.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor, 3);
        cursor.removeSelectedText();
        ASSERT_EQ(box.text(), documentCodes(box)) << "after a removal";
        box.document()->undo();
        ASSERT_EQ(box.text(), documentCodes(box)) << "after undo";
        box.insertPlainText(QStringLiteral("\u00e9z"));
        ASSERT_EQ(box.text(), documentCodes(box)) << "after inserting plain text";
    }
    box.clear();
    EXPECT_EQ(box.text(), "");
}

TEST(CalculatorTextEditContent, DeferredContentReadsAsTheBuiltOneAndIsBuiltOnFirstUse)
{
    std::mt19937 rng(99);
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string codes = randomCodes(rng, 300);
        CalculatorTextEdit built;
        built.setText(codes);

        CalculatorTextEdit hidden;
        hidden.setText("old content");
        hidden.setTextDeferred(codes);
        EXPECT_TRUE(hidden.document()->isEmpty()) << "nothing built yet, the old content gone";
        EXPECT_EQ(hidden.text(), built.text());
        EXPECT_EQ(hidden.selStart(), 0u);
        EXPECT_EQ(hidden.selLength(), 0u);

        // Any operation on the content builds the document first.
        switch (round % 3) {
        case 0:
            hidden.replaceSelection("ab");
            built.setSelStart(0);
            built.replaceSelection("ab");
            break;
        case 1:
            hidden.setSelStart(5);
            built.setSelStart(5);
            EXPECT_EQ(hidden.selStart(), built.selStart());
            break;
        case 2:
            hidden.resize(300, 120);
            hidden.show();
            break;
        }
        EXPECT_FALSE(hidden.document()->isEmpty() && !codes.empty());
        EXPECT_EQ(documentCodes(hidden), built.text());
        EXPECT_EQ(hidden.text(), built.text());
    }
}

TEST(CalculatorTextEditContent, DeferredContentGivesWayToOtherContent)
{
    CalculatorTextEdit box;
    box.setTextDeferred("first\rsecond");
    EXPECT_EQ(box.text(), "first\r\nsecond");

    // setText replaces it.
    box.setText("third");
    EXPECT_EQ(box.text(), "third");
    box.show();
    EXPECT_EQ(documentCodes(box), "third");

    // On a visible box the content is built at once.
    box.setTextDeferred("fourth\n");
    EXPECT_EQ(documentCodes(box), "fourth\r\n");
    EXPECT_EQ(box.text(), "fourth\r\n");

    // An edit through QPlainTextEdit itself makes the document the content.
    CalculatorTextEdit hidden;
    hidden.setTextDeferred("never shown");
    hidden.setPlainText(QStringLiteral("typed"));
    EXPECT_EQ(hidden.text(), "typed");
    hidden.show();
    EXPECT_EQ(documentCodes(hidden), "typed");
}

}  // namespace
}  // namespace tessaline
