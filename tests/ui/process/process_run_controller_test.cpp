// The run controller on its own, with a plain window as the owner of its
// output window: what it reports when a run ends, and how cancel, a second
// start and closing the output window act on a run in progress.
#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

#include <memory>
#include <random>
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
#include "ui/editor/calculator_text_edit.h"
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
    // Starts a run and waits for its end.
    void runToEnd(const ProcessRun::Request& r)
    {
        run->start(r);
        EXPECT_TRUE(testing::waitForRunEnd(owner)) << "the run did not end";
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
    EXPECT_TRUE(run->isRunning()) << "the pass goes on after the start";
    EXPECT_TRUE(finished.empty());
    ASSERT_TRUE(testing::waitForRunEnd(owner));
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
    runToEnd(request(text, false));
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
    runToEnd(request(text));
    watch.onProgress = nullptr;
    EXPECT_TRUE(sawRunning);
    EXPECT_FALSE(run->isRunning());
    EXPECT_EQ(finished, std::vector<bool>{false});
    ASSERT_NE(window(), nullptr);
    EXPECT_FALSE(window()->isVisible());
    EXPECT_LT(shownText().size(), runLineBreakPass(text, state.settings, true).text.size()) << "stopped part way";

    // A cancel between runs does not carry over into the next one.
    run->cancel();
    runToEnd(request("Enter Text Here"));
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
    runToEnd(request(text));
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
    runToEnd(request(wordText(2'000'000)));
    watch.onProgress = nullptr;
    EXPECT_EQ(closedReports, 1);
    EXPECT_EQ(finished, std::vector<bool>{false});
    EXPECT_EQ(window(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closed.isNull());

    // Closed after a run: reported, and the next run makes a new window.
    runToEnd(request("Enter Text Here"));
    QPointer<OutputWindow> second = window();
    ASSERT_FALSE(second.isNull());
    second->close();
    EXPECT_EQ(closedReports, 2);
    runToEnd(request("Enter Text Here"));
    EXPECT_NE(window(), second.data());
    EXPECT_EQ(finished, (std::vector<bool>{false, true, true}));
}

TEST_F(ProcessRunController, ClosingWithTheProgramEndsTheWindowAfterAnyRun)
{
    runToEnd(request("Enter Text Here"));
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
    runToEnd(request(wordText(2'000'000)));
    watch.onProgress = nullptr;
    ASSERT_FALSE(running.isNull());
    EXPECT_FALSE(running->isVisible());
    EXPECT_EQ(finished, (std::vector<bool>{true, false}));
}

// Texts of every kind: words, runs of spaces, words longer than a line, CR
// LF, lone CRs and LFs, and any code; now and then long enough to be put
// into the box in many pieces.
std::string randomText(std::mt19937& random)
{
    const std::size_t length = random() % 8 == 0 ? 200'000 + random() % 200'000 : random() % 4000;
    std::string text;
    while (text.size() < length) {
        switch (random() % 10) {
        case 0:
            text.append(1 + random() % 5, ' ');
            break;
        case 1:
            text += "\r\n";
            break;
        case 2:
            text += random() % 2 == 0 ? '\r' : '\n';
            break;
        case 3:
            text += static_cast<char>(1 + random() % 255);
            break;
        case 4:
            text.append(40 + random() % 400, static_cast<char>('a' + random() % 26));
            break;
        default:
            text.append(1 + random() % 11, static_cast<char>('a' + random() % 26));
            text += ' ';
        }
    }
    return text;
}

TEST_F(ProcessRunController, EveryRunGivesWhatThePassGivesAtOnce)
{
    struct Setting {
        int preset;
        const char* customLength;
    };
    const Setting settings[] = {{0, ""},   {1, ""},    {2, ""},   {3, ""},    {4, "1"},
                                {4, "15"}, {4, "300"}, {5, "20"}, {5, "241"}, {5, "32767"}};
    std::mt19937 random(2024);
    int compared = 0;
    for (int round = 0; round < 3; ++round) {
        for (const Setting& setting : settings) {
            const std::string text = randomText(random);
            const bool wordWrap = random() % 3 != 0;
            ProcessRun::Request r = request(text, wordWrap);
            r.preset = setting.preset;
            r.customLength = setting.customLength;
            applyPreset(setting.preset, state.settings);  // as choosing it in the main window does
            LineSettings expectedSettings = state.settings;
            ASSERT_FALSE(applyCustomLength(setting.preset, setting.customLength, expectedSettings));
            finished.clear();
            runToEnd(r);
            ASSERT_EQ(finished.size(), 1u);
            const std::string context = "preset " + std::to_string(setting.preset) + " " + setting.customLength + ", "
                                        + std::to_string(text.size()) + " codes";
            if (checkLimitAdmitsText(expectedSettings, text)) {
                EXPECT_FALSE(finished[0]) << context;
                continue;
            }
            const PassResult expected = runLineBreakPass(text, expectedSettings, wordWrap);
            ASSERT_EQ(finished[0], !expected.error) << context;
            // The box holds a lone CR or LF as CR LF: the pass's result as a
            // box shows it when given in one piece.
            CalculatorTextEdit box;
            box.setText(expected.text);
            const std::string want = box.text();
            const std::string shown = shownText();
            std::size_t differ = 0;
            while (differ < std::min(shown.size(), want.size()) && shown[differ] == want[differ])
                ++differ;
            EXPECT_TRUE(shown == want) << context << ": differs from code " << differ << " of " << want.size()
                                       << " (shown " << shown.size() << ")";
            EXPECT_EQ(testing::OutputWindowParts(*window())
                          .modificationsLabel->text()
                          .remove(QLocale().groupSeparator())
                          .toLongLong(),
                      expected.modificationCount)
                << context;
            ++compared;
        }
    }
    EXPECT_GE(compared, 20);
}

}  // namespace
}  // namespace tessaline
