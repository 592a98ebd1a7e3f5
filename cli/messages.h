// The wording of what tessaline-process says on standard error.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaline::cli {

// `message` as one line that sets no terminal state: control characters
// (C0, DEL and, in UTF-8, C1) become escapes such as \n and \x1b.
std::string oneLine(std::string_view message);

// "WHAT PATH: the system's reason for `error`" (an errno value).
std::string failureMessage(const std::string& what, const std::string& path, int error);

// Why an input of more than `limit` bytes is not read.
std::string tooLargeMessage(const std::string& name, std::size_t limit);

}  // namespace tessaline::cli
