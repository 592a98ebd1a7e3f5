// Tessaline: prepares texts for the TI-89 and TI-92 Plus calculators.
#include <QApplication>
#include <QStyleFactory>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "ui/app_state.h"
#include "ui/document/safe_save.h"
#include "ui/main/main_window.h"
#ifdef TESSALINE_HAVE_LINK
#include "ui/calculator/send_dialog.h"
#endif

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

const char* const kNoDisplay = "tessaline: no display; start it with 'xvfb-run tessaline' or set DISPLAY\n";

// While the application connects to the display: a display that is named
// but cannot be opened (a stale DISPLAY, a stopped Xvfb) ends the program
// with the same one line instead of Qt's platform-plugin report and abort.
void startUpMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const QByteArray category(context.category != nullptr ? context.category : "");
    if (type == QtFatalMsg) {
        std::fputs(kNoDisplay, stderr);
        std::fflush(stderr);
        std::_Exit(1);
    }
    if (category.startsWith("qt.qpa."))
        return;  // the connection's own complaints precede the fatal one
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char** argv)
{
    tessaline::ignoreFileSizeSignal();
    if (!displayAvailable()) {
        std::fputs(kNoDisplay, stderr);
        return 1;
    }
    const QtMessageHandler previousHandler = qInstallMessageHandler(startUpMessages);
    QApplication app(argc, argv);
    qInstallMessageHandler(previousHandler);
    QApplication::setApplicationName(QStringLiteral("Tessaline"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    QApplication::setOrganizationName(QString());
    QApplication::setOrganizationDomain(QString());
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    tessaline::AppState state;
    tessaline::MainWindow window(state);
    window.show();
    const int status = app.exec();
#ifdef TESSALINE_HAVE_LINK
    // A transfer cut by quitting stops within a second; the libraries it
    // uses must not be torn down under it.
    tessaline::SendDialog::waitForBackgroundWork(std::chrono::milliseconds(1500));
#endif
    return status;
}
