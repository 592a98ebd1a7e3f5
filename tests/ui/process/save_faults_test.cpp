// Save Processed Text when a write fails part-way (a full disk, here a
// file-size limit): the old file stays as it was and the warning says why.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "formats/rtf.h"
#include "tests/ui/answered_file_dialogs.h"
#include "tests/ui/file_size_limit.h"
#include "tests/ui/recorded_message_boxes.h"
#include "tests/ui/window_parts.h"
#include "ui/app_state.h"
#include "ui/main/main_window.h"
#include "ui/process/output_window.h"

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

TEST(OutputSaveFaults, AWriteThatFailsPartWayLeavesTheOldFileWholeAndSaysWhy)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    AppState state;
    auto dialogs = std::make_shared<testing::AnsweredFileDialogs>();
    auto messages = std::make_shared<testing::RecordedMessageBoxes>();
    MainWindow form(state);
    form.setFileDialogs(dialogs);
    form.setMessageBoxes(messages);
    form.show();
    const testing::MainWindowParts main(form);

    const QString file = dir.filePath("processed.txt");
    const std::string old(117000, 'o');
    const struct {
        std::size_t words;
        rlim_t limit;
    } cases[] = {{300, 0}, {300, 512}, {25000, 8192}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.words << " words, limit " << c.limit);
        {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            ASSERT_EQ(f.write(old.data(), static_cast<qint64>(old.size())), static_cast<qint64>(old.size()));
        }
        messages->shown.clear();
        std::string text;
        for (std::size_t i = 0; i < c.words; ++i)
            text += "words ";
        main.editor->setText(text);
        testing::processToEnd(form, main.processButton);
        OutputWindow* output = testing::outputWindowOf(form);
        ASSERT_NE(output, nullptr);
        const testing::OutputWindowParts out(*output);
        const std::string processed = out.outputBox->text();
        const std::string document = rtf::write(processed, out.outputBox->fontSize());
        ASSERT_GT(document.size(), c.limit);

        dialogs->saveAnswers.push_back(file);
        {
            testing::FileSizeLimit limit(c.limit);
            ASSERT_TRUE(limit.active());
            out.saveAction->trigger();
        }
        EXPECT_TRUE(readFile(file) == old) << "the old file changed";
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"processed.txt"});
        ASSERT_EQ(messages->shown.size(), 1u);
        const QString shown = messages->shown[0].text;
        EXPECT_TRUE(shown.contains(QDir::toNativeSeparators(file))) << shown.toStdString();
        EXPECT_TRUE(shown.contains(QString::fromStdString(testing::FileSizeLimit::reason()))) << shown.toStdString();
        EXPECT_EQ(out.outputBox->text(), processed);

        // Without the limit the same save goes through.
        dialogs->saveAnswers.push_back(file);
        out.saveAction->trigger();
        EXPECT_EQ(messages->shown.size(), 1u);
        EXPECT_TRUE(readFile(file) == document);
        output->close();
    }
}

}  // namespace
}  // namespace tessaline
