// Save as Calculator Text…: the dialog, the save dialog it leads to, and the
// calculator files written.
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "formats/calc_picture.h"
#include "formats/calc_text_file.h"
#include "tests/formats/full_variable_text.h"
#include "tests/support/image_files.h"
#include "tests/ui/file_size_limit.h"
#include "tests/ui/recorded_message_boxes.h"
#include "tests/ui/window_parts.h"
#include "ui/app_state.h"
#include "ui/calculator/calculator_text_dialog.h"
#include "ui/counts.h"
#include "ui/editor/calculator_text_edit.h"
#include "ui/file_dialogs.h"
#include "ui/main/main_window.h"
#include "ui/process/output_window.h"

namespace tessaline {
namespace {

class AnsweredSaveDialogs : public FileDialogs {
public:
    std::vector<QString> answers;  // an empty name: the user cancelled
    std::vector<QString> filters;
    std::vector<QString> proposedNames;

    std::vector<QString> openAnswers;  // the images chosen, in turn
    std::optional<QString> openFileName(QWidget*, const QString&, const QString&) override
    {
        if (openAnswers.empty())
            return std::nullopt;
        const QString answer = openAnswers.front();
        openAnswers.erase(openAnswers.begin());
        return answer;
    }
    std::optional<QString> saveFileName(QWidget*, const QString& filter, const QString& fileName) override
    {
        filters.push_back(filter);
        proposedNames.push_back(fileName);
        if (answers.empty())
            return std::nullopt;
        const QString answer = answers.front();
        answers.erase(answers.begin());
        return answer.isEmpty() ? std::nullopt : std::optional<QString>(answer);
    }
};

// The dialog as the user sees it.
struct CalcDialogParts {
    explicit CalcDialogParts(QDialog& dialog)
    {
        this->dialog = &dialog;
        calculator = testing::part<QComboBox>(dialog, "calculator");
        name = testing::part<QLineEdit>(dialog, "variableName");
        folder = testing::part<QLineEdit>(dialog, "folder");
        problem = testing::part<QLabel>(dialog, "nameProblem");
        save = testing::part<QDialogButtonBox>(dialog, "buttons")->button(QDialogButtonBox::Save);
        cancel = testing::part<QDialogButtonBox>(dialog, "buttons")->button(QDialogButtonBox::Cancel);
        group = dialog.findChild<QRadioButton*>("groupFile");
        perPart = dialog.findChild<QRadioButton*>("filePerPart");
    }
    void fill(const QString& calculatorText, const QString& nameText, const QString& folderText) const
    {
        calculator->setCurrentIndex(calculator->findText(calculatorText));
        name->setText(nameText);
        folder->setText(folderText);
    }

    QDialog* dialog = nullptr;
    QComboBox* calculator = nullptr;
    QLineEdit* name = nullptr;
    QLineEdit* folder = nullptr;
    QLabel* problem = nullptr;
    QPushButton* save = nullptr;
    QPushButton* cancel = nullptr;
    QRadioButton* group = nullptr;
    QRadioButton* perPart = nullptr;
};

class CalculatorTextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
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

    // Processes a short text, then puts `codes` in the output box as the
    // processed text.
    void showOutput(const std::string& codes)
    {
        main->editor->setText("x");
        testing::processToEnd(*form, main->processButton);
        ASSERT_NE(window(), nullptr);
        testing::OutputWindowParts(*window()).outputBox->setText(codes);
    }
    OutputWindow* window() { return testing::outputWindowOf(*form); }
    QAction* calcAction() { return testing::part<QAction>(*window()->menuBar(), "saveCalculatorText"); }
    // The dialog the menu item opened, or null when none is open.
    QDialog* openDialog()
    {
        for (QDialog* dialog : window()->findChildren<QDialog*>("calculatorTextDialog"))
            if (dialog->isVisible())
                return dialog;
        return nullptr;
    }
    std::string readFile(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QByteArray bytes = file.readAll();
        return std::string(bytes.constData(), std::size_t(bytes.size()));
    }
    QStringList filesInDir() const { return QDir(dir.path()).entryList(QDir::Files, QDir::Name); }

    QTemporaryDir dir;
    AppState state;
    std::shared_ptr<AnsweredSaveDialogs> dialogs = std::make_shared<AnsweredSaveDialogs>();
    std::shared_ptr<testing::RecordedMessageBoxes> messages = std::make_shared<testing::RecordedMessageBoxes>();
    std::unique_ptr<MainWindow> form;
    std::unique_ptr<testing::MainWindowParts> main;
};

TEST_F(CalculatorTextTest, TheNewItemsStandBelowTheTwoExistingOnes)
{
    showOutput("Hello");
    QStringList names;
    for (QAction* action : testing::part<QMenu>(*window()->menuBar(), "file")->actions())
        names << action->objectName();
    QStringList expected = {"save", "copy", "saveCalculatorText"};
#ifdef TESSALINE_HAVE_LINK
    expected << "sendToCalculator";
#endif
    expected << "calculatorScreen";
    EXPECT_EQ(names, expected);
    EXPECT_EQ(calcAction()->text(), QStringLiteral("Save as Calc&ulator Text…"));
}

TEST_F(CalculatorTextTest, ASingleVariableFileForEachCalculator)
{
    const std::string codes = "Hello\r\nWorld \x8F\r\n";
    showOutput(codes);
    // The last saved name gives the variable name.
    dialogs->answers = {dir.filePath("My notes.txt")};
    testing::OutputWindowParts(*window()).saveAction->trigger();

    struct Case {
        QString calculator;
        QString filter;
        Calculator family;  // as the signature tells it
    };
    const Case cases[] = {{"TI-89", "TI-89 text (*.89t)", Calculator::Ti89},
                          {"TI-92 Plus", "TI-92 Plus text (*.9xt)", Calculator::Ti92Plus},
                          {"Voyage 200", "Voyage 200 text (*.v2t)", Calculator::Ti92Plus}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.calculator.toStdString());
        dialogs->filters.clear();
        dialogs->proposedNames.clear();
        calcAction()->trigger();
        QDialog* dialog = openDialog();
        ASSERT_NE(dialog, nullptr);
        CalcDialogParts parts(*dialog);
        EXPECT_EQ(parts.group, nullptr) << "one variable: no choice of files";
        EXPECT_EQ(parts.folder->text(), "main");
        parts.calculator->setCurrentIndex(parts.calculator->findText(c.calculator));
        if (c.family == Calculator::Ti89) {
            EXPECT_EQ(parts.name->text(), "mynotes");
        }
        parts.name->setText("Story");
        parts.folder->setText("Books");
        // No extension typed: the model's is added.
        dialogs->answers = {dir.filePath("story")};
        QTest::mouseClick(parts.save, Qt::LeftButton);
        EXPECT_EQ(openDialog(), nullptr);
        ASSERT_EQ(dialogs->filters.size(), 1u);
        EXPECT_EQ(dialogs->filters[0], c.filter);
        const QString extension = c.filter.mid(c.filter.indexOf("*.") + 2).chopped(1);
        EXPECT_EQ(QFileInfo(dialogs->proposedNames[0]).fileName(), "Story." + extension);

        const CalcReadResult back = readCalcFile(readFile(dir.filePath("story." + extension)));
        ASSERT_TRUE(back.ok) << back.error;
        EXPECT_TRUE(back.warning.empty()) << back.warning;
        EXPECT_EQ(back.format.calculator, c.family);
        EXPECT_FALSE(back.format.group);
        ASSERT_EQ(back.variables.size(), 1u);
        EXPECT_EQ(back.variables[0].name, "story");
        EXPECT_EQ(back.variables[0].folder, "books");
        // The closing line end ends the last line.
        EXPECT_EQ(back.variables[0].codes, codes.substr(0, codes.size() - 2));
    }
    EXPECT_TRUE(messages->shown.empty());
    EXPECT_EQ(filesInDir(), QStringList({"My notes.txt", "story.89t", "story.9xt", "story.v2t"}))
        << "no temporary file is left";
}

TEST_F(CalculatorTextTest, TheLongestTextOfOneVariableIsOneFileWithOrWithoutItsClosingLineEnd)
{
    // The command line writes these same bytes for this text.
    const std::string full = fullVariableText();
    const std::string expected = writeCalcText(full, {{}, "story", "main", ""}).files.at(0).bytes;
    for (const std::string& codes : {full, full + "\r\n"}) {
        showOutput(codes);
        calcAction()->trigger();
        CalcDialogParts parts(*openDialog());
        EXPECT_EQ(parts.group, nullptr) << "one variable: no choice of files";
        parts.fill("TI-89", "story", "main");
        dialogs->answers = {dir.filePath("story.89t")};
        QTest::mouseClick(parts.save, Qt::LeftButton);
        EXPECT_TRUE(readFile(dir.filePath("story.89t")) == expected) << codes.size();
        ASSERT_TRUE(QFile::remove(dir.filePath("story.89t")));
    }
    // One character more takes a second variable.
    showOutput(full + "x\r\n");
    calcAction()->trigger();
    CalcDialogParts parts(*openDialog());
    EXPECT_NE(parts.group, nullptr);
    EXPECT_TRUE(testing::part<QLabel>(*parts.dialog, "partsNote")->text().contains("2 variables"));
    QTest::mouseClick(parts.cancel, Qt::LeftButton);
    EXPECT_TRUE(messages->shown.empty());
    EXPECT_TRUE(filesInDir().isEmpty());
}

TEST_F(CalculatorTextTest, TheDialogWarnsWhileTheChosenCalculatorHasTooLittleRam)
{
    // About 200 KB: more than the RAM of any of them, less than their archive.
    std::string codes;
    for (int i = 0; codes.size() < 200000; ++i)
        codes += std::string(100, char('a' + i % 26)) + "\r\n";
    showOutput(codes);
    calcAction()->trigger();
    CalcDialogParts parts(*openDialog());
    const QLabel* warning = testing::part<QLabel>(*parts.dialog, "memoryWarning");
    const std::size_t use = calcMemoryUse(splitCalcText(codes, "text").variables);
    const auto counted = [](std::size_t n) { return formatCount(std::int64_t(n)).toStdString(); };
    for (Calculator calculator : {Calculator::Voyage200, Calculator::Ti89, Calculator::Ti92Plus}) {
        const QString model = QString::fromStdString(calculatorModelName(calculator));
        parts.calculator->setCurrentIndex(parts.calculator->findText(model));
        EXPECT_FALSE(warning->isHidden()) << model.toStdString();
        EXPECT_EQ(warning->text().toStdString(), calcMemoryWarning(use, calculator, counted));
        EXPECT_TRUE(warning->text().contains(formatCount(std::int64_t(use))));
    }
    // A warning only: the file is saved.
    parts.fill("TI-89", "book", "main");
    dialogs->answers = {dir.filePath("book.89g")};
    QTest::mouseClick(parts.save, Qt::LeftButton);
    EXPECT_TRUE(readCalcFile(readFile(dir.filePath("book.89g"))).ok);
    EXPECT_TRUE(messages->shown.empty());

    // A text that fits says nothing.
    showOutput("Hello\r\n");
    calcAction()->trigger();
    CalcDialogParts small(*openDialog());
    EXPECT_TRUE(testing::part<QLabel>(*small.dialog, "memoryWarning")->isHidden());
    QTest::mouseClick(small.cancel, Qt::LeftButton);
}

TEST_F(CalculatorTextTest, AnInvalidNameOrFolderSaysWhichRuleAndKeepsTheDialogOpen)
{
    showOutput("Hello");
    calcAction()->trigger();
    QDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    CalcDialogParts parts(*dialog);
    EXPECT_EQ(parts.name->text(), "text") << "nothing saved yet";

    const std::pair<QString, QString> bad[] = {
        {"9lives", "main"}, {"", "main"}, {"much_too_long", "main"}, {"my notes", "main"}, {"notes", "a-b"}};
    for (const auto& [name, folder] : bad) {
        parts.name->setText(name);
        parts.folder->setText(folder);
        QTest::mouseClick(parts.save, Qt::LeftButton);
        EXPECT_TRUE(dialog->isVisible()) << name.toStdString();
        const bool nameIsBad = folder == "main";
        const std::string expected = nameIsBad ? calcNameProblem(name.toStdString(), NameRole::Variable)
                                               : calcNameProblem(folder.toStdString(), NameRole::Folder);
        EXPECT_EQ(parts.problem->text().toStdString(), expected);
        EXPECT_FALSE(parts.problem->isHidden());
    }
    EXPECT_TRUE(dialogs->filters.empty()) << "no save dialog before the names are valid";

    parts.name->setText("notes");
    parts.folder->setText("main");
    dialogs->answers = {dir.filePath("notes.89t")};
    QTest::mouseClick(parts.save, Qt::LeftButton);
    EXPECT_EQ(openDialog(), nullptr);
    EXPECT_TRUE(readCalcFile(readFile(dir.filePath("notes.89t"))).ok);
}

TEST_F(CalculatorTextTest, ALongTextBecomesOneGroupFileOrOneFilePerPart)
{
    // 1000 lines of 100 characters: two variables.
    std::string codes;
    for (int i = 0; i < 1000; ++i)
        codes += std::string(100, char('a' + i % 26)) + "\r\n";
    showOutput(codes);

    calcAction()->trigger();
    CalcDialogParts parts(*openDialog());
    ASSERT_NE(parts.group, nullptr);
    ASSERT_NE(parts.perPart, nullptr);
    EXPECT_TRUE(parts.group->isChecked()) << "a group file by default";
    EXPECT_TRUE(testing::part<QLabel>(*parts.dialog, "partsNote")->text().contains("2 variables"));
    parts.fill("TI-92 Plus", "book", "main");
    dialogs->answers = {dir.filePath("book.9xg")};
    QTest::mouseClick(parts.save, Qt::LeftButton);
    EXPECT_EQ(dialogs->filters.back(), "TI-92 Plus group (*.9xg)");
    const CalcReadResult group = readCalcFile(readFile(dir.filePath("book.9xg")));
    ASSERT_TRUE(group.ok) << group.error;
    EXPECT_TRUE(group.format.group);
    ASSERT_EQ(group.variables.size(), 2u);
    EXPECT_EQ(group.variables[0].name, "book1");
    EXPECT_EQ(group.variables[1].name, "book2");
    // The closing line end ends the last line, and closes it again when read.
    EXPECT_EQ(group.variables[1].codes.substr(group.variables[1].codes.size() - 3), "lll");
    EXPECT_EQ(joinCalcTexts(group.variables), codes);

    calcAction()->trigger();
    CalcDialogParts again(*openDialog());
    EXPECT_EQ(again.name->text(), "book") << "the last calculator file gives the name";
    again.fill("Voyage 200", "book", "main");
    again.perPart->setChecked(true);
    dialogs->answers = {dir.filePath("Part.v2t")};
    QTest::mouseClick(again.save, Qt::LeftButton);
    EXPECT_EQ(dialogs->filters.back(), "Voyage 200 text (*.v2t)");
    std::vector<CalcVariable> parts2;
    for (const char* file : {"Part1.v2t", "Part2.v2t"}) {
        const CalcReadResult single = readCalcFile(readFile(dir.filePath(file)));
        ASSERT_TRUE(single.ok) << file << ": " << single.error;
        EXPECT_FALSE(single.format.group);
        ASSERT_EQ(single.variables.size(), 1u);
        parts2.push_back(single.variables[0]);
    }
    EXPECT_EQ(parts2[0].name, "book1");
    EXPECT_EQ(parts2[1].name, "book2");
    EXPECT_EQ(joinCalcTexts(parts2), codes);
    EXPECT_EQ(filesInDir(), QStringList({"Part1.v2t", "Part2.v2t", "book.9xg"}));
    EXPECT_TRUE(messages->shown.empty());
}

TEST_F(CalculatorTextTest, ATextNoVariableHoldsIsRefusedBeforeAnythingIsAsked)
{
    const std::string withZero("ab\r\ncd\0e", 8);
    const std::string longLine(kMaxVariableText + 1, 'x');
    for (const std::string& codes : {withZero, longLine}) {
        showOutput(codes);
        messages->shown.clear();
        calcAction()->trigger();
        EXPECT_EQ(openDialog(), nullptr);
        ASSERT_EQ(messages->shown.size(), 1u);
        EXPECT_EQ(messages->shown[0].text.toStdString(), splitCalcText(codes, "text").error);
        EXPECT_EQ(messages->shown[0].icon, MessageBoxes::Icon::Warning);
    }
    EXPECT_TRUE(dialogs->filters.empty());
    EXPECT_TRUE(filesInDir().isEmpty());
}

TEST_F(CalculatorTextTest, CancellingOrAFailedWriteLeavesNoFile)
{
    showOutput("Hello");
    // Cancel in the dialog: no save dialog.
    calcAction()->trigger();
    QTest::mouseClick(CalcDialogParts(*openDialog()).cancel, Qt::LeftButton);
    EXPECT_TRUE(dialogs->filters.empty());
    // Cancel in the save dialog: nothing written.
    calcAction()->trigger();
    dialogs->answers = {QString()};
    QTest::mouseClick(CalcDialogParts(*openDialog()).save, Qt::LeftButton);
    EXPECT_EQ(dialogs->filters.size(), 1u);
    EXPECT_TRUE(filesInDir().isEmpty());
    EXPECT_TRUE(messages->shown.empty());

    // A folder that does not exist: one warning naming the file.
    calcAction()->trigger();
    const QString path = dir.filePath("missing/out.89t");
    dialogs->answers = {path};
    QTest::mouseClick(CalcDialogParts(*openDialog()).save, Qt::LeftButton);
    ASSERT_EQ(messages->shown.size(), 1u);
    EXPECT_TRUE(messages->shown[0].text.contains(QDir::toNativeSeparators(path)))
        << messages->shown[0].text.toStdString();
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(testing::OutputWindowParts(*window()).outputBox->text(), "Hello");
}

// 1000 lines of 100 characters: a text of two variables.
std::string twoVariableText()
{
    std::string codes;
    for (int i = 0; i < 1000; ++i)
        codes += std::string(100, char('a' + i % 26)) + "\r\n";
    return codes;
}

TEST_F(CalculatorTextTest, EveryFileThatWouldBeReplacedIsAskedAboutByItsFinalName)
{
    const auto plant = [this](const QString& name) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("old");
    };
    plant("victim.89t");
    showOutput("Hello");
    // "victim" typed without its extension: the file it stands for exists.
    for (bool replace : {false, true}) {
        calcAction()->trigger();
        CalcDialogParts(*openDialog()).fill("TI-89", "victim", "main");
        messages->confirmAnswers = {replace};
        dialogs->answers = {dir.filePath("victim")};
        QTest::mouseClick(CalcDialogParts(*openDialog()).save, Qt::LeftButton);
        ASSERT_EQ(messages->asked.size(), replace ? 2u : 1u);
        EXPECT_EQ(messages->asked.back().text,
                  QStringLiteral("\"%1\" already exists. Replace it?").arg(dir.filePath("victim.89t")));
        EXPECT_EQ(readFile(dir.filePath("victim.89t")) == "old", !replace);
    }
    EXPECT_EQ(messages->actions.back(), QStringLiteral("&Replace"));

    // One file per part: the parts beside the chosen name are asked about,
    // not the chosen name, which is never written.
    plant("book2.89t");
    testing::OutputWindowParts(*window()).outputBox->setText(twoVariableText());
    messages->asked.clear();
    calcAction()->trigger();
    CalcDialogParts parts(*openDialog());
    parts.fill("TI-89", "book", "main");
    parts.perPart->setChecked(true);
    messages->confirmAnswers = {false};
    dialogs->answers = {dir.filePath("book.89t")};
    QTest::mouseClick(parts.save, Qt::LeftButton);
    ASSERT_EQ(messages->asked.size(), 1u);
    EXPECT_EQ(messages->asked[0].text,
              QStringLiteral("\"%1\" already exists. Replace it?").arg(dir.filePath("book2.89t")));
    EXPECT_EQ(readFile(dir.filePath("book2.89t")), "old");
    EXPECT_FALSE(QFile::exists(dir.filePath("book1.89t"))) << "declined: no part is written";
}

TEST_F(CalculatorTextTest, ANameWithAnotherExtensionTakesTheCalculatorsInsteadOfASecondOne)
{
    showOutput(twoVariableText());
    calcAction()->trigger();
    CalcDialogParts(*openDialog()).fill("TI-89", "novel", "main");
    dialogs->answers = {dir.filePath("novel.txt")};
    QTest::mouseClick(CalcDialogParts(*openDialog()).save, Qt::LeftButton);
    EXPECT_EQ(filesInDir(), QStringList({"novel.89g"}));
    EXPECT_TRUE(readCalcFile(readFile(dir.filePath("novel.89g"))).ok);
    EXPECT_EQ(calcFilePath("/t/a.b.RTF", {Calculator::Voyage200, false}), "/t/a.b.v2t");
    EXPECT_EQ(calcFilePath("/t/v1.2", {Calculator::Ti89, false}), "/t/v1.2.89t");
    EXPECT_EQ(calcFilePath("/t/x.89G", {Calculator::Ti89, true}), "/t/x.89G");
    EXPECT_EQ(calcFilePath("/t/x.9xt", {Calculator::Ti89, true}), "/t/x.89g");
}

TEST_F(CalculatorTextTest, TheDialogSavesTheTextTheWindowShowsWhenSaveIsPressed)
{
    showOutput("First text");
    calcAction()->trigger();
    QDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    CalcDialogParts(*dialog).fill("TI-89", "notes", "main");
    // PROCESS again while the dialog is open: the new text is saved.
    main->editor->setText("Second text");
    main->processButton->click();
    ASSERT_TRUE(testing::waitForRunEnd(*form));
    ASSERT_EQ(openDialog(), dialog);
    dialogs->answers = {dir.filePath("notes.89t")};
    QTest::mouseClick(CalcDialogParts(*dialog).save, Qt::LeftButton);
    const CalcReadResult read = readCalcFile(readFile(dir.filePath("notes.89t")));
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.variables.at(0).codes, "Second text");

    // A text that now needs the choice of files the dialog did not offer is
    // refused, and nothing is written.
    calcAction()->trigger();
    dialog = openDialog();
    testing::OutputWindowParts(*window()).outputBox->setText(twoVariableText());
    dialogs->answers = {dir.filePath("long.89t")};
    QTest::mouseClick(CalcDialogParts(*dialog).save, Qt::LeftButton);
    ASSERT_FALSE(messages->texts().empty());
    EXPECT_EQ(messages->texts().back(),
              QStringLiteral("The processed text changed while the dialog was open and now needs 2 variables; "
                             "choose Save as Calculator Text again."));
    EXPECT_FALSE(QFile::exists(dir.filePath("long.89t")));
}

// The files of one save are written all or nothing: a part whose name is a
// pipe keeps the other parts from being written, and a disk that fills up
// leaves the old file whole. The warning names the file and says why.
TEST_F(CalculatorTextTest, AFailedSaveWritesNoPartAndSaysWhy)
{
    std::string codes;
    for (int i = 0; i < 1000; ++i)
        codes += std::string(100, char('a' + i % 26)) + "\r\n";
    showOutput(codes);

    const QString pipe = dir.filePath("Part2.89t");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    calcAction()->trigger();
    CalcDialogParts perPart(*openDialog());
    perPart.fill("TI-89", "book", "main");
    perPart.perPart->setChecked(true);
    dialogs->answers = {dir.filePath("Part.89t")};
    QTest::mouseClick(perPart.save, Qt::LeftButton);
    ASSERT_EQ(messages->shown.size(), 1u);
    EXPECT_EQ(messages->shown[0].icon, MessageBoxes::Icon::Warning);
    EXPECT_TRUE(messages->shown[0].text.contains(QDir::toNativeSeparators(pipe)))
        << messages->shown[0].text.toStdString();
    EXPECT_TRUE(messages->shown[0].text.contains("not an ordinary file")) << messages->shown[0].text.toStdString();
    // Pipes, hidden temporary files and all.
    const auto everything = [this] {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    };
    EXPECT_EQ(everything(), QStringList{"Part2.89t"}) << "the pipe alone";
    struct stat status {};
    ASSERT_EQ(stat(QFile::encodeName(pipe).constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));

    const QString group = dir.filePath("book.89g");
    const std::string old(5000, 'o');
    {
        QFile file(group);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(old.data(), qint64(old.size())), qint64(old.size()));
    }
    messages->shown.clear();
    calcAction()->trigger();
    CalcDialogParts oneFile(*openDialog());
    oneFile.fill("TI-89", "book", "main");
    dialogs->answers = {group};
    {
        testing::FileSizeLimit limit(8192);
        ASSERT_TRUE(limit.active());
        QTest::mouseClick(oneFile.save, Qt::LeftButton);
    }
    ASSERT_EQ(messages->shown.size(), 1u);
    const QString shown = messages->shown[0].text;
    EXPECT_TRUE(shown.contains(QDir::toNativeSeparators(group))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QString::fromStdString(testing::FileSizeLimit::reason()))) << shown.toStdString();
    EXPECT_TRUE(readFile(group) == old) << "the old file changed";
    EXPECT_EQ(everything(), QStringList({"Part2.89t", "book.89g"}));
    EXPECT_EQ(testing::OutputWindowParts(*window()).outputBox->text(), codes);
}

}  // namespace
}  // namespace tessaline

namespace tessaline {
namespace {

TEST_F(CalculatorTextTest, ThePicturesOfTheTextAreListedChosenAndSavedWithIt)
{
    // A black 200 x 100 image beside the document, none for the tulip.
    test::RawImage black = test::greyImage(200, 100);
    std::fill(black.pixels.begin(), black.pixels.end(), 0);
    const std::string png = test::pngOf(black);
    QFile rose(dir.filePath("rose.png"));
    ASSERT_TRUE(rose.open(QIODevice::WriteOnly));
    rose.write(png.data(), qint64(png.size()));
    rose.close();
    showOutput("A rose\r\n_PIC rose\r\n_PIC tulip\r\n");
    window()->setPictureSources({QFile::encodeName(dir.path()).toStdString(), {}});

    calcAction()->trigger();
    QDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    CalcDialogParts parts(*dialog);
    ASSERT_NE(parts.group, nullptr) << "pictures: a group file or one file each";
    const auto states = [dialog] {
        QStringList texts;
        for (QLabel* label : dialog->findChildren<QLabel*>("pictureState"))
            texts << label->text();
        return texts;
    };
    ASSERT_EQ(states().size(), 2);
    EXPECT_TRUE(states()[0].startsWith("rose: 160 x 80 pixels, from ")) << states()[0].toStdString();
    EXPECT_TRUE(states()[1].startsWith("tulip: missing.")) << states()[1].toStdString();
    EXPECT_TRUE(testing::part<QLabel>(*dialog, "pictureSummary")->text().contains("1 missing"));
    // The preview is the picture at the calculator's scale.
    const QPixmap preview = dialog->findChildren<QLabel*>("picturePreview").at(0)->pixmap();
    EXPECT_EQ(preview.size(), QSize(160, 80));
    // The TI-92 Plus's screen keeps the image at its size.
    parts.calculator->setCurrentIndex(parts.calculator->findText("TI-92 Plus"));
    EXPECT_TRUE(states()[0].startsWith("rose: 200 x 100 pixels")) << states()[0].toStdString();
    parts.calculator->setCurrentIndex(parts.calculator->findText("TI-89"));

    // An image chosen for the tulip.
    dialogs->openAnswers = {dir.filePath("rose.png")};
    QTest::mouseClick(dialog->findChildren<QPushButton*>("chooseImage").at(1), Qt::LeftButton);
    ASSERT_EQ(states().size(), 2);
    EXPECT_TRUE(states()[1].startsWith("tulip: 160 x 80 pixels")) << states()[1].toStdString();

    parts.name->setText("garden");
    dialogs->answers = {dir.filePath("garden.89g")};
    QTest::mouseClick(parts.save, Qt::LeftButton);
    const CalcReadResult group = readCalcFile(readFile(dir.filePath("garden.89g")));
    ASSERT_TRUE(group.ok) << group.error;
    ASSERT_EQ(group.variables.size(), 1u);
    ASSERT_EQ(group.pictures.size(), 2u);
    EXPECT_EQ(group.pictures[0].name, "rose");
    EXPECT_EQ(group.pictures[1].name, "tulip");
    EXPECT_EQ(group.pictures[0].bitmap.width, 160);

    // One file each: the text's at the name chosen, each picture's by its name.
    calcAction()->trigger();
    dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    CalcDialogParts again(*dialog);
    again.perPart->setChecked(true);
    dialogs->answers = {dir.filePath("story.89t")};
    QTest::mouseClick(again.save, Qt::LeftButton);
    EXPECT_TRUE(filesInDir().contains("story.89t"));
    EXPECT_TRUE(filesInDir().contains("rose.89i"));
    EXPECT_FALSE(filesInDir().contains("tulip.89i")) << "the chosen image went with the first dialog";
    const CalcReadResult single = readCalcFile(readFile(dir.filePath("rose.89i")));
    ASSERT_EQ(single.pictures.size(), 1u);
    EXPECT_EQ(single.pictures[0].bitmap, group.pictures[0].bitmap);
}

}  // namespace
}  // namespace tessaline
