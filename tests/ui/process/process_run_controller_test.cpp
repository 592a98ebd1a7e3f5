// The run controller on its own, with a plain window as the owner of its
// output window: what it reports when a run ends, and how cancel, a second
// start and closing the output window act on a run in progress.
#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/char_widths.h"
#include "engine/line_break_pass.h"
#include "engine/line_settings.h"
#include "tests/support/word_text.h"
#include "tests/ui/process/progress_watch.h"
#include "tests/ui/recorded_message_boxes.h"
#include "tests/ui/window_parts.h"
#include "ui/app_state.h"
#include "ui/dialogs.h"
#include "ui/process/output_window.h"
#include "ui/process/process_run.h"

namespace tessaline {
namespace {

class ProcessRunController : public ::testing::Test {
protected:
    void SetUp() override
    {
        state.settings.charWidths = defaultCharWidths();
        applyPreset(0, state.settings);
        dialogs->messages = messages;
        run = new ProcessRun(state, owner, dialogs);
        QObject::connect(run, &ProcessRun::finished, [this](bool completed) { finished.push_back(completed); });
        QObject::connect(run, &ProcessRun::outputWindowClosed, [this] { ++closedReports; });
        owner.show();
    }
    void TearDown() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    ProcessRun::Request request(const std::string& text, bool wordWrap = true)
    {
        ProcessRun::Request r;
        r.text = text;
        r.wordWrap = [wordWrap] { return wordWrap; };
        r.fontSize = [] { return 11.0; };
        return r;
    }
    OutputWindow* window() { return testing::outputWindowOf(owner); }
    std::string shownText() { return testing::OutputWindowParts(*window()).outputBox->text(); }

    AppState state;
    QWidget owner;
    std::shared_ptr<Dialogs> dialogs = std::make_shared<Dialogs>();
    std::shared_ptr<testing::RecordedMessageBoxes> messages = std::make_shared<testing::RecordedMessageBoxes>();
    ProcessRun* run = nullptr;  // a child of the owner
    testing::ProgressWatch watch;
    std::vector<bool> finished;
    int closedReports = 0;
};

TEST_F(ProcessRunController, ACompleteRunShowsItsResultAndReportsCompleted)
{
    const std::string text = wordText(3000);
    EXPECT_FALSE(run->isRunning());
    run->start(request(text));
    EXPECT_FALSE(run->isRunning());
    EXPECT_EQ(finished, std::vector<bool>{true});
    ASSERT_NE(window(), nullptr);
    EXPECT_TRUE(window()->isVisible());
    // A window of its own: no owner.
    EXPECT_EQ(window()->parentWidget(), nullptr);
    ASSERT_NE(window()->windowHandle(), nullptr);
    EXPECT_EQ(window()->windowHandle()->transientParent(), nullptr);
    EXPECT_EQ(shownText(), runLineBreakPass(text, state.settings, true).text);
    EXPECT_DOUBLE_EQ(testing::OutputWindowParts(*window()).outputBox->fontSize(), 11.0) << "the size asked at the end";

    // Word wrap off, as the request says: hard breaks.
    run->start(request(text, false));
    EXPECT_EQ(finished, (std::vector<bool>{true, true}));
    EXPECT_EQ(shownText(), runLineBreakPass(text, state.settings, false).text);
    EXPECT_NE(shownText(), runLineBreakPass(text, state.settings, true).text);
    EXPECT_TRUE(messages->shown.empty());
}

TEST_F(ProcessRunController, CancelEndsTheRunInProgressNotCompleted)
{
    const std::string text = wordText(2'000'000);
    bool sawRunning = false;
    watch.onProgress = [&](OutputWindow&, int) {
        if (!sawRunning) {
            sawRunning = run->isRunning();
            run->cancel();
        }
    };
    run->start(request(text));
    watch.onProgress = nullptr;
    EXPECT_TRUE(sawRunning);
    EXPECT_FALSE(run->isRunning());
    EXPECT_EQ(finished, std::vector<bool>{false});
    ASSERT_NE(window(), nullptr);
    EXPECT_FALSE(window()->isVisible());
    EXPECT_LT(shownText().size(), runLineBreakPass(text, state.settings, true).text.size()) << "stopped part way";

    // A cancel between runs does not carry over into the next one.
    run->cancel();
    run->start(request("Enter Text Here"));
    EXPECT_EQ(finished, (std::vector<bool>{false, true}));
    EXPECT_EQ(shownText(), "Enter Text Here\r\n");
}

TEST_F(ProcessRunController, AStartDuringARunOnlyBringsItsWindowForward)
{
    const std::string text = wordText(1'000'000);
    int nested = 0;
    watch.onProgress = [&](OutputWindow&, int) {
        if (nested++ == 0)
            run->start(request("another text"));
    };
    run->start(request(text));
    watch.onProgress = nullptr;
    EXPECT_GT(nested, 1);
    EXPECT_EQ(finished, std::vector<bool>{true}) << "one run, one report";
    EXPECT_EQ(shownText(), runLineBreakPass(text, state.settings, true).text);
}

TEST_F(ProcessRunController, ClosingTheOutputWindowIsReportedAndCancelsARun)
{
    QPointer<OutputWindow> closed;
    watch.onProgress = [&](OutputWindow& shown, int) {
        if (!closed) {
            closed = &shown;
            shown.close();
        }
    };
    run->start(request(wordText(2'000'000)));
    watch.onProgress = nullptr;
    EXPECT_EQ(closedReports, 1);
    EXPECT_EQ(finished, std::vector<bool>{false});
    EXPECT_EQ(window(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closed.isNull());

    // Closed after a run: reported, and the next run makes a new window.
    run->start(request("Enter Text Here"));
    QPointer<OutputWindow> second = window();
    ASSERT_FALSE(second.isNull());
    second->close();
    EXPECT_EQ(closedReports, 2);
    run->start(request("Enter Text Here"));
    EXPECT_NE(window(), second.data());
    EXPECT_EQ(finished, (std::vector<bool>{false, true, true}));
}

TEST_F(ProcessRunController, ClosingWithTheProgramEndsTheWindowAfterAnyRun)
{
    run->start(request("Enter Text Here"));
    QPointer<OutputWindow> done = window();
    ASSERT_FALSE(done.isNull());
    run->closeOutputWindow();
    EXPECT_FALSE(done->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(done.isNull()) << "no run refers to it: destroyed";
    EXPECT_EQ(closedReports, 0) << "not a close by the user";

    // During a run the window hides at once and stays for the run to unwind.
    QPointer<OutputWindow> running;
    watch.onProgress = [&](OutputWindow& shown, int) {
        if (!running) {
            running = &shown;
            run->closeOutputWindow();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_FALSE(running.isNull()) << "still used by the run";
            EXPECT_FALSE(shown.isVisible());
        }
    };
    run->start(request(wordText(2'000'000)));
    watch.onProgress = nullptr;
    ASSERT_FALSE(running.isNull());
    EXPECT_FALSE(running->isVisible());
    EXPECT_EQ(finished, (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace tessaline
