// Entry point of the window tests: the program's own start-up (SIGXFSZ
// ignored), a QApplication on the offscreen platform (unless a platform was
// chosen), then every GoogleTest case.
#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

#include "ui/document/safe_save.h"

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    tessaline::ignoreFileSizeSignal();
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tessaline");
    return RUN_ALL_TESTS();
}
