// The one save routine of the windows: several files all or nothing, targets
// it refuses before anything is written, and a full disk reported with the
// system's reason.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <vector>

#include "tests/ui/file_size_limit.h"
#include "ui/document/safe_save.h"

namespace tessaline {
namespace {

std::string readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void writeFile(const QString& path, const std::string& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes.data(), static_cast<qint64>(bytes.size())), static_cast<qint64>(bytes.size()));
}

class SafeSave : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QStringList filesInFolder() const
    {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    QTemporaryDir dir;
};

TEST_F(SafeSave, SeveralFilesReplaceTheirTargetsTogether)
{
    writeFile(path("one.89t"), "old one");
    const std::string first = "first", second(70000, 's');
    SaveFailure failure;
    ASSERT_TRUE(saveFilesSafely({{path("one.89t"), first}, {path("two.89t"), second}}, &failure))
        << failure.reason.toStdString();
    EXPECT_EQ(readFile(path("one.89t")), first);
    EXPECT_TRUE(readFile(path("two.89t")) == second);
    EXPECT_EQ(filesInFolder(), QStringList({"one.89t", "two.89t"}));
}

// One target the routine refuses (wherever it stands in the list) keeps every
// other file as it was: nothing is written before all are checked.
TEST_F(SafeSave, ARefusedTargetLeavesEveryFileAsItWas)
{
    const QString pipe = path("pipe.89t");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    const QString readOnly = path("locked.89t");
    writeFile(readOnly, "locked");
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    const QString folder = path("folder.89t");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.89t"));
    writeFile(path("kept.89t"), "kept");

    const struct {
        QString refused;
        const char* reason;
    } cases[] = {{pipe, "not an ordinary file"},
                 {readOnly, "read-only"},
                 {folder, "folder"},
                 {path("missing/new.89t"), "does not exist"}};
    for (const auto& c : cases) {
        for (bool refusedFirst : {true, false}) {
            SCOPED_TRACE(c.refused.toStdString() + (refusedFirst ? " first" : " last"));
            std::vector<FileToSave> files{{path("kept.89t"), "new"}, {path("fresh.89t"), "new"}};
            files.insert(refusedFirst ? files.begin() : files.end(), FileToSave{c.refused, "new"});
            SaveFailure failure;
            EXPECT_FALSE(saveFilesSafely(files, &failure));
            EXPECT_EQ(failure.path, c.refused);
            EXPECT_TRUE(failure.reason.contains(QLatin1String(c.reason))) << failure.reason.toStdString();
            EXPECT_EQ(readFile(path("kept.89t")), "kept");
            EXPECT_EQ(readFile(readOnly), "locked");
            EXPECT_EQ(filesInFolder(), QStringList({"kept.89t", "locked.89t", "pipe.89t"}));
        }
    }
    struct stat status {};
    ASSERT_EQ(stat(QFile::encodeName(pipe).constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
}

// Root may write any file, so the owner's write bit is what marks a file
// read-only; a file others may write but its owner may not is refused too.
TEST_F(SafeSave, AFileItsOwnerMayNotWriteIsRefused)
{
    const QString file = path("notes.txt");
    for (const QFileDevice::Permissions permissions :
         {QFileDevice::Permissions(QFileDevice::ReadOwner),
          QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::WriteOther}) {
        SCOPED_TRACE(static_cast<int>(permissions));
        QFile::remove(file);
        writeFile(file, "old");
        ASSERT_TRUE(QFile::setPermissions(file, permissions));
        QString reason;
        EXPECT_FALSE(saveFileSafely(file, "new", &reason));
        EXPECT_FALSE(reason.isEmpty());
        EXPECT_EQ(readFile(file), "old");
        EXPECT_EQ(filesInFolder(), QStringList{"notes.txt"});
        ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    }
}

// The disk fills up while the second file is written: the first, already
// complete under its temporary name, does not take its place either.
TEST_F(SafeSave, AFullDiskPartWayThroughTheLastFileWritesNone)
{
    writeFile(path("one.89t"), "old one");
    writeFile(path("two.89t"), "old two");
    const std::string small(100, 'a'), large(20000, 'b');
    SaveFailure failure;
    {
        testing::FileSizeLimit limit(8192);
        ASSERT_TRUE(limit.active());
        EXPECT_FALSE(saveFilesSafely({{path("one.89t"), small}, {path("two.89t"), large}}, &failure));
    }
    EXPECT_EQ(failure.path, path("two.89t"));
    EXPECT_TRUE(failure.reason.contains(QString::fromStdString(testing::FileSizeLimit::reason())))
        << failure.reason.toStdString();
    EXPECT_EQ(readFile(path("one.89t")), "old one");
    EXPECT_EQ(readFile(path("two.89t")), "old two");
    EXPECT_EQ(filesInFolder(), QStringList({"one.89t", "two.89t"}));
}

}  // namespace
}  // namespace tessaline
