// Tessaline: prepares texts for the TI-89 and TI-92 Plus calculators.
#include <QApplication>
#include <QPushButton>
#include <QStyleFactory>

#include <cstdio>
#include <cstdlib>

#include "ui/app_state.h"
#include "ui/main/form1.h"

namespace {

// Only X11 and Wayland systems can be without a display; Windows and macOS
// always have one.
bool displayAvailable()
{
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    return true;
#else
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
#endif
}

}  // namespace

int main(int argc, char** argv)
{
    if (!displayAvailable()) {
        std::fputs("tessaline: no display; start it with 'xvfb-run ./run' or set DISPLAY\n", stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaline"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    QApplication::setOrganizationName(QString());
    QApplication::setOrganizationDomain(QString());
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    tessaline::AppState state;
    tessaline::Form1 window(state);
    window.show();
    window.Command1->setFocus();
    return app.exec();
}
