// Handing the processed text on: Copy Text to Clipboard, Save Processed Text,
// and an output box that takes no typing.
#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "charset/charset.h"
#include "formats/rtf.h"
#include "tests/ui/recorded_message_boxes.h"
#include "tests/ui/window_parts.h"
#include "ui/app_state.h"
#include "ui/editor/calculator_text_edit.h"
#include "ui/file_dialogs.h"
#include "ui/main/main_window.h"
#include "ui/process/output_window.h"

namespace tessaline {
namespace {

// Answers Save dialogs from a queue (an empty name: the user cancelled) and
// records how they were asked.
class ScriptedDialogs : public FileDialogs {
public:
    std::vector<QString> answers;
    std::vector<QString> filters;
    std::vector<QString> proposedNames;
    std::vector<QWidget*> parents;

    std::optional<QString> openFileName(QWidget*, const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> saveFileName(QWidget* parent, const QString& filter, const QString& fileName) override
    {
        parents.push_back(parent);
        filters.push_back(filter);
        proposedNames.push_back(fileName);
        if (answers.empty())
            return std::nullopt;
        const QString answer = answers.front();
        answers.erase(answers.begin());
        if (answer.isEmpty())
            return std::nullopt;
        return answer;
    }
};

class OutputFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<MainWindow>(state);
        form->setFileDialogs(dialogs);
        form->setMessageBoxes(messages);
        form->show();
        main = std::make_unique<testing::MainWindowParts>(*form);
    }
    void TearDown() override
    {
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void processText(const std::string& codes)
    {
        main->editor->setText(codes);
        testing::processToEnd(*form, main->processButton);
    }
    OutputWindow* window() { return testing::outputWindowOf(*form); }
    testing::OutputWindowParts out() { return testing::OutputWindowParts(*window()); }
    std::vector<QString> warnings() const { return messages->texts(); }

    static std::string readFile(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QByteArray bytes = file.readAll();
        return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }

    AppState state;
    std::shared_ptr<ScriptedDialogs> dialogs = std::make_shared<ScriptedDialogs>();
    std::shared_ptr<testing::RecordedMessageBoxes> messages = std::make_shared<testing::RecordedMessageBoxes>();
    std::unique_ptr<MainWindow> form;
    std::unique_ptr<testing::MainWindowParts> main;
};

TEST_F(OutputFilesTest, CopyPutsThePlainTextWithLineBreaks)
{
    // Long enough to be broken; a calculator character above 127 included.
    std::string codes = "The quick brown fox jumps over the lazy dog and keeps on running far away ";
    codes += static_cast<char>(0x8C);
    codes += " end";
    processText(codes);
    const std::string processed = out().outputBox->text();
    ASSERT_NE(processed.find("\r\n"), processed.size() - 2) << "the text was broken inside";

    QGuiApplication::clipboard()->setText("old content");
    out().copyAction->trigger();
    const QString expected = QString::fromStdU32String(charset::toUnicode(processed));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), expected);
    EXPECT_TRUE(QGuiApplication::clipboard()->text().contains("\r\n"));
    EXPECT_EQ(out().outputBox->text(), processed) << "copying changes nothing";
    EXPECT_TRUE(window()->isVisible());

    // Copy takes what the box holds now.
    out().outputBox->setText("other");
    out().copyAction->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "other");
}

TEST_F(OutputFilesTest, SaveWritesRichTextEvenForATxtName)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    main->editor->setFontSize(12);
    processText("Enter Text Here and some more words to break the line somewhere");
    const std::string processed = out().outputBox->text();

    const QString path = dir.filePath("processed.txt");
    dialogs->answers = {path};
    out().saveAction->trigger();
    ASSERT_EQ(dialogs->filters.size(), 1u);
    EXPECT_EQ(dialogs->filters[0], "*.txt");
    EXPECT_EQ(dialogs->parents[0], window());
    EXPECT_TRUE(warnings().empty());
    const std::string written = readFile(path);
    ASSERT_EQ(written.rfind("{\\rtf", 0), 0u) << written.substr(0, 40);
    const rtf::ReadResult back = rtf::read(written);
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.codes, processed);
    EXPECT_NE(written.find("\\fs24"), std::string::npos) << "written at the output box's 12 pt";
    EXPECT_EQ(out().outputBox->text(), processed);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).size() == 1) << "no temporary file left behind";

    // A second save proposes the last name and replaces the file.
    processText("Short");
    dialogs->answers = {path};
    out().saveAction->trigger();
    ASSERT_EQ(dialogs->proposedNames.size(), 2u);
    EXPECT_EQ(dialogs->proposedNames[1], path);
    EXPECT_EQ(rtf::read(readFile(path)).codes, "Short\r\n");

    // A cancelled dialog writes nothing.
    const std::string before = readFile(path);
    dialogs->answers = {QString()};
    out().saveAction->trigger();
    EXPECT_EQ(readFile(path), before);
    EXPECT_TRUE(warnings().empty());
}

TEST_F(OutputFilesTest, FailedSaveNamesTheFileAndKeepsTheOutput)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    processText("Enter Text Here");
    const QString path = dir.filePath("missing-folder/out.txt");
    dialogs->answers = {path};
    out().saveAction->trigger();
    ASSERT_EQ(warnings().size(), 1u);
    EXPECT_TRUE(warnings()[0].contains("out.txt")) << warnings()[0].toStdString();
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(out().outputBox->text(), "Enter Text Here\r\n");
    EXPECT_TRUE(out().outputBox->isVisible());
    EXPECT_EQ(window()->windowTitle(), "Processed Text");
}

TEST_F(OutputFilesTest, OutputBoxTakesNoTypingButCopiesBySelection)
{
    processText("Enter Text Here");
    CalculatorTextEdit* box = out().outputBox;
    box->setFocus();
    QTest::keyClicks(box, "typed");
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(box->text(), "Enter Text Here\r\n");
    EXPECT_TRUE(box->isReadOnly());

    // Keyboard selection and copy still work.
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(box, Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(box, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(box->selLength(), 5u);
    QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Enter");
}

}  // namespace
}  // namespace tessaline
