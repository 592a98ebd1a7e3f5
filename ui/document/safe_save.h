// Saving files so that nothing is lost, whatever the disk says: the new
// contents go to temporary files beside their targets and replace them only
// once every byte of every file is written and on the disk. Every save of the
// windows goes through here.
#pragma once

#include <QString>
#include <string_view>
#include <vector>

namespace tessaline {

// One file of a save: where it goes and what it holds.
struct FileToSave {
    QString path;
    std::string_view bytes;
};

// Why a save failed: the file that could not be written and the reason a
// user can act on (the disk is full, the file is too large, the file is
// read-only).
struct SaveFailure {
    QString path;
    QString reason;
};

// Writes every file in place of the file at its path, all or nothing: each
// goes to a temporary name, is written, checked and synced, and only when all
// are complete are they renamed into place. A symbolic link keeps pointing at
// its target, which gets the new content. A folder, a device, a pipe (which
// without a reader would block the window) and a file marked read-only (for
// root too) are refused before anything is written. On failure no old file
// has changed and `failure` (when given) says which file failed and why.
bool saveFilesSafely(const std::vector<FileToSave>& files, SaveFailure* failure);

// The same for one file; `reason` (when given) says why it failed.
bool saveFileSafely(const QString& path, std::string_view bytes, QString* reason);

// What every window says when a save fails.
QString saveFailedMessage(const QString& path, const QString& reason);

// Called once as the program starts: past a file-size limit (ulimit -f) a
// write then fails with "File too large", which the save reports while the
// text stays, instead of the SIGXFSZ signal ending the program.
void ignoreFileSizeSignal();

}  // namespace tessaline
