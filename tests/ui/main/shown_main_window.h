// A main window built with a fresh application state, shown and active, as
// the tests of its controls start from.
#pragma once

#include <QApplication>
#include <gtest/gtest.h>
#include <memory>

#include "ui/app_state.h"
#include "ui/main/form1.h"

namespace tessaline {

class ShownMainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<Form1>(state);
        window->show();
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        QApplication::processEvents();
    }

    AppState state;
    std::unique_ptr<Form1> window;
};

}  // namespace tessaline
