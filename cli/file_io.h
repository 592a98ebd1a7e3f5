// Whole-file reading and writing for tessaline-process.
#pragma once

#include <string>
#include <string_view>

namespace tessaline::cli {

// Reads the whole file, or standard input for "-". Returns false with a
// one-line message in `error`.
bool readAll(const std::string& path, std::string& data, std::string& error);

// Writes `data` to standard output ("" as path) or to `path`. A file is
// written under a temporary name in the same folder and renamed into place
// once complete; on failure the temporary file is removed and any earlier
// file of that name stays as it was.
bool writeAll(const std::string& path, std::string_view data, std::string& error);

}  // namespace tessaline::cli
