#include "ui/document/safe_save.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

#include "formats/path_check.h"

namespace tessaline {

namespace {

QString systemReason(int code) { return QString::fromLocal8Bit(std::strerror(code)) + QLatin1Char('.'); }

#ifdef Q_OS_UNIX
// QSaveFile's own writing is not used: a short write past a size limit comes
// back without a reason, and in Qt 6.4 commit() reports success when the
// final flush of its buffer fails. Writing to the descriptor directly sees
// every failure with its errno.
bool writeAndSync(int fd, std::string_view bytes, QString* reason)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            *reason = systemReason(errno);
            return false;
        }
        if (written == 0) {
            *reason = systemReason(ENOSPC);
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    // Some file systems report a full disk or quota only here.
    if (::fsync(fd) != 0 && errno != EINVAL) {
        *reason = systemReason(errno);
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
bool writeAndSync(QSaveFile& file, std::string_view bytes, QString* reason)
{
    const qint64 size = static_cast<qint64>(bytes.size());
    if (file.write(bytes.data(), size) != size || !file.flush()) {
        QString why = file.errorString();
        if (why.isEmpty() || why == QLatin1String("Unknown error"))
            why = QStringLiteral("The file could not be written completely.");
        *reason = why;
        return false;
    }
    return true;
}
#endif

// Why `path` may not be saved to, or an empty string when it may.
QString refusalToSave(const QString& path)
{
    const PathCheck check = checkBeforeWriting(QFile::encodeName(path).toStdString(), SpecialFiles::Refused);
    switch (check.problem) {
    case PathProblem::None:
        return {};
    case PathProblem::NoName:
        return QStringLiteral("No file name was given.");
    case PathProblem::FolderMissing:
        return QStringLiteral("The folder %1 does not exist.")
            .arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
    case PathProblem::Folder:
        return QStringLiteral("This is a folder, not a file.");
    case PathProblem::SpecialFile:
        return QStringLiteral("This is not an ordinary file (a device or a pipe); it is left as it is.");
    case PathProblem::ReadOnly:
        return QStringLiteral("The file is read-only.");
    default:
        return systemReason(check.error);
    }
}

// Writes `bytes` to the temporary file of `file`, which is open.
bool writeTemporary(QSaveFile& file, std::string_view bytes, QString* reason)
{
#ifdef Q_OS_UNIX
    return writeAndSync(file.handle(), bytes, reason);
#else
    return writeAndSync(file, bytes, reason);
#endif
}

}  // namespace

bool saveFilesSafely(const std::vector<FileToSave>& files, SaveFailure* failure)
{
    SaveFailure ignored;
    SaveFailure& failed = failure != nullptr ? *failure : ignored;
    for (const FileToSave& file : files) {
        const QString refusal = refusalToSave(file.path);
        if (!refusal.isEmpty()) {
            failed = {file.path, refusal};
            return false;
        }
    }

    // Every file is complete under its temporary name before the first takes
    // its place; a QSaveFile that is not committed removes its temporary file.
    std::vector<std::unique_ptr<QSaveFile>> written;
    written.reserve(files.size());
    for (const FileToSave& file : files) {
        auto& saved = written.emplace_back(std::make_unique<QSaveFile>(file.path));
        QString reason;
        if (!saved->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            failed = {file.path, saved->errorString()};
            return false;
        }
        if (!writeTemporary(*saved, file.bytes, &reason)) {
            failed = {file.path, reason};
            return false;
        }
    }

    // Renaming within a folder fails only when the folder changes under the
    // save; the files renamed before such a failure keep their new content.
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (!written[i]->commit()) {
            // A failed rename often comes without a reason of its own.
            QString why = written[i]->errorString();
            if (why.isEmpty() || why == QLatin1String("Unknown error"))
                why = QStringLiteral("The new content could not be put in place of the file.");
            failed = {files[i].path, why};
            return false;
        }
    }
#ifdef Q_OS_UNIX
    // A link's target is what was replaced: its folder is synced, each
    // folder once.
    QStringList folders;
    for (const FileToSave& file : files) {
        const QFileInfo info(file.path);
        const QString folder =
            QFileInfo(info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath()).absolutePath();
        if (!folders.contains(folder)) {
            folders << folder;
            syncFolder(folder);
        }
    }
#endif
    return true;
}

bool saveFileSafely(const QString& path, std::string_view bytes, QString* reason)
{
    SaveFailure failure;
    if (saveFilesSafely({FileToSave{path, bytes}}, &failure))
        return true;
    if (reason != nullptr)
        *reason = failure.reason;
    return false;
}

QString saveFailedMessage(const QString& path, const QString& reason)
{
    return QStringLiteral("Cannot save \"%1\".\n%2").arg(QDir::toNativeSeparators(path), reason);
}

void ignoreFileSizeSignal()
{
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

}  // namespace tessaline
