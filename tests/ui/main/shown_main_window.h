// A main window built with a fresh application state, shown and active, as
// the tests of its controls start from.
#pragma once

#include <QApplication>
#include <gtest/gtest.h>
#include <memory>

#include "tests/ui/window_parts.h"
#include "ui/app_state.h"
#include "ui/main/main_window.h"

namespace tessaline {

class ShownMainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<MainWindow>(state);
        ui = std::make_unique<testing::MainWindowParts>(*window);
        window->show();
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        QApplication::processEvents();
    }

    AppState state;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<testing::MainWindowParts> ui;
};

}  // namespace tessaline
