// The Calculator Screen window: paging at its edges, the counter, crisp
// pixels at every zoom, and its opening from the output window's File menu
// with the screens of the text just processed.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "screen/screen_layout.h"
#include "tests/ui/recorded_message_boxes.h"
#include "tests/ui/window_parts.h"
#include "ui/app_state.h"
#include "ui/main/main_window.h"
#include "ui/preview/preview_window.h"
#include "ui/preview/screen_view.h"
#include "ui/process/output_window.h"

namespace tessaline {
namespace {

screen::ScreenTarget ti89()
{
    LineSettings settings;
    settings.charWidths = defaultCharWidths();
    applyPreset(0, settings);
    return screen::targetFor(settings);
}

// `count` screens of sixteen lines, each line naming its screen.
std::string screens(int count)
{
    std::string text;
    for (int s = 0; s < count; ++s)
        for (int line = 0; line < 16; ++line)
            text += "Screen " + std::to_string(s + 1) + " line " + std::to_string(line) + "\r\n";
    return text;
}

QString counterText(const PreviewWindow& window) { return testing::part<QLabel>(window, "screenCounter")->text(); }

TEST(PreviewWindowTest, PageKeysMoveAScreenAndHomeEndGoToTheEndsWithoutPassingThem)
{
    PreviewWindow window(nullptr, screens(41), ti89());
    window.show();
    EXPECT_EQ(counterText(window), "Screen 1 of 41");
    QTest::keyClick(&window, Qt::Key_PageUp);
    EXPECT_EQ(window.currentScreen(), 0) << "nothing before the first screen";
    QTest::keyClick(&window, Qt::Key_PageDown);
    QTest::keyClick(&window, Qt::Key_PageDown);
    EXPECT_EQ(counterText(window), "Screen 3 of 41");
    QTest::keyClick(&window, Qt::Key_End);
    EXPECT_EQ(counterText(window), "Screen 41 of 41");
    QTest::keyClick(&window, Qt::Key_PageDown);
    EXPECT_EQ(window.currentScreen(), 40) << "nothing after the last screen";
    QTest::keyClick(&window, Qt::Key_PageUp);
    EXPECT_EQ(window.currentScreen(), 39);
    QTest::keyClick(&window, Qt::Key_Home);
    EXPECT_EQ(counterText(window), "Screen 1 of 41");

    // The screen shown is the layout's screen of that number.
    const screen::ScreenLayout layout(screens(41), ti89());
    window.showScreen(40);
    const auto* view = testing::part<ScreenView>(window, "screenView");
    const screen::ScreenImage expected = layout.draw(40);
    ASSERT_EQ(view->image().size(), QSize(160, 100));
    int differing = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 160; ++x)
            if (view->image().pixelIndex(x, y) != static_cast<int>(expected.at(x, y)))
                ++differing;
    EXPECT_EQ(differing, 0);
}

TEST(PreviewWindowTest, AnEmptyTextIsOneScreen)
{
    PreviewWindow window(nullptr, "", ti89());
    EXPECT_EQ(counterText(window), "Screen 1 of 1");
    QTest::keyClick(&window, Qt::Key_End);
    EXPECT_EQ(window.currentScreen(), 0);
}

TEST(PreviewWindowTest, EveryZoomDrawsEachPixelAsAnEvenSquare)
{
    PreviewWindow window(nullptr, screens(2), ti89());
    window.show();
    auto* zoom = testing::part<QComboBox>(window, "zoom");
    auto* view = testing::part<ScreenView>(window, "screenView");
    ASSERT_EQ(zoom->count(), 4);
    EXPECT_EQ(zoom->itemText(0), "1×");
    EXPECT_EQ(zoom->itemText(3), "4×");
    for (int index = 0; index < 4; ++index) {
        zoom->setCurrentIndex(index);
        const int z = index + 1;
        ASSERT_EQ(view->size(), QSize(160 * z, 100 * z));
        const QImage shot = view->grab().toImage();
        ASSERT_EQ(shot.size(), QSize(160 * z, 100 * z) * shot.devicePixelRatio());
        int blurred = 0;
        for (int y = 0; y < 100 * z; ++y)
            for (int x = 0; x < 160 * z; ++x)
                if (shot.pixel(x, y) != view->image().pixel(x / z, y / z))
                    ++blurred;
        EXPECT_EQ(blurred, 0) << "zoom " << z;
    }
}

TEST(PreviewWindowTest, TheOutputWindowsFileMenuOpensTheScreensOfTheProcessedText)
{
    AppState state;
    MainWindow form(state);
    form.setMessageBoxes(std::make_shared<testing::RecordedMessageBoxes>());
    form.show();
    testing::MainWindowParts main(form);
    main.editor->setText(
        "A line long enough to be broken at the width of the calculator's screen, twice over "
        "if it can.\r\n_BRK\r\nNext");
    testing::processToEnd(form, main.processButton);
    OutputWindow* output = testing::outputWindowOf(form);
    ASSERT_NE(output, nullptr);
    auto* action = testing::part<QAction>(*output, "calculatorScreen");
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text().remove('&'), "Calculator Screen…");
    action->trigger();
    auto* preview = output->findChild<PreviewWindow*>("calculatorScreen");
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->isVisible());
    EXPECT_EQ(preview->windowTitle(), "Calculator Screen");
    EXPECT_EQ(counterText(*preview), "Screen 1 of 2");
    const screen::ScreenLayout layout(testing::part<CalculatorTextEdit>(*output, "text2")->text(), ti89());
    const auto* view = testing::part<ScreenView>(*preview, "screenView");
    EXPECT_EQ(view->image().size(), QSize(160, 100));
    EXPECT_EQ(view->image().pixelIndex(0, 0), static_cast<int>(layout.draw(0).at(0, 0)));
    preview->close();
}

}  // namespace
}  // namespace tessaline
