// The about box as a window: its layout, texts and keys on its own, and its
// opening and closing through the main window.
#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>
#include <memory>

#include "tests/ui/about/fake_registry.h"
#include "tests/ui/window_parts.h"
#include "ui/about/about_box.h"
#include "ui/app_state.h"
#include "ui/editor/calculator_text_edit.h"
#include "ui/main/main_window.h"

namespace tessaline {
namespace {

const QString kDescription = QStringLiteral(
    "For use with Folivane version 2.1 (or higher), Text Editor and any other 89/92+ editor."
    "\r\n\r\n"
    "Use this program to accelerate creation of your NEAT Text Files. Once typed-up, click "
    "PROCESS, copy the text to the clipboard and paste it into a data file in 'GraphLink (c) TI'");
const QString kDisclaimer = QStringLiteral(
    "Do not use the Processed text files with Folivane 2.0. New features won't work with the "
    "older version. When Distributing Folivane Text Files, be sure to mention what Folivane "
    "version to be used for reading.");

// Twips to pixels at 15 twips a pixel, rounded.
QRect px(int left, int top, int width, int height)
{
    auto p = [](int t) { return (t + 7) / 15; };
    return QRect(p(left), p(top), p(width), p(height));
}

// Every text shows whole: wrapped, it needs no more height than its label has.
void expectFits(const QLabel* label)
{
    SCOPED_TRACE(label->objectName().toStdString());
    EXPECT_TRUE(label->wordWrap());
    EXPECT_LE(label->heightForWidth(label->width()), label->height());
    const QFontMetrics metrics(label->font());
    for (const QString& word : label->text().split(QRegularExpression("\\s+"), Qt::SkipEmptyParts))
        EXPECT_LE(metrics.horizontalAdvance(word), label->width()) << word.toStdString();
}

TEST(AboutBox, LayoutOfTheWindowAndItsControls)
{
    AboutBox box;
    const testing::AboutBoxParts ui(box);

    const Qt::WindowFlags flags = box.windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::MSWindowsFixedSizeDialogHint);
    EXPECT_FALSE(box.isModal());
    // Client area 5730 x 3555 twips, fixed; at its fixed place on the screen.
    EXPECT_EQ(box.size(), QSize(382, 237));
    EXPECT_EQ(box.minimumSize(), box.maximumSize());
    EXPECT_EQ(box.pos(), QPoint(156, 129));

    EXPECT_EQ(ui.icon->geometry(), px(240, 240, 540, 540));
    EXPECT_EQ(ui.title->geometry(), px(1050, 240, 3885, 480));
    EXPECT_EQ(ui.description->geometry(), px(1050, 720, 3885, 1650));
    EXPECT_EQ(ui.disclaimer->geometry(), px(255, 2625, 3870, 825));
    EXPECT_EQ(ui.okButton->geometry(), px(4245, 2625, 1260, 345));
    EXPECT_EQ(ui.sysInfoButton->geometry(), px(4260, 3075, 1245, 345));

    // The picture is the 32 x 32 icon inside its sunken border.
    ASSERT_FALSE(ui.icon->pixmap().isNull());
    EXPECT_EQ(ui.icon->pixmap().size(), QSize(32, 32));
    EXPECT_EQ(ui.icon->contentsRect().size(), QSize(32, 32));

    // The etched separator: grey above, white and 2 pixels below, one pixel
    // further right, both to the same right end.
    EXPECT_EQ(ui.greyLine->geometry(), QRect(QPoint(6, 163), QPoint(377, 163)));
    EXPECT_EQ(ui.whiteLine->geometry(), QRect(QPoint(7, 164), QPoint(377, 165)));
    EXPECT_EQ(ui.greyLine->palette().color(QPalette::Window), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(ui.whiteLine->palette().color(QPalette::Window), QColor(Qt::white));

    for (QLabel* label : {ui.title, ui.description, ui.disclaimer})
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::black));

    // OK is the default button; the tab order runs OK, System Info, OK.
    EXPECT_TRUE(ui.okButton->isDefault());
    EXPECT_FALSE(ui.sysInfoButton->isDefault());
    box.show();
    box.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
    EXPECT_EQ(box.focusWidget(), ui.okButton);
    QTest::keyClick(box.focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(box.focusWidget(), ui.sysInfoButton);
    QTest::keyClick(box.focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(box.focusWidget(), ui.okButton);
    box.close();
}

TEST(AboutBox, TextsAndLoading)
{
    AboutBox box;
    const testing::AboutBoxParts ui(box);
    // Loading sets the caption and, until the opening replaces it, the title.
    EXPECT_EQ(box.windowTitle(), "About " + applicationTitle());
    EXPECT_EQ(ui.title->text(), applicationTitle());
    EXPECT_EQ(ui.disclaimer->text(), kDisclaimer);
    EXPECT_EQ(ui.okButton->text(), "OK");
    EXPECT_EQ(ui.sysInfoButton->text(), "&System Info...");
    EXPECT_EQ(AboutBox::descriptionText(), kDescription);
    EXPECT_EQ(AboutBox::disclaimerText(), kDisclaimer);

    box.setDescription(AboutBox::descriptionText());
    EXPECT_EQ(box.description(), kDescription);
    EXPECT_EQ(ui.description->text(), kDescription);

    ui.title->setText("Tessaline  by a fairly long author credit line");
    for (QLabel* label : {ui.title, ui.description, ui.disclaimer})
        expectFits(label);
    // The two labels' texts stay clear of each other and of the separator.
    EXPECT_LE(ui.description->geometry().bottom(), ui.greyLine->geometry().top());
}

// Message boxes that note "title|text" of each message.
class NotedMessages : public MessageBoxes {
public:
    explicit NotedMessages(std::vector<QString>& messages) : messages_(messages) {}
    void show(QWidget*, Icon icon, const QString& title, const QString& text) override
    {
        EXPECT_EQ(icon, Icon::None);
        messages_.push_back(title + "|" + text);
    }

private:
    std::vector<QString>& messages_;
};

struct CapturedServices {
    std::shared_ptr<testing::FakeRegistry> registry = std::make_shared<testing::FakeRegistry>();
    std::vector<QString> started;
    std::vector<QString> messages;
    void install(AboutBox& box)
    {
        SysInfoServices s;
        s.registry = registry;
        s.fileExists = [](const QString&) { return false; };
        s.startProgram = [this](const QString& path) {
            started.push_back(path);
            return true;
        };
        s.messages = std::make_shared<NotedMessages>(messages);
        box.setServices(std::move(s));
    }
};

TEST(AboutBox, SystemInfoButtonStartsTheToolOrShowsTheMessage)
{
    AboutBox box;
    const testing::AboutBoxParts ui(box);
    CapturedServices captured;
    captured.install(box);
    box.show();

    QTest::mouseClick(ui.sysInfoButton, Qt::LeftButton);
    ASSERT_EQ(captured.messages.size(), 1u);
    EXPECT_EQ(captured.messages[0], applicationTitle() + "|System Information Is Unavailable At This Time");
    EXPECT_TRUE(captured.started.empty());
    EXPECT_TRUE(box.isVisible());  // the box stays open

    captured.registry->setString("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", "C:\\Info\\msinfo32.exe");
    QTest::mouseClick(ui.sysInfoButton, Qt::LeftButton);
    QTest::mouseClick(ui.sysInfoButton, Qt::LeftButton);  // one copy per press
    EXPECT_EQ(captured.started, (std::vector<QString>{"C:\\Info\\msinfo32.exe", "C:\\Info\\msinfo32.exe"}));
    EXPECT_EQ(captured.messages.size(), 1u);

    box.close();
}

TEST(AboutBox, EnterAndEscRunOkOnAStandaloneBox)
{
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        AboutBox box;
        int finished = 0;
        QObject::connect(&box, &QDialog::finished, [&] { ++finished; });
        box.show();
        box.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
        QTest::keyClick(box.focusWidget(), key);
        EXPECT_FALSE(box.isVisible()) << key;
        EXPECT_EQ(finished, 1) << key;
    }
}

// A main window with its title-and-credit line and one more focusable
// control, to see where the focus goes when the box closes.
// Waits until `window` is the application's active window.
bool activates(QWidget* window)
{
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }, 2000);
}

struct OpenedFromMain {
    AppState state;
    MainWindow main{state};
    testing::MainWindowParts mainUi{main};
    QLineEdit* other = nullptr;

    OpenedFromMain()
    {
        if (state.credit.isEmpty())
            state.credit = "Tessaline  by the credit line";
        other = new QLineEdit(main.centralWidget());
        other->setObjectName("testFocusTarget");
        main.show();
        main.activateWindow();
        EXPECT_TRUE(activates(&main));
        other->setFocus();
    }
    AboutBox* open()
    {
        mainUi.aboutAction->trigger();
        AboutBox* box = testing::aboutBoxOf(main);
        EXPECT_NE(box, nullptr);
        if (box) {
            EXPECT_TRUE(activates(box));
        }
        return box;
    }
};

void expectOpenedTexts(const OpenedFromMain& w, const AboutBox* box)
{
    EXPECT_EQ(box->windowTitle(), "About " + applicationTitle());
    EXPECT_EQ(testing::AboutBoxParts(*box).title->text(), w.state.credit);
    EXPECT_NE(testing::AboutBoxParts(*box).title->text(), applicationTitle());
    EXPECT_EQ(testing::AboutBoxParts(*box).description->text(), kDescription);
    EXPECT_EQ(box->description(), kDescription);
    EXPECT_EQ(testing::AboutBoxParts(*box).disclaimer->text(), kDisclaimer);
}

TEST(AboutBoxFromMainWindow, OpeningTwiceGivesOneModelessBoxBroughtToTheFront)
{
    OpenedFromMain w;
    AboutBox* box = w.open();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    // A window of its own: no owner, not a dialog-type window (which the
    // window manager would tie to the program's other windows).
    EXPECT_EQ(box->parentWidget(), nullptr);
    EXPECT_EQ(box->windowType(), Qt::Window);
    ASSERT_NE(box->windowHandle(), nullptr);
    EXPECT_EQ(box->windowHandle()->transientParent(), nullptr);
    EXPECT_EQ(box->pos(), QPoint(156, 129));  // not centred over the main window
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    expectOpenedTexts(w, box);

    // The main window stays usable; opening again fronts the same box.
    w.main.activateWindow();
    ASSERT_TRUE(activates(&w.main));
    testing::AboutBoxParts(*box).title->setText("changed");
    // This time through the menu bar's "&About".
    w.mainUi.aboutAction->trigger();
    AboutBox* again = testing::aboutBoxOf(w.main);
    EXPECT_TRUE(activates(again));
    EXPECT_EQ(again, box);
    EXPECT_EQ(testing::topLevelWindows<AboutBox>().size(), 1u);
    EXPECT_EQ(QApplication::activeWindow(), box);
    expectOpenedTexts(w, box);
    box->close();
}

TEST(AboutBoxFromMainWindow, EnterAndEscCloseTheBoxAndFocusTheEditor)
{
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        SCOPED_TRACE(key);
        OpenedFromMain w;
        QPointer<AboutBox> box = w.open();
        ASSERT_TRUE(box);
        EXPECT_EQ(box->focusWidget(), testing::AboutBoxParts(*box).okButton);
        QTest::keyClick(box->focusWidget(), key);
        EXPECT_FALSE(box->isVisible());
        EXPECT_EQ(testing::aboutBoxOf(w.main), nullptr);
        EXPECT_EQ(w.main.focusWidget(), w.mainUi.editor);

        // Opened again before the old box is gone: a fresh box, loaded anew.
        QPointer<AboutBox> next = w.open();
        ASSERT_TRUE(next);
        EXPECT_NE(next.data(), box.data());
        expectOpenedTexts(w, next);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(box.isNull());  // the closed box was unloaded
        EXPECT_EQ(testing::topLevelWindows<AboutBox>().size(), 1u);
        EXPECT_TRUE(next->isVisible());

        // OK by the mouse does the same.
        QTest::mouseClick(testing::AboutBoxParts(*next).okButton, Qt::LeftButton);
        EXPECT_EQ(testing::aboutBoxOf(w.main), nullptr);
        EXPECT_EQ(w.main.focusWidget(), w.mainUi.editor);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(next.isNull());
    }
}

TEST(AboutBoxFromMainWindow, TheCloseBoxOnlyUnloads)
{
    OpenedFromMain w;
    QPointer<AboutBox> box = w.open();
    ASSERT_TRUE(box);
    ASSERT_TRUE(box->windowHandle());
    box->windowHandle()->close();  // what the window's close box does
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(testing::aboutBoxOf(w.main), nullptr);
    EXPECT_EQ(w.main.focusWidget(), w.other);  // the focus was not moved
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(box.isNull());
}

// Every text shows whole in the opened box.
TEST(AboutBoxFromMainWindow, EveryTextShowsWhole)
{
    OpenedFromMain w;
    AboutBox* box = w.open();
    ASSERT_NE(box, nullptr);
    const testing::AboutBoxParts ui(*box);
    for (QLabel* label : {ui.title, ui.description, ui.disclaimer})
        expectFits(label);
    EXPECT_GE(box->font().pointSizeF(), 7.0);
    const QImage shot = box->grab().toImage();
    EXPECT_EQ(shot.size(), QSize(382, 237));
    // The etched separator is on the picture: grey over white.
    EXPECT_EQ(shot.pixelColor(200, 163), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(shot.pixelColor(200, 164), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(200, 165), QColor(Qt::white));
    box->close();
}

}  // namespace
}  // namespace tessaline
