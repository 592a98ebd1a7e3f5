// The wording of what tessaline-process says on standard error.
#pragma once

#include <string>
#include <string_view>

namespace tessaline::cli {

// `message` as one line that sets no terminal state: control characters
// (C0, DEL and, in UTF-8, C1) become escapes such as \n and \x1b.
std::string oneLine(std::string_view message);

}  // namespace tessaline::cli
