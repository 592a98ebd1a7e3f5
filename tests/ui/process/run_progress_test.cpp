// The progress bar and the window during a run on a text long enough to be
// filled into the output box in many pieces: the bar covers the filling too,
// and a new run puts the last result out of sight before it does anything.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/line_break_pass.h"
#include "tests/support/word_text.h"
#include "tests/ui/process/progress_watch.h"
#include "tests/ui/recorded_message_boxes.h"
#include "tests/ui/window_parts.h"
#include "ui/app_state.h"
#include "ui/main/main_window.h"
#include "ui/process/output_window.h"

namespace tessaline {
namespace {

using testing::MainWindowParts;
using testing::OutputWindowParts;

class RunProgressTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<MainWindow>(state);
        form->setMessageBoxes(messages);
        form->show();
        main = std::make_unique<MainWindowParts>(*form);
    }
    void TearDown() override
    {
        watch.onProgress = nullptr;
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void process() { testing::processToEnd(*form, main->processButton); }
    OutputWindowParts out() { return OutputWindowParts(*testing::outputWindowOf(*form)); }

    AppState state;
    std::shared_ptr<testing::RecordedMessageBoxes> messages = std::make_shared<testing::RecordedMessageBoxes>();
    std::unique_ptr<MainWindow> form;
    std::unique_ptr<MainWindowParts> main;
    testing::ProgressWatch watch;
};

TEST_F(RunProgressTest, TheBarIsFullOnlyWhenTheWholeResultIsInTheBox)
{
    // Many pieces of output: the box is filled over many turns of the loop.
    const std::string text = wordText(600'000);
    const PassResult expected = runLineBreakPass(text, state.settings, true);
    main->editor->setText(text);

    struct Step {
        int value;
        int maximum;
        int boxCharacters;  // what the output box held at that moment
    };
    std::vector<Step> steps;
    watch.onProgress = [&](OutputWindow& window, int value) {
        const OutputWindowParts ui(window);
        steps.push_back({value, ui.progressBar->maximum(), ui.outputBox->document()->characterCount() - 1});
    };
    process();
    watch.onProgress = nullptr;

    ASSERT_EQ(out().outputBox->text(), expected.text);
    ASSERT_GE(steps.size(), 3u);
    const int maximum = steps.back().maximum;
    const int shownLength = static_cast<int>(out().outputBox->document()->characterCount() - 1);
    EXPECT_EQ(steps.back().value, maximum);
    EXPECT_EQ(steps.back().boxCharacters, shownLength) << "full when the box holds everything";
    int filling = 0;
    for (std::size_t i = 0; i + 1 < steps.size(); ++i) {
        EXPECT_LT(steps[i].value, maximum) << "step " << i;
        EXPECT_LE(steps[i].value, steps[i + 1].value) << "the bar never goes back";
        if (steps[i].boxCharacters > 0) {
            ++filling;
            EXPECT_LT(steps[i].boxCharacters, shownLength);
        }
    }
    EXPECT_GE(filling, 2) << "the bar moves while the box is filled";
}

TEST_F(RunProgressTest, ANewRunHidesTheLastResultBeforeItBegins)
{
    main->editor->setText("short");
    process();
    ASSERT_TRUE(out().outputBox->isVisible());
    EXPECT_FALSE(out().outputBox->verticalScrollBar()->isVisible()) << "a short result has no scroll bar";
    main->editor->setText(wordText(5000));
    process();
    ASSERT_TRUE(out().outputBox->isVisible());
    EXPECT_TRUE(out().outputBox->verticalScrollBar()->isVisible());
    ASSERT_EQ(out().progressBar->value(), out().progressBar->maximum());

    // The first change of the bar comes before the pass: by then the
    // window shows the processing state only.
    main->editor->setText(wordText(300'000, 99));
    bool seen = false;
    watch.onProgress = [&](OutputWindow& window, int value) {
        if (seen)
            return;
        seen = true;
        const OutputWindowParts ui(window);
        EXPECT_EQ(value, 0);
        EXPECT_EQ(window.windowTitle(), "Processing...");
        EXPECT_FALSE(ui.outputBox->isVisible());
        EXPECT_FALSE(ui.sizeCaption->isVisible());
        EXPECT_FALSE(ui.sizeLabel->isVisible());
        EXPECT_FALSE(ui.modificationsCaption->isVisible());
        EXPECT_FALSE(ui.modificationsLabel->isVisible());
        EXPECT_FALSE(ui.fileMenu->menuAction()->isVisible());
        EXPECT_TRUE(ui.progressBar->isVisible());
        for (CalculatorTextEdit* box : window.findChildren<CalculatorTextEdit*>())
            EXPECT_FALSE(box->isVisible()) << "no output box of the last run shows";
    };
    process();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(out().outputBox->isVisible());
}

}  // namespace
}  // namespace tessaline
