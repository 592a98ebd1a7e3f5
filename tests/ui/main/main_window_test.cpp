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

#include "engine/char_widths.h"
#include "richtext/charset.h"
#include "ui/about/frm_about.h"
#include "ui/app_icon.h"
#include "ui/app_state.h"
#include "ui/main/form1.h"
#include "ui/main/palette.h"
#include "ui/main/rich_text_box.h"
#include "ui/output/form2.h"
#include "ui/twips.h"

namespace tessaline {
namespace {

const QString kTextSizeTip = QStringLiteral("change font size (doesn`t affect font within Folivane!");

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override { window = std::make_unique<Form1>(state); }

    void showWindow()
    {
        window->show();
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        QApplication::processEvents();
    }

    QWidget* control(const char* name) const
    {
        return window->findChild<QWidget*>(QString::fromLatin1(name));
    }

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
    std::unique_ptr<Form1> window;
};

struct ControlLayout {
    const char* name;
    const char* parent;   // "client" for the window's client area
    int left, top, width, height;
    bool shown;
};

TEST_F(MainWindow, EveryControlStandsWhereTheLayoutPutsIt)
{
    const std::vector<ControlLayout> layouts = {
        {"Frame7", "client", 5160, 3360, 3255, 975, true},
        {"Combo1", "Frame7", 120, 240, 3015, 315, true},
        {"Check1", "Frame7", 2040, 600, 1095, 255, false},
        {"Text2", "Frame7", 1080, 600, 855, 285, false},
        {"Label2", "Frame7", 120, 600, 975, 255, false},
        {"Text1", "client", 0, 840, 8415, 2535, true},
        {"List1", "client", 0, 0, 1695, 255, false},
        {"Frame6", "client", 0, 3360, 1575, 615, true},
        {"Command7", "Frame6", 120, 240, 615, 255, true},
        {"Command6", "Frame6", 840, 240, 615, 255, true},
        {"Frame5", "client", 0, 4320, 8415, 1335, true},
        {"Check3", "Frame5", 120, 0, 255, 195, true},
        {"Check2", "Frame5", 7080, 960, 1215, 255, true},
        {"Command1", "client", 2640, 3600, 1935, 375, true},
        {"Frame2", "client", 1320, 120, 3975, 615, true},
        {"Command2", "Frame2", 3120, 240, 735, 255, true},
        {"Text6", "Frame2", 600, 240, 2415, 285, true},
        {"Label7", "Frame2", 120, 240, 495, 255, true},
        {"Frame3", "client", 5400, 120, 3015, 615, true},
        {"Command3", "Frame3", 2040, 240, 855, 255, true},
        {"Text7", "Frame3", 720, 240, 1215, 285, true},
        {"Label8", "Frame3", 120, 240, 495, 255, true},
        {"Frame4", "client", 0, 120, 1215, 615, true},
        {"Command4", "Frame4", 240, 240, 735, 255, true},
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
        QPushButton* b = window->Command5[i];
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->objectName(), QStringLiteral("Command5_%1").arg(i));
        EXPECT_EQ(b->parentWidget(), window->Frame5);
        const int row = i < 23 ? 0 : (i < 46 ? 1 : 2);
        const int column = i - (row == 0 ? 0 : (row == 1 ? 23 : 46));
        EXPECT_EQ(b->geometry(), twipsRect(120 + 360 * column, 240 + 360 * row, 255, 255));
        EXPECT_TRUE(b->isVisible());
    }
    EXPECT_EQ(window->Command5[63]->geometry().left(), twipsToPixels(6240));

    // The public members are the named controls.
    EXPECT_EQ(window->Frame7, control("Frame7"));
    EXPECT_EQ(window->Text1, control("Text1"));
    EXPECT_EQ(window->Command1, control("Command1"));
    EXPECT_EQ(window->Label1, control("Label1"));
}

TEST_F(MainWindow, CaptionsTextsTooltipsAndFontsAreTheDesignOnes)
{
    EXPECT_EQ(window->Frame7->title(), QStringLiteral("Desired Line Length"));
    EXPECT_EQ(window->Check1->text(), QStringLiteral("Hide Tools"));
    EXPECT_FALSE(window->Check1->isChecked());
    EXPECT_EQ(window->Text2->text(), QString());
    EXPECT_EQ(window->Label2->text(), QStringLiteral("Custom Size"));
    EXPECT_EQ(window->Text1->text(), "Enter Text Here");
    EXPECT_EQ(window->Frame6->title(), QStringLiteral("Text Size (9)"));
    EXPECT_EQ(window->Command7->text(), QStringLiteral("-"));
    EXPECT_EQ(window->Command6->text(), QStringLiteral("+"));
    EXPECT_EQ(window->Frame5->title(), QStringLiteral("     Special Characters"));
    EXPECT_EQ(window->Check3->text(), QString());
    EXPECT_TRUE(window->Check3->isChecked());
    EXPECT_EQ(window->Check2->text(), QStringLiteral("Big Buttons"));
    EXPECT_FALSE(window->Check2->isChecked());
    EXPECT_EQ(window->Command1->text(), QStringLiteral("PROCESS"));
    EXPECT_EQ(window->Frame2->title(), QStringLiteral("Insert New Chapter"));
    EXPECT_EQ(window->Command2->text(), QStringLiteral("Insert"));
    EXPECT_EQ(window->Text6->text(), QString());
    EXPECT_EQ(window->Label7->text(), QStringLiteral("Title"));
    EXPECT_EQ(window->Frame3->title(), QStringLiteral("Insert Picture"));
    EXPECT_EQ(window->Command3->text(), QStringLiteral("Insert"));
    EXPECT_EQ(window->Text7->text(), QString());
    EXPECT_EQ(window->Text7->maxLength(), 8);
    EXPECT_EQ(window->Text6->maxLength(), 32767);
    EXPECT_EQ(window->Label8->text(), QStringLiteral("Name"));
    EXPECT_EQ(window->Frame4->title(), QStringLiteral("Page Break"));
    EXPECT_EQ(window->Command4->text(), QStringLiteral("Insert"));
    EXPECT_EQ(window->Label1->text(),
              QStringLiteral("<- The sizes are stored in this hidden listbox. (I used it as a quick array)"));

    // Tooltips: the text-size one spells its apostrophe as a grave accent and
    // has no closing parenthesis.
    EXPECT_EQ(window->Frame6->toolTip(), kTextSizeTip);
    EXPECT_EQ(window->Command6->toolTip(), kTextSizeTip);
    EXPECT_EQ(window->Command7->toolTip(), kTextSizeTip);
    EXPECT_EQ(window->Command1->toolTip(), QStringLiteral("Click here to Process Text"));
    EXPECT_EQ(window->Command2->toolTip(), QStringLiteral("Commands need to be on a new line"));
    EXPECT_EQ(window->Command3->toolTip(), QStringLiteral("Command needs to be on a new line"));
    EXPECT_EQ(window->Command4->toolTip(), QStringLiteral("Command needs to be on a new line"));
    for (QWidget* w : {static_cast<QWidget*>(window->Frame7), static_cast<QWidget*>(window->Combo1),
                       static_cast<QWidget*>(window->Text1), static_cast<QWidget*>(window->Frame5),
                       static_cast<QWidget*>(window->Text6), static_cast<QWidget*>(window->Command5[0])})
        EXPECT_TRUE(w->toolTip().isEmpty()) << w->objectName().toStdString();

    // Fonts: the calculator font for the editor and the palette, the large
    // dialog font for + and -, the dialog font elsewhere.
    EXPECT_EQ(window->Text1->font().family(), QStringLiteral("Ti92Pluspc"));
    EXPECT_DOUBLE_EQ(window->Text1->fontSize(), 9.0);
    EXPECT_EQ(window->Text1->font().weight(), QFont::Normal);
    for (QPushButton* b : window->Command5) {
        EXPECT_EQ(b->font().family(), QStringLiteral("Ti92Pluspc"));
        EXPECT_DOUBLE_EQ(b->font().pointSizeF(), 9.75);
    }
    EXPECT_EQ(window->Command6->font().family(), QStringLiteral("MS Sans Serif"));
    EXPECT_DOUBLE_EQ(window->Command6->font().pointSizeF(), 12.0);
    EXPECT_DOUBLE_EQ(window->Command7->font().pointSizeF(), 12.0);
    for (QWidget* w : {static_cast<QWidget*>(window->Command1), static_cast<QWidget*>(window->Combo1),
                       static_cast<QWidget*>(window->Label7), static_cast<QWidget*>(window->Frame5)}) {
        EXPECT_EQ(w->font().family(), QStringLiteral("MS Sans Serif")) << w->objectName().toStdString();
        EXPECT_DOUBLE_EQ(w->font().pointSizeF(), 8.0);
    }
    // The stand-in fonts draw every character the palette shows...
    for (std::size_t i = 0; i < kPaletteCodes.size(); ++i) {
        const QString caption = window->Command5[i]->text();
        const QFontMetrics metrics(window->Command5[i]->font());
        EXPECT_TRUE(metrics.inFont(caption.at(0))) << "button " << i;
    }
    // ... and every character of the calculator's set, in one of them.
    const QStringList standIns = QFont::substitutes(QStringLiteral("Ti92Pluspc"));
    ASSERT_FALSE(standIns.isEmpty());
    for (int code = 0; code < 256; ++code) {
        if (code == 9 || code == 10 || code == 13)
            continue;   // tab and the line end are not drawn
        const char32_t c = charset::shown(static_cast<unsigned char>(code))[0];
        bool drawn = false;
        for (const QString& family : standIns)
            drawn = drawn || QFontMetrics(QFont(family)).inFontUcs4(c);
        EXPECT_TRUE(drawn) << "code " << code;
    }
}

TEST_F(MainWindow, StartUpFillsTheSettingsThePresetBoxAndThePalette)
{
    EXPECT_TRUE(state.AppCredit.startsWith(QStringLiteral("Tessaline  by ")));
    EXPECT_GT(state.AppCredit.size(), 14);
    EXPECT_TRUE(state.settings.MeasureInPixels);
    EXPECT_EQ(state.settings.LineLimit, 160);
    EXPECT_FALSE(state.CancelRequested);

    // The widths come from the hidden list.
    ASSERT_EQ(window->List1->count(), 256);
    for (int k = 0; k < 256; ++k)
        EXPECT_EQ(window->List1->item(k)->text().toStdString(), std::string(widthStrings()[k]));
    EXPECT_EQ(state.settings.CharWidths, defaultCharWidths());
    EXPECT_EQ(state.settings.CharWidths[0], 0);
    EXPECT_EQ(state.settings.CharWidths[256], 0);
    EXPECT_EQ(state.settings.CharWidths[32], 2);
    EXPECT_EQ(state.settings.CharWidths[13], 0);
    EXPECT_EQ(state.settings.CharWidths[10], 0);
    EXPECT_EQ(state.settings.CharWidths[174], 8);
    EXPECT_EQ(state.settings.CharWidths[14], 5);

    // The preset box: six items, not editable, item 0 chosen.
    ASSERT_EQ(window->Combo1->count(), 6);
    const QStringList items = {
        QStringLiteral("Folivane on TI89 (160pixels)"),   QStringLiteral("Folivane on TI92+ (240pixels)"),
        QStringLiteral("Text Editor on TI89  (23chars)"), QStringLiteral("Text Editor on TI92+ (37chars)"),
        QStringLiteral("Custom (number of characters)"),  QStringLiteral("Custom (number of pixels)")};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(window->Combo1->itemText(i), items[i]);
    EXPECT_FALSE(window->Combo1->isEditable());
    EXPECT_EQ(window->Combo1->currentIndex(), 0);
    EXPECT_EQ(window->Combo1->currentText(), items[0]);

    // Each palette button carries exactly the character of its code.
    for (std::size_t i = 0; i < kPaletteCodes.size(); ++i) {
        const std::u32string_view shown = charset::shown(kPaletteCodes[i]);
        EXPECT_EQ(window->Command5[i]->text(),
                  QString::fromUcs4(shown.data(), static_cast<qsizetype>(shown.size())))
            << "button " << i;
    }
    EXPECT_EQ(window->Command5[0]->text(), QStringLiteral("\u00d0"));
}

TEST_F(MainWindow, MenusHaveTheirCaptionsAndAboutActsFromTheBar)
{
    const QList<QAction*> bar = window->menuBar()->actions();
    ASSERT_EQ(bar.size(), 3);
    EXPECT_EQ(bar[0]->text(), QStringLiteral("&File"));
    EXPECT_EQ(bar[0]->menu(), window->file);
    EXPECT_EQ(bar[1]->text(), QStringLiteral("&Settings"));
    EXPECT_EQ(bar[1]->menu(), window->settings);
    EXPECT_EQ(bar[2], window->about);
    EXPECT_EQ(window->about->text(), QStringLiteral("&About"));
    EXPECT_EQ(window->about->menu(), nullptr);

    EXPECT_EQ(window->file->objectName(), QStringLiteral("file"));
    EXPECT_EQ(window->settings->objectName(), QStringLiteral("settings"));
    const QList<QAction*> fileItems = window->file->actions();
    ASSERT_EQ(fileItems.size(), 3);
    EXPECT_EQ(fileItems[0], window->load);
    EXPECT_EQ(fileItems[1], window->save);
    EXPECT_EQ(fileItems[2], window->quit);
    EXPECT_EQ(window->load->text(), QStringLiteral("&Open Text"));
    EXPECT_EQ(window->save->text(), QStringLiteral("&Save Text"));
    EXPECT_EQ(window->quit->text(), QStringLiteral("&Quit"));
    ASSERT_EQ(window->settings->actions().size(), 1);
    EXPECT_EQ(window->settings->actions()[0], window->wrap);
    EXPECT_EQ(window->wrap->text(), QStringLiteral("Word Wrap"));
    EXPECT_TRUE(window->wrap->isCheckable());
    EXPECT_TRUE(window->wrap->isChecked());
    for (QAction* a : {window->load, window->save, window->quit, window->wrap, window->about}) {
        EXPECT_TRUE(a->isEnabled());
        EXPECT_TRUE(a->isVisible());
        EXPECT_TRUE(a->shortcut().isEmpty());
    }
    EXPECT_EQ(window->load->objectName(), QStringLiteral("load"));
    EXPECT_EQ(window->save->objectName(), QStringLiteral("save"));
    EXPECT_EQ(window->quit->objectName(), QStringLiteral("quit"));
    EXPECT_EQ(window->wrap->objectName(), QStringLiteral("wrap"));
    EXPECT_EQ(window->about->objectName(), QStringLiteral("about"));

    // Choosing "Word Wrap" from its menu toggles the check mark once.
    window->wrap->trigger();
    EXPECT_FALSE(window->wrap->isChecked());
    window->wrap->trigger();
    EXPECT_TRUE(window->wrap->isChecked());

    // "&About" on the bar opens the about box at once.
    showWindow();
    EXPECT_EQ(window->aboutBox(), nullptr);
    window->about->trigger();
    QApplication::processEvents();
    ASSERT_NE(window->aboutBox(), nullptr);
    EXPECT_TRUE(window->aboutBox()->isVisible());
    window->aboutBox()->close();
}

TEST_F(MainWindow, IsAFixedCentredWindowWhoseHeightFollowsThePalette)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tessaline"));
    EXPECT_FALSE(window->windowIcon().isNull());
    // The icon is a 32 x 32 drawing, not a blank square.
    const QImage icon = appIconPixmap().toImage();
    EXPECT_EQ(icon.size(), QSize(32, 32));
    QSet<QRgb> colours;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            colours.insert(icon.pixel(x, y));
    EXPECT_GT(colours.size(), 8);
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);   // rounded corners
    EXPECT_EQ(qAlpha(icon.pixel(16, 16)), 255);
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);

    showWindow();
    const int menuHeight = window->menuBarHeight();
    EXPECT_GT(menuHeight, 10);
    EXPECT_EQ(window->clientArea()->size(), QSize(twipsToPixels(8430), twipsToPixels(5700)));
    EXPECT_EQ(window->clientArea()->geometry().top(), window->menuBar()->geometry().bottom() + 1);
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

    // Outer heights: collapsed (5295) and shown (6360) differ by 1065 twips.
    window->setOuterHeightTwips(5295);
    QApplication::processEvents();
    EXPECT_EQ(window->clientArea()->height(), twipsToPixels(4635));
    EXPECT_EQ(window->height(), menuHeight + twipsToPixels(4635));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    window->setOuterHeightTwips(6360);
    QApplication::processEvents();
    EXPECT_EQ(window->clientArea()->height(), 380);
    EXPECT_EQ(window->height(), menuHeight + 380);
}

TEST_F(MainWindow, EditorMovedUpCoversTheMarkupToolsAndChildrenLieAboveTheirFrames)
{
    showWindow();
    QWidget* client = window->clientArea();
    const QPoint inChapterFrame = window->Frame2->geometry().center();
    const QPoint inTitleBox = window->Text6->mapTo(client, window->Text6->rect().center());
    EXPECT_EQ(client->childAt(inTitleBox), window->Text6);

    // "Hide Tools" moves the editor to Top 0: it covers the frames.
    window->Combo1->setCurrentIndex(2);
    window->Check1->setChecked(true);
    QApplication::processEvents();
    for (const QPoint& p : {inChapterFrame, inTitleBox, window->Frame4->geometry().center(),
                            window->Frame3->geometry().center()}) {
        QWidget* top = client->childAt(p);
        ASSERT_NE(top, nullptr);
        EXPECT_TRUE(top == window->Text1 || window->Text1->isAncestorOf(top)) << top->objectName().toStdString();
    }
    // The line-length frame lies over the palette frame where they overlap
    // (4320 to 4335), and the palette box over its frame's title.
    const QPoint overlap(twipsToPixels(6000), twipsToPixels(4320));
    QWidget* top = client->childAt(overlap);
    ASSERT_NE(top, nullptr);
    EXPECT_TRUE(top == window->Frame7 || window->Frame7->isAncestorOf(top));
    EXPECT_EQ(window->Frame5->childAt(window->Check3->geometry().center()), window->Check3);
}

TEST_F(MainWindow, FocusStartsOnProcessAndTabFollowsTheDesignOrder)
{
    showWindow();
    EXPECT_EQ(QApplication::focusWidget(), window->Command1);
    EXPECT_TRUE(window->Command1->hasFocus());

    // The controls the Tab key reaches, in order, from PROCESS round again.
    std::vector<QWidget*> expected = {window->Command1, window->Text6, window->Command2, window->Text7,
                                      window->Command3, window->Command4};
    for (int i = 0; i < 64; ++i)
        if (i != 39)
            expected.push_back(window->Command5[i]);
    expected.push_back(window->Command6);
    expected.push_back(window->Command7);
    expected.push_back(window->Text1);
    expected.push_back(window->Combo1);   // Text2 and Check1 are hidden
    expected.push_back(window->Check2);
    expected.push_back(window->Command5[39]);
    expected.push_back(window->Check3);

    std::vector<QWidget*> reached;
    QWidget* w = window->Command1;
    do {
        if (w->isVisibleTo(window.get()) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) &&
            w->window() == window.get())
            reached.push_back(w);
        w = w->nextInFocusChain();
    } while (w != window->Command1 && reached.size() < 200);
    EXPECT_EQ(reached, expected);

    // The Tab key itself follows it.
    QTest::keyClick(window->Command1, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window->Text6);
    QTest::keyClick(window->Text6, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window->Command2);
    QTest::keyClick(window->Command2, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), window->Text6);

    // With the custom presets the hidden controls join in their places.
    window->Combo1->setCurrentIndex(4);
    window->Check2->setFocus();
    QTest::keyClick(window->Check2, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), window->Combo1);
    QTest::keyClick(window->Combo1, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), window->Check1);
    QTest::keyClick(window->Check1, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), window->Text2);
    QTest::keyClick(window->Text2, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), window->Text1);
}

TEST_F(MainWindow, ProcessOnTheUntouchedEditorTakesItsFifteenCharacters)
{
    showWindow();
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QApplication::processEvents();
    Form2* output = window->outputWindow();
    ASSERT_NE(output, nullptr);
    ASSERT_NE(output->text2, nullptr);
    const std::string processed = output->text2->text();
    EXPECT_EQ(processed.substr(0, 15), "Enter Text Here");
    EXPECT_EQ(processed.find('\r'), 15u);   // no break inside 160 pixels
    output->close();
}

TEST_F(MainWindow, RightAfterStartUpProcessBreaksAt160PixelsBetweenWords)
{
    showWindow();
    std::string text;
    for (int i = 0; i < 60; ++i)
        text += "word" + std::to_string(i % 10) + " ";
    window->Text1->setText(text);
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QApplication::processEvents();
    Form2* output = window->outputWindow();
    ASSERT_NE(output, nullptr);
    const std::string processed = output->text2->text();
    ASSERT_GT(processed.size(), text.size());

    int lines = 0;
    std::size_t start = 0;
    while (start < processed.size()) {
        const std::size_t end = processed.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        const std::string line = processed.substr(start, end - start);
        int width = 0;
        for (unsigned char c : line)
            width += state.settings.CharWidths[c];
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

TEST_F(MainWindow, QuittingClosesTheOutputWindowAndTheAboutBox)
{
    showWindow();
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    window->about->trigger();
    QApplication::processEvents();
    QPointer<Form2> output = window->outputWindow();
    QPointer<frmAbout> about = window->aboutBox();
    ASSERT_TRUE(output);
    ASSERT_TRUE(about);
    ASSERT_TRUE(output->isVisible());
    ASSERT_TRUE(about->isVisible());

    EXPECT_EQ(runUntilQuit([this] { window->quit->trigger(); }), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(!output || !output->isVisible());
    EXPECT_TRUE(!about || !about->isVisible());
    EXPECT_FALSE(output);
    EXPECT_FALSE(about);
    EXPECT_EQ(window->outputWindow(), nullptr);
    EXPECT_EQ(window->aboutBox(), nullptr);
    window.reset();   // and the program's end finds nothing left to trip over
}

TEST_F(MainWindow, ClosingTheWindowWithTheAboutBoxOpenEndsTheProgram)
{
    showWindow();
    window->about->trigger();
    QApplication::processEvents();
    QPointer<frmAbout> about = window->aboutBox();
    ASSERT_TRUE(about);
    EXPECT_EQ(runUntilQuit([this] { window->close(); }), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(about);
}

TEST_F(MainWindow, ClosingTheWindowDuringARunAbandonsTheRun)
{
    showWindow();
    std::string text;
    while (text.size() < 20000)
        text += "A line of text for the run to chew on. ";
    window->Text1->setText(text);
    Form2* output = window->ensureOutputWindow();
    std::int64_t lastSeen = 0;
    output->onProcessCharacter = [this, &lastSeen](std::int64_t position) {
        lastSeen = position;
        if (position == 500)
            window->close();
    };
    EXPECT_EQ(runUntilQuit([this] { window->Command1->click(); }), 0);
    EXPECT_TRUE(state.CancelRequested);
    EXPECT_FALSE(window->isVisible());
    EXPECT_GE(lastSeen, 500);
    EXPECT_LT(lastSeen, 5000) << "the run went on after the window closed";
    QPointer<Form2> left = window->outputWindow();
    EXPECT_TRUE(!left || !left->isVisible());
    window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(left);
}

}  // namespace
}  // namespace tessaline
