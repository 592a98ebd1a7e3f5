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
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/line_break_pass.h"
#include "engine/line_break_pass_core.h"
#include "engine/line_settings.h"
#include "ui/app_state.h"
#include "ui/main/form1.h"
#include "ui/main/rich_text_box.h"
#include "ui/output/form2.h"
#include "ui/output/module1.h"
#include "ui/twips.h"
#include "tests/support/callback_hooks.h"
#include "tests/support/word_text.h"

namespace tessaline {
namespace {

// What the window shows, captured at one moment.
struct WindowSnapshot {
    bool visible = false;
    QString title;
    bool text2Visible = false;
    bool labelsVisible = false;   // any of the four labels
    bool progressVisible = false;
    bool cancelVisible = false;
    bool fileMenuVisible = false;
};

WindowSnapshot snapshot(Form2& window)
{
    WindowSnapshot s;
    s.visible = window.isVisible();
    s.title = window.windowTitle();
    s.text2Visible = window.text2->isVisible();
    s.labelsVisible = window.Label1->isVisible() || window.Label2->isVisible() || window.Label3->isVisible()
                      || window.Label4->isVisible();
    s.progressVisible = window.ProgressBar1->isVisible();
    s.cancelVisible = window.Command1->isVisible();
    s.fileMenuVisible = window.file->menuAction()->isVisible();
    return s;
}

class ProcessRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<Form1>(state);
        form->show();
        form->setMessageSink([this](const QString&, const QString& text) { mainMessages.push_back(text); });
    }
    void TearDown() override
    {
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The output window, created if needed, with its warnings captured.
    Form2& output()
    {
        Form2* window = form->ensureOutputWindow();
        window->messageSink = [this](QWidget*, const QString& title, const QString& text) {
            warnings.push_back(text);
            warningTitles.push_back(title);
        };
        return *window;
    }

    void process() { QTest::mouseClick(form->Command1, Qt::LeftButton); }

    // Whether the keyboard goes to the editor: its window is the active one
    // and the editor has the focus in it (not only its window's focus widget).
    bool keyboardInEditor()
    {
        return QTest::qWaitFor([this] { return QApplication::focusWidget() == form->Text1; }, 1000)
               && QApplication::activeWindow() == form.get();
    }

    // The pass on its own, with the settings the run starts from.
    PassResult reference(const std::string& text) { return runLineBreakPass(text, state.settings, form->wrap->isChecked()); }

    AppState state;
    std::unique_ptr<Form1> form;
    std::vector<QString> warnings;
    std::vector<QString> warningTitles;
    std::vector<QString> mainMessages;
};

TEST_F(ProcessRunTest, WindowIsBuiltAsDesigned)
{
    Form2& window = output();
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
        {window.Label1, "Label1", twipsRect(2010, 0, 735, 255), false},
        {window.Label2, "Label2", twipsRect(2655, 0, 1245, 255), false},
        {window.Label4, "Label4", twipsRect(4320, 0, 855, 255), true},
        {window.Label3, "Label3", twipsRect(5280, 0, 975, 255), true},
        {window.text2, "text2", twipsRect(0, 360, 8415, 2655), false},
        {window.ProgressBar1, "ProgressBar1", twipsRect(0, 1440, 8415, 255), true},
        {window.Command1, "Command1", twipsRect(3608, 1680, 1215, 255), true},
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
            if (c.control == window.Label4)
                EXPECT_EQ(actual.right(), c.twips.right()) << c.name;
            else
                EXPECT_EQ(actual.left(), c.twips.left()) << c.name;
        } else {
            EXPECT_EQ(actual, c.twips) << c.name;
        }
        EXPECT_EQ(c.control->isVisibleTo(&window), c.visible) << c.name;
    }
    EXPECT_EQ(window.Label1->text(), "File Size");
    EXPECT_EQ(window.Label3->text(), "Modifications");
    EXPECT_TRUE(window.Label2->text().isEmpty());
    EXPECT_TRUE(window.Label4->text().isEmpty());
    EXPECT_EQ(window.Command1->text(), "Cancel");
    EXPECT_EQ(window.ProgressBar1->minimum(), 0);
    EXPECT_EQ(window.ProgressBar1->maximum(), 100);
    EXPECT_EQ(window.text2->font().family(), "Ti92Pluspc");
    EXPECT_DOUBLE_EQ(window.text2->fontSize(), 9.0);
    EXPECT_FALSE(window.text2->font().bold());

    ASSERT_NE(window.file, nullptr);
    EXPECT_EQ(window.file->objectName(), "file");
    EXPECT_EQ(window.file->title(), "&File");
    const QList<QAction*> items = window.file->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0], window.save);
    EXPECT_EQ(items[1], window.copy);
    EXPECT_EQ(window.save->text(), "&Save Processed Text");
    EXPECT_EQ(window.copy->text(), "&Copy Text to Clipboard");
    EXPECT_EQ(window.save->objectName(), "save");
    EXPECT_EQ(window.copy->objectName(), "copy");
    EXPECT_TRUE(window.save->shortcut().isEmpty());
    EXPECT_TRUE(window.copy->shortcut().isEmpty());

    // Created once, then reused.
    EXPECT_EQ(form->ensureOutputWindow(), &window);
    EXPECT_EQ(form->outputWindow(), &window);
}

TEST_F(ProcessRunTest, ShortRunPassesThroughProcessingIntoDone)
{
    Form2& window = output();
    form->Text1->setText("Enter Text Here");
    form->Text1->setFontSize(14);
    std::optional<WindowSnapshot> during;
    window.onProcessCharacter = [&](std::int64_t charPos) {
        if (charPos == 1)
            during = snapshot(window);
    };
    process();

    ASSERT_TRUE(during.has_value());
    EXPECT_TRUE(during->visible);
    EXPECT_EQ(during->title, "Processing...");
    EXPECT_FALSE(during->text2Visible);
    EXPECT_FALSE(during->labelsVisible);
    EXPECT_TRUE(during->progressVisible);
    EXPECT_TRUE(during->cancelVisible);
    EXPECT_FALSE(during->fileMenuVisible);

    const WindowSnapshot done = snapshot(window);
    EXPECT_TRUE(done.visible);
    EXPECT_EQ(done.title, "Processed Text");
    EXPECT_TRUE(done.text2Visible);
    EXPECT_TRUE(window.Label1->isVisible() && window.Label2->isVisible() && window.Label3->isVisible()
                && window.Label4->isVisible());
    EXPECT_FALSE(done.progressVisible);
    EXPECT_FALSE(done.cancelVisible);
    EXPECT_TRUE(done.fileMenuVisible);

    EXPECT_EQ(window.text2->text(), "Enter Text Here\r\n");
    EXPECT_EQ(window.Label2->text(), "17 characters");
    EXPECT_EQ(window.Label4->text(), "1");
    for (QLabel* label : {window.Label1, window.Label2, window.Label3, window.Label4})
        EXPECT_GE(label->width(), label->sizeHint().width()) << "caption cut: " << label->text().toStdString();
    EXPECT_LE(window.Label1->geometry().right(),
              window.Label2->x() + window.Label2->indent())
        << "the size does not run into \"File Size\"";
    EXPECT_EQ(window.text2->selStart(), 0u);
    EXPECT_EQ(window.text2->selLength(), 0u);
    EXPECT_DOUBLE_EQ(window.text2->fontSize(), 14.0) << "the output follows the editor's font size";
    EXPECT_FALSE(state.CancelRequested);
    EXPECT_TRUE(warnings.empty());

    // A one-character text is left as it is.
    window.onProcessCharacter = nullptr;
    form->Text1->setText("A");
    process();
    EXPECT_EQ(window.text2->text(), "A");
    EXPECT_EQ(window.Label2->text(), "1 characters");
    EXPECT_EQ(window.Label4->text(), "0");
    EXPECT_EQ(form->outputWindow(), &window) << "the Done window is reused";
}

TEST_F(ProcessRunTest, EveryRunShowsTheWindowInFrontAndLeavesTheFocusThere)
{
    Form2& window = output();
    form->Text1->setText("Enter Text Here");
    process();
    ASSERT_TRUE(window.isVisible());

    // The Done window stays open while the user goes back to the editor.
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->Text1->setFocus();
    form->Text1->setText("Another text");
    QMetaObject::invokeMethod(form->Command1, "click");   // a click that takes no focus
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }, 1000))
        << "showing the open window brings it forward, as the first run did";
    EXPECT_EQ(window.text2->text(), "Another text\r\n");
    EXPECT_EQ(form->focusWidget(), form->Text1) << "the completed run moved no focus in the main window";
}

TEST_F(ProcessRunTest, LabelsAndProgressFollowTheText)
{
    Form2& window = output();
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const std::string text = wordText(5000);
    form->Text1->setText(text);
    const PassResult expected = reference(text);
    process();
    EXPECT_EQ(window.text2->text(), expected.text);
    EXPECT_EQ(window.Label2->text(), QLocale().toString(qint64(expected.text.size())) + " characters");
    EXPECT_TRUE(window.Label2->text().contains(',')) << window.Label2->text().toStdString();
    EXPECT_EQ(window.Label4->text(), QString::number(expected.modificationCount));
    EXPECT_EQ(window.ProgressBar1->value(), window.ProgressBar1->maximum()) << "the last character is shown done";

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    process();
    EXPECT_EQ(window.Label2->text(),
              QString::number(expected.text.size() / 1000) + "." +
                  QString::number(expected.text.size() % 1000).rightJustified(3, '0') + " characters");

    // An empty text: empty output, Done state, labels and progress untouched.
    window.ProgressBar1->setMaximum(77);
    window.ProgressBar1->setValue(33);
    const QString sizeBefore = window.Label2->text();
    const QString countBefore = window.Label4->text();
    form->Text1->setText("");
    process();
    QLocale::setDefault(saved);
    EXPECT_EQ(window.text2->text(), "");
    EXPECT_EQ(window.Label2->text(), sizeBefore);
    EXPECT_EQ(window.Label4->text(), countBefore);
    EXPECT_EQ(window.ProgressBar1->maximum(), 77);
    EXPECT_EQ(window.ProgressBar1->value(), 33);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.text2->isVisible());
    EXPECT_EQ(window.windowTitle(), "Processed Text");
}

TEST_F(ProcessRunTest, CancelHidesTheWindowAndTheNextRunStartsAfresh)
{
    Form2& window = output();
    const std::string text = wordText(3'000'000);
    form->Text1->setText(text);
    const PassResult complete = reference(text);
    bool clicked = false;
    window.onProcessCharacter = [&](std::int64_t charPos) {
        if (charPos == 1000 && !clicked) {
            clicked = true;
            QTimer::singleShot(0, &window, [&] { QTest::mouseClick(window.Command1, Qt::LeftButton); });
            QThread::msleep(15);   // the next clock check turns the event loop
        }
    };
    process();
    ASSERT_TRUE(clicked);
    EXPECT_TRUE(state.CancelRequested) << "stays set until the next run";
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), "Processed Text");
    EXPECT_FALSE(window.text2->isVisible());
    EXPECT_TRUE(window.ProgressBar1->isVisibleTo(&window));
    EXPECT_TRUE(window.Command1->isVisibleTo(&window));
    EXPECT_EQ(form->focusWidget(), form->Text1);
    EXPECT_TRUE(keyboardInEditor()) << "typing after a cancel goes into the editor";
    // Half processed: shorter than the whole result, labels count what was done.
    const std::string partial = window.text2->text();
    EXPECT_LT(partial.size(), complete.text.size());
    EXPECT_EQ(window.Label2->text(), QLocale().toString(qint64(partial.size())) + " characters");
    EXPECT_LT(window.Label4->text().remove(QLocale().groupSeparator()).toLongLong(), complete.modificationCount);

    // The next run clears the flag and runs to its end.
    window.onProcessCharacter = nullptr;
    form->Text1->setText("Enter Text Here");
    process();
    EXPECT_FALSE(state.CancelRequested);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.text2->text(), "Enter Text Here\r\n");
    EXPECT_EQ(window.Label2->text(), "17 characters");
}

TEST_F(ProcessRunTest, ClosingTheWindowDuringARunCancelsIt)
{
    QPointer<Form2> window(&output());
    form->Text1->setText(wordText(3'000'000));
    bool closed = false;
    window->onProcessCharacter = [&](std::int64_t charPos) {
        if (charPos == 1000 && !closed) {
            closed = true;
            QTimer::singleShot(0, form.get(), [&] {
                if (window)
                    window->close();
            });
            QThread::msleep(15);
        }
    };
    process();
    ASSERT_TRUE(closed);
    EXPECT_TRUE(state.CancelRequested);
    EXPECT_EQ(form->focusWidget(), form->Text1);
    EXPECT_TRUE(keyboardInEditor());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull()) << "a closed window is destroyed";
    EXPECT_EQ(form->outputWindow(), nullptr);

    // The next PROCESS builds the window afresh and completes.
    Form2& fresh = output();
    std::optional<WindowSnapshot> during;
    fresh.onProcessCharacter = [&](std::int64_t charPos) {
        if (charPos == 1)
            during = snapshot(fresh);
    };
    form->Text1->setText("Enter Text Here");
    process();
    ASSERT_TRUE(during.has_value());
    EXPECT_EQ(during->title, "Processing...");
    EXPECT_TRUE(during->progressVisible);
    EXPECT_FALSE(during->text2Visible);
    EXPECT_TRUE(fresh.isVisible());
    EXPECT_EQ(fresh.text2->text(), "Enter Text Here\r\n");
    EXPECT_EQ(fresh.Label2->text(), "17 characters");
}

TEST_F(ProcessRunTest, ClosingAfterARunReturnsFocusAndTheNextRunReopens)
{
    QPointer<Form2> window(&output());
    form->Text1->setText("Enter Text Here");
    process();
    ASSERT_TRUE(window && window->isVisible());
    form->Command1->setFocus();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.data()));
    window->close();
    EXPECT_EQ(form->focusWidget(), form->Text1);
    EXPECT_TRUE(keyboardInEditor()) << "typing after the close goes into the editor";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());

    // Closed but not yet destroyed (no event loop turn in between): still a new window.
    Form2& second = output();
    process();
    second.close();
    Form2& third = output();
    EXPECT_NE(&third, &second);
    std::optional<WindowSnapshot> during;
    third.onProcessCharacter = [&](std::int64_t charPos) {
        if (charPos == 1)
            during = snapshot(third);
    };
    process();
    ASSERT_TRUE(during.has_value());
    EXPECT_TRUE(during->visible);
    EXPECT_EQ(during->title, "Processing...");
    EXPECT_TRUE(third.isVisible());
    EXPECT_EQ(third.Label2->text(), "17 characters");
}

TEST_F(ProcessRunTest, ProcessDuringARunStartsNothing)
{
    Form2& window = output();
    const std::string text = wordText(3'000'000);
    form->Text1->setText(text);
    const PassResult expected = reference(text);
    bool clicked = false;
    std::int64_t lastPos = 0;
    std::int64_t restarts = 0;
    window.onProcessCharacter = [&](std::int64_t charPos) {
        if (charPos == 1 && lastPos != 0)
            ++restarts;
        lastPos = charPos;
        if (charPos == 1000 && !clicked) {
            clicked = true;
            QTimer::singleShot(0, form.get(), [&] {
                form->Text1->setText("changed meanwhile");
                QTest::mouseClick(form->Command1, Qt::LeftButton);
            });
            QThread::msleep(15);
        }
    };
    process();
    ASSERT_TRUE(clicked);
    EXPECT_EQ(restarts, 0) << "no second run started inside the first";
    EXPECT_EQ(window.text2->text(), expected.text) << "the first run went on over its own copy";
    EXPECT_EQ(window.Label4->text().remove(QLocale().groupSeparator()).toLongLong(), expected.modificationCount);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), "Processed Text");

    // Once the run is over, PROCESS runs again.
    window.onProcessCharacter = nullptr;
    process();
    EXPECT_EQ(window.text2->text(), "changed meanwhile\r\n");
}

TEST_F(ProcessRunTest, PresetAndWordWrapChangedMidRunApplyFromThatCharacter)
{
    Form2& window = output();
    const std::string text = wordText(60'000);
    form->Text1->setText(text);
    ASSERT_TRUE(form->wrap->isChecked());
    constexpr std::int64_t kPresetAt = 15'000;
    constexpr std::int64_t kWrapAt = 40'000;

    bool presetDone = false;
    bool wrapDone = false;
    bool wrapAfterToggle = true;
    LineSettings settingsAfterPreset;
    window.onProcessCharacter = [&](std::int64_t charPos) {
        if (charPos >= kPresetAt && !presetDone) {
            presetDone = true;
            form->Combo1->setCurrentIndex(3);   // Text Editor on TI92+ (37chars)
            settingsAfterPreset = state.settings;
        }
        if (charPos >= kWrapAt && !wrapDone) {
            wrapDone = true;
            form->wrap->trigger();
            wrapAfterToggle = form->wrap->isChecked();
        }
    };
    const LineSettings start = state.settings;
    process();
    ASSERT_TRUE(presetDone && wrapDone);
    EXPECT_FALSE(settingsAfterPreset.MeasureInPixels);
    EXPECT_EQ(settingsAfterPreset.LineLimit, 37);
    EXPECT_FALSE(wrapAfterToggle);

    // The literal pass with the same changes at the same characters.
    LineSettings settings = start;
    bool wrapOn = true;
    bool refPreset = false;
    bool refWrap = false;
    CallbackHooks hooks;
    hooks.onWordWrap = [&] { return wrapOn; };
    hooks.onProgress = [&](std::int64_t, std::int64_t charPos) {
        if (charPos >= kPresetAt && !refPreset) {
            refPreset = true;
            applyPreset(3, settings);
        }
        if (charPos >= kWrapAt && !refWrap) {
            refWrap = true;
            wrapOn = false;
        }
    };
    const PassResult expected = runLineBreakPassWith(text, settings, hooks);
    EXPECT_EQ(window.text2->text(), expected.text);
    EXPECT_EQ(window.Label4->text().remove(QLocale().groupSeparator()).toLongLong(), expected.modificationCount);

    // And it differs from a run without the changes, so the changes were seen.
    EXPECT_NE(expected.text, runLineBreakPass(text, start, true).text);
    EXPECT_NE(expected.text, runLineBreakPass(text, settingsAfterPreset, true).text);
}

TEST_F(ProcessRunTest, RefusedLimitsEndTheRunLikeACancel)
{
    Form2& window = output();
    form->Text1->setText("Enter Text Here");
    const LineSettings before = state.settings;

    // A custom value that 16 bits cannot hold.
    form->Combo1->setCurrentIndex(4);
    form->Text2->setText("40000");
    process();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warningTitles[0], applicationTitle());
    EXPECT_TRUE(warnings[0].contains("40000")) << warnings[0].toStdString();
    EXPECT_EQ(state.settings.LineLimit, before.LineLimit);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), "Processed Text");
    EXPECT_EQ(form->focusWidget(), form->Text1);
    EXPECT_TRUE(window.Label2->text().isEmpty()) << "no pass ran";

    // A limit that admits no character: 0 characters per line.
    form->Text2->setText("0");
    process();
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_TRUE(warnings[1].contains("0"));
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(window.Label2->text().isEmpty());

    // Pixels narrower than a letter of the text.
    form->Combo1->setCurrentIndex(5);
    form->Text2->setText("3");
    process();
    ASSERT_EQ(warnings.size(), 3u);
    EXPECT_FALSE(window.isVisible());

    // A sound custom value runs.
    form->Text2->setText(" 2 4 ");
    process();
    EXPECT_EQ(warnings.size(), 3u);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(state.settings.MeasureInPixels);
    EXPECT_EQ(state.settings.LineLimit, 24);
    EXPECT_EQ(window.text2->text(), runLineBreakPass("Enter Text Here", state.settings, true).text);
    EXPECT_TRUE(mainMessages.empty());
}

}  // namespace
}  // namespace tessaline
