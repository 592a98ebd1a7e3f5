// The output box from one run to the next: the last run's box goes during the
// next run, and a run that ends without the Done state leaves its text in the
// hidden box.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/line_break_pass.h"
#include "ui/app_state.h"
#include "ui/main/form1.h"
#include "ui/main/rich_text_box.h"
#include "ui/output/form2.h"
#include "ui/twips.h"

namespace tessaline {
namespace {

std::string words(std::size_t length)
{
    std::string text;
    unsigned state = 3;
    while (text.size() < length) {
        state = state * 1103515245u + 12345u;
        text.append(1 + (state >> 16) % 9, static_cast<char>('a' + (state >> 8) % 26));
        text += (state >> 4) % 29 == 0 ? "\r\n" : " ";
    }
    text.resize(length);
    return text;
}

class OutputBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<Form1>(state);
        form->show();
        window = form->ensureOutputWindow();
        window->messageSink = [this](QWidget*, const QString&, const QString&) { ++warnings; };
    }
    void TearDown() override
    {
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void process() { QTest::mouseClick(form->Command1, Qt::LeftButton); }

    AppState state;
    std::unique_ptr<Form1> form;
    QPointer<Form2> window;
    int warnings = 0;
};

TEST_F(OutputBoxTest, TheLastRunsBoxGoesDuringTheNextRun)
{
    form->Text1->setText(words(300'000));
    process();
    ASSERT_TRUE(window->text2->isVisible());
    QPointer<RichTextBox> first(window->text2);

    // A run long enough to turn the event loop.
    process();
    EXPECT_TRUE(first.isNull()) << "destroyed at the first turn of the next run";
    ASSERT_NE(window->text2, nullptr);
    EXPECT_EQ(window->findChild<RichTextBox*>("text2"), window->text2);
    EXPECT_EQ(window->findChildren<RichTextBox*>().size(), 1);
    QPointer<RichTextBox> second(window->text2);

    // A run too short to turn it: the box goes as the run ends.
    form->Text1->setText("short");
    process();
    EXPECT_TRUE(second.isNull());
    EXPECT_EQ(window->findChildren<RichTextBox*>().size(), 1);
    EXPECT_EQ(window->text2->text(), "short\r\n");
    EXPECT_TRUE(window->text2->isVisible());
}

TEST_F(OutputBoxTest, RunsWithoutTheDoneStateLeaveTheirTextInTheHiddenBox)
{
    // Refused before the pass: the box holds the text as it was.
    form->Text1->setText("Enter Text Here");
    form->Combo1->setCurrentIndex(4);
    form->Text2->setText("0");
    process();
    EXPECT_EQ(warnings, 1);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->text2->text(), "Enter Text Here");

    // Cancelled at the first character: the text as far as the pass got.
    form->Text2->setText("12");
    const std::string text = words(50'000);
    form->Text1->setText(text);
    window->onProcessCharacter = [this](std::int64_t) { state.CancelRequested = true; };
    process();
    window->onProcessCharacter = nullptr;
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->text2->isVisible());
    EXPECT_EQ(window->text2->text(), text) << "one character examined, none changed";
    EXPECT_EQ(window->text2->selStart(), 0u);

    // The next run shows its own text.
    form->Text1->setText("ab");
    process();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->text2->text(), "ab\r\n");
}

}  // namespace
}  // namespace tessaline

namespace tessaline {
namespace {

// The size of a long text and a large modification count stay apart in the
// strip above the output box.
TEST_F(OutputBoxTest, LongResultCaptionsStayApart)
{
    window->setResultCaptions(QStringLiteral("3,685,719 characters"), QStringLiteral("168,945"));
    const int sizeEnd = window->Label2->x() + window->Label2->sizeHint().width();
    const int countStart = window->Label4->x() + window->Label4->width() - window->Label4->sizeHint().width();
    EXPECT_LT(sizeEnd, countStart);
    EXPECT_LT(window->Label1->x() + window->Label1->sizeHint().width(), window->Label2->x() + window->Label2->width());
    EXPECT_GE(window->Label1->x(), 0);

    // Short captions keep the laid-out places.
    window->setResultCaptions(QStringLiteral("17 characters"), QStringLiteral("1"));
    EXPECT_EQ(window->Label1->x(), twipsToPixels(2010));
    EXPECT_EQ(window->Label2->x(), twipsToPixels(2655));
}

}  // namespace
}  // namespace tessaline
