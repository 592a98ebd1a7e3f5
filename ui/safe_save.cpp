#include "ui/safe_save.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

#include "formats/path_check.h"

namespace tessaline {

namespace {

void setError(QString* error, const QString& why)
{
    if (error)
        *error = why;
}

#ifdef Q_OS_UNIX
QString systemReason(int code) { return QString::fromLocal8Bit(std::strerror(code)) + QLatin1Char('.'); }

// QSaveFile's own writing is not used: a short write past a size limit comes
// back without a reason, and in Qt 6.4 commit() reports success when the
// final flush of its buffer fails. Writing to the descriptor directly sees
// every failure with its errno.
bool writeAndSync(int fd, std::string_view bytes, QString* error)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            setError(error, systemReason(errno));
            return false;
        }
        if (written == 0) {
            setError(error, systemReason(ENOSPC));
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    // Some file systems report a full disk or quota only here.
    if (::fsync(fd) != 0 && errno != EINVAL) {
        setError(error, systemReason(errno));
        return false;
    }
    return true;
}

// Makes the rename itself durable. The file is already in place, so a
// failure here is not reported.
void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}
#else
bool writeAndSync(QSaveFile& file, std::string_view bytes, QString* error)
{
    const qint64 size = static_cast<qint64>(bytes.size());
    if (file.write(bytes.data(), size) != size || !file.flush()) {
        QString why = file.errorString();
        if (why.isEmpty() || why == QLatin1String("Unknown error"))
            why = QStringLiteral("The file could not be written completely.");
        setError(error, why);
        return false;
    }
    return true;
}
#endif

}  // namespace

bool saveFileSafely(const QString& path, std::string_view bytes, QString* error)
{
    const QFileInfo info(path);
    const PathCheck check = checkBeforeWriting(QFile::encodeName(path).toStdString(), SpecialFiles::Refused);
    switch (check.problem) {
    case PathProblem::None:
        break;
    case PathProblem::NoName:
        setError(error, QStringLiteral("No file name was given."));
        return false;
    case PathProblem::FolderMissing:
        setError(error,
                 QStringLiteral("The folder %1 does not exist.").arg(QDir::toNativeSeparators(info.absolutePath())));
        return false;
    case PathProblem::Folder:
        setError(error, QStringLiteral("This is a folder, not a file."));
        return false;
    case PathProblem::SpecialFile:
        setError(error, QStringLiteral("This is not an ordinary file (a device or a pipe); "
                                       "it is left as it is."));
        return false;
    case PathProblem::ReadOnly:
        setError(error, QStringLiteral("The file is read-only."));
        return false;
    default:
        setError(error, systemReason(check.error));
        return false;
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        setError(error, file.errorString());
        return false;
    }
#ifdef Q_OS_UNIX
    const bool written = writeAndSync(file.handle(), bytes, error);
#else
    const bool written = writeAndSync(file, bytes, error);
#endif
    if (!written) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        // A failed rename often comes without a reason of its own.
        QString why = file.errorString();
        if (why.isEmpty() || why == QLatin1String("Unknown error"))
            why = QStringLiteral("The new content could not be put in place of the file.");
        setError(error, why);
        return false;
    }
#ifdef Q_OS_UNIX
    // The link's target is what was replaced: sync its folder.
    syncFolder(QFileInfo(info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath()).absolutePath());
#endif
    return true;
}

}  // namespace tessaline
