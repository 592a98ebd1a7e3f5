// Send to Calculator…: the dialog against a fake calculator on the link
// library's virtual cable.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "link/ti_link.h"
#include "tests/link/fake_calculator.h"
#include "tests/ui/recorded_message_boxes.h"
#include "tests/ui/window_parts.h"
#include "ui/app_state.h"
#include "ui/calculator/send_dialog.h"
#include "ui/main/main_window.h"
#include "ui/process/output_window.h"

namespace tessaline {
namespace {

// The real link, with the cables it lists chosen by the test: "TiEmu" is the
// link library's name for its virtual cable, port 2 the PC's end.
class ScriptedCables : public CalculatorLink {
public:
    std::vector<CableInfo> cables = {{"TiEmu", 2, "TiEmu, port 2"}};
    int sends = 0;
    // While held, a send waits before it starts, as a slow cable would.
    std::atomic<bool> held{false};
    std::atomic<bool> waiting{false};
    // While set, probing waits, as the link library's probing takes a while.
    std::atomic<bool> slowProbe{false};
    int timeoutTenths = 3;

    std::vector<CableInfo> findCables() override
    {
        while (slowProbe)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return cables;
    }
    SendResult send(const SendRequest& request, const ProgressCallback& progress,
                    const std::atomic<bool>* cancel) override
    {
        ++sends;
        waiting = true;
        while (held)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        waiting = false;
        SendRequest quick = request;
        quick.timeoutTenths = timeoutTenths;
        return link_.send(quick, progress, cancel);
    }

private:
    TiLink link_;
};

// The variable data the file writer puts in each single-variable file.
std::vector<std::string> writtenVariableData(const std::string& codes, Calculator calculator, const std::string& name)
{
    CalcWriteOptions options;
    options.format.calculator = calculator;
    options.name = name;
    const CalcWriteResult written = writeCalcText(codes, options);
    std::vector<std::string> data;
    for (const CalcFileBytes& file : written.files) {
        const std::size_t offset = 0x52 + 4;  // a single file's data block, after its four zero bytes
        data.push_back(file.bytes.substr(offset, file.bytes.size() - offset - 2));
    }
    return data;
}

std::string lines(std::size_t count, std::size_t length)
{
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += (i ? "\r\n" : "") + std::string(length, char('a' + i % 26));
    return text;
}

class SendDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<MainWindow>(state);
        form->setMessageBoxes(messages);
        form->show();
        main = std::make_unique<testing::MainWindowParts>(*form);
    }
    void TearDown() override
    {
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        link->held = false;
        link->slowProbe = false;
        EXPECT_TRUE(SendDialog::waitForBackgroundWork(std::chrono::seconds(5)));
    }

    // Processes a short text, puts `codes` in the output box as the
    // processed text and opens the dialog.
    QDialog* openDialog(const std::string& codes)
    {
        main->editor->setText("x");
        testing::processToEnd(*form, main->processButton);
        OutputWindow* window = testing::outputWindowOf(*form);
        EXPECT_NE(window, nullptr);
        if (!window)
            return nullptr;
        window->setCalculatorLink(link);
        testing::OutputWindowParts(*window).outputBox->setText(codes);
        testing::part<QAction>(*window->menuBar(), "sendToCalculator")->trigger();
        for (QDialog* dialog : window->findChildren<QDialog*>("sendDialog"))
            if (dialog->isVisible()) {
                // The cables are listed once probing has ended.
                EXPECT_TRUE(QTest::qWaitFor([&] { return testing::part<QPushButton>(*dialog, "refresh")->isEnabled(); },
                                            10000));
                return dialog;
            }
        ADD_FAILURE() << "no dialog";
        return nullptr;
    }
    // Presses Send and waits for the transfer to end; returns the result line.
    QString sendAndWait(QDialog& dialog)
    {
        QPushButton* close = testing::part<QPushButton>(dialog, "close");
        QTest::mouseClick(testing::part<QPushButton>(dialog, "send"), Qt::LeftButton);
        // The transfer is over when Close reads "Close" again.
        EXPECT_TRUE(QTest::qWaitFor([&] { return close->text() == "Close"; }, 60000));
        return testing::part<QLabel>(dialog, "result")->text();
    }
    void fill(QDialog& dialog, const QString& calculator, const QString& name, const QString& folder)
    {
        auto* combo = testing::part<QComboBox>(dialog, "calculator");
        combo->setCurrentIndex(combo->findText(calculator));
        testing::part<QLineEdit>(dialog, "variableName")->setText(name);
        testing::part<QLineEdit>(dialog, "folder")->setText(folder);
    }

    test::VirtualCableLock lock;
    AppState state;
    std::shared_ptr<ScriptedCables> link = std::make_shared<ScriptedCables>();
    std::shared_ptr<testing::RecordedMessageBoxes> messages = std::make_shared<testing::RecordedMessageBoxes>();
    std::unique_ptr<MainWindow> form;
    std::unique_ptr<testing::MainWindowParts> main;
};

struct ModelCase {
    Calculator calculator;
    const char* shown;
    std::string codes;
    const char* label;
};

void PrintTo(const ModelCase& modelCase, std::ostream* out) { *out << modelCase.label; }

class SendEveryModel : public SendDialogTest, public ::testing::WithParamInterface<ModelCase> {};

TEST_P(SendEveryModel, TheCalculatorStoresTheVariablesTheFileWriterWrites)
{
    QDialog* dialog = openDialog(GetParam().codes);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(testing::part<QComboBox>(*dialog, "cables")->currentText(), "TiEmu, port 2");
    fill(*dialog, GetParam().shown, "notes", "main");

    test::FakeCalculator fake(GetParam().calculator);
    ASSERT_TRUE(fake.start());
    const QString result = sendAndWait(*dialog);
    fake.stop();

    const std::vector<std::string> expected = writtenVariableData(GetParam().codes, GetParam().calculator, "notes");
    ASSERT_EQ(fake.stored().size(), expected.size()) << result.toStdString();
    std::size_t total = 0;
    std::string paths;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::string path = expected.size() == 1 ? "main\\notes" : "main\\notes" + std::to_string(i + 1);
        EXPECT_EQ(fake.stored()[i].path, path);
        EXPECT_TRUE(fake.stored()[i].data == expected[i]) << "variable " << i + 1 << " differs";
        total += expected[i].size();
        paths += (i ? ", " : "") + path;
    }
    EXPECT_EQ(result.toStdString(),
              "Sent " + std::to_string(total) + " bytes as " + paths
                  + (expected.size() > 1 ? " (" + std::to_string(expected.size()) + " parts)." : "."));
    auto* progress = testing::part<QProgressBar>(*dialog, "progress");
    EXPECT_EQ(progress->value(), progress->maximum());
    EXPECT_TRUE(dialog->isVisible()) << "the dialog stays to show the result";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SendEveryModel,
    ::testing::Values(ModelCase{Calculator::Ti89, "TI-89", "Hello\r\nWorld", "Ti89"},
                      ModelCase{Calculator::Ti92Plus, "TI-92 Plus", "Hello\r\nWorld\r\n", "Ti92Plus"},
                      ModelCase{Calculator::Voyage200, "Voyage 200", "\x8F\xB5 text\r\n", "Voyage200"},
                      // Three lines that fit only two by two: numbered parts.
                      ModelCase{Calculator::Ti89, "TI-89", lines(3, 30000), "Ti89InParts"}),
    [](const ::testing::TestParamInfo<ModelCase>& info) { return std::string(info.param.label); });

TEST_F(SendDialogTest, ARefusalAndASilentCalculatorEachGiveTheirLine)
{
    QDialog* dialog = openDialog("Hello");
    ASSERT_NE(dialog, nullptr);
    fill(*dialog, "TI-89", "notes", "main");
    {
        test::FakeCalculator fake(Calculator::Ti89, test::FakeAnswer::Refuse);
        ASSERT_TRUE(fake.start());
        EXPECT_EQ(sendAndWait(*dialog), "The calculator refused main\\notes (hand-held returned an error).");
        fake.stop();
        EXPECT_TRUE(fake.stored().empty());
    }
    {
        test::FakeCalculator fake(Calculator::Ti89, test::FakeAnswer::Silent);
        ASSERT_TRUE(fake.start());
        EXPECT_EQ(sendAndWait(*dialog),
                  "No calculator answers on the TiEmu cable on port 2; check that it is on and "
                  "at its home screen.");
        fake.stop();
    }
    // The dialog is ready for the next try.
    EXPECT_TRUE(testing::part<QPushButton>(*dialog, "send")->isEnabled());
    EXPECT_TRUE(testing::part<QLineEdit>(*dialog, "variableName")->isEnabled());
}

TEST_F(SendDialogTest, AMissingCableIsSaid)
{
    link->cables.clear();
    QDialog* dialog = openDialog("Hello");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(testing::part<QLabel>(*dialog, "result")->text(),
              "No cable found: connect the cable, then press Refresh.");
    // The emulator's cable and any other stay on offer.
    auto* cables = testing::part<QComboBox>(*dialog, "cables");
    ASSERT_EQ(cables->count(), 2);
    EXPECT_EQ(cables->itemText(0), "TiEmu emulator, port 2");
    EXPECT_EQ(cables->itemText(1), "Other cable…");
    EXPECT_TRUE(testing::part<QPushButton>(*dialog, "send")->isEnabled());

    // Refresh finds a cable that is listed but does not open.
    link->cables = {{"SilverLink", 4, "SilverLink, port 4"}};
    QTest::mouseClick(testing::part<QPushButton>(*dialog, "refresh"), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return testing::part<QPushButton>(*dialog, "refresh")->isEnabled(); }, 10000));
    EXPECT_EQ(testing::part<QComboBox>(*dialog, "cables")->currentText(), "SilverLink, port 4");
    EXPECT_TRUE(testing::part<QLabel>(*dialog, "result")->text().isEmpty());
    EXPECT_TRUE(sendAndWait(*dialog).startsWith("No cable: the SilverLink cable on port 4 does not open ("));
}

TEST_F(SendDialogTest, ATextOrNameNoVariableHoldsIsRefusedBeforeTheLinkIsUsed)
{
    const std::string withZero("ab\r\ncd\0e", 8);
    QDialog* dialog = openDialog(withZero);
    ASSERT_NE(dialog, nullptr);
    QTest::mouseClick(testing::part<QPushButton>(*dialog, "send"), Qt::LeftButton);
    EXPECT_EQ(testing::part<QLabel>(*dialog, "result")->text().toStdString(), splitCalcText(withZero, "text").error);

    fill(*dialog, "TI-89", "9lives", "main");
    QTest::mouseClick(testing::part<QPushButton>(*dialog, "send"), Qt::LeftButton);
    EXPECT_EQ(testing::part<QLabel>(*dialog, "nameProblem")->text().toStdString(),
              calcNameProblem("9lives", NameRole::Variable));
    EXPECT_EQ(link->sends, 0);
}

TEST_F(SendDialogTest, TheWindowKeepsRunningDuringATransferAndCancelStopsIt)
{
    QDialog* dialog = openDialog(lines(3, 40000));
    ASSERT_NE(dialog, nullptr);
    fill(*dialog, "TI-89", "notes", "main");
    test::FakeCalculator fake(Calculator::Ti89);
    ASSERT_TRUE(fake.start());
    QPushButton* close = testing::part<QPushButton>(*dialog, "close");
    link->held = true;
    QTest::mouseClick(testing::part<QPushButton>(*dialog, "send"), Qt::LeftButton);
    // The transfer waits on the worker while the window takes clicks.
    EXPECT_TRUE(QTest::qWaitFor([&] { return link->waiting.load(); }, 60000));
    EXPECT_EQ(close->text(), "Cancel");
    EXPECT_FALSE(testing::part<QPushButton>(*dialog, "send")->isEnabled());
    EXPECT_FALSE(testing::part<QLineEdit>(*dialog, "variableName")->isEnabled());
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_EQ(testing::part<QLabel>(*dialog, "result")->text(), QStringLiteral("Cancelling…"));
    link->held = false;
    auto* send = testing::part<QPushButton>(*dialog, "send");
    EXPECT_TRUE(QTest::qWaitFor([&] { return send->isEnabled(); }, 60000));
    EXPECT_TRUE(dialog->isVisible()) << "Cancel stops the transfer, not the dialog";
    fake.stop();
    const QString result = testing::part<QLabel>(*dialog, "result")->text();
    EXPECT_TRUE(result.startsWith("Cancelled")) << result.toStdString();
    EXPECT_TRUE(fake.stored().empty());
}

// Closing the dialog during a transfer cancels it and goes at once, even
// while the link does not let go; the transfer ends on its own.
TEST_F(SendDialogTest, ClosingTheDialogDuringATransferNeverWaits)
{
    QDialog* dialog = openDialog("Hello");
    ASSERT_NE(dialog, nullptr);
    link->held = true;
    QTest::mouseClick(testing::part<QPushButton>(*dialog, "send"), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return link->waiting.load(); }, 60000));
    const auto start = std::chrono::steady_clock::now();
    delete dialog;  // as closing the output window does
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    EXPECT_TRUE(link->waiting) << "the link still holds the transfer";
    link->held = false;
    EXPECT_TRUE(SendDialog::waitForBackgroundWork(std::chrono::seconds(5)));
    test::clearVirtualCable();
}

// Quitting during a transfer, once the user agrees, cuts it at once: the
// windows go without waiting for the link.
TEST_F(SendDialogTest, QuittingDuringATransferNeverWaits)
{
    QDialog* dialog = openDialog("Hello");
    ASSERT_NE(dialog, nullptr);
    link->held = true;
    QTest::mouseClick(testing::part<QPushButton>(*dialog, "send"), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return link->waiting.load(); }, 60000));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(form->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    ASSERT_FALSE(messages->actions.empty());
    EXPECT_EQ(messages->actions.back(), "&Quit Anyway");
    link->held = false;
    EXPECT_TRUE(SendDialog::waitForBackgroundWork(std::chrono::seconds(5)));
    test::clearVirtualCable();
}

// A calculator dripping its answers, within the step timeout: the dialog
// ends with the deadline's message, and the bar claims nothing arrived.
TEST_F(SendDialogTest, ADrippingCalculatorEndsWithAMessageAndAnEmptyBar)
{
    QDialog* dialog = openDialog("Hello");
    ASSERT_NE(dialog, nullptr);
    test::FakeCalculator fake(Calculator::Ti89, test::FakeAnswer::Drip, {250, {}});
    ASSERT_TRUE(fake.start());
    const QString result = sendAndWait(*dialog);
    fake.stop();
    EXPECT_TRUE(result.startsWith("Timeout: the calculator answers too slowly")) << result.toStdString();
    EXPECT_EQ(testing::part<QProgressBar>(*dialog, "progress")->value(), 0);
    test::clearVirtualCable();
}

TEST_F(SendDialogTest, CancelEndsAStalledVariableWithinASecondAndTheDialogCanClose)
{
    link->timeoutTenths = 100;
    QDialog* dialog = openDialog(std::string(kMaxVariableText - 1, 'x'));
    ASSERT_NE(dialog, nullptr);
    test::FakeCalculator fake(Calculator::Ti89, test::FakeAnswer::StopMidVariable);
    ASSERT_TRUE(fake.start());
    auto* close = testing::part<QPushButton>(*dialog, "close");
    auto* send = testing::part<QPushButton>(*dialog, "send");
    QTest::mouseClick(send, Qt::LeftButton);
    QTest::qWait(800);
    EXPECT_EQ(close->text(), "Cancel");
    QTest::mouseClick(close, Qt::LeftButton);
    const auto cancelled = std::chrono::steady_clock::now();
    EXPECT_EQ(close->text(), "Close") << "while it cancels, the dialog can close";
    EXPECT_TRUE(QTest::qWaitFor([&] { return send->isEnabled(); }, 5000));
    // A second, and room for a machine busy with other work.
    EXPECT_LT(std::chrono::steady_clock::now() - cancelled, std::chrono::milliseconds(1500));
    fake.stop();
    EXPECT_EQ(testing::part<QLabel>(*dialog, "result")->text(), "Cancelled while sending main\\text.");
    EXPECT_EQ(testing::part<QProgressBar>(*dialog, "progress")->value(), 0);
    EXPECT_TRUE(fake.stored().empty());
    test::clearVirtualCable();
}

TEST_F(SendDialogTest, AVariableTheCalculatorHoldsIsReplacedOnlyAfterReplace)
{
    QDialog* dialog = openDialog("Hello");
    ASSERT_NE(dialog, nullptr);
    fill(*dialog, "TI-89", "notes", "main");
    test::FakeCalculator fake(Calculator::Ti89, test::FakeAnswer::Accept, {0, {"main\\notes"}});
    ASSERT_TRUE(fake.start());
    auto* send = testing::part<QPushButton>(*dialog, "send");
    EXPECT_EQ(sendAndWait(*dialog),
              "The calculator already holds main\\notes; nothing was sent. Press Replace to replace it on the "
              "calculator.");
    EXPECT_EQ(send->text(), "&Replace");
    // A new name is a new question: Send again, not Replace.
    fill(*dialog, "TI-89", "other", "main");
    testing::part<QCheckBox>(*dialog, "archive")->setChecked(true);
    EXPECT_TRUE(sendAndWait(*dialog).startsWith("Sent "));
    EXPECT_EQ(send->text(), "&Send");
    fill(*dialog, "TI-89", "notes", "main");
    EXPECT_TRUE(sendAndWait(*dialog).startsWith("The calculator already holds main\\notes;"));
    EXPECT_TRUE(sendAndWait(*dialog).startsWith("Sent ")) << "Replace replaces";
    fake.stop();
    ASSERT_EQ(fake.stored().size(), 2u);
    EXPECT_EQ(fake.stored()[0].path, "main\\other");
    EXPECT_TRUE(fake.stored()[0].archived);
    EXPECT_EQ(fake.stored()[1].path, "main\\notes");
}

// Any cable by name and port, and probing that never holds the window.
TEST_F(SendDialogTest, AnyCableByNameAndPortAndProbingOffTheWindow)
{
    link->cables.clear();
    QDialog* dialog = openDialog("Hello");
    ASSERT_NE(dialog, nullptr);
    auto* cables = testing::part<QComboBox>(*dialog, "cables");
    auto* model = testing::part<QComboBox>(*dialog, "otherCableModel");
    auto* port = testing::part<QSpinBox>(*dialog, "otherCablePort");
    EXPECT_FALSE(model->isVisible());
    cables->setCurrentIndex(1);
    EXPECT_TRUE(model->isVisible());
    model->setCurrentIndex(model->findText("TiEmu"));
    port->setValue(2);
    test::FakeCalculator fake(Calculator::Ti89);
    ASSERT_TRUE(fake.start());
    EXPECT_TRUE(sendAndWait(*dialog).startsWith("Sent "));
    fake.stop();
    EXPECT_EQ(fake.stored().size(), 1u);

    link->slowProbe = true;
    QTest::mouseClick(testing::part<QPushButton>(*dialog, "refresh"), Qt::LeftButton);
    EXPECT_EQ(testing::part<QLabel>(*dialog, "result")->text(), QStringLiteral("Looking for cables…"));
    EXPECT_FALSE(testing::part<QPushButton>(*dialog, "send")->isEnabled());
    QTest::qWait(100);  // the window keeps running meanwhile
    link->cables = {{"SilverLink", 1, "SilverLink, port 1"}};
    link->slowProbe = false;
    EXPECT_TRUE(QTest::qWaitFor([&] { return cables->count() == 3; }, 5000));
    EXPECT_EQ(cables->itemText(0), "SilverLink, port 1");
    EXPECT_TRUE(testing::part<QLabel>(*dialog, "result")->text().isEmpty());
}

}  // namespace
}  // namespace tessaline
