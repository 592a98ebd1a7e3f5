// Open Text and the saves of long texts run on a worker thread: the window
// shows their progress with a Cancel, and a cancelled open leaves the
// editor's text as it was at any stage.
#include <gtest/gtest.h>

#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include <memory>
#include <string>

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

class BackgroundFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        window = std::make_unique<MainWindow>(state);
        window->setFileDialogs(files);
        window->setMessageBoxes(messages);
        window->show();
        ui = std::make_unique<testing::MainWindowParts>(*window);
        progress = testing::part<QProgressBar>(*window->centralWidget(), "FileProgress");
        cancel = testing::part<QPushButton>(*window->centralWidget(), "FileCancel");
        ASSERT_NE(progress, nullptr);
        ASSERT_NE(cancel, nullptr);
    }

    QString write(const QString& name, const std::string& bytes)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path;
    }
    std::string fileText(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return "<unreadable>";
        const QByteArray bytes = file.readAll();
        return decodeTextFile(std::string_view(bytes.constData(), std::size_t(bytes.size()))).codes;
    }
    void startOpen(const QString& path)
    {
        files->openAnswers.push_back(path);
        ui->openAction->trigger();
    }
    // Whether the window shows a file at work: the bar and Cancel over the
    // editor, the controls that change the text waiting.
    void expectWorking(bool working)
    {
        EXPECT_EQ(progress->isVisible(), working);
        EXPECT_EQ(cancel->isVisible(), working);
        EXPECT_EQ(ui->editor->isReadOnly(), working);
        EXPECT_EQ(ui->openAction->isEnabled(), !working);
        EXPECT_EQ(ui->saveAction->isEnabled(), !working);
        EXPECT_EQ(ui->processButton->isEnabled(), !working);
        EXPECT_EQ(ui->chapterButton->isEnabled(), !working);
        EXPECT_EQ(ui->paletteButtons[5]->isEnabled(), !working);
    }

    QTemporaryDir dir;
    AppState state;
    std::shared_ptr<testing::AnsweredFileDialogs> files = std::make_shared<testing::AnsweredFileDialogs>();
    std::shared_ptr<testing::RecordedMessageBoxes> messages = std::make_shared<testing::RecordedMessageBoxes>();
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<testing::MainWindowParts> ui;
    QProgressBar* progress = nullptr;
    QPushButton* cancel = nullptr;
};

// Paragraphs of words, `megabytes` long.
std::string longText(std::size_t megabytes) { return wordText(megabytes << 20); }

TEST_F(BackgroundFilesTest, AnOpenShowsItsProgressAndTheWindowAnswersMeanwhile)
{
    const std::string text = longText(4);
    const QString path = write(QStringLiteral("long.txt"), text);
    QSignalSpy finished(window.get(), &MainWindow::openFinished);
    QSignalSpy values(progress, &QProgressBar::valueChanged);
    startOpen(path);
    // The click returns at once, with the file still being read.
    EXPECT_EQ(finished.count(), 0);
    expectWorking(true);
    EXPECT_EQ(ui->editor->text(), "Enter Text Here");
    // Other controls answer while it reads.
    ui->bigButtonsCheck->click();
    EXPECT_TRUE(ui->bigButtonsCheck->isChecked());

    ASSERT_TRUE(finished.wait(60'000));
    expectWorking(false);
    EXPECT_EQ(ui->editor->text(), text);
    EXPECT_FALSE(ui->editor->document()->isModified());
    EXPECT_TRUE(messages->shown.empty());
    // The bar only went forward, to its end.
    int last = 0;
    for (const QList<QVariant>& value : values) {
        EXPECT_GE(value[0].toInt(), last);
        last = value[0].toInt();
    }
    EXPECT_EQ(last, 100);
    // The text opened is one edit away from undo: none of the fill's parts
    // are on the undo stack.
    EXPECT_FALSE(ui->editor->document()->isUndoAvailable());
    ui->editor->setSelStart(text.size());
    QTest::keyClick(ui->editor, 'x');
    EXPECT_EQ(ui->editor->text(), text + "x");
    ui->editor->undo();
    EXPECT_EQ(ui->editor->text(), text);
}

TEST_F(BackgroundFilesTest, ACancelledOpenLeavesTheTextAsItWasAtAnyStage)
{
    const std::string before = "my own text\r\n_PIC mine";
    ui->editor->setText(before);
    ui->editor->document()->setModified(true);
    const QString path = write(QStringLiteral("long.txt"), longText(8));
    QSignalSpy finished(window.get(), &MainWindow::openFinished);

    // While the file is read.
    startOpen(path);
    cancel->click();
    ASSERT_TRUE(finished.wait(60'000));
    EXPECT_EQ(ui->editor->text(), before);
    EXPECT_TRUE(ui->editor->document()->isModified());
    expectWorking(false);

    // While the editor is being filled.
    startOpen(path);
    QTRY_VERIFY_WITH_TIMEOUT(ui->editor->isFilling(), 60'000);
    cancel->click();
    EXPECT_FALSE(cancel->isEnabled()) << "the text that was is on its way back";
    if (finished.count() < 2) {
        ASSERT_TRUE(finished.wait(60'000));
    }
    EXPECT_EQ(ui->editor->text(), before);
    EXPECT_TRUE(ui->editor->document()->isModified());
    EXPECT_FALSE(ui->editor->isFilling());
    expectWorking(false);
    EXPECT_TRUE(cancel->isEnabled());
    EXPECT_TRUE(messages->shown.empty()) << "a cancel is no failure";
}

TEST_F(BackgroundFilesTest, ALongTextIsSavedOnTheWorkerAndACancelWritesNothing)
{
    const std::string text = longText(2);
    ASSERT_GE(text.size(), MainWindow::kBackgroundSaveBytes);
    ui->editor->setText(text);
    ui->editor->document()->setModified(true);
    QSignalSpy finished(window.get(), &MainWindow::saveFinished);

    const QString cancelled = dir.filePath(QStringLiteral("cancelled.txt"));
    files->saveAnswers = {cancelled};
    ui->saveAction->trigger();
    expectWorking(true);
    cancel->click();
    ASSERT_TRUE(finished.wait(60'000));
    expectWorking(false);
    EXPECT_FALSE(QFile::exists(cancelled));
    EXPECT_TRUE(ui->editor->document()->isModified());
    EXPECT_TRUE(messages->shown.empty());

    const QString saved = dir.filePath(QStringLiteral("saved.txt"));
    files->saveAnswers = {saved};
    ui->saveAction->trigger();
    ASSERT_TRUE(finished.wait(60'000));
    EXPECT_EQ(fileText(saved), text);
    EXPECT_FALSE(ui->editor->document()->isModified());

    // A save that fails says so and keeps the text's changes.
    ui->editor->document()->setModified(true);
    files->saveAnswers = {dir.filePath(QStringLiteral("missing/folder.txt"))};
    ui->saveAction->trigger();
    ASSERT_TRUE(finished.wait(60'000));
    ASSERT_EQ(messages->shown.size(), 1u);
    EXPECT_TRUE(messages->shown[0].text.contains(QStringLiteral("missing"))) << messages->shown[0].text.toStdString();
    EXPECT_TRUE(ui->editor->document()->isModified());
}

}  // namespace
}  // namespace tessaline
