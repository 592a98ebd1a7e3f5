// Open Text and Save Text through the main window, with the file dialogs and
// the message boxes answered by the test.
#include <fstream>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <algorithm>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "formats/calc_text_file.h"
#include "formats/rtf.h"
#include "tests/ui/window_parts.h"
#include "ui/app_state.h"
#include "ui/editor/calculator_text_edit.h"
#include "ui/file_dialogs.h"
#include "ui/main/main_window.h"
#include "ui/message_boxes.h"

namespace tessaline {
namespace {

// Answers the Open and Save dialogs from a queue and records how each was
// shown.
class FakeDialogs : public FileDialogs {
public:
    struct Call {
        bool save;
        QString filter;
        QString fileName;  // the name the dialog started with
    };
    std::vector<Call> calls;
    std::deque<std::optional<QString>> answers;

    std::optional<QString> openFileName(QWidget*, const QString& filter, const QString& fileName) override
    {
        return answer(false, filter, fileName);
    }
    std::optional<QString> saveFileName(QWidget*, const QString& filter, const QString& fileName) override
    {
        return answer(true, filter, fileName);
    }

private:
    std::optional<QString> answer(bool save, const QString& filter, const QString& fileName)
    {
        calls.push_back({save, filter, fileName});
        if (answers.empty())
            return std::nullopt;
        std::optional<QString> a = answers.front();
        answers.pop_front();
        return a;
    }
};

struct Message {
    QString title;
    QString text;
    MessageBoxes::Icon icon;
};

// Message boxes that collect what they were asked to show.
class CollectedMessages : public MessageBoxes {
public:
    explicit CollectedMessages(std::vector<Message>& messages) : messages_(messages) {}
    void show(QWidget*, Icon icon, const QString& title, const QString& text) override
    {
        messages_.push_back({title, text, icon});
    }

private:
    std::vector<Message>& messages_;
};

class TextFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        window = std::make_unique<MainWindow>(state);
        dialogs = std::make_shared<FakeDialogs>();
        window->setFileDialogs(dialogs);
        window->setMessageBoxes(std::make_shared<CollectedMessages>(messages));
        ui = std::make_unique<testing::MainWindowParts>(*window);
    }

    // Opens through the menu and waits for the read to end.
    void openText(const std::optional<QString>& answer)
    {
        ASSERT_NE(ui->openAction, nullptr);
        dialogs->answers.push_back(answer);
        QSignalSpy finished(window.get(), &MainWindow::openFinished);
        ui->openAction->trigger();
        if (answer) {
            ASSERT_TRUE(finished.wait(60'000));
        } else {
            EXPECT_EQ(finished.count(), 0);
        }
    }
    void saveText(const std::optional<QString>& answer)
    {
        ASSERT_NE(ui->saveAction, nullptr);
        dialogs->answers.push_back(answer);
        ui->saveAction->trigger();
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    static void writeBytes(const QString& file, const std::string& bytes)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes.data(), static_cast<qint64>(bytes.size())), static_cast<qint64>(bytes.size()));
    }
    static std::string readBytes(const QString& file)
    {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            return "<unreadable>";
        return f.readAll().toStdString();
    }

    QTemporaryDir dir;
    AppState state;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<testing::MainWindowParts> ui;
    std::shared_ptr<FakeDialogs> dialogs;
    std::vector<Message> messages;
};

// Every calculator code, on CR LF lines after two markup lines: codes 13 and
// 10 only occur as line ends, so the text survives line-end normalisation.
std::string everyCode()
{
    std::string text = "_CHA\r\n_TIL Intro\r\n";
    int onLine = 0;
    for (int c = 0; c < 256; ++c) {
        if (c == 10 || c == 13)
            continue;
        text += static_cast<char>(c);
        if (++onLine == 32) {
            text += "\r\n";
            onLine = 0;
        }
    }
    text += "\r\n";
    return text;
}

TEST_F(TextFilesTest, OpenReplacesTheWholeTextAndLeavesTheRestAlone)
{
    ASSERT_NE(ui->editor, nullptr);
    EXPECT_EQ(ui->editor->text(), "Enter Text Here");
    ASSERT_NE(ui->chapterTitleEdit, nullptr);
    ASSERT_NE(ui->pictureNameEdit, nullptr);
    ASSERT_NE(ui->presetCombo, nullptr);
    ui->chapterTitleEdit->setText("Chapter");
    ui->pictureNameEdit->setText("pic");
    const int preset = ui->presetCombo->currentIndex();
    ui->editor->setSelStart(6);
    ui->editor->setSelLength(4);

    const QString file = path("story.txt");
    writeBytes(file, "First line\r\nSecond line\r\n");
    openText(file);

    EXPECT_EQ(ui->editor->text(), "First line\r\nSecond line\r\n");
    EXPECT_EQ(ui->editor->selLength(), 0u);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(ui->chapterTitleEdit->text(), "Chapter");
    EXPECT_EQ(ui->pictureNameEdit->text(), "pic");
    EXPECT_EQ(ui->presetCombo->currentIndex(), preset);
    EXPECT_EQ(testing::outputWindowOf(*window), nullptr);
    EXPECT_EQ(readBytes(file), "First line\r\nSecond line\r\n");  // opening never writes
}

TEST_F(TextFilesTest, BothDialogsShareTheLastFileName)
{
    const QString a = path("a.txt");
    const QString b = path("b.txt");
    writeBytes(a, "alpha");

    openText(a);
    saveText(b);
    openText(b);
    saveText(std::nullopt);

    ASSERT_EQ(dialogs->calls.size(), 4u);
    // Open lists every kind of file it reads after the text files.
    for (const FakeDialogs::Call& call : dialogs->calls)
        EXPECT_EQ(call.filter, call.save ? QStringLiteral("Text (*.txt)")
                                         : QStringLiteral("Text (*.txt);;E-books and documents (*.epub *.odt *.docx "
                                                          "*.html *.htm *.xhtml *.md *.markdown);;Rich Text (*.rtf);;"
                                                          "Calculator text (*.89t *.9xt *.v2t *.89g *.9xg *.v2g);;"
                                                          "All files (*)"));
    EXPECT_FALSE(dialogs->calls[0].save);
    EXPECT_EQ(dialogs->calls[0].fileName, "");  // nothing chosen yet
    EXPECT_TRUE(dialogs->calls[1].save);
    EXPECT_EQ(dialogs->calls[1].fileName, a);  // Save starts with the opened name
    EXPECT_FALSE(dialogs->calls[2].save);
    EXPECT_EQ(dialogs->calls[2].fileName, b);  // Open starts with the saved name
    EXPECT_EQ(dialogs->calls[3].fileName, b);
    EXPECT_EQ(state.lastFileName, b);
    EXPECT_EQ(ui->editor->text(), "alpha");
    EXPECT_TRUE(messages.empty());
}

TEST_F(TextFilesTest, SavedTextOpensBackToTheSameCodes)
{
    const std::string text = everyCode();
    std::vector<bool> seen(256, false);
    for (char c : text)
        seen[static_cast<unsigned char>(c)] = true;
    ASSERT_EQ(std::count(seen.begin(), seen.end(), true), 256);
    ui->editor->setText(text);
    ASSERT_EQ(ui->editor->text(), text);

    const QString file = path("all codes.txt");
    saveText(file);
    ASSERT_TRUE(messages.empty()) << messages.front().text.toStdString();
    EXPECT_EQ(ui->editor->text(), text);  // saving leaves the editor as it was

    const std::string saved = readBytes(file);
    EXPECT_EQ(saved.rfind("{\\rtf", 0), 0u) << "a .txt name still gets rich text";

    ui->editor->setText("something else");
    openText(file);
    EXPECT_EQ(ui->editor->text(), text);
    EXPECT_TRUE(messages.empty());

    // Saving over an existing file replaces it with the current text.
    ui->editor->setText("_BRK\r\nshort\r\n");
    saveText(file);
    ui->editor->setText("x");
    openText(file);
    EXPECT_EQ(ui->editor->text(), "_BRK\r\nshort\r\n");
    EXPECT_TRUE(messages.empty());
}

TEST_F(TextFilesTest, CancelledDialogsReadAndWriteNothing)
{
    const QString a = path("a.txt");
    writeBytes(a, "from a");
    openText(a);
    ui->editor->setText("edited");

    openText(std::nullopt);
    EXPECT_EQ(ui->editor->text(), "edited");  // not reloaded from the last name
    saveText(std::nullopt);
    EXPECT_EQ(readBytes(a), "from a");  // not overwritten either
    EXPECT_EQ(state.lastFileName, a);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    EXPECT_TRUE(messages.empty());

    // A cancel with nothing chosen before stays at an empty name.
    AppState fresh;
    MainWindow other(fresh);
    auto otherDialogs = std::make_shared<FakeDialogs>();
    other.setFileDialogs(otherDialogs);
    std::vector<Message> otherMessages;
    other.setMessageBoxes(std::make_shared<CollectedMessages>(otherMessages));
    const testing::MainWindowParts otherUi(other);
    otherUi.saveAction->trigger();
    otherUi.openAction->trigger();
    EXPECT_EQ(fresh.lastFileName, "");
    EXPECT_EQ(otherUi.editor->text(), "Enter Text Here");
    EXPECT_TRUE(otherMessages.empty());
}

TEST_F(TextFilesTest, FilesThatCannotBeOpenedLeaveTheEditorIntact)
{
    ui->editor->setText("keep me\r\n");
    const QString missing = path("missing.txt");
    const QString folder = path("folder.txt");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.txt"));

    openText(missing);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, applicationTitle());
    EXPECT_TRUE(messages[0].text.contains(QDir::toNativeSeparators(missing)));
    EXPECT_TRUE(messages[0].text.contains("does not exist"));
    EXPECT_EQ(ui->editor->text(), "keep me\r\n");
    EXPECT_EQ(state.lastFileName, missing);  // the chosen name is remembered all the same

    openText(folder);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_TRUE(messages[1].text.contains(QDir::toNativeSeparators(folder)));
    EXPECT_TRUE(messages[1].text.contains("folder"));
    EXPECT_EQ(ui->editor->text(), "keep me\r\n");

    // A file far too large for a text (sparse, so it costs no disk space).
    const QString huge = path("huge.txt");
    {
        QFile f(huge);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64(300) * 1024 * 1024));
    }
    openText(huge);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_TRUE(messages[2].text.contains(QDir::toNativeSeparators(huge)));
    EXPECT_TRUE(messages[2].text.contains("256 MB"));
    EXPECT_EQ(ui->editor->text(), "keep me\r\n");
    for (const Message& m : messages)
        EXPECT_EQ(m.icon, MessageBoxes::Icon::Warning) << "a failure: " << m.text.toStdString();
}

TEST_F(TextFilesTest, FailedSavesKeepTheEditorAndAnyOldFile)
{
    ui->editor->setText("precious\r\n");

    // A folder that does not exist.
    const QString nowhere = path("no such folder/out.txt");
    saveText(nowhere);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, applicationTitle());
    EXPECT_TRUE(messages[0].text.contains(QDir::toNativeSeparators(nowhere)));
    EXPECT_TRUE(messages[0].text.contains("does not exist"));
    EXPECT_FALSE(QFileInfo::exists(nowhere));

    // A name that is a folder.
    const QString folder = path("folder.txt");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.txt"));
    saveText(folder);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_TRUE(messages[1].text.contains(QDir::toNativeSeparators(folder)));
    EXPECT_TRUE(QFileInfo(folder).isDir());

    // An existing file whose name is as long as a name can be: there is no
    // room for the temporary name beside it, so the replacement fails, and the
    // old content must survive whole.
    const QString longName = path(QString(251, 'n') + ".txt");
    writeBytes(longName, "old content");
    saveText(longName);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_TRUE(messages[2].text.contains(QDir::toNativeSeparators(longName)));
    EXPECT_EQ(readBytes(longName), "old content");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);  // no stray temporary file

    EXPECT_EQ(ui->editor->text(), "precious\r\n");
    for (const Message& m : messages)
        EXPECT_EQ(m.icon, MessageBoxes::Icon::Warning) << "a failure: " << m.text.toStdString();
}

TEST_F(TextFilesTest, PlainFilesOpenAsTheirText)
{
    // UTF-8 with smart quotes: transliterated, and the count reported.
    const QString quoted = path("quoted.txt");
    writeBytes(quoted, "\xE2\x80\x9CHello\xE2\x80\x9D\r\n");
    openText(quoted);
    EXPECT_EQ(ui->editor->text(), "\"Hello\"\r\n");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, applicationTitle());
    EXPECT_EQ(messages[0].text, "2 characters had no calculator code and were replaced.");
    EXPECT_EQ(messages[0].icon, MessageBoxes::Icon::Information) << "news, not a failure";

    // 8-bit calculator codes with lone LF line ends: the codes as they are,
    // every line end CR LF, nothing to report.
    const QString eightBit = path("eight.txt");
    writeBytes(eightBit, "Line one\nLine \xB5 two\n\nend");
    openText(eightBit);
    EXPECT_EQ(ui->editor->text(), "Line one\r\nLine \xB5 two\r\n\r\nend");
    EXPECT_EQ(messages.size(), 1u);

    // Rich text from another writer, with characters outside the set.
    const QString foreign = path("foreign.txt");
    writeBytes(foreign, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Caf\\'e9 \\u8220?ok\\u8221?\\par\n}");
    openText(foreign);
    EXPECT_EQ(ui->editor->text(), "Caf\xE9 \"ok\"\r\n");
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].text, "2 characters had no calculator code and were replaced.");

    // An empty file empties the editor.
    const QString empty = path("empty.txt");
    writeBytes(empty, "");
    openText(empty);
    EXPECT_EQ(ui->editor->text(), "");
    EXPECT_EQ(messages.size(), 2u);
}

TEST_F(TextFilesTest, AnRtfFileBringsItsFontSize)
{
    // Saved at 15 points, opened at 15 points: the whole box takes the size,
    // the frame shows it, and "+" and "-" go on from it.
    const QString file = path("big.txt");
    writeBytes(file, rtf::write("big text\r\n", 15.0));
    ASSERT_DOUBLE_EQ(ui->editor->fontSize(), 9.0);
    openText(file);
    EXPECT_EQ(ui->editor->text(), "big text\r\n");
    EXPECT_DOUBLE_EQ(ui->editor->fontSize(), 15.0);
    EXPECT_DOUBLE_EQ(ui->editor->document()->defaultFont().pointSizeF(), 15.0);
    EXPECT_EQ(ui->textSizeFrame->title(), "Font Size ( 15)");
    ui->largerTextButton->click();
    EXPECT_DOUBLE_EQ(ui->editor->fontSize(), 16.0);
    EXPECT_EQ(ui->textSizeFrame->title(), "Font Size ( 16)");

    // Saved at the size it has now, opened back at it.
    saveText(file);
    ui->smallerTextButton->click();
    ui->smallerTextButton->click();
    ASSERT_DOUBLE_EQ(ui->editor->fontSize(), 14.0);
    openText(file);
    EXPECT_DOUBLE_EQ(ui->editor->fontSize(), 16.0);

    // A half-point size, and an RTF without a size (12 points, as in RTF).
    writeBytes(file, rtf::write("half", 10.5));
    openText(file);
    EXPECT_DOUBLE_EQ(ui->editor->fontSize(), 10.5);
    EXPECT_EQ(ui->textSizeFrame->title(), "Font Size ( 10.5)");
    writeBytes(file, "{\\rtf1\\ansi plain}");
    openText(file);
    EXPECT_EQ(ui->editor->text(), "plain");
    EXPECT_DOUBLE_EQ(ui->editor->fontSize(), 12.0);

    // A plain text file has no formatting: the size stays.
    writeBytes(file, "plain text");
    openText(file);
    EXPECT_DOUBLE_EQ(ui->editor->fontSize(), 12.0);
    EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace tessaline

namespace tessaline {
namespace {

TEST_F(TextFilesTest, ACalculatorFileWithAWrongChecksumOpensWithAWarning)
{
    CalcWriteResult written = writeCalcText("Hello", {{}, "note", "main", ""});
    ASSERT_TRUE(written.ok);
    std::string file = written.files.at(0).bytes;
    file.back() ^= 0x01;
    writeBytes(path("note.89t"), file);
    openText(path("note.89t"));
    EXPECT_EQ(ui->editor->text(), "Hello\r\n") << "the last line ended by a line end";
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].icon, MessageBoxes::Icon::Warning);
    EXPECT_TRUE(messages[0].text.contains("The checksum of variable \"note\"")) << messages[0].text.toStdString();
}

#if !defined(__SANITIZE_ADDRESS__)
TEST_F(TextFilesTest, AFileTooBigForTheMemoryLeftKeepsTheEditorsText)
{
    // A 200 MB file (sparse: no disk space) under an address-space limit
    // 100 MB above what the test holds: reading it runs out of memory.
    const QString big = path("big.txt");
    {
        QFile file(big);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(qint64(200) << 20));
    }
    ui->editor->setText("kept text");
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    statm >> pages;
    rlimit old{};
    getrlimit(RLIMIT_AS, &old);
    const rlim_t bound = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (rlim_t(100) << 20);
    rlimit limit = old;
    limit.rlim_cur = bound;
    ASSERT_EQ(setrlimit(RLIMIT_AS, &limit), 0);
    openText(big);
    setrlimit(RLIMIT_AS, &old);
    EXPECT_EQ(ui->editor->text(), "kept text");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.contains("There is not enough memory to open it.")) << messages[0].text.toStdString();
}
#endif

}  // namespace
}  // namespace tessaline
