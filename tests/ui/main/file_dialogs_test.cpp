// The real file dialogs: they remember nothing beyond the run, so nothing of
// theirs is written to the user's settings.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <optional>

#include "ui/file_dialogs.h"

namespace tessaline {
namespace {

// HOME and the configuration folder point into a fresh folder while a test runs.
class TemporaryHome {
public:
    TemporaryHome() : oldHome_(qgetenv("HOME")), oldConfig_(qgetenv("XDG_CONFIG_HOME"))
    {
        qputenv("HOME", home_.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (home_.path() + "/.config").toLocal8Bit());
    }
    ~TemporaryHome()
    {
        restore("HOME", oldHome_);
        restore("XDG_CONFIG_HOME", oldConfig_);
    }
    QString path() const { return home_.path(); }

    // Every file below the home folder.
    QStringList files() const
    {
        QStringList found;
        QDirIterator it(home_.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext())
            found << it.next();
        return found;
    }

private:
    static void restore(const char* name, const QByteArray& value)
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    QTemporaryDir home_;
    QByteArray oldHome_;
    QByteArray oldConfig_;
};

// Answers the next modal file dialog as a user would: `answer` acts on it.
void answerNextDialog(std::function<void(QFileDialog&)> answer)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            poll->deleteLater();
            answer(*dialog);
        }
    });
    poll->start(10);
}

TEST(QtFileDialogs, NothingIsWrittenToTheUsersSettings)
{
    TemporaryHome home;
    ASSERT_EQ(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation), home.path() + "/.config");
    QDir(home.path()).mkpath("texts/more");
    const QString text = home.path() + "/texts/more/a.txt";
    {
        QFile file(text);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("a");
    }
    const QStringList before = home.files();

    QtFileDialogs dialogs;
    // A folder visited and a file chosen: what the dialog would remember.
    answerNextDialog([&](QFileDialog& dialog) {
        dialog.setDirectory(home.path() + "/texts");
        dialog.setDirectory(home.path() + "/texts/more");
        dialog.selectFile(text);
        static_cast<QDialog&>(dialog).accept();  // as the Open button does
    });
    EXPECT_EQ(dialogs.openFileName(nullptr, QStringLiteral("Text (*.txt)"), home.path() + "/texts/"), text);

    // Cancelled Save: the dialog closes the same way.
    answerNextDialog([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(dialogs.saveFileName(nullptr, QStringLiteral("Text (*.txt)"), home.path() + "/texts/b.txt"),
              std::nullopt);

    EXPECT_EQ(home.files().join(u'\n').toStdString(), before.join(u'\n').toStdString());
}

}  // namespace
}  // namespace tessaline
