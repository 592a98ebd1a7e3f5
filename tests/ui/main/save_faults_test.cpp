// Save Text when the disk or the chosen name works against it: a write that
// fails part-way (a full disk, here a file-size limit), a pipe, a symbolic
// link. Nothing the user had on the disk is lost, and the message says why.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

#include "formats/rtf.h"
#include "tests/ui/answered_file_dialogs.h"
#include "tests/ui/file_size_limit.h"
#include "tests/ui/recorded_message_boxes.h"
#include "tests/ui/window_parts.h"
#include "ui/app_state.h"
#include "ui/document/safe_save.h"
#include "ui/main/main_window.h"

namespace tessaline {
namespace {

std::string readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void writeFile(const QString& path, const std::string& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes.data(), static_cast<qint64>(bytes.size())), static_cast<qint64>(bytes.size()));
}

// Words on CR LF lines, `size` codes in all.
std::string textOfSize(std::size_t size)
{
    std::string text;
    while (text.size() < size)
        text +=
            (text.size() % 64 == 62) ? std::string("\r\n") : std::string(1, static_cast<char>('a' + text.size() % 26));
    text.resize(size);
    return text;
}

class SaveFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        window = std::make_unique<MainWindow>(state);
        window->setFileDialogs(dialogs);
        window->setMessageBoxes(messages);
        ui = std::make_unique<testing::MainWindowParts>(*window);
    }

    void saveText(const QString& answer)
    {
        dialogs->saveAnswers.push_back(answer);
        ui->saveAction->trigger();
    }
    QStringList filesInFolder(const QString& folder) const
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }

    QTemporaryDir dir;
    AppState state;
    std::shared_ptr<testing::AnsweredFileDialogs> dialogs = std::make_shared<testing::AnsweredFileDialogs>();
    std::shared_ptr<testing::RecordedMessageBoxes> messages = std::make_shared<testing::RecordedMessageBoxes>();
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<testing::MainWindowParts> ui;
};

// A document under the file buffer's size is written only when the save
// completes, a large one part-way: both must fail whole. A limit of 0 is a
// disk with no room at all.
TEST_F(SaveFaults, AWriteThatFailsPartWayLeavesTheOldFileWholeAndSaysWhy)
{
    const struct {
        std::size_t textSize;
        rlim_t limit;
    } cases[] = {{3000, 0}, {3000, 1024}, {150000, 8192}, {150000, 100000}};
    const QString file = dir.filePath("story.txt");
    const std::string old = textOfSize(117000);
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.textSize << " codes, limit " << c.limit);
        writeFile(file, old);
        messages->shown.clear();
        const std::string text = textOfSize(c.textSize);
        ui->editor->setText(text);
        ASSERT_GT(rtf::write(text, ui->editor->fontSize()).size(), c.limit);
        {
            testing::FileSizeLimit limit(c.limit);
            ASSERT_TRUE(limit.active());
            saveText(file);
        }
        EXPECT_TRUE(readFile(file) == old) << "the old file changed";
        EXPECT_EQ(filesInFolder(dir.path()), QStringList{"story.txt"});
        ASSERT_EQ(messages->shown.size(), 1u);
        const QString shown = messages->shown[0].text;
        EXPECT_TRUE(shown.contains(QDir::toNativeSeparators(file))) << shown.toStdString();
        EXPECT_TRUE(shown.contains(QString::fromStdString(testing::FileSizeLimit::reason()))) << shown.toStdString();
        EXPECT_EQ(ui->editor->text(), text);

        // Without the limit the same save goes through.
        saveText(file);
        EXPECT_EQ(messages->shown.size(), 1u);
        EXPECT_EQ(readFile(file), rtf::write(text, ui->editor->fontSize()));
    }
}

// A shell with `ulimit -f` starts the program with SIGXFSZ at its default,
// which ends a process at the first write past the limit. The program's own
// start-up ignores it: Save Text says "File too large", the text stays, and
// the window goes on. Run in a child process of its own, where the signal is
// first set back to its default.
TEST_F(SaveFaults, PastAFileSizeLimitSaveTextSaysFileTooLargeAndTheWindowGoesOn)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const QString file = dir.filePath("story.txt");
    const std::string text = textOfSize(150000);
    ui->editor->setText(text);
    EXPECT_EXIT(
        {
            std::signal(SIGXFSZ, SIG_DFL);
            ignoreFileSizeSignal();
            {
                testing::FileSizeLimit limit(8192);
                saveText(file);
            }
            const QString shown = messages->shown.empty() ? QString() : messages->shown.back().text;
            std::fprintf(stderr, "shown: %s\n", shown.toLocal8Bit().constData());
            // Still answering: the text is there and takes an edit.
            const bool kept = ui->editor->text() == text && filesInFolder(dir.path()).isEmpty();
            ui->editor->setText("edited after");
            std::_Exit(kept && ui->editor->text() == "edited after" ? 0 : 3);
        },
        ::testing::ExitedWithCode(0), "shown: .*" + testing::FileSizeLimit::reason());
}

TEST_F(SaveFaults, APipeIsRefusedWithoutWaitingForAReader)
{
    const QString pipe = dir.filePath("pipe.txt");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    const QString link = dir.filePath("to-pipe.txt");
    ASSERT_TRUE(QFile::link(pipe, link));

    // Opening a pipe without a reader would block; replacing it would take it
    // away from whatever reads it.
    for (const QString& name : {pipe, link}) {
        SCOPED_TRACE(name.toStdString());
        messages->shown.clear();
        saveText(name);
        ASSERT_EQ(messages->shown.size(), 1u);
        EXPECT_TRUE(messages->shown[0].text.contains("not an ordinary file")) << messages->shown[0].text.toStdString();
        struct stat status {};
        ASSERT_EQ(stat(QFile::encodeName(pipe).constData(), &status), 0);
        EXPECT_TRUE(S_ISFIFO(status.st_mode));
        EXPECT_TRUE(QFileInfo(link).isSymLink());
    }
    EXPECT_TRUE(filesInFolder(dir.path()).size() == 2) << filesInFolder(dir.path()).join(' ').toStdString();
}

TEST_F(SaveFaults, ALinkKeepsPointingAtItsTargetWhichGetsTheText)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("elsewhere"));
    const QString target = dir.filePath("elsewhere/real.txt");
    writeFile(target, "old content");
    const QString link = dir.filePath("link.txt");
    ASSERT_TRUE(QFile::link("elsewhere/real.txt", link));

    ui->editor->setText("new text\r\n");
    saveText(link);

    EXPECT_TRUE(messages->shown.empty());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(QFile::symLinkTarget(link), QFileInfo(target).absoluteFilePath());
    EXPECT_EQ(readFile(target), rtf::write("new text\r\n", ui->editor->fontSize()));
    EXPECT_EQ(filesInFolder(dir.filePath("elsewhere")), QStringList{"real.txt"});
}

}  // namespace
}  // namespace tessaline
