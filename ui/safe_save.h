// Saving a file so that nothing is lost, whatever the disk says: the new
// content goes to a temporary file beside the target and replaces it only
// once every byte is written and on the disk.
#pragma once

#include <QString>
#include <string_view>

namespace tessaline {

// Writes bytes in place of the file at path. A symbolic link keeps pointing
// at its target, which gets the new content. A folder, a device or a pipe is
// refused (a pipe without a reader would block the window). On failure the
// old file is byte for byte as it was and *error holds the reason a user can
// act on (the disk is full, the file is too large, the file is read-only).
bool saveFileSafely(const QString& path, std::string_view bytes, QString* error);

}  // namespace tessaline
