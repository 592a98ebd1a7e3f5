// Build helper: renders the main window to a PNG file on the offscreen
// platform. Not installed.
//   tessaline-render window PATH   the main window right after start-up
#include <QApplication>
#include <QPixmap>
#include <QStyleFactory>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ui/app_state.h"
#include "ui/main/form1.h"

int main(int argc, char** argv)
{
    if (argc != 3 || std::strcmp(argv[1], "window") != 0) {
        std::fputs("usage: tessaline-render window PATH\n", stderr);
        return 2;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaline"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    tessaline::AppState state;
    tessaline::Form1 window(state);
    window.show();
    QApplication::processEvents();
    const QPixmap picture = window.grab();
    if (!picture.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "tessaline-render: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
