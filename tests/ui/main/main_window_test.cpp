// The main window right after start-up: every control where the layout puts
// it with its caption, tooltip, font and visibility; the menus; stacking and
// tab order; the start-up values; the window's fixed size; quitting.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "charset/charset.h"
#include "engine/char_widths.h"
#include "tests/ui/process/progress_watch.h"
#include "tests/ui/window_parts.h"
#include "ui/about/about_box.h"
#include "ui/app_icon.h"
#include "ui/app_state.h"
#include "ui/editor/calculator_text_edit.h"
#include "ui/main/main_window.h"
#include "ui/main/palette.h"
#include "ui/process/output_window.h"
#include "ui/twips.h"

namespace tessaline {
namespace {

const QString kTextSizeTip = QStringLiteral("change font size (doesn`t affect font within Folivane!");

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<MainWindow>(state);
        ui = std::make_unique<testing::MainWindowParts>(*window);
    }

    void showWindow()
    {
        window->show();
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        QApplication::processEvents();
    }

    QWidget* control(const char* name) const { return window->findChild<QWidget*>(QString::fromLatin1(name)); }

    // Runs the application's event loop, as the program does, until the
    // window quits it (or 10 s pass). Returns 0 when the program was told to
    // quit.
    int runUntilQuit(const std::function<void()>& start)
    {
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(7); });
        guard.start(10000);
        QTimer::singleShot(0, window.get(), start);
        return QApplication::exec();
    }

    AppState state;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<testing::MainWindowParts> ui;
};

struct ControlLayout {
    const char* name;
    const char* parent;  // "client" for the window's client area
    int left, top, width, height;
    bool shown;
};

TEST_F(MainWindowTest, EveryControlStandsWhereTheLayoutPutsIt)
{
    const std::vector<ControlLayout> layouts = {
        {"Frame7", "client", 5160, 3360, 3255, 975, true}, {"Combo1", "Frame7", 120, 240, 3015, 315, true},
        {"Check1", "Frame7", 2040, 600, 1095, 255, false}, {"Text2", "Frame7", 1080, 600, 855, 285, false},
        {"Label2", "Frame7", 120, 600, 975, 255, false},   {"Text1", "client", 0, 840, 8415, 2535, true},
        {"List1", "client", 0, 0, 1695, 255, false},       {"Frame6", "client", 0, 3360, 1575, 615, true},
        {"Command7", "Frame6", 120, 240, 615, 255, true},  {"Command6", "Frame6", 840, 240, 615, 255, true},
        {"Frame5", "client", 0, 4320, 8415, 1335, true},   {"Check3", "Frame5", 120, 0, 255, 195, true},
        {"Check2", "Frame5", 7080, 960, 1215, 255, true},  {"Command1", "client", 2640, 3600, 1935, 375, true},
        {"Frame2", "client", 1320, 120, 3975, 615, true},  {"Command2", "Frame2", 3120, 240, 735, 255, true},
        {"Text6", "Frame2", 600, 240, 2415, 285, true},    {"Label7", "Frame2", 120, 240, 495, 255, true},
        {"Frame3", "client", 5400, 120, 3015, 615, true},  {"Command3", "Frame3", 2040, 240, 855, 255, true},
        {"Text7", "Frame3", 720, 240, 1215, 285, true},    {"Label8", "Frame3", 120, 240, 495, 255, true},
        {"Frame4", "client", 0, 120, 1215, 615, true},     {"Command4", "Frame4", 240, 240, 735, 255, true},
        {"Label1", "client", 1800, 0, 2775, 495, false},
    };
    showWindow();
    for (const ControlLayout& item : layouts) {
        SCOPED_TRACE(item.name);
        QWidget* w = control(item.name);
        ASSERT_NE(w, nullptr);
        ASSERT_NE(w->parentWidget(), nullptr);
        EXPECT_EQ(w->parentWidget()->objectName(), QString::fromLatin1(item.parent));
        EXPECT_EQ(w->geometry(), twipsRect(item.left, item.top, item.width, item.height));
        EXPECT_EQ(w->isVisible(), item.shown);
        // Every shown control is enabled; the width list is not.
        EXPECT_EQ(w->isEnabled(), item.name != std::string("List1"));
    }
    for (int i = 0; i < 64; ++i) {
        SCOPED_TRACE(i);
        QPushButton* b = ui->paletteButtons[i];
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->objectName(), QStringLiteral("Command5_%1").arg(i));
        EXPECT_EQ(b->parentWidget(), ui->paletteFrame);
        const int row = i < 23 ? 0 : (i < 46 ? 1 : 2);
        const int column = i - (row == 0 ? 0 : (row == 1 ? 23 : 46));
        EXPECT_EQ(b->geometry(), twipsRect(120 + 360 * column, 240 + 360 * row, 255, 255));
        EXPECT_TRUE(b->isVisible());
    }
    EXPECT_EQ(ui->paletteButtons[63]->geometry().left(), twipsToPixels(6240));

    // The public members are the named controls.
    EXPECT_EQ(ui->presetFrame, control("Frame7"));
    EXPECT_EQ(ui->editor, control("Text1"));
    EXPECT_EQ(ui->processButton, control("Command1"));
    EXPECT_EQ(ui->widthListNote, control("Label1"));
}

TEST_F(MainWindowTest, CaptionsTextsTooltipsAndFontsAreTheDesignOnes)
{
    EXPECT_EQ(ui->presetFrame->title(), QStringLiteral("Desired Line Length"));
    EXPECT_EQ(ui->hideToolsCheck->text(), QStringLiteral("Hide Tools"));
    EXPECT_FALSE(ui->hideToolsCheck->isChecked());
    EXPECT_EQ(ui->customSizeEdit->text(), QString());
    EXPECT_EQ(ui->customSizeLabel->text(), QStringLiteral("Custom Size"));
    EXPECT_EQ(ui->editor->text(), "Enter Text Here");
    EXPECT_EQ(ui->textSizeFrame->title(), QStringLiteral("Text Size (9)"));
    EXPECT_EQ(ui->smallerTextButton->text(), QStringLiteral("-"));
    EXPECT_EQ(ui->largerTextButton->text(), QStringLiteral("+"));
    EXPECT_EQ(ui->paletteFrame->title(), QStringLiteral("     Special Characters"));
    EXPECT_EQ(ui->paletteShownCheck->text(), QString());
    EXPECT_TRUE(ui->paletteShownCheck->isChecked());
    EXPECT_EQ(ui->bigButtonsCheck->text(), QStringLiteral("Big Buttons"));
    EXPECT_FALSE(ui->bigButtonsCheck->isChecked());
    EXPECT_EQ(ui->processButton->text(), QStringLiteral("PROCESS"));
    EXPECT_EQ(ui->chapterFrame->title(), QStringLiteral("Insert New Chapter"));
    EXPECT_EQ(ui->chapterButton->text(), QStringLiteral("Insert"));
    EXPECT_EQ(ui->chapterTitleEdit->text(), QString());
    EXPECT_EQ(ui->chapterTitleLabel->text(), QStringLiteral("Title"));
    EXPECT_EQ(ui->pictureFrame->title(), QStringLiteral("Insert Picture"));
    EXPECT_EQ(ui->pictureButton->text(), QStringLiteral("Insert"));
    EXPECT_EQ(ui->pictureNameEdit->text(), QString());
    EXPECT_EQ(ui->pictureNameEdit->maxLength(), 8);
    EXPECT_EQ(ui->chapterTitleEdit->maxLength(), 32767);
    EXPECT_EQ(ui->pictureNameLabel->text(), QStringLiteral("Name"));
    EXPECT_EQ(ui->pageBreakFrame->title(), QStringLiteral("Page Break"));
    EXPECT_EQ(ui->pageBreakButton->text(), QStringLiteral("Insert"));
    EXPECT_EQ(ui->widthListNote->text(),
              QStringLiteral("<- The sizes are stored in this hidden listbox. (I used it as a quick array)"));

    // Tooltips: the text-size one spells its apostrophe as a grave accent and
    // has no closing parenthesis.
    EXPECT_EQ(ui->textSizeFrame->toolTip(), kTextSizeTip);
    EXPECT_EQ(ui->largerTextButton->toolTip(), kTextSizeTip);
    EXPECT_EQ(ui->smallerTextButton->toolTip(), kTextSizeTip);
    EXPECT_EQ(ui->processButton->toolTip(), QStringLiteral("Click here to Process Text"));
    EXPECT_EQ(ui->chapterButton->toolTip(), QStringLiteral("Commands need to be on a new line"));
    EXPECT_EQ(ui->pictureButton->toolTip(), QStringLiteral("Command needs to be on a new line"));
    EXPECT_EQ(ui->pageBreakButton->toolTip(), QStringLiteral("Command needs to be on a new line"));
    for (QWidget* w : {static_cast<QWidget*>(ui->presetFrame), static_cast<QWidget*>(ui->presetCombo),
                       static_cast<QWidget*>(ui->editor), static_cast<QWidget*>(ui->paletteFrame),
                       static_cast<QWidget*>(ui->chapterTitleEdit), static_cast<QWidget*>(ui->paletteButtons[0])})
        EXPECT_TRUE(w->toolTip().isEmpty()) << w->objectName().toStdString();

    // Fonts: the calculator font for the editor and the palette, the large
    // dialog font for + and -, the dialog font elsewhere.
    EXPECT_EQ(ui->editor->font().family(), QStringLiteral("Ti92Pluspc"));
    EXPECT_DOUBLE_EQ(ui->editor->fontSize(), 9.0);
    EXPECT_EQ(ui->editor->font().weight(), QFont::Normal);
    for (QPushButton* b : ui->paletteButtons) {
        EXPECT_EQ(b->font().family(), QStringLiteral("Ti92Pluspc"));
        EXPECT_DOUBLE_EQ(b->font().pointSizeF(), 9.75);
    }
    EXPECT_EQ(ui->largerTextButton->font().family(), QStringLiteral("MS Sans Serif"));
    EXPECT_DOUBLE_EQ(ui->largerTextButton->font().pointSizeF(), 12.0);
    EXPECT_DOUBLE_EQ(ui->smallerTextButton->font().pointSizeF(), 12.0);
    for (QWidget* w : {static_cast<QWidget*>(ui->processButton), static_cast<QWidget*>(ui->presetCombo),
                       static_cast<QWidget*>(ui->chapterTitleLabel), static_cast<QWidget*>(ui->paletteFrame)}) {
        EXPECT_EQ(w->font().family(), QStringLiteral("MS Sans Serif")) << w->objectName().toStdString();
        EXPECT_DOUBLE_EQ(w->font().pointSizeF(), 8.0);
    }
    // The stand-in fonts draw every character the palette shows...
    for (std::size_t i = 0; i < kPaletteCodes.size(); ++i) {
        const QString caption = ui->paletteButtons[i]->text();
        const QFontMetrics metrics(ui->paletteButtons[i]->font());
        EXPECT_TRUE(metrics.inFont(caption.at(0))) << "button " << i;
    }
    // ... and every character of the calculator's set, in one of them.
    const QStringList standIns = QFont::substitutes(QStringLiteral("Ti92Pluspc"));
    ASSERT_FALSE(standIns.isEmpty());
    for (int code = 0; code < 256; ++code) {
        if (code == 9 || code == 10 || code == 13)
            continue;  // tab and the line end are not drawn
        const char32_t c = charset::shown(static_cast<unsigned char>(code))[0];
        bool drawn = false;
        for (const QString& family : standIns)
            drawn = drawn || QFontMetrics(QFont(family)).inFontUcs4(c);
        EXPECT_TRUE(drawn) << "code " << code;
    }
}

TEST_F(MainWindowTest, StartUpFillsTheSettingsThePresetBoxAndThePalette)
{
    EXPECT_TRUE(state.credit.startsWith(QStringLiteral("Tessaline  by ")));
    EXPECT_GT(state.credit.size(), 14);
    EXPECT_TRUE(state.settings.measureInPixels);
    EXPECT_EQ(state.settings.lineLimit, 160);

    // The widths come from the hidden list.
    ASSERT_EQ(ui->widthList->count(), 256);
    for (int k = 0; k < 256; ++k)
        EXPECT_EQ(ui->widthList->item(k)->text().toStdString(), std::string(widthStrings()[k]));
    EXPECT_EQ(state.settings.charWidths, defaultCharWidths());
    EXPECT_EQ(state.settings.charWidths[0], 0);
    EXPECT_EQ(state.settings.charWidths[256], 0);
    EXPECT_EQ(state.settings.charWidths[32], 2);
    EXPECT_EQ(state.settings.charWidths[13], 0);
    EXPECT_EQ(state.settings.charWidths[10], 0);
    EXPECT_EQ(state.settings.charWidths[174], 8);
    EXPECT_EQ(state.settings.charWidths[14], 5);

    // The preset box: six items, not editable, item 0 chosen.
    ASSERT_EQ(ui->presetCombo->count(), 6);
    const QStringList items = {
        QStringLiteral("Folivane on TI89 (160pixels)"),   QStringLiteral("Folivane on TI92+ (240pixels)"),
        QStringLiteral("Text Editor on TI89  (23chars)"), QStringLiteral("Text Editor on TI92+ (37chars)"),
        QStringLiteral("Custom (number of characters)"),  QStringLiteral("Custom (number of pixels)")};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(ui->presetCombo->itemText(i), items[i]);
    EXPECT_FALSE(ui->presetCombo->isEditable());
    EXPECT_EQ(ui->presetCombo->currentIndex(), 0);
    EXPECT_EQ(ui->presetCombo->currentText(), items[0]);

    // Each palette button carries exactly the character of its code.
    for (std::size_t i = 0; i < kPaletteCodes.size(); ++i) {
        const std::u32string_view shown = charset::shown(kPaletteCodes[i]);
        EXPECT_EQ(ui->paletteButtons[i]->text(), QString::fromUcs4(shown.data(), static_cast<qsizetype>(shown.size())))
            << "button " << i;
    }
    EXPECT_EQ(ui->paletteButtons[0]->text(), QStringLiteral("\u00d0"));
}

TEST_F(MainWindowTest, MenusHaveTheirCaptionsAndAboutActsFromTheBar)
{
    const QList<QAction*> bar = window->menuBar()->actions();
    ASSERT_EQ(bar.size(), 3);
    EXPECT_EQ(bar[0]->text(), QStringLiteral("&File"));
    EXPECT_EQ(bar[0]->menu(), ui->fileMenu);
    EXPECT_EQ(bar[1]->text(), QStringLiteral("&Settings"));
    EXPECT_EQ(bar[1]->menu(), ui->settingsMenu);
    EXPECT_EQ(bar[2], ui->aboutAction);
    EXPECT_EQ(ui->aboutAction->text(), QStringLiteral("&About"));
    EXPECT_EQ(ui->aboutAction->menu(), nullptr);

    EXPECT_EQ(ui->fileMenu->objectName(), QStringLiteral("file"));
    EXPECT_EQ(ui->settingsMenu->objectName(), QStringLiteral("settings"));
    const QList<QAction*> fileItems = ui->fileMenu->actions();
    ASSERT_EQ(fileItems.size(), 3);
    EXPECT_EQ(fileItems[0], ui->openAction);
    EXPECT_EQ(fileItems[1], ui->saveAction);
    EXPECT_EQ(fileItems[2], ui->quitAction);
    EXPECT_EQ(ui->openAction->text(), QStringLiteral("&Open Text"));
    EXPECT_EQ(ui->saveAction->text(), QStringLiteral("&Save Text"));
    EXPECT_EQ(ui->quitAction->text(), QStringLiteral("&Quit"));
    ASSERT_EQ(ui->settingsMenu->actions().size(), 2);
    EXPECT_EQ(ui->settingsMenu->actions()[0], ui->wordWrapAction);
    // Then the Hyphenation submenu (tests/ui/main/hyphenation_menu_test.cpp).
    ASSERT_NE(ui->settingsMenu->actions()[1]->menu(), nullptr);
    EXPECT_EQ(ui->settingsMenu->actions()[1]->text(), QStringLiteral("Hyphenation"));
    EXPECT_EQ(ui->wordWrapAction->text(), QStringLiteral("Word Wrap"));
    EXPECT_TRUE(ui->wordWrapAction->isCheckable());
    EXPECT_TRUE(ui->wordWrapAction->isChecked());
    for (QAction* a : {ui->openAction, ui->saveAction, ui->quitAction, ui->wordWrapAction, ui->aboutAction}) {
        EXPECT_TRUE(a->isEnabled());
        EXPECT_TRUE(a->isVisible());
        EXPECT_TRUE(a->shortcut().isEmpty());
    }
    EXPECT_EQ(ui->openAction->objectName(), QStringLiteral("load"));
    EXPECT_EQ(ui->saveAction->objectName(), QStringLiteral("save"));
    EXPECT_EQ(ui->quitAction->objectName(), QStringLiteral("quit"));
    EXPECT_EQ(ui->wordWrapAction->objectName(), QStringLiteral("wrap"));
    EXPECT_EQ(ui->aboutAction->objectName(), QStringLiteral("about"));

    // Choosing "Word Wrap" from its menu toggles the check mark once.
    ui->wordWrapAction->trigger();
    EXPECT_FALSE(ui->wordWrapAction->isChecked());
    ui->wordWrapAction->trigger();
    EXPECT_TRUE(ui->wordWrapAction->isChecked());

    // "&About" on the bar opens the about box at once.
    showWindow();
    EXPECT_EQ(testing::aboutBoxOf(*window), nullptr);
    ui->aboutAction->trigger();
    QApplication::processEvents();
    ASSERT_NE(testing::aboutBoxOf(*window), nullptr);
    EXPECT_TRUE(testing::aboutBoxOf(*window)->isVisible());
    testing::aboutBoxOf(*window)->close();
}

TEST_F(MainWindowTest, IsAFixedCentredWindowWhoseHeightFollowsThePalette)
{
    // "[*]" marks where the title shows unsaved changes.
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tessaline[*]"));
    EXPECT_FALSE(window->isWindowModified());
    EXPECT_FALSE(window->windowIcon().isNull());
    // The icon is a 32 x 32 drawing, not a blank square.
    const QImage icon = appIconPixmap().toImage();
    EXPECT_EQ(icon.size(), QSize(32, 32));
    QSet<QRgb> colours;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            colours.insert(icon.pixel(x, y));
    EXPECT_GT(colours.size(), 8);
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);  // rounded corners
    EXPECT_EQ(qAlpha(icon.pixel(16, 16)), 255);
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);

    showWindow();
    const int menuHeight =
        std::max(window->menuBar()->sizeHint().height(), window->menuBar()->minimumSizeHint().height());
    EXPECT_GT(menuHeight, 10);
    EXPECT_EQ(ui->client->size(), QSize(twipsToPixels(8430), twipsToPixels(5700)));
    EXPECT_EQ(ui->client->geometry().top(), window->menuBar()->geometry().bottom() + 1);
    EXPECT_EQ(window->size(), QSize(562, menuHeight + 380));
    // The user cannot resize it.
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    window->resize(800, 600);
    QApplication::processEvents();
    EXPECT_EQ(window->size(), QSize(562, menuHeight + 380));

    // Centred on its screen at start-up.
    const QRect screen = window->screen()->availableGeometry();
    const QPoint offset = window->frameGeometry().center() - screen.center();
    EXPECT_LE(std::abs(offset.x()), 2);
    EXPECT_LE(std::abs(offset.y()), 2);

    // Outer heights: with the palette collapsed (5295) and shown (6360)
    // they differ by 1065 twips.
    ui->paletteShownCheck->setChecked(false);
    QApplication::processEvents();
    EXPECT_EQ(ui->client->height(), twipsToPixels(4635));
    EXPECT_EQ(window->height(), menuHeight + twipsToPixels(4635));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    ui->paletteShownCheck->setChecked(true);
    QApplication::processEvents();
    EXPECT_EQ(ui->client->height(), 380);
    EXPECT_EQ(window->height(), menuHeight + 380);
}

TEST_F(MainWindowTest, EditorMovedUpCoversTheMarkupToolsAndChildrenLieAboveTheirFrames)
{
    showWindow();
    QWidget* client = ui->client;
    const QPoint inChapterFrame = ui->chapterFrame->geometry().center();
    const QPoint inTitleBox = ui->chapterTitleEdit->mapTo(client, ui->chapterTitleEdit->rect().center());
    EXPECT_EQ(client->childAt(inTitleBox), ui->chapterTitleEdit);

    // "Hide Tools" moves the editor to Top 0: it covers the frames.
    ui->presetCombo->setCurrentIndex(2);
    ui->hideToolsCheck->setChecked(true);
    QApplication::processEvents();
    for (const QPoint& p :
         {inChapterFrame, inTitleBox, ui->pageBreakFrame->geometry().center(), ui->pictureFrame->geometry().center()}) {
        QWidget* top = client->childAt(p);
        ASSERT_NE(top, nullptr);
        EXPECT_TRUE(top == ui->editor || ui->editor->isAncestorOf(top)) << top->objectName().toStdString();
    }
    // The line-length frame lies over the palette frame where they overlap
    // (4320 to 4335), and the palette box over its frame's title.
    const QPoint overlap(twipsToPixels(6000), twipsToPixels(4320));
    QWidget* top = client->childAt(overlap);
    ASSERT_NE(top, nullptr);
    EXPECT_TRUE(top == ui->presetFrame || ui->presetFrame->isAncestorOf(top));
    EXPECT_EQ(ui->paletteFrame->childAt(ui->paletteShownCheck->geometry().center()), ui->paletteShownCheck);
}

TEST_F(MainWindowTest, FocusStartsOnProcessAndTabFollowsTheDesignOrder)
{
    showWindow();
    EXPECT_EQ(QApplication::focusWidget(), ui->processButton);
    EXPECT_TRUE(ui->processButton->hasFocus());

    // The controls the Tab key reaches, in order, from PROCESS round again.
    std::vector<QWidget*> expected = {ui->processButton,   ui->chapterTitleEdit, ui->chapterButton,
                                      ui->pictureNameEdit, ui->pictureButton,    ui->pageBreakButton};
    for (int i = 0; i < 64; ++i)
        if (i != 39)
            expected.push_back(ui->paletteButtons[i]);
    expected.push_back(ui->largerTextButton);
    expected.push_back(ui->smallerTextButton);
    expected.push_back(ui->editor);
    expected.push_back(ui->presetCombo);  // the custom size and "Hide Tools" are hidden
    expected.push_back(ui->bigButtonsCheck);
    expected.push_back(ui->paletteButtons[39]);
    expected.push_back(ui->paletteShownCheck);

    std::vector<QWidget*> reached;
    QWidget* w = ui->processButton;
    do {
        if (w->isVisibleTo(window.get()) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)
            && w->window() == window.get())
            reached.push_back(w);
        w = w->nextInFocusChain();
    } while (w != ui->processButton && reached.size() < 200);
    EXPECT_EQ(reached, expected);

    // The Tab key itself follows it.
    QTest::keyClick(ui->processButton, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), ui->chapterTitleEdit);
    QTest::keyClick(ui->chapterTitleEdit, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), ui->chapterButton);
    QTest::keyClick(ui->chapterButton, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), ui->chapterTitleEdit);

    // With the custom presets the hidden controls join in their places.
    ui->presetCombo->setCurrentIndex(4);
    ui->bigButtonsCheck->setFocus();
    QTest::keyClick(ui->bigButtonsCheck, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), ui->presetCombo);
    QTest::keyClick(ui->presetCombo, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), ui->hideToolsCheck);
    QTest::keyClick(ui->hideToolsCheck, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), ui->customSizeEdit);
    QTest::keyClick(ui->customSizeEdit, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), ui->editor);
}

TEST_F(MainWindowTest, ProcessOnTheUntouchedEditorTakesItsFifteenCharacters)
{
    showWindow();
    QTest::mouseClick(ui->processButton, Qt::LeftButton);
    ASSERT_TRUE(testing::waitForRunEnd(*window));
    OutputWindow* output = testing::outputWindowOf(*window);
    ASSERT_NE(output, nullptr);
    const std::string processed = testing::OutputWindowParts(*output).outputBox->text();
    EXPECT_EQ(processed.substr(0, 15), "Enter Text Here");
    EXPECT_EQ(processed.find('\r'), 15u);  // no break inside 160 pixels
    output->close();
}

TEST_F(MainWindowTest, RightAfterStartUpProcessBreaksAt160PixelsBetweenWords)
{
    showWindow();
    std::string text;
    for (int i = 0; i < 60; ++i)
        text += "word" + std::to_string(i % 10) + " ";
    ui->editor->setText(text);
    QTest::mouseClick(ui->processButton, Qt::LeftButton);
    ASSERT_TRUE(testing::waitForRunEnd(*window));
    OutputWindow* output = testing::outputWindowOf(*window);
    ASSERT_NE(output, nullptr);
    const std::string processed = testing::OutputWindowParts(*output).outputBox->text();
    ASSERT_GT(processed.size(), text.size());

    int lines = 0;
    std::size_t start = 0;
    while (start < processed.size()) {
        const std::size_t end = processed.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        const std::string line = processed.substr(start, end - start);
        int width = 0;
        for (unsigned char c : line)
            width += state.settings.charWidths[c];
        EXPECT_LE(width, 160) << line;
        // Word wrap: every line holds whole words.
        std::string words = line;
        while (!words.empty() && words.back() == ' ')
            words.pop_back();
        for (std::size_t at = 0; at < words.size(); at += 6)
            EXPECT_EQ(words.compare(at, 4, "word"), 0) << line;
        ++lines;
        start = end + 2;
    }
    EXPECT_GT(lines, 5);
    output->close();
}

TEST_F(MainWindowTest, QuittingClosesTheOutputWindowAndTheAboutBox)
{
    showWindow();
    QTest::mouseClick(ui->processButton, Qt::LeftButton);
    ASSERT_TRUE(testing::waitForRunEnd(*window));
    ui->aboutAction->trigger();
    QApplication::processEvents();
    QPointer<OutputWindow> output = testing::outputWindowOf(*window);
    QPointer<AboutBox> about = testing::aboutBoxOf(*window);
    ASSERT_TRUE(output);
    ASSERT_TRUE(about);
    ASSERT_TRUE(output->isVisible());
    ASSERT_TRUE(about->isVisible());

    EXPECT_EQ(runUntilQuit([this] { ui->quitAction->trigger(); }), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(!output || !output->isVisible());
    EXPECT_TRUE(!about || !about->isVisible());
    EXPECT_FALSE(output);
    EXPECT_FALSE(about);
    EXPECT_EQ(testing::outputWindowOf(*window), nullptr);
    EXPECT_EQ(testing::aboutBoxOf(*window), nullptr);
    window.reset();  // and the program's end finds nothing left to trip over
}

TEST_F(MainWindowTest, ClosingTheWindowWithTheAboutBoxOpenEndsTheProgram)
{
    showWindow();
    ui->aboutAction->trigger();
    QApplication::processEvents();
    QPointer<AboutBox> about = testing::aboutBoxOf(*window);
    ASSERT_TRUE(about);
    EXPECT_EQ(runUntilQuit([this] { window->close(); }), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(about);
}

TEST_F(MainWindowTest, ClosingTheWindowDuringARunAbandonsTheRun)
{
    showWindow();
    // Long enough to be put into the output box in many pieces.
    std::string text;
    while (text.size() < 2'000'000)
        text += "A line of text for the run to chew on. ";
    ui->editor->setText(text);
    // The run's progress, in per mille of the text.
    testing::ProgressWatch watch;
    int lastSeen = 0;
    bool closed = false;
    watch.onProgress = [this, &lastSeen, &closed](OutputWindow&, int perMille) {
        lastSeen = perMille;
        if (perMille >= 25 && !closed) {
            closed = true;
            window->close();
        }
    };
    EXPECT_EQ(runUntilQuit([this] { ui->processButton->click(); }), 0);
    watch.onProgress = nullptr;
    EXPECT_TRUE(closed);
    EXPECT_FALSE(window->isVisible());
    EXPECT_GE(lastSeen, 25);
    EXPECT_LT(lastSeen, 250) << "the run went on after the window closed";
    QPointer<OutputWindow> left = testing::outputWindowOf(*window);
    EXPECT_TRUE(!left || !left->isVisible());
    window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(left);
}

}  // namespace
}  // namespace tessaline
