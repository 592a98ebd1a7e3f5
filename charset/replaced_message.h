// What the program tells when characters of a text had no calculator code.
#pragma once

#include <cstddef>
#include <string>

namespace tessaline::charset {

// "N characters had no calculator code and were replaced" (one character:
// "1 character had ... was replaced"), without a full stop: the window ends
// its sentences with one, the batch tool's lines have none. `replaced` > 0.
std::string replacedMessage(std::size_t replaced);

}  // namespace tessaline::charset
