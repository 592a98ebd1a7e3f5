// The widgets of the three windows, looked up by their object names as any
// user of a window (a test, a screen reader) sees them. A lookup fails the
// test when the name is missing.
#pragma once

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <array>
#include <gtest/gtest.h>
#include <vector>

#include "ui/about/about_box.h"
#include "ui/editor/calculator_text_edit.h"
#include "ui/process/output_window.h"
#include "ui/process/process_run.h"

namespace tessaline::testing {

template <typename W>
W* part(const QObject& parent, const QString& name)
{
    W* found = parent.findChild<W*>(name);
    EXPECT_NE(found, nullptr) << "no " << name.toStdString();
    return found;
}

// The main window: its client area's controls and its menus.
struct MainWindowParts {
    explicit MainWindowParts(const QMainWindow& window)
    {
        const QWidget& client = *window.centralWidget();
        const QMenuBar& bar = *window.menuBar();
        this->client = window.centralWidget();
        presetFrame = part<QGroupBox>(client, "Frame7");
        presetCombo = part<QComboBox>(client, "Combo1");
        hideToolsCheck = part<QCheckBox>(client, "Check1");
        customSizeEdit = part<QLineEdit>(client, "Text2");
        customSizeLabel = part<QLabel>(client, "Label2");
        editor = part<CalculatorTextEdit>(client, "Text1");
        widthList = part<QListWidget>(client, "List1");
        widthListNote = part<QLabel>(client, "Label1");
        textSizeFrame = part<QGroupBox>(client, "Frame6");
        smallerTextButton = part<QPushButton>(client, "Command7");
        largerTextButton = part<QPushButton>(client, "Command6");
        paletteFrame = part<QGroupBox>(client, "Frame5");
        paletteShownCheck = part<QCheckBox>(client, "Check3");
        for (std::size_t i = 0; i < paletteButtons.size(); ++i)
            paletteButtons[i] = part<QPushButton>(client, QStringLiteral("Command5_%1").arg(i));
        bigButtonsCheck = part<QCheckBox>(client, "Check2");
        processButton = part<QPushButton>(client, "Command1");
        chapterFrame = part<QGroupBox>(client, "Frame2");
        chapterButton = part<QPushButton>(client, "Command2");
        chapterTitleEdit = part<QLineEdit>(client, "Text6");
        chapterTitleLabel = part<QLabel>(client, "Label7");
        pictureFrame = part<QGroupBox>(client, "Frame3");
        pictureButton = part<QPushButton>(client, "Command3");
        pictureNameEdit = part<QLineEdit>(client, "Text7");
        pictureNameLabel = part<QLabel>(client, "Label8");
        pageBreakFrame = part<QGroupBox>(client, "Frame4");
        pageBreakButton = part<QPushButton>(client, "Command4");
        fileMenu = part<QMenu>(bar, "file");
        openAction = part<QAction>(bar, "load");
        saveAction = part<QAction>(bar, "save");
        quitAction = part<QAction>(bar, "quit");
        settingsMenu = part<QMenu>(bar, "settings");
        wordWrapAction = part<QAction>(bar, "wrap");
        aboutAction = part<QAction>(bar, "about");
    }

    QWidget* client = nullptr;
    QGroupBox* presetFrame = nullptr;
    QComboBox* presetCombo = nullptr;
    QCheckBox* hideToolsCheck = nullptr;
    QLineEdit* customSizeEdit = nullptr;
    QLabel* customSizeLabel = nullptr;
    CalculatorTextEdit* editor = nullptr;
    QListWidget* widthList = nullptr;
    QLabel* widthListNote = nullptr;
    QGroupBox* textSizeFrame = nullptr;
    QPushButton* smallerTextButton = nullptr;
    QPushButton* largerTextButton = nullptr;
    QGroupBox* paletteFrame = nullptr;
    QCheckBox* paletteShownCheck = nullptr;
    std::array<QPushButton*, 64> paletteButtons{};
    QCheckBox* bigButtonsCheck = nullptr;
    QPushButton* processButton = nullptr;
    QGroupBox* chapterFrame = nullptr;
    QPushButton* chapterButton = nullptr;
    QLineEdit* chapterTitleEdit = nullptr;
    QLabel* chapterTitleLabel = nullptr;
    QGroupBox* pictureFrame = nullptr;
    QPushButton* pictureButton = nullptr;
    QLineEdit* pictureNameEdit = nullptr;
    QLabel* pictureNameLabel = nullptr;
    QGroupBox* pageBreakFrame = nullptr;
    QPushButton* pageBreakButton = nullptr;
    QMenu* fileMenu = nullptr;
    QAction* openAction = nullptr;
    QAction* saveAction = nullptr;
    QAction* quitAction = nullptr;
    QMenu* settingsMenu = nullptr;
    QAction* wordWrapAction = nullptr;
    QAction* aboutAction = nullptr;
};

// The output window. Each run puts a new output box in place, so the parts
// are looked up afresh after a run.
struct OutputWindowParts {
    explicit OutputWindowParts(const QMainWindow& window)
    {
        const QWidget& client = *window.centralWidget();
        const QMenuBar& bar = *window.menuBar();
        sizeCaption = part<QLabel>(client, "Label1");
        sizeLabel = part<QLabel>(client, "Label2");
        modificationsCaption = part<QLabel>(client, "Label3");
        modificationsLabel = part<QLabel>(client, "Label4");
        outputBox = part<CalculatorTextEdit>(client, "text2");
        progressBar = part<QProgressBar>(client, "ProgressBar1");
        cancelButton = part<QPushButton>(client, "Command1");
        fileMenu = part<QMenu>(bar, "file");
        saveAction = part<QAction>(bar, "save");
        copyAction = part<QAction>(bar, "copy");
    }

    QLabel* sizeCaption = nullptr;
    QLabel* sizeLabel = nullptr;
    QLabel* modificationsCaption = nullptr;
    QLabel* modificationsLabel = nullptr;
    CalculatorTextEdit* outputBox = nullptr;
    QProgressBar* progressBar = nullptr;
    QPushButton* cancelButton = nullptr;
    QMenu* fileMenu = nullptr;
    QAction* saveAction = nullptr;
    QAction* copyAction = nullptr;
};

// The about box.
struct AboutBoxParts {
    explicit AboutBoxParts(const QDialog& box)
    {
        icon = part<QLabel>(box, "picIcon");
        title = part<QLabel>(box, "lblTitle");
        description = part<QLabel>(box, "lblDescription");
        disclaimer = part<QLabel>(box, "lblDisclaimer");
        whiteLine = part<QFrame>(box, "Line1_0");
        greyLine = part<QFrame>(box, "Line1_1");
        okButton = part<QPushButton>(box, "cmdOK");
        sysInfoButton = part<QPushButton>(box, "cmdSysInfo");
    }

    QLabel* icon = nullptr;
    QLabel* title = nullptr;
    QLabel* description = nullptr;
    QLabel* disclaimer = nullptr;
    QFrame* whiteLine = nullptr;
    QFrame* greyLine = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* sysInfoButton = nullptr;
};

// The windows of one kind that are open now. The output window and the
// about box have no owner, so they are found among the top-level windows.
template <typename W>
std::vector<W*> topLevelWindows()
{
    std::vector<W*> found;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<W*>(widget))
            found.push_back(window);
    return found;
}

// Waits, turning the event loop, until the PROCESS run of `owner` (the main
// window, or the owner given to a ProcessRun) has ended: a run goes on after
// the click that starts it. False when it did not end within `timeoutMs`.
inline bool waitForRunEnd(const QWidget& owner, int timeoutMs = 300'000)
{
    const QPointer<ProcessRun> run = owner.findChild<ProcessRun*>(QString(), Qt::FindDirectChildrenOnly);
    return QTest::qWaitFor([&run] { return run.isNull() || !run->isRunning(); }, timeoutMs);
}

// Clicks PROCESS and waits for the run's end.
inline void processToEnd(const QWidget& main, QPushButton* processButton)
{
    QTest::mouseClick(processButton, Qt::LeftButton);
    EXPECT_TRUE(waitForRunEnd(main)) << "the run did not end";
}

// The output window of a main window (made by its first PROCESS), or null
// before that and once the user closed it. `main` is the one main window of
// the test.
inline OutputWindow* outputWindowOf(const QWidget& /*main*/)
{
    OutputWindow* open = nullptr;
    for (OutputWindow* window : topLevelWindows<OutputWindow>())
        if (!window->isClosed())
            open = window;
    return open;
}

// The about box opened from `main`, while it is shown.
inline AboutBox* aboutBoxOf(const QWidget& /*main*/)
{
    for (AboutBox* box : topLevelWindows<AboutBox>())
        if (box->isVisible())
            return box;
    return nullptr;
}

}  // namespace tessaline::testing
