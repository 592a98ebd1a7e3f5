// The about box as a window: its layout, texts and keys on its own, and its
// opening and closing through the main window.
#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QImage>
#include <QTest>
#include <QWindow>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

#include "fake_registry.h"
#include "ui/about/frm_about.h"
#include "ui/app_state.h"
#include "ui/main/form1.h"
#include "ui/main/rich_text_box.h"

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
    AppState state;
    frmAbout box(state);

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

    EXPECT_EQ(box.findChild<QLabel*>("picIcon"), box.picIcon);
    EXPECT_EQ(box.findChild<QLabel*>("lblTitle"), box.lblTitle);
    EXPECT_EQ(box.findChild<QLabel*>("lblDescription"), box.lblDescription);
    EXPECT_EQ(box.findChild<QLabel*>("lblDisclaimer"), box.lblDisclaimer);
    EXPECT_EQ(box.findChild<QPushButton*>("cmdOK"), box.cmdOK);
    EXPECT_EQ(box.findChild<QPushButton*>("cmdSysInfo"), box.cmdSysInfo);
    EXPECT_EQ(box.findChild<QFrame*>("Line1_0"), box.Line1[0]);
    EXPECT_EQ(box.findChild<QFrame*>("Line1_1"), box.Line1[1]);

    EXPECT_EQ(box.picIcon->geometry(), px(240, 240, 540, 540));
    EXPECT_EQ(box.lblTitle->geometry(), px(1050, 240, 3885, 480));
    EXPECT_EQ(box.lblDescription->geometry(), px(1050, 720, 3885, 1650));
    EXPECT_EQ(box.lblDisclaimer->geometry(), px(255, 2625, 3870, 825));
    EXPECT_EQ(box.cmdOK->geometry(), px(4245, 2625, 1260, 345));
    EXPECT_EQ(box.cmdSysInfo->geometry(), px(4260, 3075, 1245, 345));

    // The picture is the 32 x 32 icon inside its sunken border.
    ASSERT_FALSE(box.picIcon->pixmap().isNull());
    EXPECT_EQ(box.picIcon->pixmap().size(), QSize(32, 32));
    EXPECT_EQ(box.picIcon->contentsRect().size(), QSize(32, 32));

    // The etched separator: grey above, white and 2 pixels below, one pixel
    // further right, both to the same right end.
    EXPECT_EQ(box.Line1[1]->geometry(), QRect(QPoint(6, 163), QPoint(377, 163)));
    EXPECT_EQ(box.Line1[0]->geometry(), QRect(QPoint(7, 164), QPoint(377, 165)));
    EXPECT_EQ(box.Line1[1]->palette().color(QPalette::Window), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(box.Line1[0]->palette().color(QPalette::Window), QColor(Qt::white));

    for (QLabel* label : {box.lblTitle, box.lblDescription, box.lblDisclaimer})
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::black));

    // OK is the default button; the tab order runs OK, System Info, OK.
    EXPECT_TRUE(box.cmdOK->isDefault());
    EXPECT_FALSE(box.cmdSysInfo->isDefault());
    box.show();
    box.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
    EXPECT_EQ(box.focusWidget(), box.cmdOK);
    QTest::keyClick(box.focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(box.focusWidget(), box.cmdSysInfo);
    QTest::keyClick(box.focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(box.focusWidget(), box.cmdOK);
    box.close();
}

TEST(AboutBox, TextsAndLoading)
{
    AppState state;
    frmAbout box(state);
    // Loading sets the caption and, until the opening replaces it, the title.
    EXPECT_EQ(box.windowTitle(), "About " + applicationTitle());
    EXPECT_EQ(box.lblTitle->text(), applicationTitle());
    EXPECT_EQ(box.lblDisclaimer->text(), kDisclaimer);
    EXPECT_EQ(box.cmdOK->text(), "OK");
    EXPECT_EQ(box.cmdSysInfo->text(), "&System Info...");
    EXPECT_EQ(frmAbout::descriptionText(), kDescription);
    EXPECT_EQ(frmAbout::disclaimerText(), kDisclaimer);

    box.setDescription(frmAbout::descriptionText());
    EXPECT_EQ(box.description(), kDescription);
    EXPECT_EQ(box.lblDescription->text(), kDescription);

    box.lblTitle->setText("Tessaline  by a fairly long author credit line");
    for (QLabel* label : {box.lblTitle, box.lblDescription, box.lblDisclaimer})
        expectFits(label);
    // The two labels' texts stay clear of each other and of the separator.
    EXPECT_LE(box.lblDescription->geometry().bottom(), box.Line1[1]->geometry().top());
}

struct CapturedServices {
    std::shared_ptr<testing::FakeRegistry> registry = std::make_shared<testing::FakeRegistry>();
    std::vector<QString> started;
    std::vector<QString> messages;
    void install(frmAbout& box)
    {
        SysInfoServices s;
        s.registry = registry;
        s.fileExists = [](const QString&) { return false; };
        s.startProgram = [this](const QString& path) {
            started.push_back(path);
            return true;
        };
        s.showMessage = [this](const QString& title, const QString& text) {
            messages.push_back(title + "|" + text);
        };
        box.setServices(std::move(s));
    }
};

TEST(AboutBox, SystemInfoButtonStartsTheToolOrShowsTheMessage)
{
    AppState state;
    frmAbout box(state);
    CapturedServices captured;
    captured.install(box);
    box.show();

    QTest::mouseClick(box.cmdSysInfo, Qt::LeftButton);
    ASSERT_EQ(captured.messages.size(), 1u);
    EXPECT_EQ(captured.messages[0],
              applicationTitle() + "|System Information Is Unavailable At This Time");
    EXPECT_TRUE(captured.started.empty());
    EXPECT_TRUE(box.isVisible());   // the box stays open

    captured.registry->setString("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH",
                                 "C:\\Info\\msinfo32.exe");
    QTest::mouseClick(box.cmdSysInfo, Qt::LeftButton);
    QTest::mouseClick(box.cmdSysInfo, Qt::LeftButton);   // one copy per press
    EXPECT_EQ(captured.started,
              (std::vector<QString>{"C:\\Info\\msinfo32.exe", "C:\\Info\\msinfo32.exe"}));
    EXPECT_EQ(captured.messages.size(), 1u);

    // The box's own GetKeyValue reads through the same registry.
    QString value;
    EXPECT_TRUE(box.GetKeyValue(0x80000002, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH",
                                value));
    EXPECT_EQ(value, "C:\\Info\\msinfo32.exe");
    EXPECT_FALSE(box.GetKeyValue(0x80000001, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH",
                                 value));
    EXPECT_EQ(value, "");
    box.close();
}

TEST(AboutBox, EnterAndEscRunOkOnAStandaloneBox)
{
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        AppState state;
        frmAbout box(state);
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

struct MainWindow {
    AppState state;
    Form1 main{state};
    QLineEdit* other = nullptr;

    MainWindow()
    {
        if (state.AppCredit.isEmpty())
            state.AppCredit = "Tessaline  by the credit line";
        other = new QLineEdit(main.clientArea());
        other->setObjectName("testFocusTarget");
        main.show();
        main.activateWindow();
        EXPECT_TRUE(activates(&main));
        other->setFocus();
    }
    frmAbout* open()
    {
        main.about_Click();
        frmAbout* box = main.aboutBox();
        EXPECT_NE(box, nullptr);
        if (box) {
            EXPECT_TRUE(activates(box));
        }
        return box;
    }
};

void expectOpenedTexts(const MainWindow& w, const frmAbout* box)
{
    EXPECT_EQ(box->windowTitle(), "About " + applicationTitle());
    EXPECT_EQ(box->lblTitle->text(), w.state.AppCredit);
    EXPECT_NE(box->lblTitle->text(), applicationTitle());
    EXPECT_EQ(box->lblDescription->text(), kDescription);
    EXPECT_EQ(box->description(), kDescription);
    EXPECT_EQ(box->lblDisclaimer->text(), kDisclaimer);
}

TEST(AboutBoxFromMainWindow, OpeningTwiceGivesOneModelessBoxBroughtToTheFront)
{
    MainWindow w;
    frmAbout* box = w.open();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->parentWidget(), &w.main);   // owned: no task-bar entry
    EXPECT_TRUE(box->windowFlags() & Qt::Dialog);
    EXPECT_EQ(box->pos(), QPoint(156, 129));   // not centred over the main window
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    expectOpenedTexts(w, box);

    // The main window stays usable; opening again fronts the same box.
    w.main.activateWindow();
    ASSERT_TRUE(activates(&w.main));
    box->lblTitle->setText("changed");
    // This time through the menu bar's "&About".
    ASSERT_NE(w.main.about, nullptr);
    w.main.about->trigger();
    frmAbout* again = w.main.aboutBox();
    EXPECT_TRUE(activates(again));
    EXPECT_EQ(again, box);
    EXPECT_EQ(w.main.findChildren<frmAbout*>().size(), 1);
    EXPECT_EQ(QApplication::activeWindow(), box);
    expectOpenedTexts(w, box);
    box->close();
}

TEST(AboutBoxFromMainWindow, EnterAndEscCloseTheBoxAndFocusTheEditor)
{
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        SCOPED_TRACE(key);
        MainWindow w;
        QPointer<frmAbout> box = w.open();
        ASSERT_TRUE(box);
        EXPECT_EQ(box->focusWidget(), box->cmdOK);
        QTest::keyClick(box->focusWidget(), key);
        EXPECT_FALSE(box->isVisible());
        EXPECT_EQ(w.main.aboutBox(), nullptr);
        EXPECT_EQ(w.main.focusWidget(), w.main.Text1);

        // Opened again before the old box is gone: a fresh box, loaded anew.
        QPointer<frmAbout> next = w.open();
        ASSERT_TRUE(next);
        EXPECT_NE(next.data(), box.data());
        expectOpenedTexts(w, next);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(box.isNull());   // the closed box was unloaded
        EXPECT_EQ(w.main.findChildren<frmAbout*>().size(), 1);
        EXPECT_TRUE(next->isVisible());

        // OK by the mouse does the same.
        QTest::mouseClick(next->cmdOK, Qt::LeftButton);
        EXPECT_EQ(w.main.aboutBox(), nullptr);
        EXPECT_EQ(w.main.focusWidget(), w.main.Text1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(next.isNull());
    }
}

TEST(AboutBoxFromMainWindow, TheCloseBoxOnlyUnloads)
{
    MainWindow w;
    QPointer<frmAbout> box = w.open();
    ASSERT_TRUE(box);
    ASSERT_TRUE(box->windowHandle());
    box->windowHandle()->close();   // what the window's close box does
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(w.main.aboutBox(), nullptr);
    EXPECT_EQ(w.main.focusWidget(), w.other);   // the focus was not moved
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(box.isNull());
}

// Every text shows whole in the opened box; with TESSALINE_ABOUT_SCREENSHOT
// naming a file, the box is also saved there as a picture.
TEST(AboutBoxFromMainWindow, EveryTextShowsWhole)
{
    MainWindow w;
    frmAbout* box = w.open();
    ASSERT_NE(box, nullptr);
    for (QLabel* label : {box->lblTitle, box->lblDescription, box->lblDisclaimer})
        expectFits(label);
    EXPECT_GE(box->font().pointSizeF(), 7.0);
    const QImage shot = box->grab().toImage();
    EXPECT_EQ(shot.size(), QSize(382, 237));
    // The etched separator is on the picture: grey over white.
    EXPECT_EQ(shot.pixelColor(200, 163), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(shot.pixelColor(200, 164), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(200, 165), QColor(Qt::white));
    if (const char* path = std::getenv("TESSALINE_ABOUT_SCREENSHOT")) {
        EXPECT_TRUE(shot.save(QString::fromLocal8Bit(path)));
    }
    box->close();
}

}  // namespace
}  // namespace tessaline
