// The PROCESS run through the real windows: the output window's states, the
// labels, Cancel, closing and PROCESS during a run, settings changed mid-run,
// and refused limits.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/line_break_pass.h"
#include "engine/line_break_pass_core.h"
#include "engine/line_settings.h"
#include "tests/support/callback_hooks.h"
#include "tests/support/word_text.h"
#include "tests/ui/process/progress_watch.h"
#include "tests/ui/recorded_message_boxes.h"
#include "tests/ui/window_parts.h"
#include "ui/app_state.h"
#include "ui/dialogs.h"
#include "ui/main/main_window.h"
#include "ui/process/output_window.h"
#include "ui/process/process_run.h"
#include "ui/twips.h"

namespace tessaline {
namespace {

using testing::MainWindowParts;
using testing::outputWindowOf;
using testing::OutputWindowParts;

// What the window shows, captured at one moment.
struct WindowSnapshot {
    bool visible = false;
    QString title;
    bool outputBoxVisible = false;
    bool labelsVisible = false;  // any of the four labels
    bool progressVisible = false;
    bool cancelVisible = false;
    bool fileMenuVisible = false;
};

WindowSnapshot snapshot(OutputWindow& window)
{
    const OutputWindowParts ui(window);
    WindowSnapshot s;
    s.visible = window.isVisible();
    s.title = window.windowTitle();
    s.outputBoxVisible = ui.outputBox->isVisible();
    s.labelsVisible = ui.sizeCaption->isVisible() || ui.sizeLabel->isVisible() || ui.modificationsCaption->isVisible()
                      || ui.modificationsLabel->isVisible();
    s.progressVisible = ui.progressBar->isVisible();
    s.cancelVisible = ui.cancelButton->isVisible();
    s.fileMenuVisible = ui.fileMenu->menuAction()->isVisible();
    return s;
}

class ProcessRunTest : public ::testing::Test {
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
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The output window of the last run.
    OutputWindow& output()
    {
        OutputWindow* window = outputWindowOf(*form);
        EXPECT_NE(window, nullptr);
        return *window;
    }
    OutputWindowParts out() { return OutputWindowParts(output()); }

    // The warnings of the run: the output window's, and refused limits, which
    // the main window shows once the output window is gone.
    std::vector<QString> warnings() const
    {
        std::vector<QString> texts;
        for (const auto& shown : messages->shown)
            if (shown.icon == MessageBoxes::Icon::Warning)
                texts.push_back(shown.text);
        return texts;
    }
    // Messages of the main window itself, other than warnings.
    std::size_t mainMessages() const
    {
        std::size_t count = 0;
        for (const auto& shown : messages->shown)
            count += shown.parent == form.get() && shown.icon != MessageBoxes::Icon::Warning ? 1 : 0;
        return count;
    }

    void process() { testing::processToEnd(*form, main->processButton); }

    // Whether the keyboard goes to the editor: its window is the active one
    // and the editor has the focus in it (not only its window's focus widget).
    bool keyboardInEditor()
    {
        return QTest::qWaitFor([this] { return QApplication::focusWidget() == main->editor; }, 1000)
               && QApplication::activeWindow() == form.get();
    }

    // The pass on its own, with the settings the run starts from.
    PassResult reference(const std::string& text)
    {
        return runLineBreakPass(text, state.settings, main->wordWrapAction->isChecked());
    }

    AppState state;
    std::shared_ptr<testing::RecordedMessageBoxes> messages = std::make_shared<testing::RecordedMessageBoxes>();
    std::unique_ptr<MainWindow> form;
    std::unique_ptr<MainWindowParts> main;
    testing::ProgressWatch watch;
};

TEST(OutputWindowLayout, WindowIsBuiltAsDesigned)
{
    OutputWindow window(nullptr, std::make_shared<Dialogs>());
    const OutputWindowParts ui(window);
    EXPECT_EQ(window.windowTitle(), "Processed Text");
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "fixed border: not resizable";
    ASSERT_NE(window.centralWidget(), nullptr);
    EXPECT_EQ(window.centralWidget()->size(), QSize(twipsToPixels(8430), twipsToPixels(3105)));

    struct Expected {
        QWidget* control;
        const char* name;
        QRect twips;
        bool visible;
    };
    const Expected controls[] = {
        {ui.sizeCaption, "Label1", twipsRect(2010, 0, 735, 255), false},
        {ui.sizeLabel, "Label2", twipsRect(2655, 0, 1245, 255), false},
        {ui.modificationsLabel, "Label4", twipsRect(4320, 0, 855, 255), true},
        {ui.modificationsCaption, "Label3", twipsRect(5280, 0, 975, 255), true},
        {ui.outputBox, "text2", twipsRect(0, 360, 8415, 2655), false},
        {ui.progressBar, "ProgressBar1", twipsRect(0, 1440, 8415, 255), true},
        {ui.cancelButton, "Command1", twipsRect(3608, 1680, 1215, 255), true},
    };
    for (const Expected& c : controls) {
        ASSERT_NE(c.control, nullptr) << c.name;
        EXPECT_EQ(c.control->objectName(), c.name);
        EXPECT_EQ(window.findChild<QWidget*>(c.name), c.control);
        const QRect actual = c.control->geometry();
        if (qobject_cast<QLabel*>(c.control) != nullptr) {
            // A label is never narrower than laid out; it widens where the
            // platform's font would cut its caption (the count to the left).
            EXPECT_EQ(actual.top(), c.twips.top()) << c.name;
            EXPECT_EQ(actual.height(), c.twips.height()) << c.name;
            EXPECT_GE(actual.width(), c.twips.width()) << c.name;
            if (c.control == ui.modificationsLabel)
                EXPECT_EQ(actual.right(), c.twips.right()) << c.name;
            else
                EXPECT_EQ(actual.left(), c.twips.left()) << c.name;
        } else {
            EXPECT_EQ(actual, c.twips) << c.name;
        }
        EXPECT_EQ(c.control->isVisibleTo(&window), c.visible) << c.name;
    }
    EXPECT_EQ(ui.sizeCaption->text(), "File Size");
    EXPECT_EQ(ui.modificationsCaption->text(), "Modifications");
    EXPECT_TRUE(ui.sizeLabel->text().isEmpty());
    EXPECT_TRUE(ui.modificationsLabel->text().isEmpty());
    EXPECT_EQ(ui.cancelButton->text(), "Cancel");
    EXPECT_EQ(ui.progressBar->minimum(), 0);
    EXPECT_EQ(ui.progressBar->maximum(), 100);
    EXPECT_EQ(ui.outputBox->font().family(), "Ti92Pluspc");
    EXPECT_DOUBLE_EQ(ui.outputBox->fontSize(), 9.0);
    EXPECT_FALSE(ui.outputBox->font().bold());

    ASSERT_NE(ui.fileMenu, nullptr);
    EXPECT_EQ(ui.fileMenu->objectName(), "file");
    EXPECT_EQ(ui.fileMenu->title(), "&File");
    const QList<QAction*> items = ui.fileMenu->actions();
    // The two items it has always had come first; the calculator items
    // (calculator_text_test.cpp) and Calculator Screen follow.
#ifdef TESSALINE_HAVE_LINK
    ASSERT_EQ(items.size(), 5);
#else
    ASSERT_EQ(items.size(), 4);
#endif
    EXPECT_EQ(items[0], ui.saveAction);
    EXPECT_EQ(items[1], ui.copyAction);
    EXPECT_EQ(ui.saveAction->text(), "&Save Processed Text");
    EXPECT_EQ(ui.copyAction->text(), "&Copy Text to Clipboard");
    EXPECT_EQ(ui.saveAction->objectName(), "save");
    EXPECT_EQ(ui.copyAction->objectName(), "copy");
    EXPECT_TRUE(ui.saveAction->shortcut().isEmpty());
    EXPECT_TRUE(ui.copyAction->shortcut().isEmpty());
}

TEST_F(ProcessRunTest, ShortRunPassesThroughProcessingIntoDone)
{
    main->editor->setText("Enter Text Here");
    main->editor->setFontSize(14);
    std::optional<WindowSnapshot> during;
    watch.onProgress = [&](OutputWindow& window, int) {
        if (!during)
            during = snapshot(window);
    };
    process();
    watch.onProgress = nullptr;
    OutputWindow& window = output();

    ASSERT_TRUE(during.has_value());
    EXPECT_TRUE(during->visible);
    EXPECT_EQ(during->title, "Processing...");
    EXPECT_FALSE(during->outputBoxVisible);
    EXPECT_FALSE(during->labelsVisible);
    EXPECT_TRUE(during->progressVisible);
    EXPECT_TRUE(during->cancelVisible);
    EXPECT_FALSE(during->fileMenuVisible);

    const WindowSnapshot done = snapshot(window);
    EXPECT_TRUE(done.visible);
    EXPECT_EQ(done.title, "Processed Text");
    EXPECT_TRUE(done.outputBoxVisible);
    EXPECT_TRUE(out().sizeCaption->isVisible() && out().sizeLabel->isVisible()
                && out().modificationsCaption->isVisible() && out().modificationsLabel->isVisible());
    EXPECT_FALSE(done.progressVisible);
    EXPECT_FALSE(done.cancelVisible);
    EXPECT_TRUE(done.fileMenuVisible);

    EXPECT_EQ(out().outputBox->text(), "Enter Text Here\r\n");
    EXPECT_EQ(out().sizeLabel->text(), "17 characters");
    EXPECT_EQ(out().modificationsLabel->text(), "1");
    for (QLabel* label : {out().sizeCaption, out().sizeLabel, out().modificationsCaption, out().modificationsLabel})
        EXPECT_GE(label->width(), label->sizeHint().width()) << "caption cut: " << label->text().toStdString();
    EXPECT_LE(out().sizeCaption->geometry().right(), out().sizeLabel->x() + out().sizeLabel->indent())
        << "the size does not run into \"File Size\"";
    EXPECT_EQ(out().outputBox->selStart(), 0u);
    EXPECT_EQ(out().outputBox->selLength(), 0u);
    EXPECT_DOUBLE_EQ(out().outputBox->fontSize(), 14.0) << "the output follows the editor's font size";
    EXPECT_TRUE(warnings().empty());

    // A one-character text is left as it is.
    main->editor->setText("A");
    process();
    EXPECT_EQ(out().outputBox->text(), "A");
    EXPECT_EQ(out().sizeLabel->text(), "1 characters");
    EXPECT_EQ(out().modificationsLabel->text(), "0");
    EXPECT_EQ(outputWindowOf(*form), &window) << "the Done window is reused";
}

TEST_F(ProcessRunTest, EveryRunShowsTheWindowInFrontAndLeavesTheFocusThere)
{
    main->editor->setText("Enter Text Here");
    process();
    OutputWindow& window = output();
    ASSERT_TRUE(window.isVisible());

    // The Done window stays open while the user goes back to the editor.
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    main->editor->setFocus();
    main->editor->setText("Another text");
    QMetaObject::invokeMethod(main->processButton, "click");  // a click that takes no focus
    ASSERT_TRUE(testing::waitForRunEnd(*form));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }, 1000))
        << "showing the open window brings it forward, as the first run did";
    EXPECT_EQ(out().outputBox->text(), "Another text\r\n");
    EXPECT_EQ(form->focusWidget(), main->editor) << "the completed run moved no focus in the main window";
}

TEST_F(ProcessRunTest, LabelsAndProgressFollowTheText)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const std::string text = wordText(5000);
    main->editor->setText(text);
    const PassResult expected = reference(text);
    process();
    OutputWindow& window = output();
    EXPECT_EQ(out().outputBox->text(), expected.text);
    EXPECT_EQ(out().sizeLabel->text(), QLocale().toString(qint64(expected.text.size())) + " characters");
    EXPECT_TRUE(out().sizeLabel->text().contains(',')) << out().sizeLabel->text().toStdString();
    EXPECT_EQ(out().modificationsLabel->text(), QString::number(expected.modificationCount));
    EXPECT_EQ(out().progressBar->value(), out().progressBar->maximum()) << "the last character is shown done";

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    process();
    EXPECT_EQ(out().sizeLabel->text(), QString::number(expected.text.size() / 1000) + "."
                                           + QString::number(expected.text.size() % 1000).rightJustified(3, '0')
                                           + " characters");

    // An empty text: empty output, Done state, labels and progress untouched.
    out().progressBar->setMaximum(77);
    out().progressBar->setValue(33);
    const QString sizeBefore = out().sizeLabel->text();
    const QString countBefore = out().modificationsLabel->text();
    main->editor->setText("");
    process();
    QLocale::setDefault(saved);
    EXPECT_EQ(out().outputBox->text(), "");
    EXPECT_EQ(out().sizeLabel->text(), sizeBefore);
    EXPECT_EQ(out().modificationsLabel->text(), countBefore);
    EXPECT_EQ(out().progressBar->maximum(), 77);
    EXPECT_EQ(out().progressBar->value(), 33);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(out().outputBox->isVisible());
    EXPECT_EQ(window.windowTitle(), "Processed Text");
}

TEST_F(ProcessRunTest, CancelHidesTheWindowAndTheNextRunStartsAfresh)
{
    const std::string text = wordText(3'000'000);
    main->editor->setText(text);
    const PassResult complete = reference(text);
    bool clicked = false;
    watch.onProgress = [&](OutputWindow& window, int) {
        if (!clicked) {
            clicked = true;
            QPushButton* cancel = OutputWindowParts(window).cancelButton;
            QTimer::singleShot(0, &window, [cancel] { QTest::mouseClick(cancel, Qt::LeftButton); });
            QThread::msleep(15);  // the next clock check turns the event loop
        }
    };
    process();
    watch.onProgress = nullptr;
    ASSERT_TRUE(clicked);
    OutputWindow& window = output();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), "Processed Text");
    EXPECT_FALSE(out().outputBox->isVisible());
    EXPECT_TRUE(out().progressBar->isVisibleTo(&window));
    EXPECT_TRUE(out().cancelButton->isVisibleTo(&window));
    EXPECT_EQ(form->focusWidget(), main->editor);
    EXPECT_TRUE(keyboardInEditor()) << "typing after a cancel goes into the editor";
    // Half processed: shorter than the whole result, labels count what was done.
    const std::string partial = out().outputBox->text();
    EXPECT_LT(partial.size(), complete.text.size());
    EXPECT_EQ(out().sizeLabel->text(), QLocale().toString(qint64(partial.size())) + " characters");
    EXPECT_LT(out().modificationsLabel->text().remove(QLocale().groupSeparator()).toLongLong(),
              complete.modificationCount);

    // The next run forgets the cancel and runs to its end.
    main->editor->setText("Enter Text Here");
    process();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(out().outputBox->text(), "Enter Text Here\r\n");
    EXPECT_EQ(out().sizeLabel->text(), "17 characters");
}

TEST_F(ProcessRunTest, ClosingTheWindowDuringARunCancelsIt)
{
    const std::string text = wordText(3'000'000);
    main->editor->setText(text);
    QPointer<OutputWindow> closedWindow;
    bool closedAndHidden = false;
    watch.onProgress = [&](OutputWindow& window, int) {
        if (!closedWindow) {
            closedWindow = &window;
            QTimer::singleShot(0, form.get(), [&] {
                if (closedWindow) {
                    closedWindow->close();
                    closedAndHidden = closedWindow->isClosed() && !closedWindow->isVisible();
                }
            });
            QThread::msleep(15);
        }
    };
    process();
    watch.onProgress = nullptr;
    EXPECT_TRUE(closedAndHidden);
    EXPECT_EQ(form->focusWidget(), main->editor);
    EXPECT_TRUE(keyboardInEditor());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closedWindow.isNull()) << "a closed window is destroyed";
    EXPECT_EQ(outputWindowOf(*form), nullptr);

    // The next PROCESS builds the window afresh and completes.
    std::optional<WindowSnapshot> during;
    watch.onProgress = [&](OutputWindow& window, int) {
        if (!during)
            during = snapshot(window);
    };
    main->editor->setText("Enter Text Here");
    process();
    watch.onProgress = nullptr;
    ASSERT_TRUE(during.has_value());
    EXPECT_EQ(during->title, "Processing...");
    EXPECT_TRUE(during->progressVisible);
    EXPECT_FALSE(during->outputBoxVisible);
    EXPECT_TRUE(output().isVisible());
    EXPECT_EQ(out().outputBox->text(), "Enter Text Here\r\n");
    EXPECT_EQ(out().sizeLabel->text(), "17 characters");
}

TEST_F(ProcessRunTest, ClosingAfterARunReturnsFocusAndTheNextRunReopens)
{
    main->editor->setText("Enter Text Here");
    process();
    QPointer<OutputWindow> window(&output());
    ASSERT_TRUE(window && window->isVisible());
    main->processButton->setFocus();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.data()));
    window->close();
    EXPECT_EQ(form->focusWidget(), main->editor);
    EXPECT_TRUE(keyboardInEditor()) << "typing after the close goes into the editor";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());

    // Closed but not yet destroyed (no event loop turn in between): still a new window.
    process();
    OutputWindow& second = output();
    second.close();
    std::optional<WindowSnapshot> during;
    watch.onProgress = [&](OutputWindow& shown, int) {
        if (!during)
            during = snapshot(shown);
    };
    process();
    watch.onProgress = nullptr;
    OutputWindow& third = output();
    EXPECT_NE(&third, &second);
    ASSERT_TRUE(during.has_value());
    EXPECT_TRUE(during->visible);
    EXPECT_EQ(during->title, "Processing...");
    EXPECT_TRUE(third.isVisible());
    EXPECT_EQ(out().sizeLabel->text(), "17 characters");
}

TEST_F(ProcessRunTest, ProcessDuringARunStartsNothing)
{
    const std::string text = wordText(3'000'000);
    main->editor->setText(text);
    const PassResult expected = reference(text);
    bool clicked = false;
    int lastValue = 0;
    int restarts = 0;
    watch.onProgress = [&](OutputWindow&, int perMille) {
        // A new run would take the bar back towards its start (a long line
        // broken at its last space may take it back a step).
        if (perMille < lastValue / 2)
            ++restarts;
        lastValue = perMille;
        if (!clicked) {
            clicked = true;
            QTimer::singleShot(0, form.get(), [&] {
                main->editor->setText("changed meanwhile");
                QTest::mouseClick(main->processButton, Qt::LeftButton);
            });
            QThread::msleep(15);
        }
    };
    process();
    watch.onProgress = nullptr;
    ASSERT_TRUE(clicked);
    EXPECT_EQ(restarts, 0) << "no second run started inside the first";
    EXPECT_EQ(lastValue, 1000) << "the first run went on to its end";
    EXPECT_EQ(out().outputBox->text(), expected.text) << "the first run went on over its own copy";
    EXPECT_EQ(out().modificationsLabel->text().remove(QLocale().groupSeparator()).toLongLong(),
              expected.modificationCount);
    EXPECT_TRUE(output().isVisible());
    EXPECT_EQ(output().windowTitle(), "Processed Text");

    // Once the run is over, PROCESS runs again.
    process();
    EXPECT_EQ(out().outputBox->text(), "changed meanwhile\r\n");
}

TEST_F(ProcessRunTest, PresetAndWordWrapChangedMidRunApplyFromThatCharacter)
{
    const std::string text = wordText(60'000);
    main->editor->setText(text);
    ASSERT_TRUE(main->wordWrapAction->isChecked());
    // Where the changes happen: the positions of the processed text the pass
    // reaches a quarter and two thirds of the way through.
    const auto presetAt = static_cast<std::int64_t>(text.size() / 4);
    const auto wrapAt = static_cast<std::int64_t>(text.size() * 2 / 3);

    ProcessRun& run = *form->findChild<ProcessRun*>();
    bool presetDone = false;
    bool wrapDone = false;
    bool wrapAfterToggle = true;
    LineSettings settingsAfterPreset;
    QObject::connect(&run, &ProcessRun::passPaused, form.get(), [&](std::int64_t position) {
        if (!presetDone) {
            presetDone = true;
            EXPECT_EQ(position, presetAt);
            main->presetCombo->setCurrentIndex(3);  // Text Editor on TI92+ (37chars)
            settingsAfterPreset = state.settings;
            run.pausePassAt(wrapAt);
        } else {
            wrapDone = true;
            EXPECT_GE(position, wrapAt);
            main->wordWrapAction->trigger();
            wrapAfterToggle = main->wordWrapAction->isChecked();
        }
        run.resumePass();
    });
    run.pausePassAt(presetAt);
    const LineSettings start = state.settings;
    process();
    ASSERT_TRUE(presetDone && wrapDone);
    EXPECT_FALSE(settingsAfterPreset.measureInPixels);
    EXPECT_EQ(settingsAfterPreset.lineLimit, 37);
    EXPECT_FALSE(wrapAfterToggle);

    // The literal pass with the same changes after the same characters.
    LineSettings settings = start;
    bool wrapOn = true;
    bool refPreset = false;
    bool refWrap = false;
    CallbackHooks hooks;
    hooks.onWordWrap = [&] { return wrapOn; };
    hooks.onProgress = [&](std::int64_t, std::int64_t value) {
        if (value >= presetAt && !refPreset) {
            refPreset = true;
            applyPreset(3, settings);
        } else if (value >= wrapAt && refPreset && !refWrap) {
            refWrap = true;
            wrapOn = false;
        }
    };
    const PassResult expected = runLineBreakPassWith(text, settings, hooks);
    EXPECT_EQ(out().outputBox->text(), expected.text);
    EXPECT_EQ(out().modificationsLabel->text().remove(QLocale().groupSeparator()).toLongLong(),
              expected.modificationCount);

    // And it differs from a run without the changes, so the changes were seen.
    EXPECT_NE(expected.text, runLineBreakPass(text, start, true).text);
    EXPECT_NE(expected.text, runLineBreakPass(text, settingsAfterPreset, true).text);
}

TEST_F(ProcessRunTest, AChangeWhileTheBoxFillsAppliesToTheTextNotYetInIt)
{
    // Long enough that the box has taken much of the result when the pass
    // is three quarters of the way through.
    const std::string text = wordText(1'500'000);
    main->editor->setText(text);
    const auto changeAt = static_cast<std::int64_t>(text.size() * 3 / 4);
    ProcessRun& run = *form->findChild<ProcessRun*>();
    std::int64_t inTheBox = -1;
    QObject::connect(&run, &ProcessRun::passPaused, form.get(), [&](std::int64_t) {
        // The box goes on filling up to the pass.
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                inTheBox = out().outputBox->document()->characterCount() - 1;
                return inTheBox > changeAt / 2;
            },
            10'000));
        main->wordWrapAction->trigger();
        run.resumePass();
    });
    run.pausePassAt(changeAt);
    const LineSettings start = state.settings;
    process();
    EXPECT_GT(inTheBox, changeAt / 2) << "the box was being filled";
    EXPECT_FALSE(main->wordWrapAction->isChecked());

    bool wrapOn = true;
    CallbackHooks hooks;
    hooks.onWordWrap = [&] { return wrapOn; };
    hooks.onProgress = [&](std::int64_t, std::int64_t value) { wrapOn = wrapOn && value < changeAt; };
    LineSettings settings = start;
    const PassResult expected = runLineBreakPassWith(text, settings, hooks);
    EXPECT_EQ(out().outputBox->text(), expected.text);
    EXPECT_NE(expected.text, runLineBreakPass(text, start, true).text);
}

TEST_F(ProcessRunTest, TheMainWindowAnswersDuringARunAndCancelEndsAPausedOne)
{
    const std::string text = wordText(3'000'000);
    main->editor->setText(text);
    ProcessRun& run = *form->findChild<ProcessRun*>();
    bool paused = false;
    QObject::connect(&run, &ProcessRun::passPaused, form.get(), [&](std::int64_t) { paused = true; });
    run.pausePassAt(1'000'000);
    QTest::mouseClick(main->processButton, Qt::LeftButton);
    EXPECT_TRUE(run.isRunning()) << "the click returns with the run going on";

    // A click on the main window is answered while the run goes on.
    const double fontBefore = main->editor->fontSize();
    QTest::mouseClick(main->largerTextButton, Qt::LeftButton);
    EXPECT_GT(main->editor->fontSize(), fontBefore);
    EXPECT_TRUE(run.isRunning());

    // Held at a character, the pass still takes a cancel at once.
    ASSERT_TRUE(QTest::qWaitFor([&] { return paused; }, 60'000));
    EXPECT_TRUE(run.isRunning());
    QTest::mouseClick(out().cancelButton, Qt::LeftButton);
    ASSERT_TRUE(testing::waitForRunEnd(*form, 10'000));
    EXPECT_FALSE(output().isVisible());
    EXPECT_LT(out().outputBox->text().size(), reference(text).text.size()) << "stopped part way";

    // Closing the program while a pass is held ends it too.
    paused = false;
    run.pausePassAt(10'000);
    QTest::mouseClick(main->processButton, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return paused; }, 60'000));
    form.reset();
    SUCCEED() << "the held pass ended with its window";
}

TEST_F(ProcessRunTest, RefusedLimitsEndTheRunLikeACancel)
{
    main->editor->setText("Enter Text Here");
    const LineSettings before = state.settings;

    // A custom value that 16 bits cannot hold.
    main->presetCombo->setCurrentIndex(4);
    main->customSizeEdit->setText("40000");
    process();
    OutputWindow& window = output();
    ASSERT_EQ(warnings().size(), 1u);
    EXPECT_EQ(messages->shown[0].title, applicationTitle());
    EXPECT_EQ(messages->shown[0].icon, MessageBoxes::Icon::Warning);
    EXPECT_TRUE(warnings()[0].contains("40000")) << warnings()[0].toStdString();
    EXPECT_EQ(state.settings.lineLimit, before.lineLimit);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), "Processed Text");
    EXPECT_EQ(form->focusWidget(), main->editor);
    EXPECT_TRUE(out().sizeLabel->text().isEmpty()) << "no pass ran";

    // A limit that admits no character: 0 characters per line.
    main->customSizeEdit->setText("0");
    process();
    ASSERT_EQ(warnings().size(), 2u);
    EXPECT_TRUE(warnings()[1].contains("0"));
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(out().sizeLabel->text().isEmpty());

    // Pixels narrower than a letter of the text.
    main->presetCombo->setCurrentIndex(5);
    main->customSizeEdit->setText("3");
    process();
    ASSERT_EQ(warnings().size(), 3u);
    EXPECT_FALSE(window.isVisible());

    // A sound custom value runs.
    main->customSizeEdit->setText(" 2 4 ");
    process();
    EXPECT_EQ(warnings().size(), 3u);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(&output(), &window) << "the window is made once and reused";
    EXPECT_TRUE(state.settings.measureInPixels);
    EXPECT_EQ(state.settings.lineLimit, 24);
    EXPECT_EQ(out().outputBox->text(), runLineBreakPass("Enter Text Here", state.settings, true).text);
    EXPECT_EQ(mainMessages(), 0u);
}

// Message boxes that also look at the windows while a message is shown.
class WatchingMessageBoxes : public testing::RecordedMessageBoxes {
public:
    void show(QWidget* parent, Icon icon, const QString& title, const QString& text) override
    {
        RecordedMessageBoxes::show(parent, icon, title, text);
        if (onShow)
            onShow();
    }
    std::function<void()> onShow;
};

TEST_F(ProcessRunTest, ARefusedLimitIsToldAfterTheProcessingStateIsGone)
{
    auto boxes = std::make_shared<WatchingMessageBoxes>();
    std::vector<WindowSnapshot> atMessage;
    boxes->onShow = [&] { atMessage.push_back(snapshot(output())); };
    form->setMessageBoxes(boxes);

    // Before the pass: the custom pixel size is narrower than "m".
    main->editor->setText("mm mm");
    main->presetCombo->setCurrentIndex(5);
    main->customSizeEdit->setText("5");
    process();
    ASSERT_EQ(boxes->shown.size(), 1u);
    EXPECT_EQ(boxes->shown[0].icon, MessageBoxes::Icon::Warning);
    EXPECT_EQ(boxes->shown[0].title, applicationTitle());
    EXPECT_EQ(boxes->shown[0].parent, form.get()) << "the output window is gone";
    EXPECT_EQ(boxes->shown[0].text, "Line length 5 pixels is too short for character \"m\" (code 109, 6 pixels wide)");
    ASSERT_EQ(atMessage.size(), 1u);
    EXPECT_FALSE(atMessage[0].visible);
    EXPECT_NE(atMessage[0].title, "Processing...");
    EXPECT_FALSE(atMessage[0].progressVisible);
    EXPECT_TRUE(keyboardInEditor());
}

}  // namespace
}  // namespace tessaline
