// Closing the main window or choosing Quit with a text not saved: the user is
// asked to save it first, and can take the close back; the title shows when
// there are changes to save. An open or a save still running goes first.
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

#include "formats/text_file.h"
#include "tests/support/word_text.h"
#include "tests/ui/answered_file_dialogs.h"
#include "tests/ui/recorded_message_boxes.h"
#include "tests/ui/window_parts.h"
#include "ui/app_state.h"
#include "ui/editor/calculator_text_edit.h"
#include "ui/main/main_window.h"

namespace tessaline {
namespace {

using SaveAnswer = MessageBoxes::SaveAnswer;

class ClosingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        window = std::make_unique<MainWindow>(state);
        window->setFileDialogs(files);
        window->setMessageBoxes(messages);
        window->show();
        ui = std::make_unique<testing::MainWindowParts>(*window);
    }

    void type(const char* text)
    {
        ui->editor->setFocus();
        QTest::keyClicks(ui->editor, QString::fromLatin1(text));
    }
    // Replaces the starting text by typing.
    void typeAfresh(const char* text)
    {
        ui->editor->selectAll();
        type(text);
    }

    // Closes the window as its close button does, with the event loop
    // running as in the program; true when the program was told to end
    // within `waitMs`.
    bool closeWindow(bool byQuit = false, int waitMs = 500)
    {
        bool ended = false;
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(7); });
        guard.start(waitMs);
        QTimer::singleShot(0, window.get(), [this, byQuit] {
            if (byQuit)
                ui->quitAction->trigger();
            else
                window->close();
        });
        ended = QApplication::exec() == 0;
        return ended;
    }

    std::string fileText(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QByteArray bytes = file.readAll();
        return decodeTextFile(std::string_view(bytes.constData(), std::size_t(bytes.size()))).codes;
    }

    QTemporaryDir dir;
    AppState state;
    std::shared_ptr<testing::AnsweredFileDialogs> files = std::make_shared<testing::AnsweredFileDialogs>();
    std::shared_ptr<testing::RecordedMessageBoxes> messages = std::make_shared<testing::RecordedMessageBoxes>();
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<testing::MainWindowParts> ui;
};

TEST_F(ClosingTest, AnUntouchedTextEndsWithoutAQuestion)
{
    EXPECT_FALSE(window->isWindowModified());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tessaline[*]"));
    EXPECT_TRUE(closeWindow());
    EXPECT_TRUE(messages->asked.empty());
    EXPECT_FALSE(window->isVisible());
}

TEST_F(ClosingTest, CancelKeepsTheWindowAndItsText)
{
    typeAfresh("Chapter one");
    EXPECT_TRUE(window->isWindowModified());
    for (bool byQuit : {false, true}) {
        messages->saveAnswers = {SaveAnswer::Cancel};
        EXPECT_FALSE(closeWindow(byQuit));
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(ui->editor->text(), "Chapter one");
    }
    ASSERT_EQ(messages->asked.size(), 2u);
    EXPECT_EQ(messages->asked[0].text, QStringLiteral("Save changes to the text?"));
    EXPECT_EQ(messages->asked[0].parent, window.get());
}

TEST_F(ClosingTest, SaveWritesTheTextFirstAndACancelledOrFailedSaveKeepsTheWindow)
{
    typeAfresh("Chapter two");
    // The save dialog cancelled: nothing written, the window stays.
    messages->saveAnswers = {SaveAnswer::Save};
    EXPECT_FALSE(closeWindow());
    EXPECT_TRUE(window->isVisible());
    // A save that fails (the folder does not exist): the window stays.
    messages->saveAnswers = {SaveAnswer::Save};
    files->saveAnswers = {dir.filePath("missing/story.txt")};
    EXPECT_FALSE(closeWindow());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isWindowModified());
    // Saved: the program ends and the file holds the text.
    messages->saveAnswers = {SaveAnswer::Save};
    files->saveAnswers = {dir.filePath("story.txt")};
    EXPECT_TRUE(closeWindow(true));
    EXPECT_EQ(fileText(dir.filePath("story.txt")), "Chapter two");
}

TEST_F(ClosingTest, DiscardEndsWithoutSavingAndASavedTextAsksNothing)
{
    typeAfresh("draft");
    files->saveAnswers = {dir.filePath("draft.txt")};
    ui->saveAction->trigger();
    EXPECT_FALSE(window->isWindowModified());
    type(" more");
    EXPECT_TRUE(window->isWindowModified());
    messages->saveAnswers = {SaveAnswer::Discard};
    EXPECT_TRUE(closeWindow());
    EXPECT_EQ(messages->asked.size(), 1u);
    EXPECT_EQ(fileText(dir.filePath("draft.txt")), "draft");
}

TEST_F(ClosingTest, ClosingDuringAnOpenCancelsItThenAsksAsEver)
{
    ui->editor->setText("unsaved");
    ui->editor->document()->setModified(true);
    const QString path = dir.filePath(QStringLiteral("long.txt"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(wordText(8 << 20).c_str()));
    }
    // The window is asked to close while the file is being opened.
    files->openAnswers = {path};
    ui->openAction->trigger();
    messages->saveAnswers = {SaveAnswer::Discard};
    EXPECT_TRUE(closeWindow(false, 60'000));
    ASSERT_EQ(messages->asked.size(), 1u);
    EXPECT_EQ(messages->asked[0].text, QStringLiteral("Save changes to the text?"));
    EXPECT_EQ(ui->editor->text(), "unsaved");
}

TEST_F(ClosingTest, SavingALongTextOnClosingEndsTheProgramOnceSaved)
{
    const std::string text = wordText(2 << 20);
    ui->editor->setText(text);
    ui->editor->document()->setModified(true);
    messages->saveAnswers = {SaveAnswer::Save};
    const QString path = dir.filePath(QStringLiteral("story.txt"));
    files->saveAnswers = {path};
    EXPECT_TRUE(closeWindow(false, 60'000));
    EXPECT_EQ(fileText(path), text);
    EXPECT_EQ(messages->asked.size(), 1u);
}

}  // namespace
}  // namespace tessaline
