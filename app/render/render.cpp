// Build helper: renders the program's icon to a PNG file on the offscreen
// platform. Not installed.
//   tessaline-render icon PATH     the 32 x 32 window icon
#include <QApplication>
#include <QPixmap>
#include <QStyleFactory>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ui/app_icon.h"

int main(int argc, char** argv)
{
    if (argc != 3 || std::strcmp(argv[1], "icon") != 0) {
        std::fputs("usage: tessaline-render icon PATH\n", stderr);
        return 2;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaline"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    const QPixmap picture = tessaline::appIconPixmap();
    if (!picture.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "tessaline-render: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
