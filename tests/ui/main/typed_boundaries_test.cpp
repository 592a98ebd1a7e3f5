// The last ASCII code points on their way into the editor: "~" (U+007E) is
// code 126, while DEL (U+007F) is a control character with no calculator
// code and becomes "?" however it arrives. Code 127 is a calculator glyph
// of its own, reached only through its shown form.
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <gtest/gtest.h>

#include <string>

#include "tests/ui/editor/focused_box.h"
#include "ui/editor/calculator_text_edit.h"

namespace tessaline {
namespace {

class TypedBoundaries : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing::showFocused(box);
        box.setText("");
    }

    CalculatorTextEdit box;
};

TEST_F(TypedBoundaries, DelBecomesAQuestionMarkAndTildeStays)
{
    // Committed by an input method.
    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("~\u007f~"));
    QApplication::sendEvent(&box, &composed);
    EXPECT_EQ(box.text(), "~?~");

    // Pasted.
    box.setText("");
    QApplication::clipboard()->setText(QStringLiteral("a\u007fb"));
    box.paste();
    EXPECT_EQ(box.text(), "a?b");

    // A key that carries DEL as its text types nothing a calculator would
    // read as code 127.
    box.setText("");
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("\u007f"));
    QApplication::sendEvent(&box, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QStringLiteral("\u007f"));
    QApplication::sendEvent(&box, &release);
    EXPECT_EQ(box.text().find('\x7f'), std::string::npos);
}

TEST_F(TypedBoundaries, Code127ComesInThroughItsShownForm)
{
    // What the editor shows for code 127 types code 127 back.
    QApplication::clipboard()->setText(QStringLiteral("\u25c6"));
    box.paste();
    EXPECT_EQ(box.text(), "\x7f");
}

}  // namespace
}  // namespace tessaline
