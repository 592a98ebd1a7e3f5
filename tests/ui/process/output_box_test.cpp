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
#include "tests/ui/process/progress_watch.h"
#include "tests/ui/recorded_message_boxes.h"
#include "tests/ui/window_parts.h"
#include "ui/app_state.h"
#include "ui/dialogs.h"
#include "ui/main/main_window.h"
#include "ui/process/output_window.h"
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
        form = std::make_unique<MainWindow>(state);
        form->setMessageBoxes(messages);
        form->show();
        main = std::make_unique<testing::MainWindowParts>(*form);
    }
    void TearDown() override
    {
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void process() { testing::processToEnd(*form, main->processButton); }
    OutputWindow* window() { return testing::outputWindowOf(*form); }
    // The output box of the last run.
    CalculatorTextEdit* outputBox() { return testing::OutputWindowParts(*window()).outputBox; }

    AppState state;
    std::shared_ptr<testing::RecordedMessageBoxes> messages = std::make_shared<testing::RecordedMessageBoxes>();
    std::unique_ptr<MainWindow> form;
    std::unique_ptr<testing::MainWindowParts> main;
};

TEST_F(OutputBoxTest, TheLastRunsBoxGoesDuringTheNextRun)
{
    main->editor->setText(words(300'000));
    process();
    ASSERT_TRUE(outputBox()->isVisible());
    QPointer<CalculatorTextEdit> first(outputBox());

    // A run long enough to turn the event loop.
    process();
    EXPECT_TRUE(first.isNull()) << "destroyed at the first turn of the next run";
    EXPECT_EQ(window()->findChildren<CalculatorTextEdit*>().size(), 1);
    QPointer<CalculatorTextEdit> second(outputBox());

    // A run too short to turn it: the box goes as the run ends.
    main->editor->setText("short");
    process();
    EXPECT_TRUE(second.isNull());
    EXPECT_EQ(window()->findChildren<CalculatorTextEdit*>().size(), 1);
    EXPECT_EQ(outputBox()->text(), "short\r\n");
    EXPECT_TRUE(outputBox()->isVisible());
}

TEST_F(OutputBoxTest, RunsWithoutTheDoneStateLeaveTheirTextInTheHiddenBox)
{
    // Refused before the pass: the box holds the text as it was.
    main->editor->setText("Enter Text Here");
    main->presetCombo->setCurrentIndex(4);
    main->customSizeEdit->setText("0");
    process();
    EXPECT_EQ(messages->shown.size(), 1u);
    EXPECT_FALSE(window()->isVisible());
    EXPECT_EQ(outputBox()->text(), "Enter Text Here");

    // Cancelled at the first character: the text as far as the pass got.
    // The bar shows a value the first character's progress (0) changes.
    testing::OutputWindowParts(*window()).progressBar->setRange(0, 1000);
    testing::OutputWindowParts(*window()).progressBar->setValue(500);
    main->customSizeEdit->setText("12");
    const std::string text = words(50'000);
    main->editor->setText(text);
    testing::ProgressWatch watch;
    watch.onProgress = [](OutputWindow& shown, int) {
        QTest::mouseClick(testing::OutputWindowParts(shown).cancelButton, Qt::LeftButton);
    };
    process();
    watch.onProgress = nullptr;
    EXPECT_FALSE(window()->isVisible());
    EXPECT_FALSE(outputBox()->isVisible());
    EXPECT_EQ(outputBox()->text(), text) << "one character examined, none changed";
    EXPECT_EQ(outputBox()->selStart(), 0u);

    // The next run shows its own text.
    main->editor->setText("ab");
    process();
    EXPECT_TRUE(window()->isVisible());
    EXPECT_EQ(outputBox()->text(), "ab\r\n");
}

// The size of a long text and a large modification count stay apart in the
// strip above the output box.
TEST(OutputWindowCaptions, LongResultCaptionsStayApart)
{
    OutputWindow window(nullptr, std::make_shared<Dialogs>());
    const testing::OutputWindowParts ui(window);
    window.setResultCaptions(QStringLiteral("3,685,719 characters"), QStringLiteral("168,945"));
    const int sizeEnd = ui.sizeLabel->x() + ui.sizeLabel->sizeHint().width();
    const int countStart =
        ui.modificationsLabel->x() + ui.modificationsLabel->width() - ui.modificationsLabel->sizeHint().width();
    EXPECT_LT(sizeEnd, countStart);
    EXPECT_LT(ui.sizeCaption->x() + ui.sizeCaption->sizeHint().width(), ui.sizeLabel->x() + ui.sizeLabel->width());
    EXPECT_GE(ui.sizeCaption->x(), 0);

    // Short captions keep the laid-out places.
    window.setResultCaptions(QStringLiteral("17 characters"), QStringLiteral("1"));
    EXPECT_EQ(ui.sizeCaption->x(), twipsToPixels(2010));
    EXPECT_EQ(ui.sizeLabel->x(), twipsToPixels(2655));
}

}  // namespace
}  // namespace tessaline
