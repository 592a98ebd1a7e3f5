// The program started where its display cannot be opened: one line that says
// how to start it, exit status 1, no abort.
#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace tessaline {
namespace {

QString programPath() { return QCoreApplication::applicationDirPath() + QStringLiteral("/../app/tessaline"); }

// Runs the program with the environment changed as given; returns its exit
// status and what it wrote to standard error.
std::pair<int, QString> runProgram(const std::function<void(QProcessEnvironment&)>& change)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    change(env);
    process.setProcessEnvironment(env);
    process.start(programPath(), {});
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return {-1, QStringLiteral("did not end")};
    }
    const int status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    return {status, QString::fromLocal8Bit(process.readAllStandardError())};
}

TEST(StartWithoutDisplay, SaysHowToStartItWhetherTheDisplayIsUnsetOrCannotBeOpened)
{
    if (!QFileInfo(programPath()).isExecutable())
        GTEST_SKIP() << "the program is not built next to the tests";
    const QString expected =
        QStringLiteral("tessaline: no display; start it with 'xvfb-run tessaline' or set DISPLAY\n");

    const auto [unsetStatus, unsetError] = runProgram([](QProcessEnvironment& env) {
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    });
    EXPECT_EQ(unsetStatus, 1);
    EXPECT_EQ(unsetError.toStdString(), expected.toStdString());

    // A display that is named but not there (no X server listens on it).
    if (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X4321")))
        GTEST_SKIP() << "display :4321 exists here";
    const auto [staleStatus, staleError] = runProgram([](QProcessEnvironment& env) {
        env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":4321"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    });
    EXPECT_EQ(staleStatus, 1);
    EXPECT_EQ(staleError.toStdString(), expected.toStdString());
}

}  // namespace
}  // namespace tessaline
